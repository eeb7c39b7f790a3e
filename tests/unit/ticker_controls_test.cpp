#include <gtest/gtest.h>

#include "ticker/numeric_box.h"
#include "ticker/timer_period.h"

namespace {

TEST(NumericBox, TakesDigitsSignPointAndControlCharactersOnly) {
    for (unsigned c : std::initializer_list<unsigned>{'0', '5', '9', '-', '.', '\b', 0x16u /* Ctrl+V */, 0x1Bu}) {
        EXPECT_TRUE(ticker::numericBoxAccepts(c)) << "char " << c;
    }
    for (unsigned c : std::initializer_list<unsigned>{'a', 'e', 'E', '+', ',', ' ', '/', ':', 0x7Fu, 0xFF10u /* full-width 0 */, 0x4E0Bu /* 下 */}) {
        EXPECT_FALSE(ticker::numericBoxAccepts(c)) << "char " << c;
    }
}

TEST(NumericBox, TidiesTheTextWhenTheFocusLeaves) {
    struct Case {
        const char* typed;
        const char* expected;  // nullptr: the text stays as it is
    } cases[] = {
        {"12.50", "12.5"}, {".5", "0.5"},     {"0", ""},           {"0.000", ""},
        {"-", ""},         {"", nullptr},     {"12.5", nullptr},   {"007", "7"},
        {"1-2", "1"},      {"-3.", "-3"},     {"1.2.3", "1.2"},    {"12345678901234", "1.234567890123e+013"},
        {"-0", nullptr},   {"1e999", nullptr}, {"\xCF\xC2 \xCF\xDE" /* 下 限 */, ""},
    };
    for (const auto& c : cases) {
        const auto tidy = ticker::numericBoxTextOnFocusLoss(c.typed);
        if (c.expected == nullptr) {
            EXPECT_FALSE(tidy.has_value()) << "typed \"" << c.typed << "\" became \"" << tidy.value_or("") << "\"";
        } else {
            EXPECT_EQ(tidy.value_or("<unchanged>"), c.expected) << "typed \"" << c.typed << "\"";
        }
    }
}

TEST(TimerPeriod, RestartsOnlyOnAChangeAndTreatsNegativeAsZero) {
    ticker::TimerPeriod timer;
    struct Step {
        int requested;
        bool stop;
        int startWith;
    } steps[] = {
        {0, false, 0},        // already stopped
        {3000, true, 3000},   // starts
        {3000, false, 0},     // the same value: the count goes on
        {1000, true, 1000},   // another value restarts
        {-5, true, 0},        // negative stops
        {0, false, 0},        // and counts as 0
        {3000, true, 3000},
    };
    for (const auto& s : steps) {
        const auto change = timer.set(s.requested);
        EXPECT_EQ(change.stop, s.stop) << "set(" << s.requested << ")";
        EXPECT_EQ(change.startWith, s.startWith) << "set(" << s.requested << ")";
    }
}

}  // namespace
