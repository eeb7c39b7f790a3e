// The ticker window on the real window system, under Wine: styles, controls, keyboard and timer.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ticker/program_win32.h"
#include "ticker/ticker_window_win32.h"

namespace {

using ticker::Control;
using ticker::TickerWindow;

class TickerWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(ticker::program::createOwnerWindow(GetModuleHandleW(nullptr))); }

    void SetUp() override {
        window = std::make_unique<TickerWindow>(GetModuleHandleW(nullptr));
        ASSERT_TRUE(window->open());
        ticker::program::processPendingEvents();
    }
    void TearDown() override {
        window.reset();
        ticker::program::processPendingEvents();
        MSG quit;
        while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }

    RECT placeInParent(Control c) {
        RECT r;
        GetWindowRect(window->control(c), &r);
        MapWindowPoints(nullptr, window->handle(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    std::wstring textOf(HWND h) {
        wchar_t buffer[256] = {};
        GetWindowTextW(h, buffer, 256);
        return buffer;
    }

    void pumpFor(DWORD milliseconds) {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < milliseconds) {
            ticker::program::processPendingEvents();
            Sleep(5);
        }
    }

    void press(WORD key, bool shift = false) {
        std::vector<INPUT> inputs;
        auto add = [&](WORD vk, bool up) {
            INPUT in{};
            in.type = INPUT_KEYBOARD;
            in.ki.wVk = vk;
            in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
            inputs.push_back(in);
        };
        if (shift) add(VK_SHIFT, false);
        add(key, false);
        add(key, true);
        if (shift) add(VK_SHIFT, true);
        SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
        pumpFor(100);
    }

    std::unique_ptr<TickerWindow> window;
};

TEST_F(TickerWindowTest, OpensCentredBorderlessOnTopAndOwnedByTheHiddenToolWindow) {
    RECT r;
    GetWindowRect(window->handle(), &r);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 116) / 2);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 70) / 2);
    EXPECT_EQ(r.right - r.left, 116);
    EXPECT_EQ(r.bottom - r.top, 70);
    if (GetSystemMetrics(SM_CXSCREEN) == 800 && GetSystemMetrics(SM_CYSCREEN) == 600) {
        EXPECT_EQ(r.left, 342);
        EXPECT_EQ(r.top, 265);
    }

    const LONG style = GetWindowLongW(window->handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    const LONG exStyle = GetWindowLongW(window->handle(), GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(exStyle & WS_EX_LAYERED);
    EXPECT_FALSE(exStyle & WS_EX_APPWINDOW);
    EXPECT_EQ(textOf(window->handle()), L"");
    EXPECT_TRUE(GetClassLongW(window->handle(), GCL_STYLE) & CS_DBLCLKS);

    HWND owner = GetWindow(window->handle(), GW_OWNER);
    EXPECT_EQ(owner, ticker::program::ownerWindow());
    EXPECT_TRUE(GetWindowLongW(owner, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(IsWindowVisible(owner));

    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(window->handle(), &key, &alpha, &flags));
    EXPECT_EQ(key, 0x6417FFu);
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_COLORKEY));
}

