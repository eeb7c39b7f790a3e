#include "quote/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>

namespace quote {
namespace {

constexpr double kTolerance = 1e-7;
constexpr double kRoundingNudge = 1e-12;
constexpr char kNotFinite[] = "--";

bool isLeadByte(unsigned char c) { return c >= 0x80; }

// Working space for one number's text: on the stack for every text a price or a typed limit takes,
// on the heap only for a longer one. Reading and printing numbers runs on every refresh, all day.
class Scratch {
public:
    explicit Scratch(size_t size) : data_(local_) {
        if (size > sizeof local_) {
            heap_.reset(new char[size]);
            data_ = heap_.get();
        }
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    char* data() { return data_; }

private:
    char local_[128];
    std::unique_ptr<char[]> heap_;
    char* data_;
};

// Full-width characters typed with a Chinese input method become their ASCII twins:
// the GBK row 0xA3 maps to (second byte - 0x80), plus the full-width space, tilde and stars.
// Writes at most text.size() bytes to `out` and returns how many.
size_t narrowFullWidth(std::string_view text, char* out) {
    size_t n = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        if (!isLeadByte(lead) || i + 1 >= text.size()) {
            out[n++] = text[i];
            continue;
        }
        const unsigned char trail = static_cast<unsigned char>(text[i + 1]);
        if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
            out[n++] = static_cast<char>(trail - 0x80);
        } else if (lead == 0xA1 && trail == 0xA1) {
            out[n++] = ' ';
        } else if (lead == 0xA1 && trail == 0xAB) {
            out[n++] = '~';
        } else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) {
            out[n++] = '*';
        } else {
            out[n++] = text[i];
            out[n++] = text[i + 1];
        }
        ++i;
    }
    return n;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A decimal number reduced to a form that std::from_chars reads identically on every
// platform: the digits with their point, and an exponent already checked and clamped.
struct DecimalParts {
    bool negative = false;
    std::string_view mantissa;  // digits and at most one '.', a piece of the scanned text
    long exponent = 0;
};

bool scanDecimal(std::string_view s, DecimalParts& parts) {
    size_t i = 0;
    while (i < s.size() && isSpace(s[i])) ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) parts.negative = s[i++] == '-';
    const size_t mantissaStart = i;
    size_t digits = 0;
    while (i < s.size() && isDigit(s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    parts.mantissa = s.substr(mantissaStart, i - mantissaStart);
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        size_t j = i + 1;
        bool negativeExponent = false;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) negativeExponent = s[j++] == '-';
        if (j < s.size() && isDigit(s[j])) {
            // Past 100000 the result is 0 or infinite whatever the mantissa; clamping keeps it in a long.
            long exponent = 0;
            for (; j < s.size() && isDigit(s[j]); ++j) exponent = std::min(exponent * 10 + (s[j] - '0'), 100000L);
            parts.exponent = negativeExponent ? -exponent : exponent;
        }
    }
    return true;
}

// The decimal exponent of the first non-zero digit, e.g. 2 for "123.4" and -2 for "0.012".
long leadDigitExponent(const DecimalParts& parts, size_t firstDigit) {
    const size_t point = parts.mantissa.find('.');
    const long pointAt = static_cast<long>(point == std::string_view::npos ? parts.mantissa.size() : point);
    const long digitAt = static_cast<long>(firstDigit);
    return parts.exponent + (digitAt < pointAt ? pointAt - digitAt - 1 : pointAt - digitAt);
}

double magnitudeOf(const DecimalParts& parts) {
    // The mantissa, "e" and the exponent (at most "-100000").
    Scratch text(parts.mantissa.size() + 16);
    char* const begin = text.data();
    char* end = std::copy(parts.mantissa.begin(), parts.mantissa.end(), begin);
    *end++ = 'e';
    end = std::to_chars(end, begin + parts.mantissa.size() + 16, parts.exponent).ptr;
    double value = 0;
    const auto result = std::from_chars(begin, end, value, std::chars_format::scientific);
    if (result.ec != std::errc::result_out_of_range) return value;
    // Out of range is either past the largest double or below the smallest.
    const size_t firstDigit = parts.mantissa.find_first_of("123456789");
    if (firstDigit == std::string_view::npos) return 0;
    return leadDigitExponent(parts, firstDigit) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
}

// The length of digits[0, size) without the trailing zeros of a fraction, and without its point
// when nothing is left after it.
size_t trimTrailingZeros(const char* digits, size_t size) {
    if (std::string_view(digits, size).find('.') == std::string_view::npos) return size;
    while (size > 0 && digits[size - 1] == '0') --size;
    if (size > 0 && digits[size - 1] == '.') --size;
    return size;
}

// Room for anything "%.13g" prints: a sign, 13 digits, a point, up to four leading zeros and an
// exponent.
constexpr size_t kG13Room = 64;

