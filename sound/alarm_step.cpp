#include "sound/alarm_step.h"

#include "quote/number_text.h"

namespace sound {

using ticker::Control;

void runAlarmStep(const ticker::TickerView& view, double price, ClipSounder& sounder) {
    if (!view.isChecked(Control::AlarmCheck)) {
        sounder.stopAll();
        return;
    }
    // Each limit box is read just before its comparison, lower first, so the low-limit clip
    // starts first when both are due.
    const double lower = quote::textToReal(view.text(Control::LowerBox));
    if (quote::approxLE(price, lower)) sounder.playLowLimit();
    const double upper = quote::textToReal(view.text(Control::UpperBox));
    if (quote::approxGE(price, upper)) sounder.playHighLimit();
}

}  // namespace sound