TEST_F(TickerWindowTest, HasItsControlsInPlaceInZOrderWithTheirInitialState) {
    struct Expected {
        Control control;
        const wchar_t* name;
        RECT place;
        const wchar_t* text;
        bool enabled, tabStop;
    } expected[] = {
        {Control::AlarmCheck, L"选择框1", {104, 2, 116, 12}, L"", true, true},
        {Control::PriceLabel, L"透明标签1", {2, 4, 66, 24}, L"00.00", false, false},
        {Control::ChangeLabel, L"透明标签2", {69, -5, 111, 19}, L"00.00", false, false},
        {Control::PercentLabel, L"透明标签3", {69, 11, 111, 35}, L"00.00%", false, false},
        {Control::CodeBox, L"编辑框1", {1, 29, 56, 49}, L"股票代码", true, true},
        {Control::LowerBox, L"编辑框2", {1, 49, 56, 69}, L"下 限", true, false},
        {Control::StartButton, L"按钮1", {60, 30, 115, 49}, L"开始", true, true},
        {Control::UpperBox, L"编辑框3", {60, 49, 115, 69}, L"上 限", true, false},
    };
    HWND child = GetWindow(window->handle(), GW_CHILD);
    for (const auto& e : expected) {
        SCOPED_TRACE(::testing::Message() << "control " << ticker::controlId(e.control));
        HWND h = window->control(e.control);
        EXPECT_STREQ(ticker::controlName(e.control), e.name);
        EXPECT_EQ(h, child) << "z-order";
        const RECT r = placeInParent(e.control);
        EXPECT_EQ(r.left, e.place.left);
        EXPECT_EQ(r.top, e.place.top);
        EXPECT_EQ(r.right, e.place.right);
        if (e.control == Control::LowerBox || e.control == Control::UpperBox) {
            // A box lower than one line of its font plus its edges grows; the CJK font here is taller than SimSun.
            EXPECT_GE(r.bottom, e.place.bottom);
            EXPECT_LE(r.bottom, e.place.bottom + 4);
        } else {
            EXPECT_EQ(r.bottom, e.place.bottom);
        }
        EXPECT_EQ(textOf(h), e.text);
        EXPECT_TRUE(IsWindowVisible(h));
        EXPECT_EQ(IsWindowEnabled(h) != FALSE, e.enabled);
        EXPECT_EQ((GetWindowLongW(h, GWL_STYLE) & WS_TABSTOP) != 0, e.tabStop);
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "no control beyond the eight windows (the timer has none)";
    EXPECT_TRUE(window->isChecked(Control::AlarmCheck));
    EXPECT_EQ(window->timerPeriod(), 0);

    const LONG editStyle = GetWindowLongW(window->control(Control::CodeBox), GWL_STYLE);
    EXPECT_TRUE(editStyle & ES_CENTER);
    EXPECT_TRUE(editStyle & ES_AUTOHSCROLL);
    EXPECT_FALSE(GetWindowLongW(window->control(Control::CodeBox), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    const LONG buttonStyle = GetWindowLongW(window->control(Control::StartButton), GWL_STYLE);
    EXPECT_EQ(buttonStyle & BS_TYPEMASK, BS_PUSHBUTTON) << "not a default button: Enter must not press it";
}

TEST_F(TickerWindowTest, UsesTheGivenFontRecords) {
    struct Expected {
        Control control;
        LONG height, weight;
        BYTE quality;
        const wchar_t* face;
    } expected[] = {
        {Control::PriceLabel, -16, 700, NONANTIALIASED_QUALITY, L"宋体"},
        {Control::ChangeLabel, -14, 400, NONANTIALIASED_QUALITY, L""},
        {Control::PercentLabel, -14, 400, NONANTIALIASED_QUALITY, L""},
        {Control::LowerBox, -14, 400, DEFAULT_QUALITY, L""},
        {Control::UpperBox, -14, 400, DEFAULT_QUALITY, L""},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(::testing::Message() << "control " << ticker::controlId(e.control));
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(window->control(e.control), WM_GETFONT, 0, 0));
        LOGFONTW f{};
        ASSERT_EQ(GetObjectW(font, sizeof f, &f), static_cast<int>(sizeof f));
        EXPECT_EQ(f.lfHeight, e.height);
        EXPECT_EQ(f.lfWeight, e.weight);
        EXPECT_EQ(f.lfCharSet, GB2312_CHARSET);
        EXPECT_EQ(f.lfQuality, e.quality);
        EXPECT_STREQ(f.lfFaceName, e.face);
        if (e.control == Control::PriceLabel) {
            EXPECT_EQ(f.lfOutPrecision, OUT_STROKE_PRECIS);
            EXPECT_EQ(f.lfClipPrecision, CLIP_STROKE_PRECIS);
            EXPECT_EQ(f.lfPitchAndFamily, VARIABLE_PITCH);
        }
    }
    for (Control c : {Control::CodeBox, Control::StartButton, Control::AlarmCheck}) {
        EXPECT_EQ(SendMessageW(window->control(c), WM_GETFONT, 0, 0),
                  reinterpret_cast<LRESULT>(GetStockObject(DEFAULT_GUI_FONT)));
    }
}

TEST_F(TickerWindowTest, WarningPriceBoxesTakeNumbersAndTidyThemWhenLeft) {
    struct Case {
        const wchar_t* typed;
        const wchar_t* shown;
    } cases[] = {
        {L"12.50", L"12.5"}, {L".5", L"0.5"}, {L"0", L""}, {L"1a2", L"12"}, {L"-3x.5", L"-3.5"}, {L"abc", L""},
    };
    for (Control box : {Control::LowerBox, Control::UpperBox}) {
        for (const auto& c : cases) {
            HWND h = window->control(box);
            SetWindowTextW(h, L"");
            SetFocus(h);
            for (const wchar_t* p = c.typed; *p; ++p) SendMessageW(h, WM_CHAR, *p, 0);
            SetFocus(window->control(Control::StartButton));
            EXPECT_EQ(textOf(h), c.shown) << "typed " << ::testing::PrintToString(std::wstring(c.typed));
        }
    }
}

TEST_F(TickerWindowTest, TimerTicksOnlyWithAPeriodAboveZero) {
    struct CountingEvents : ticker::TickerEvents {
        int ticks = 0;
        void onCodeBoxPressed() override {}
        void onLowerBoxPressed() override {}
        void onUpperBoxPressed() override {}
        void onStartClicked() override {}
        void onTimerTick() override { ++ticks; }
        void onDoubleClick() override {}
        void onRightButtonPressed() override {}
    } events;
    window->setEvents(&events);

    window->setTimerPeriod(30);
    pumpFor(300);
    EXPECT_GT(events.ticks, 0) << "30 ms period";

    for (int stop : {0, -5}) {
        window->setTimerPeriod(30);
        window->setTimerPeriod(stop);
        EXPECT_EQ(window->timerPeriod(), 0);
        events.ticks = 0;
        pumpFor(200);
        EXPECT_EQ(events.ticks, 0) << "period " << stop;
    }
    window->setEvents(nullptr);
}

TEST_F(TickerWindowTest, FocusStartsOnTheButtonAndTabCyclesButtonCodeBoxCheckBox) {
    SetForegroundWindow(window->handle());
    pumpFor(100);
    ASSERT_EQ(GetForegroundWindow(), window->handle());
    EXPECT_EQ(GetFocus(), window->control(Control::StartButton));

    const Control forward[] = {Control::CodeBox, Control::AlarmCheck, Control::StartButton};
    for (Control next : forward) {
        press(VK_TAB);
        EXPECT_EQ(GetFocus(), window->control(next)) << "Tab to control " << ticker::controlId(next);
    }
    const Control backward[] = {Control::AlarmCheck, Control::CodeBox, Control::StartButton};
    for (Control next : backward) {
        press(VK_TAB, true);
        EXPECT_EQ(GetFocus(), window->control(next)) << "Shift+Tab to control " << ticker::controlId(next);
    }

    for (Control input : {Control::StartButton, Control::CodeBox, Control::LowerBox, Control::UpperBox})
        window->setVisible(input, false);
    EXPECT_EQ(GetFocus(), window->control(Control::AlarmCheck)) << "hiding the inputs passes the focus on";
    press(VK_TAB);
    EXPECT_EQ(GetFocus(), window->control(Control::AlarmCheck)) << "nothing else to go to";
}

TEST_F(TickerWindowTest, EscapeClosesOnlyWithoutModifiers) {
    SetForegroundWindow(window->handle());
    pumpFor(100);
    press(VK_ESCAPE, true);
    EXPECT_TRUE(window->isOpen()) << "Shift+Esc goes to the control";
    press(VK_ESCAPE);
    EXPECT_FALSE(window->isOpen());
    EXPECT_TRUE(ticker::program::openWindows().empty());
}

}  // namespace