// formatG13 into `out`, which has kG13Room bytes; returns the length.
size_t formatG13Into(double x, char* out) {
    if (!std::isfinite(x)) return std::copy(kNotFinite, kNotFinite + 2, out) - out;
    constexpr int kSignificant = 13;
    // Scientific form with 12 decimals is exactly 13 significant digits, correctly rounded.
    const char* const scientificEnd =
        std::to_chars(out, out + kG13Room, x, std::chars_format::scientific, kSignificant - 1).ptr;
    const size_t e = std::string_view(out, scientificEnd - out).find('e');
    int exponent = 0;
    const char* exponentText = out + e + 1;
    if (*exponentText == '+') ++exponentText;
    std::from_chars(exponentText, scientificEnd, exponent);
    if (exponent < -4 || exponent >= kSignificant) {
        size_t n = trimTrailingZeros(out, e);
        out[n++] = 'e';
        out[n++] = exponent < 0 ? '-' : '+';
        const int magnitude = std::abs(exponent);
        if (magnitude < 100) out[n++] = '0';
        if (magnitude < 10) out[n++] = '0';
        return std::to_chars(out + n, out + kG13Room, magnitude).ptr - out;
    }
    const char* const fixedEnd =
        std::to_chars(out, out + kG13Room, x, std::chars_format::fixed, kSignificant - 1 - exponent).ptr;
    return trimTrailingZeros(out, fixedEnd - out);
}

double powerOfTen(int decimals) {
    double p = 1;
    for (int k = 0; k < decimals; ++k) p *= 10;
    return p;
}

// |x| in whole units of the last place, rounded half away from zero.
double wholeUnitsOf(double x, double scale) {
    const double nudged = std::fabs(x) * scale + kRoundingNudge;
    double whole = 0;
    const double fraction = std::modf(nudged, &whole);
    return fraction >= 0.5 ? whole + 1 : whole;
}

double roundHalfAwayFromZero(double x, int decimals) {
    if (x == 0 || std::isnan(x)) return x;
    const double magnitude = wholeUnitsOf(x, powerOfTen(decimals)) / powerOfTen(decimals);
    return x < 0 ? -magnitude : magnitude;
}

// Below 10^13 units, "%.13g" of the rounded value gives every digit of the units back, and with up
// to four places it never switches to the exponent form: the text can be written straight from the
// units, which is several times quicker than printing the value twice.
constexpr double kUnitsPrintedWhole = 1e13;
constexpr int kMostPlacesPrintedWhole = 4;

std::string unitsAsFixedText(bool negative, std::uint64_t units, int decimals) {
    char digits[24];
    char* const end = std::to_chars(digits, digits + sizeof digits, units).ptr;
    std::size_t count = static_cast<std::size_t>(end - digits);
    const std::size_t places = static_cast<std::size_t>(decimals);
    const std::size_t wholeDigits = count > places ? count - places : 0;
    std::string text;
    text.reserve(1 + std::max<std::size_t>(wholeDigits, 1) + 1 + places);
    if (negative && units != 0) text += '-';
    if (wholeDigits == 0) {
        text += '0';
    } else {
        text.append(digits, wholeDigits);
    }
    text += '.';
    text.append(places - (count - wholeDigits), '0');
    text.append(digits + wholeDigits, count - wholeDigits);
    return text;
}

}  // namespace

bool textEquals(std::string_view a, std::string_view b) { return a == b; }

double readDecimal(std::string_view text) {
    DecimalParts parts;
    if (!scanDecimal(text, parts)) return 0;
    const double magnitude = magnitudeOf(parts);
    return parts.negative ? -magnitude : magnitude;
}

double textToReal(std::string_view text) {
    Scratch narrowed(text.size());
    return readDecimal(std::string_view(narrowed.data(), narrowFullWidth(text, narrowed.data())));
}

std::string formatG13(double x) {
    char buffer[kG13Room];
    return std::string(buffer, formatG13Into(x, buffer));
}

std::string realToFixedText(double x, int decimals) {
    if (std::isfinite(x) && decimals >= 0 && decimals <= kMostPlacesPrintedWhole) {
        const double units = wholeUnitsOf(x, powerOfTen(decimals));
        if (units < kUnitsPrintedWhole) return unitsAsFixedText(x < 0, static_cast<std::uint64_t>(units), decimals);
    }
    const double rounded = roundHalfAwayFromZero(x, decimals);
    if (!std::isfinite(rounded)) return kNotFinite;
    char buffer[kG13Room];
    const size_t length = rounded == 0 ? std::copy_n("0", 1, buffer) - buffer : formatG13Into(rounded, buffer);
    const std::string_view printed(buffer, length);
    const size_t point = printed.find('.');
    const size_t wanted = static_cast<size_t>(std::max(decimals, 0));
    const size_t after = point == std::string_view::npos ? 0 : printed.size() - point - 1;
    const size_t fill = after < wanted ? wanted - after : 0;
    // Built at its final size, so that the result is the only allocation, and none when it is short.
    std::string text;
    text.reserve(printed.size() + (point == std::string_view::npos ? 1 : 0) + fill);
    text.append(printed);
    if (point == std::string_view::npos) text += '.';
    text.append(fill, '0');
    return text;
}

bool approxGE(double a, double b) { return a - b >= -kTolerance; }
bool approxGT(double a, double b) { return a - b > kTolerance; }
bool approxLE(double a, double b) { return !(a - b > kTolerance); }

}  // namespace quote
