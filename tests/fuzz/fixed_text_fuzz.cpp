// Every double, finite or not, printed to a fixed number of places and in the %.13g form.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "quote/number_text.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

bool onlyNumberCharacters(const std::string& text) {
    return text.find_first_not_of("0123456789.-+e") == std::string::npos;
}

void checkG13(double x) {
    const std::string printed = quote::formatG13(x);
    if (!std::isfinite(x)) {
        FUZZ_CHECK(printed == "--");
        return;
    }
    FUZZ_CHECK(!printed.empty() && printed.size() <= 21 && onlyNumberCharacters(printed));
    const double back = quote::readDecimal(printed);
    FUZZ_CHECK(std::fabs(back - x) <= std::fabs(x) * 1e-12);
}

void checkFixed(double x, int decimals) {
    const std::string printed = quote::realToFixedText(x, decimals);
    // Scaling to whole units before rounding overflows near the top of the range; that prints "--" too.
    if (!std::isfinite(x) || !std::isfinite(std::fabs(x) * std::pow(10.0, decimals))) {
        FUZZ_CHECK(printed == "--");
        return;
    }
    FUZZ_CHECK(!printed.empty() && onlyNumberCharacters(printed));
    const double back = quote::readDecimal(printed);
    FUZZ_CHECK(!std::isnan(back));
    if (back == 0) FUZZ_CHECK(printed[0] != '-');  // zero prints without a sign
    if (std::fabs(x) < 1e9 && decimals <= 4) {
        // Off by at most half a unit of the last place, plus what 13 significant digits lose.
        const double halfUnit = 0.5 * std::pow(10.0, -decimals);
        FUZZ_CHECK(std::fabs(back - x) <= halfUnit * (1 + 1e-9) + std::fabs(x) * 1e-12 + 1e-12);
        if (printed.find('e') == std::string::npos && decimals > 0) {
            const size_t point = printed.find('.');
            FUZZ_CHECK(point != std::string::npos && printed.size() - point - 1 == size_t(decimals));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < sizeof(double) + 1) return 0;
    double x;
    std::memcpy(&x, data, sizeof x);
    const int decimals = data[sizeof x] % 8;
    checkG13(x);
    checkFixed(x, decimals);
    return 0;
}
