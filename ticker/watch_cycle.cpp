#include "ticker/watch_cycle.h"

#include <utility>

#include "quote/number_text.h"

namespace ticker {
namespace {

constexpr char kZeroPrice[] = "00.00";
constexpr char kZeroChange[] = "00.00";
constexpr char kZeroPercent[] = "00.00%";

}  // namespace

WatchCycle::WatchCycle(TickerView& view, QuoteSource quotes, AlarmStep& alarm, int refreshPeriodMs)
    : view_(view), quotes_(std::move(quotes)), alarm_(alarm), refreshPeriodMs_(refreshPeriodMs) {}

// A click in the code box starts a new choice: the old limits belong to the old stock.
void WatchCycle::onCodeBoxPressed() {
    for (Control box : {Control::CodeBox, Control::LowerBox, Control::UpperBox}) view_.setText(box, "");
}

void WatchCycle::onLowerBoxPressed() { view_.setText(Control::LowerBox, ""); }

void WatchCycle::onUpperBoxPressed() { view_.setText(Control::UpperBox, ""); }

void WatchCycle::onStart() {
    if (const auto prompt = firstMissingInput()) {
        view_.showMessage(*prompt);
        return;
    }
    view_.setTimerPeriod(refreshPeriodMs_);
    for (Control input : {Control::StartButton, Control::CodeBox, Control::LowerBox, Control::UpperBox})
        view_.setVisible(input, false);
}

// Only emptiness is checked: the limits' own initial texts pass and count as 0.
std::optional<Prompt> WatchCycle::firstMissingInput() const {
    const std::string code = view_.text(Control::CodeBox);
    if (code.empty() || quote::textEquals(code, view_.initialText(Control::CodeBox))) return Prompt::MissingCode;
    if (view_.text(Control::LowerBox).empty()) return Prompt::MissingLower;
    if (view_.text(Control::UpperBox).empty()) return Prompt::MissingUpper;
    return std::nullopt;
}

void WatchCycle::onTick() {
    const auto quote = quotes_(view_.text(Control::CodeBox));
    if (!quote) {
        markNoQuote();
        return;
    }
    view_.setText(Control::ChangeLabel, quote->changeText);
    view_.setText(Control::PercentLabel, quote->percentText);
    view_.setTextColour(Control::PriceLabel, quote->priceColour);
    view_.setTextColour(Control::ChangeLabel, quote->changeColour);
    view_.setTextColour(Control::PercentLabel, quote->percentColour);
    if (!quote::textEquals(view_.text(Control::PriceLabel), quote->priceText)) {
        view_.setText(Control::PriceLabel, quote->priceText);
        if (!flashPrice(quote->priceColour)) return;
    }
    alarm_.run(quote->price);
}

// Grey numbers are old numbers: a user must never take the last price for a live one.
void WatchCycle::markNoQuote() {
    for (Control label : {Control::PriceLabel, Control::ChangeLabel, Control::PercentLabel})
        view_.setTextColour(label, quote::kGrey);
}

// Two white flashes over 1200 ms. False when the window was closed meanwhile, after which
// nothing of it may be touched.
bool WatchCycle::flashPrice(Colour priceColour) {
    for (int flash = 0; flash < 2; ++flash) {
        view_.setTextColour(Control::PriceLabel, quote::kWhite);
        if (!pauseAfterWrite()) return false;
        view_.setTextColour(Control::PriceLabel, priceColour);
        if (!pauseAfterWrite()) return false;
    }
    return true;
}

// Events queued meanwhile (input, repaints, even another tick) are handled here, so the window
// stays responsive through the flash.
bool WatchCycle::pauseAfterWrite() {
    view_.processPendingEvents();
    if (!view_.isOpen()) return false;
    view_.sleep(kFlashPauseMs);
    return true;
}

void WatchCycle::onDoubleClick() {
    view_.setTimerPeriod(0);
    for (Control input : {Control::CodeBox, Control::StartButton, Control::LowerBox, Control::UpperBox})
        view_.setVisible(input, true);
    view_.setText(Control::PriceLabel, kZeroPrice);
    view_.setText(Control::ChangeLabel, kZeroChange);
    view_.setText(Control::PercentLabel, kZeroPercent);
}

}  // namespace ticker
