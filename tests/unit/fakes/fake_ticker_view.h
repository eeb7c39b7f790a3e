#pragma once
// A ticker window in memory that writes down every call, in order, for the watch cycle's tests.

#include <deque>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "ticker/ticker_view.h"

namespace fakes {

inline const char* nameOf(ticker::Control c) {
    switch (c) {
    case ticker::Control::AlarmCheck: return "check";
    case ticker::Control::PriceLabel: return "price";
    case ticker::Control::ChangeLabel: return "change";
    case ticker::Control::PercentLabel: return "percent";
    case ticker::Control::CodeBox: return "code";
    case ticker::Control::LowerBox: return "lower";
    case ticker::Control::StartButton: return "start";
    case ticker::Control::UpperBox: return "upper";
    }
    return "?";
}

class FakeTickerView : public ticker::TickerView {
public:
    // The initial texts, in the byte form the tests compare with (UTF-8 here; the program's are GBK).
    FakeTickerView() {
        texts_ = {{ticker::Control::CodeBox, "股票代码"}, {ticker::Control::LowerBox, "下 限"},
                  {ticker::Control::UpperBox, "上 限"},  {ticker::Control::PriceLabel, "00.00"},
                  {ticker::Control::ChangeLabel, "00.00"}, {ticker::Control::PercentLabel, "00.00%"}};
        initial_ = texts_;
        for (auto c : {ticker::Control::CodeBox, ticker::Control::LowerBox, ticker::Control::UpperBox,
                       ticker::Control::StartButton})
            visible_[c] = true;
    }

    bool isOpen() const override { return open; }
    std::string text(ticker::Control c) const override {
        if (!open) log.push_back("READ FROM A CLOSED WINDOW");
        return lookup(texts_, c);
    }
    std::string initialText(ticker::Control c) const override { return lookup(initial_, c); }
    void setText(ticker::Control c, const std::string& gbk) override {
        texts_[c] = gbk;
        record("text", c, gbk);
    }
    void setTextColour(ticker::Control c, ticker::Colour colour) override {
        colours[c] = colour;
        std::ostringstream hex;
        hex << std::hex << colour;
        record("colour", c, hex.str());
    }
    void setVisible(ticker::Control c, bool visible) override {
        visible_[c] = visible;
        record(visible ? "show" : "hide", c, "");
    }
    bool isChecked(ticker::Control) const override { return checked; }
    void setTimerPeriod(int milliseconds) override { log.push_back("timer " + std::to_string(milliseconds)); timerPeriod = milliseconds; }
    void showMessage(ticker::Prompt prompt) override { log.push_back("message " + std::to_string(static_cast<int>(prompt))); }
    void processPendingEvents() override {
        log.push_back("pump");
        if (!duringPumps.empty()) {
            auto action = std::move(duringPumps.front());
            duringPumps.pop_front();
            if (action) action();
        }
    }
    void sleep(int milliseconds) override { log.push_back("sleep " + std::to_string(milliseconds)); }

    bool isVisible(ticker::Control c) const { return visible_.count(c) && visible_.at(c); }

    bool open = true;
    bool checked = true;
    int timerPeriod = 0;
    std::map<ticker::Control, ticker::Colour> colours;
    mutable std::vector<std::string> log;
    std::deque<std::function<void()>> duringPumps;  // run at the next pumps, one each

private:
    static std::string lookup(const std::map<ticker::Control, std::string>& m, ticker::Control c) {
        const auto it = m.find(c);
        return it == m.end() ? std::string() : it->second;
    }
    void record(const char* what, ticker::Control c, const std::string& value) {
        if (!open) log.push_back("WRITE TO A CLOSED WINDOW");
        log.push_back(std::string(what) + " " + nameOf(c) + (value.empty() ? "" : " " + value));
    }

    std::map<ticker::Control, std::string> texts_;
    std::map<ticker::Control, std::string> initial_;
    std::map<ticker::Control, bool> visible_;
};

}  // namespace fakes
