#include "ticker/watch_cycle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_ticker_view.h"
#include "quote/number_text.h"

namespace {

using ticker::Control;
using ticker::Prompt;
using Log = std::vector<std::string>;

std::optional<quote::DisplayValues> quoteOf(const char* price, const char* reference) {
    return quote::deriveDisplayValues({"name", "10.00", reference, price});
}

struct RecordingAlarm : ticker::AlarmStep {
    explicit RecordingAlarm(Log& log) : log(log) {}
    void run(double price) override { log.push_back("alarm " + quote::formatG13(price)); }
    Log& log;
};

class WatchCycleTest : public ::testing::Test {
protected:
    WatchCycleTest()
        : alarm(view.log), cycle(view, [this](const std::string& code) { return nextQuote(code); }, alarm) {}

    std::optional<quote::DisplayValues> nextQuote(const std::string& code) {
        view.log.push_back("fetch " + code);
        if (replies.empty()) return std::nullopt;
        auto reply = replies.front();
        replies.pop_front();
        return reply;
    }

    void startWatching(const char* code = "sh000001") {
        view.setText(Control::CodeBox, code);
        view.setText(Control::LowerBox, "9");
        view.setText(Control::UpperBox, "11");
        cycle.onStart();
        view.log.clear();
    }

    fakes::FakeTickerView view;
    RecordingAlarm alarm;
    std::deque<std::optional<quote::DisplayValues>> replies;
    ticker::WatchCycle cycle;
};

const Log kFlash = {"colour price ffffff", "pump", "sleep 300", "colour price ff", "pump", "sleep 300",
                    "colour price ffffff", "pump", "sleep 300", "colour price ff", "pump", "sleep 300"};

Log concat(std::initializer_list<Log> parts) {
    Log all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST_F(WatchCycleTest, StartChecksTheInputsInOrderAndShowsTheFirstProblem) {
    struct Case {
        const char* code;
        const char* lower;
        const char* upper;
        std::optional<Prompt> prompt;
    } cases[] = {
        {"股票代码", "9", "11", Prompt::MissingCode},
        {"", "", "", Prompt::MissingCode},
        {"sh000001", "", "", Prompt::MissingLower},
        {"sh000001", "9", "", Prompt::MissingUpper},
        {"sh000001", "下 限", "上 限", std::nullopt},  // the limits' initial texts pass
        {"x", "-", "abc", std::nullopt},                // only emptiness is checked
    };
    for (const auto& c : cases) {
        fakes::FakeTickerView fresh;
        RecordingAlarm noAlarm(fresh.log);
        ticker::WatchCycle start(fresh, [](const std::string&) { return std::nullopt; }, noAlarm);
        fresh.setText(Control::CodeBox, c.code);
        fresh.setText(Control::LowerBox, c.lower);
        fresh.setText(Control::UpperBox, c.upper);
        fresh.log.clear();
        start.onStart();
        SCOPED_TRACE(::testing::Message() << "code \"" << c.code << "\", lower \"" << c.lower << "\", upper \"" << c.upper << "\"");
        if (c.prompt) {
            EXPECT_EQ(fresh.log, Log{"message " + std::to_string(static_cast<int>(*c.prompt))});
        } else {
            EXPECT_EQ(fresh.log, (Log{"timer 3000", "hide start", "hide code", "hide lower", "hide upper"}));
        }
    }
}

TEST_F(WatchCycleTest, PressesInTheBoxesEmptyThem) {
    cycle.onLowerBoxPressed();
    cycle.onUpperBoxPressed();
    cycle.onCodeBoxPressed();
    EXPECT_EQ(view.log, (Log{"text lower", "text upper", "text code", "text lower", "text upper"}));
}

TEST_F(WatchCycleTest, DoubleClickStopsTheTimerBringsTheInputsBackAndResetsTheNumbers) {
    startWatching();
    replies = {quoteOf("10.35", "10.20")};
    cycle.onTick();
    view.log.clear();
    cycle.onDoubleClick();
    EXPECT_EQ(view.log, (Log{"timer 0", "show code", "show start", "show lower", "show upper", "text price 00.00",
                             "text change 00.00", "text percent 00.00%"}));
    EXPECT_EQ(view.colours[Control::PriceLabel], quote::kRed) << "the colours keep their last values";
    EXPECT_EQ(view.text(Control::CodeBox), "sh000001") << "the inputs keep their texts";

    view.log.clear();
    cycle.onStart();
    EXPECT_EQ(view.log.front(), "timer 3000") << "Start again at once resumes watching";
}

TEST_F(WatchCycleTest, RefreshWritesTheNumbersThenFlashesAChangedPriceThenRunsTheAlarm) {
    startWatching();
    replies = {quoteOf("10.35", "10.20"), quoteOf("10.35", "10.20"), quoteOf("10.30", "10.35")};

    cycle.onTick();
    EXPECT_EQ(view.log, concat({{"fetch sh000001", "text change 0.15", "text percent 1.47%", "colour price ff",
                                 "colour change ff", "colour percent ff", "text price 10.35"},
                                kFlash,
                                {"alarm 10.35"}}));

    view.log.clear();
    cycle.onTick();
    EXPECT_EQ(view.log, (Log{"fetch sh000001", "text change 0.15", "text percent 1.47%", "colour price ff",
                             "colour change ff", "colour percent ff", "alarm 10.35"}))
        << "the same price text: no flash";

    view.log.clear();
    cycle.onTick();
    EXPECT_EQ(view.log[5], "colour percent ff00");
    EXPECT_EQ(view.log[6], "text price 10.30");
    EXPECT_EQ(view.log[8], "pump") << "a green flash: white, then green";
    EXPECT_EQ(view.log[10], "colour price ff00");
}

TEST_F(WatchCycleTest, TheFirstRefreshFlashesUnlessThePriceReadsExactly00_00) {
    struct Case {
        const char* price;
        bool flashes;
    } cases[] = {{"00.00", false}, {"0.00", true}, {"10.35", true}};
    for (const auto& c : cases) {
        fakes::FakeTickerView fresh;
        RecordingAlarm records(fresh.log);
        auto reply = quoteOf("10.00", "10.00");
        reply->priceText = c.price;  // the service's own spelling of the price is shown as it is
        ticker::WatchCycle first(fresh, [&](const std::string&) { return reply; }, records);
        first.onTick();
        const bool flashed = std::count(fresh.log.begin(), fresh.log.end(), "sleep 300") == 4;
        EXPECT_EQ(flashed, c.flashes) << "price text " << c.price;
    }
}

TEST_F(WatchCycleTest, NoQuoteTurnsTheNumbersGreyUntilTheNextGoodOne) {
    startWatching();
    replies = {quoteOf("10.35", "10.20"), std::nullopt, quoteOf("0", "10.20"), quoteOf("10.35", "10.20")};
    cycle.onTick();

    for (int bad = 0; bad < 2; ++bad) {
        view.log.clear();
        cycle.onTick();
        EXPECT_EQ(view.log, (Log{"fetch sh000001", "colour price 808080", "colour change 808080", "colour percent 808080"}))
            << "texts kept, no flash, no alarm";
        EXPECT_EQ(view.text(Control::PriceLabel), "10.35");
    }

    view.log.clear();
    cycle.onTick();
    EXPECT_EQ(view.log, (Log{"fetch sh000001", "text change 0.15", "text percent 1.47%", "colour price ff",
                             "colour change ff", "colour percent ff", "alarm 10.35"}))
        << "colours come back; the unchanged price does not flash";
}

TEST_F(WatchCycleTest, ADoubleClickDuringAFlashIsHandledAndTheRefreshStillFinishes) {
    startWatching();
    replies = {quoteOf("10.35", "10.20")};
    view.duringPumps = {[this] { cycle.onDoubleClick(); }};
    cycle.onTick();
    const Log tail(view.log.end() - 11, view.log.end());
    EXPECT_EQ(tail, (Log{"sleep 300", "colour price ff", "pump", "sleep 300", "colour price ffffff", "pump", "sleep 300",
                         "colour price ff", "pump", "sleep 300", "alarm 10.35"}));
    EXPECT_EQ(view.text(Control::PriceLabel), "00.00");
    EXPECT_EQ(view.timerPeriod, 0);
    EXPECT_TRUE(view.isVisible(Control::CodeBox));
}

TEST_F(WatchCycleTest, AWindowClosedDuringAFlashIsNotTouchedAgain) {
    for (size_t closingPump = 0; closingPump < 4; ++closingPump) {
        fakes::FakeTickerView fresh;
        RecordingAlarm records(fresh.log);
        ticker::WatchCycle closing(fresh, [](const std::string&) { return quoteOf("10.35", "10.20"); }, records);
        fresh.duringPumps.resize(closingPump);
        fresh.duringPumps.push_back([&fresh] { fresh.open = false; });
        closing.onTick();
        EXPECT_EQ(fresh.log.back(), "pump") << "Esc at pump " << closingPump << ": the refresh stops right there";
        EXPECT_EQ(std::count(fresh.log.begin(), fresh.log.end(), "pump"), static_cast<long>(closingPump + 1));
    }
}

TEST_F(WatchCycleTest, ATickDueDuringAFlashRunsANestedRefreshAndTheOuterOneKeepsItsOwnQuote) {
    startWatching();
    replies = {quoteOf("10.35", "10.20"), quoteOf("9.99", "10.20")};
    view.duringPumps = {[this] { cycle.onTick(); }};
    cycle.onTick();

    const auto nestedFetch = std::find(view.log.begin(), view.log.end(), "fetch sh000001") + 1;
    ASSERT_NE(std::find(nestedFetch, view.log.end(), "fetch sh000001"), view.log.end()) << "a second, nested refresh";
    const auto nestedEnd = std::find(view.log.begin(), view.log.end(), "alarm 9.99");
    ASSERT_NE(nestedEnd, view.log.end()) << "the nested refresh runs to its end";
    const Log rest(nestedEnd + 1, view.log.end());
    EXPECT_EQ(rest, (Log{"sleep 300", "colour price ff", "pump", "sleep 300", "colour price ffffff", "pump",
                         "sleep 300", "colour price ff", "pump", "sleep 300", "alarm 10.35"}))
        << "then the outer one finishes in its own red and with its own price";
    EXPECT_EQ(view.text(Control::PriceLabel), "9.99") << "the newer quote stays shown";
}

}  // namespace
