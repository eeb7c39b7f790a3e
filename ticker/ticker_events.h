#pragma once
// The ticker window's events that the program's behaviour is bound to. Each is raised before
// the control itself processes the input.

namespace ticker {

class TickerEvents {
public:
    virtual ~TickerEvents() = default;
    virtual void onCodeBoxPressed() = 0;   // left button in 编辑框1
    virtual void onLowerBoxPressed() = 0;  // left button in 编辑框2
    virtual void onUpperBoxPressed() = 0;  // left button in 编辑框3
    virtual void onStartClicked() = 0;     // 按钮1
    virtual void onTimerTick() = 0;        // 时钟1
    virtual void onDoubleClick() = 0;      // on the window, also on its digits
    virtual void onRightButtonPressed() = 0;
};

}  // namespace ticker
