// Number text runs in both builds: the native one and the Windows one under Wine must agree byte for byte.
#include "quote/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

using quote::approxGE;
using quote::approxGT;
using quote::approxLE;
using quote::realToFixedText;
using quote::textToReal;

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(TextToReal, ReadsTheAtofSubsetAfterNarrowingFullWidth) {
    struct Case {
        const char* text;  // GBK bytes
        double expected;
    } cases[] = {
        {"12.5", 12.5},
        {" 12.5abc", 12.5},
        {"\t\n\v\f\r-3", -3},
        {"+7.", 7},
        {".5", 0.5},
        {"1d2", 100},
        {"1D-2", 0.01},
        {"2E3", 2000},
        {"1e", 1},
        {"1e+", 1},
        {"-", 0},
        {".", 0},
        {"abc", 0},
        {"", 0},
        {"0x10", 0},
        {"inf", 0},
        {"nan", 0},
        {"1,234", 1},
        {"\xCF\xC2 \xCF\xDE", 0},                  // 下 限
        {"\xA3\xB1\xA3\xB2\xA3\xAE\xA3\xB5", 12.5},  // １２．５
        {"\xA3\xAD\xA3\xB3", -3},                  // －３
        {"\xA1\xA1\xA3\xB4", 4},                    // full-width space, then ４
        {"\xA3\xB1\xA3\xE5\xA3\xB2", 100},          // １ｅ２
        {"\xB0\xA1" "5", 0},                        // a Chinese character first stops the reading
        {"\xA3", 0},                                // a lone lead byte at the end passes through
        {"0.1", 0.1},
        {"15.420", 15.42},
        {"000000000000000000000000000001.5", 1.5},
        {"1e308", 1e308},
        {"1e309", kInf},
        {"-1e309", -kInf},
        {"123456789e99999999999999", kInf},
        {"1e-400", 0},
        {"0.000001e-320", 0},
        {"4.9406564584124654e-324", 4.9406564584124654e-324},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(textToReal(c.text), c.expected) << "text: \"" << c.text << "\"";
    }
    EXPECT_EQ(textToReal("17976931348623157" + std::string(292, '0')), 1.7976931348623157e308) << "largest double";
    EXPECT_EQ(textToReal(std::string(400, '9')), kInf) << "400 nines";
    EXPECT_EQ(textToReal("0." + std::string(400, '0') + "1"), 0) << "a digit 401 places after the point";
    EXPECT_TRUE(std::signbit(textToReal("-0"))) << "-0 keeps its sign, as atof's does";
}

TEST(RealToFixedText, RoundsHalfAwayFromZeroAndPrintsAsWindowsDoes) {
    struct Case {
        double value;
        const char* expected;
    } cases[] = {
        {1.5, "1.50"},
        {0, "0.00"},
        {-0.0, "0.00"},
        {-0.125, "-0.13"},
        {12.345, "12.35"},
        {3, "3.00"},
        {-0.004, "0.00"},
        {-0.005, "-0.01"},
        {1.005, "1.01"},
        {2.675, "2.68"},
        {100, "100.00"},
        {0.1 + 0.2, "0.30"},
        {0.42, "0.42"},
        {-0.01, "-0.01"},
        {1.4705882352941, "1.47"},
        {2.8, "2.80"},
        {123456789.125, "123456789.13"},
        {99999999999.994, "99999999999.99"},
        {123456789012.345, "123456789012.40"},
        {1234567890123.45, "1234567890123.00"},
        {1e13, "1e+013.00"},
        {-2.5e15, "-2.5e+015"},  // the characters after the point already count two or more,
        {1.23456789012345e20, "1.234567890123e+020"},
        {kInf, "--"},
        {-kInf, "--"},
        {std::nan(""), "--"},
        {1.7976931348623157e308, "--"},  // the scaled value overflows before it is rounded
    };
    for (const auto& c : cases) {
        EXPECT_EQ(realToFixedText(c.value, 2), c.expected) << "value: " << c.value;
    }
}

// Other numbers of places, at the edges where the text is written from whole units of the last
// place and where it is printed from the value instead.
TEST(RealToFixedText, OtherPlacesAndTheEdgeOfThirteenDigits) {
    struct Case {
        double value;
        int decimals;
        const char* expected;
    } cases[] = {
        {2.5, 0, "3."},  // no places still ends in a point, as the padded "%.13g" does
        {-0.4, 0, "0."},
        {9999999999999.4, 0, "9999999999999."},
        {9999999999999.5, 0, "1e+013."},
        {0.00005, 4, "0.0001"},
        {-0.00004, 4, "0.0000"},
        {123.4, 4, "123.4000"},
        {999999999.99994, 4, "999999999.9999"},
        {999999999.99996, 4, "1000000000.0000"},
        {0.000004, 5, "0.00000"},
        {0.00001, 5, "1e-005.00000"},  // beyond four places "%.13g" turns to the exponent form
    };
    for (const auto& c : cases) {
        EXPECT_EQ(realToFixedText(c.value, c.decimals), c.expected) << c.value << " to " << c.decimals;
    }
}

TEST(FormatG13, MatchesTheWindowsCLibrary) {
    struct Case {
        double value;
        const char* expected;
    } cases[] = {
        {12.5, "12.5"},       {0.5, "0.5"},       {-0.0, "-0"},          {0, "0"},
        {1e-4, "0.0001"},     {1e-5, "1e-005"},   {1e100, "1e+100"},     {1e300, "1e+300"},
        {0.1 + 0.2, "0.3"},   {1.0 / 3, "0.3333333333333"},             {9999999999999.5, "1e+013"},
        {123.456, "123.456"}, {-1.5e-7, "-1.5e-007"},                    {kInf, "--"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(quote::formatG13(c.value), c.expected) << "value: " << c.value;
    }
}

TEST(ApproxCompare, HasAnAbsoluteToleranceOfOneTenMillionth) {
    const double nan = std::nan("");
    struct Case {
        double a, b;
        bool ge, gt, le;
    } cases[] = {
        {10.00, 10.00000005, true, false, true},
        {10.00000005, 10.00, true, false, true},
        {10.0000001, 10.0, true, false, true},
        {10.01, 10.0, true, true, false},
        {10.0, 10.01, false, false, true},
        {10.0, 10.0, true, false, true},
        {0.0, 0.0, true, false, true},
        {2e-7, 0.0, true, true, false},
        {-2e-7, 0.0, false, false, true},
        {nan, 1.0, false, false, true},
        {kInf, kInf, false, false, true},
        {kInf, 1.0, true, true, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(approxGE(c.a, c.b), c.ge) << "approxGE(" << c.a << ", " << c.b << ")";
        EXPECT_EQ(approxGT(c.a, c.b), c.gt) << "approxGT(" << c.a << ", " << c.b << ")";
        EXPECT_EQ(approxLE(c.a, c.b), c.le) << "approxLE(" << c.a << ", " << c.b << ")";
    }
}

TEST(TextEquals, ComparesBytesAndTreatsAbsentAsEmpty) {
    EXPECT_TRUE(quote::textEquals("", std::string_view()));
    EXPECT_TRUE(quote::textEquals("10.35", "10.35"));
    EXPECT_FALSE(quote::textEquals("10.35", "10.350"));
    EXPECT_FALSE(quote::textEquals("00.00", "0.00"));
}

}  // namespace
