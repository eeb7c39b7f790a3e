#pragma once
// The ticker's behaviour: choose a stock and two warning prices (Editing), press Start, and the
// quote refreshes every 3000 ms (Watching) until a double click brings the inputs back.
// Its only state is what the controls hold.

#include <functional>
#include <optional>
#include <string>

#include "quote/quote_record.h"
#include "ticker/ticker_view.h"

namespace ticker {

constexpr int kRefreshPeriodMs = 3000;
constexpr int kFlashPauseMs = 300;

// The last step of every refresh that found a quote.
class AlarmStep {
public:
    virtual ~AlarmStep() = default;
    virtual void run(double price) = 0;
};

// Fetches, cuts and derives one quote for a stock code; nothing when no display values can be made.
using QuoteSource = std::function<std::optional<quote::DisplayValues>(const std::string& code)>;

class WatchCycle {
public:
    // A test build may pass a shorter period, to watch a thousand refreshes in minutes.
    WatchCycle(TickerView& view, QuoteSource quotes, AlarmStep& alarm, int refreshPeriodMs = kRefreshPeriodMs);

    void onCodeBoxPressed();
    void onLowerBoxPressed();
    void onUpperBoxPressed();
    void onStart();
    void onTick();
    void onDoubleClick();

private:
    std::optional<Prompt> firstMissingInput() const;
    void markNoQuote();
    bool flashPrice(Colour priceColour);
    bool pauseAfterWrite();

    TickerView& view_;
    QuoteSource quotes_;
    AlarmStep& alarm_;
    int refreshPeriodMs_;
};

}  // namespace ticker
