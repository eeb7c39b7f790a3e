// Speed and heap traffic of the quote data path: reading and printing numbers, and one whole
// reply of the quote service cut into fields and turned into the texts and colours shown.
// Each benchmark reports `allocs/call`, the heap allocations one call makes.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "bench/allocation_count.h"
#include "quote/number_text.h"
#include "quote/quote_record.h"

namespace {

// Runs `call` in the timed loop and reports the allocations of one call.
template <typename Call>
void measure(benchmark::State& state, Call call) {
    const std::uint64_t before = bench::allocationsSoFar();
    for (auto _ : state) call();
    const double calls = static_cast<double>(state.iterations());
    state.counters["allocs/call"] = static_cast<double>(bench::allocationsSoFar() - before) / calls;
}

// Texts a price takes: as the service sends it, as a user types it (also with a Chinese input
// method's full-width digits), and a long one.
const char* const kNumberTexts[] = {
    "10.550",
    "-0.35",
    "\xa3\xb1\xa3\xb0\xa3\xae\xa3\xb5\xa3\xb5",  // full-width 10.55
    "  12345678.901234567e-3",
    "3.14159265358979323846264338327950288",
};

void textToRealOf(benchmark::State& state) {
    const std::string text = kNumberTexts[state.range(0)];
    state.SetLabel(text.size() > 24 ? text.substr(0, 21) + "..." : text);
    measure(state, [&] { benchmark::DoNotOptimize(quote::textToReal(text)); });
}
BENCHMARK(textToRealOf)->DenseRange(0, 4);

// Values a change or a percent takes, with two decimals as the ticker prints them.
const double kRealsToPrint[] = {0.05, -1.2345, 10.55, 123456.789, 1e20, -3.3e-7};

void realToFixedTextOf(benchmark::State& state) {
    const double x = kRealsToPrint[state.range(0)];
    state.SetLabel(std::to_string(x));
    // The result itself is one allocation when it is too long for the string's own buffer.
    measure(state, [&] { benchmark::DoNotOptimize(quote::realToFixedText(x, 2)); });
}
BENCHMARK(realToFixedTextOf)->DenseRange(0, 5);

// A reply of the service's real size: one record of 33 fields, the name in GBK.
std::string realSizeReply() {
    return "var hq_str_sh600000=\""
           "\xc6\xd6\xb7\xa2\xd2\xf8\xd0\xd0,"  // 浦发银行
           "7.090,7.080,7.110,7.150,7.060,7.100,7.110,"
           "40542853,288592537.000,"
           "184300,7.100,452900,7.090,399600,7.080,268000,7.070,214100,7.060,"
           "57300,7.110,398600,7.120,353900,7.130,285100,7.140,371200,7.150,"
           "2024-01-05,15:00:00,00\";\n";
}

void replyCutAndDerived(benchmark::State& state) {
    const std::string body = realSizeReply();
    state.SetLabel(std::to_string(body.size()) + " bytes, " +
                   std::to_string(quote::extractQuoteFields(body).size()) + " fields");
    measure(state, [&] {
        const std::vector<std::string> fields = quote::extractQuoteFields(quote::replyTextOf(body));
        benchmark::DoNotOptimize(quote::deriveDisplayValues(fields));
    });
}
BENCHMARK(replyCutAndDerived);

void replyCutOnly(benchmark::State& state) {
    const std::string body = realSizeReply();
    measure(state, [&] { benchmark::DoNotOptimize(quote::extractQuoteFields(quote::replyTextOf(body))); });
}
BENCHMARK(replyCutOnly);

}  // namespace

BENCHMARK_MAIN();
