#pragma once
// Every number the ticker reads, shows or compares goes through these functions.
// Texts are GBK byte strings; an absent text and the empty text are the same thing.

#include <string>
#include <string_view>

namespace quote {

// Byte-wise equality.
bool textEquals(std::string_view a, std::string_view b);

// Reads a number the way the C library's atof does, after narrowing the full-width
// digits, letters, point and signs that a Chinese input method types.
double textToReal(std::string_view text);

// The atof rules alone, without narrowing: leading white space, sign, digits, point,
// digits, exponent (e, E, d or D). No hexadecimal, no infinity or NaN words.
// Too large gives an infinity of its sign, too small gives 0; no number gives 0.
double readDecimal(std::string_view text);

// What the C library's "%.13g" prints on Windows: at most 13 significant digits,
// trailing zeros dropped, exponent form with a sign and at least three digits.
// Infinities and NaN print as "--".
std::string formatG13(double x);

// Rounds half away from zero to `decimals` places (with a 1e-12 nudge, so that
// 1.005 becomes 1.01), prints with formatG13 and fills zeros up to `decimals`.
// Zero prints without a sign; infinities and NaN print as "--" without fill.
std::string realToFixedText(double x, int decimals);

// Comparisons with an absolute tolerance of 1e-7.
bool approxGE(double a, double b);
bool approxGT(double a, double b);
bool approxLE(double a, double b);

}  // namespace quote
