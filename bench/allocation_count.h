#pragma once
// Counts every call of the global operator new in the benchmark binary, so that a benchmark can
// report how many heap allocations one call of the code under test makes.

#include <cstdint>

namespace bench {

// Allocations made by this thread since it started.
std::uint64_t allocationsSoFar();

}  // namespace bench
