#include <windows.h>

#include "info/info_windows_win32.h"
#include "quote/fetch_win32.h"
#include "quote/quote_record.h"
#include "sound/alarm_step.h"
#include "sound/clip_player_win32.h"
#include "ticker/program_win32.h"
#include "ticker/ticker_window_win32.h"
#include "ticker/watch_cycle.h"

namespace {

using namespace ticker;

// Without a window system to show it on, the ticker cannot run; say so through the exit code
// rather than wait for a window that never comes.
constexpr int kNoWindowSystem = 1;

// The long-running test build watches with a shorter period (ticker_fast_refresh).
#ifdef TICKER_REFRESH_PERIOD_MS
constexpr int kWatchPeriodMs = TICKER_REFRESH_PERIOD_MS;
#else
constexpr int kWatchPeriodMs = kRefreshPeriodMs;
#endif

std::optional<quote::DisplayValues> fetchDisplayValues(const std::string& code) {
    return quote::deriveDisplayValues(quote::extractQuoteFields(quote::fetchQuoteText(code)));
}

class ClipAlarm final : public AlarmStep {
public:
    explicit ClipAlarm(const TickerView& view) : view_(view) {}
    void run(double price) override { sound::runAlarmStep(view_, price, sounder_); }

private:
    const TickerView& view_;
    sound::Win32ClipSounder sounder_;
};

// Binds the ticker window's events to the program's behaviour.
class TickerProgram final : public TickerEvents {
public:
    explicit TickerProgram(HINSTANCE instance)
        : window_(instance), alarm_(window_), cycle_(window_, fetchDisplayValues, alarm_, kWatchPeriodMs) {
        window_.setEvents(this);
    }

    bool open() { return window_.open(); }

    void onCodeBoxPressed() override { cycle_.onCodeBoxPressed(); }
    void onLowerBoxPressed() override { cycle_.onLowerBoxPressed(); }
    void onUpperBoxPressed() override { cycle_.onUpperBoxPressed(); }
    void onStartClicked() override { cycle_.onStart(); }
    void onTimerTick() override { cycle_.onTick(); }
    void onDoubleClick() override { cycle_.onDoubleClick(); }
    void onRightButtonPressed() override { info::openHelpWindow(); }

private:
    TickerWindow window_;
    ClipAlarm alarm_;
    WatchCycle cycle_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    if (!program::createOwnerWindow(instance)) return kNoWindowSystem;
    sound::installClipPlayerEndHook();
    // Lives until the process ends, past the window itself: a refresh interrupted by the window's
    // closing still returns through it.
    static TickerProgram ticker(instance);
    if (!ticker.open()) return kNoWindowSystem;
    // Both ends of the program take the same road out: the end hooks, then the process ends,
    // with no static objects torn down behind the audio system's back.
    program::endNow(program::runEventLoop());
}
