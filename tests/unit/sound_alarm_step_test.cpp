// The alarm decisions at the end of a refresh, against a fake window.
#include <gtest/gtest.h>

#include <string>

#include "fakes/fake_ticker_view.h"
#include "sound/alarm_step.h"

namespace {

using ticker::Control;

// Records what was sounded, in order: "low", "high", "stop".
class RecordingSounder : public sound::ClipSounder {
public:
    std::string calls;
    void playLowLimit() override { add("low"); }
    void playHighLimit() override { add("high"); }
    void stopAll() override { add("stop"); }

private:
    void add(const char* call) { calls += calls.empty() ? call : std::string(" ") + call; }
};

const char* const kLowerPrompt = "\xCF\xC2 \xCF\xDE";  // 下 限, the box's text before any typing
const char* const kUpperPrompt = "\xC9\xCF \xCF\xDE";  // 上 限

TEST(AlarmStep, SoundsTheLimitsThatThePriceReaches) {
    struct Case {
        const char* name;
        bool checked;
        std::string lower, upper;
        double price;
        const char* expected;
    } cases[] = {
        {"between the limits", true, "10", "20", 15, ""},
        {"at the lower limit", true, "10", "20", 10, "low"},
        {"above the lower limit within 1e-7", true, "10", "20", 10 + 0.9e-7, "low"},
        {"above the lower limit beyond 1e-7", true, "10", "20", 10 + 2e-7, ""},
        {"below the lower limit", true, "10", "20", 3, "low"},
        {"at the upper limit", true, "10", "20", 20, "high"},
        {"below the upper limit within 1e-7", true, "10", "20", 20 - 0.9e-7, "high"},
        {"below the upper limit beyond 1e-7", true, "10", "20", 20 - 2e-7, ""},
        {"above the upper limit", true, "10", "20", 30, "high"},
        {"crossed limits: both, low first", true, "11", "9", 10, "low high"},
        {"untouched limit boxes count as 0", true, kLowerPrompt, kUpperPrompt, 12.5, "high"},
        {"full-width limits", true, "\xA3\xB1\xA3\xB0", "\xA3\xB2\xA3\xB0", 10, "low"},  // １０, ２０
        {"unchecked, price beyond both limits", false, "11", "9", 10, "stop"},
        {"unchecked, price between the limits", false, "10", "20", 15, "stop"},
    };
    for (const Case& c : cases) {
        fakes::FakeTickerView view;
        view.checked = c.checked;
        view.setText(Control::LowerBox, c.lower);
        view.setText(Control::UpperBox, c.upper);
        view.log.clear();
        RecordingSounder sounder;
        sound::runAlarmStep(view, c.price, sounder);
        EXPECT_EQ(sounder.calls, c.expected) << c.name;
        EXPECT_TRUE(view.log.empty()) << c.name << ": the alarm step only reads the window";
    }
}

}  // namespace
