#pragma once
// The alarm step that ends every refresh of a watched stock: it sounds the low-limit and the
// high-limit clip while the alarm box is checked, and silences everything while it is not.

#include "ticker/ticker_view.h"

namespace sound {

// What the alarm step may do to the speakers; the program sounds the built-in clips, tests record.
class ClipSounder {
public:
    virtual ~ClipSounder() = default;
    virtual void playLowLimit() = 0;
    virtual void playHighLimit() = 0;
    virtual void stopAll() = 0;  // returns at once; what is sounding falls silent
};

// At or below the lower warning price sounds the low-limit clip; at or above the upper one the
// high-limit clip; both may sound at once. The comparisons allow 1e-7, so a price that only
// rounds to the limit still reaches it.
void runAlarmStep(const ticker::TickerView& view, double price, ClipSounder& sounder);

}  // namespace sound
