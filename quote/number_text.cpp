#include "quote/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace quote {
namespace {

constexpr double kTolerance = 1e-7;
constexpr double kRoundingNudge = 1e-12;
constexpr char kNotFinite[] = "--";

bool isLeadByte(unsigned char c) { return c >= 0x80; }

// Full-width characters typed with a Chinese input method become their ASCII twins:
// the GBK row 0xA3 maps to (second byte - 0x80), plus the full-width space, tilde and stars.
std::string narrowFullWidth(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        if (!isLeadByte(lead) || i + 1 >= text.size()) {
            out += text[i];
            continue;
        }
        const unsigned char trail = static_cast<unsigned char>(text[i + 1]);
        if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
            out += static_cast<char>(trail - 0x80);
        } else if (lead == 0xA1 && trail == 0xA1) {
            out += ' ';
        } else if (lead == 0xA1 && trail == 0xAB) {
            out += '~';
        } else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) {
            out += '*';
        } else {
            out += text[i];
            out += text[i + 1];
        }
        ++i;
    }
    return out;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A decimal number reduced to a form that std::from_chars reads identically on every
// platform: the digits with their point, and an exponent already checked and clamped.
struct DecimalParts {
    bool negative = false;
    std::string mantissa;  // digits and at most one '.'
    long exponent = 0;
};

bool scanDecimal(std::string_view s, DecimalParts& parts) {
    size_t i = 0;
    while (i < s.size() && isSpace(s[i])) ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) parts.negative = s[i++] == '-';
    size_t digits = 0;
    while (i < s.size() && isDigit(s[i])) parts.mantissa += s[i++], ++digits;
    if (i < s.size() && s[i] == '.') {
        parts.mantissa += s[i++];
        while (i < s.size() && isDigit(s[i])) parts.mantissa += s[i++], ++digits;
    }
    if (digits == 0) return false;
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
    const long pointAt = static_cast<long>(point == std::string::npos ? parts.mantissa.size() : point);
    const long digitAt = static_cast<long>(firstDigit);
    return parts.exponent + (digitAt < pointAt ? pointAt - digitAt - 1 : pointAt - digitAt);
}

double magnitudeOf(const DecimalParts& parts) {
    const std::string text = parts.mantissa + "e" + std::to_string(parts.exponent);
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::scientific);
    if (result.ec != std::errc::result_out_of_range) return value;
    // Out of range is either past the largest double or below the smallest.
    const size_t firstDigit = parts.mantissa.find_first_of("123456789");
    if (firstDigit == std::string::npos) return 0;
    return leadDigitExponent(parts, firstDigit) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
}

std::string trimTrailingZeros(std::string digits) {
    if (digits.find('.') == std::string::npos) return digits;
    while (!digits.empty() && digits.back() == '0') digits.pop_back();
    if (!digits.empty() && digits.back() == '.') digits.pop_back();
    return digits;
}

double powerOfTen(int decimals) {
    double p = 1;
    for (int k = 0; k < decimals; ++k) p *= 10;
    return p;
}

double roundHalfAwayFromZero(double x, int decimals) {
    if (x == 0 || std::isnan(x)) return x;
    const double scale = powerOfTen(decimals);
    const double nudged = std::fabs(x) * scale + kRoundingNudge;
    double whole = 0;
    const double fraction = std::modf(nudged, &whole);
    const double magnitude = (fraction >= 0.5 ? whole + 1 : whole) / scale;
    return x < 0 ? -magnitude : magnitude;
}

}  // namespace

bool textEquals(std::string_view a, std::string_view b) { return a == b; }

double readDecimal(std::string_view text) {
    DecimalParts parts;
    if (!scanDecimal(text, parts)) return 0;
    const double magnitude = magnitudeOf(parts);
    return parts.negative ? -magnitude : magnitude;
}

double textToReal(std::string_view text) { return readDecimal(narrowFullWidth(text)); }

std::string formatG13(double x) {
    if (!std::isfinite(x)) return kNotFinite;
    constexpr int kSignificant = 13;
    char buffer[64];
    // Scientific form with 12 decimals is exactly 13 significant digits, correctly rounded.
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::scientific, kSignificant - 1).ptr;
    const std::string scientific(buffer, end);
    const size_t e = scientific.find('e');
    const int exponent = std::stoi(scientific.substr(e + 1));
    if (exponent < -4 || exponent >= kSignificant) {
        const std::string mantissa = trimTrailingZeros(scientific.substr(0, e));
        std::string digits = std::to_string(std::abs(exponent));
        digits.insert(0, digits.size() < 3 ? 3 - digits.size() : 0, '0');
        return mantissa + (exponent < 0 ? "e-" : "e+") + digits;
    }
    const auto fixedEnd =
        std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::fixed, kSignificant - 1 - exponent).ptr;
    return trimTrailingZeros(std::string(buffer, fixedEnd));
}

std::string realToFixedText(double x, int decimals) {
    const double rounded = roundHalfAwayFromZero(x, decimals);
    if (!std::isfinite(rounded)) return kNotFinite;
    std::string text = rounded == 0 ? "0" : formatG13(rounded);
    const size_t point = text.find('.');
    if (point == std::string::npos) {
        text += '.';
        text.append(static_cast<size_t>(decimals), '0');
    } else {
        const size_t after = text.size() - point - 1;
        if (after < static_cast<size_t>(decimals)) text.append(static_cast<size_t>(decimals) - after, '0');
    }
    return text;
}

bool approxGE(double a, double b) { return a - b >= -kTolerance; }
bool approxGT(double a, double b) { return a - b > kTolerance; }
bool approxLE(double a, double b) { return !(a - b > kTolerance); }

}  // namespace quote
