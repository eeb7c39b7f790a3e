#pragma once
// The ticker window: a borderless, always-on-top 116 x 70 rectangle whose background is the key
// colour, so only the numbers, the check box and (while a stock is chosen) the inputs show.

#include <windows.h>

#include <string>

#include "ticker/gdi_handles_win32.h"
#include "ticker/ticker_events.h"
#include "ticker/ticker_view.h"
#include "ticker/timer_period.h"

namespace ticker {

constexpr COLORREF kKeyColour = RGB(255, 23, 100);
constexpr int kTickerWidth = 116;
constexpr int kTickerHeight = 70;

// The control's name as the user-facing model knows it, e.g. L"编辑框1".
const wchar_t* controlName(Control c);
// The child window ID of a control, for GetDlgItem.
int controlId(Control c);

class TickerWindow final : public TickerView {
public:
    explicit TickerWindow(HINSTANCE instance);
    ~TickerWindow() override;
    TickerWindow(const TickerWindow&) = delete;
    TickerWindow& operator=(const TickerWindow&) = delete;

    // Creates and shows the window; false when the window system refuses (no display).
    // A second call activates the window that is already open.
    bool open();
    void setEvents(TickerEvents* events) { events_ = events; }
    HWND handle() const { return window_; }
    HWND control(Control c) const;
    int timerPeriod() const { return timer_.period(); }

    // TickerView
    bool isOpen() const override { return window_ != nullptr; }
    std::string text(Control c) const override;
    std::string initialText(Control c) const override;
    void setText(Control c, const std::string& gbk) override;
    void setTextColour(Control c, Colour colour) override;
    void setVisible(Control c, bool visible) override;
    bool isChecked(Control c) const override;
    void setTimerPeriod(int milliseconds) override;
    void showMessage(Prompt prompt) override;
    void processPendingEvents() override;
    void sleep(int milliseconds) override;

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK controlProc(HWND control, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT handle(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT handleControl(HWND control, UINT msg, WPARAM wp, LPARAM lp);
    void subclass(HWND control, size_t index);
    WNDPROC originalProcOf(HWND control) const;

    void createFonts();
    void createControls();
    void onCreated();
    LRESULT onEraseBackground(HDC dc);
    LRESULT onStayOnTop();
    LRESULT onLeftButtonDown();
    LRESULT onActivate(WPARAM wp, LPARAM lp);
    void passFocusOn();
    void moveFocus(bool backwards);
    bool onKey(const MSG& msg);
    LRESULT onControlColour(HDC dc, HWND control);
    void onCommand(WPARAM wp, LPARAM lp);
    void onNumericBoxFocusLost(HWND box);
    void onDestroyed();

    HINSTANCE instance_;
    HWND window_ = nullptr;
    HWND controls_[8] = {};
    // The controls' own window procedures, by control index; kept after the handles are cleared,
    // since the controls outlive the window's destroyed event by a few messages.
    WNDPROC originalProcs_[8] = {};
    HWND lastFocus_ = nullptr;
    TickerEvents* events_ = nullptr;
    TimerPeriod timer_;
    BrushHandle background_;
    BrushHandle editBackground_;
    BrushHandle checkBackground_;
    FontHandle priceFont_;
    FontHandle smallLabelFont_;
    FontHandle smallEditFont_;
};

}  // namespace ticker
