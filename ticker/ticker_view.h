#pragma once
// What the watch cycle and the alarm step may do to the ticker window. The program implements it
// over the real controls; unit tests implement it over a fake that records every call.

#include <string>

#include "quote/colour.h"

namespace ticker {

using quote::Colour;

// The prompts shown when Start finds an input missing.
enum class Prompt {
    MissingCode,   // "请填写完整的股票代码！"
    MissingLower,  // "请设定价格下限预警！"
    MissingUpper,  // "请设定价格上限预警！"
};

enum class Control {
    AlarmCheck,    // 选择框1
    PriceLabel,    // 透明标签1
    ChangeLabel,   // 透明标签2
    PercentLabel,  // 透明标签3
    CodeBox,       // 编辑框1
    LowerBox,      // 编辑框2
    StartButton,   // 按钮1
    UpperBox,      // 编辑框3
};

class TickerView {
public:
    virtual ~TickerView() = default;

    // False once the window has been closed; nothing else may be called then.
    virtual bool isOpen() const = 0;

    virtual std::string text(Control c) const = 0;  // GBK
    virtual std::string initialText(Control c) const = 0;  // the text the control opened with
    virtual void setText(Control c, const std::string& gbk) = 0;
    virtual void setTextColour(Control c, Colour colour) = 0;
    virtual void setVisible(Control c, bool visible) = 0;
    virtual bool isChecked(Control c) const = 0;

    // Milliseconds; negative counts as 0, 0 stops, the same value again does nothing.
    virtual void setTimerPeriod(int milliseconds) = 0;

    // A task-modal "提示" message box with the information icon and an OK button.
    virtual void showMessage(Prompt prompt) = 0;

    // Handles every queued window event (input, repaints, ticks); may close the window.
    virtual void processPendingEvents() = 0;
    virtual void sleep(int milliseconds) = 0;
};

}  // namespace ticker
