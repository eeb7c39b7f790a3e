// Whatever is left in a warning-price box when it loses the focus.
#include <cmath>
#include <cstdint>
#include <string>

#include "quote/number_text.h"
#include "tests/fuzz/fuzz_check.h"
#include "ticker/numeric_box.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string typed(reinterpret_cast<const char*>(data), size);
    const auto tidy = ticker::numericBoxTextOnFocusLoss(typed);
    if (!tidy) return 0;
    FUZZ_CHECK(*tidy != typed);
    // The tidy text keeps the number and is already tidy: a second focus loss leaves it alone.
    FUZZ_CHECK(!ticker::numericBoxTextOnFocusLoss(*tidy));
    const double before = quote::readDecimal(typed);
    const double after = quote::readDecimal(*tidy);
    FUZZ_CHECK(after == before || std::abs(after - before) <= std::abs(before) * 1e-12);
    return 0;
}
