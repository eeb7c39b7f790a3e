// Any bytes a user types or the service sends, read as a number.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "quote/number_text.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

// Text made only of these characters has no hexadecimal, infinity, NaN or 'd' exponent forms,
// so the C library's strtod is an exact oracle for the atof rules.
bool plainDecimalCharacters(std::string_view text) {
    for (const char c : text) {
        if (std::string_view("0123456789.+-eE \t\n\v\f\r").find(c) == std::string_view::npos) return false;
    }
    return true;
}

bool sameReal(double a, double b) {
    return (std::isnan(a) && std::isnan(b)) || a == b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const double value = quote::textToReal(text);
    FUZZ_CHECK(!std::isnan(value));
    const double plain = quote::readDecimal(text);
    FUZZ_CHECK(!std::isnan(plain));
    if (plainDecimalCharacters(text)) {
        FUZZ_CHECK(sameReal(plain, std::strtod(text.c_str(), nullptr)));
        FUZZ_CHECK(sameReal(value, plain));  // nothing to narrow
    }
    // Whatever was read prints and reads back to the same 13 significant digits.
    const std::string printed = quote::formatG13(value);
    if (std::isfinite(value)) {
        const double back = quote::readDecimal(printed);
        FUZZ_CHECK(std::fabs(back - value) <= std::fabs(value) * 1e-12);
    } else {
        FUZZ_CHECK(printed == "--");
    }
    return 0;
}
