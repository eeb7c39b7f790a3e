#pragma once
// The refresh timer's period rules, kept apart from the platform timer so they can be checked natively.

namespace ticker {

class TimerPeriod {
public:
    struct Change {
        bool stop = false;   // stop the running count
        int startWith = 0;   // then start again with this period, when above 0
    };

    // Negative counts as 0; the period it already has changes nothing, so the count is not restarted.
    Change set(int milliseconds) {
        const int period = milliseconds < 0 ? 0 : milliseconds;
        if (period == period_) return {};
        period_ = period;
        return {true, period};
    }

    int period() const { return period_; }

private:
    int period_ = 0;
};

}  // namespace ticker
