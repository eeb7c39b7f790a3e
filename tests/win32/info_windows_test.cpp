// The help, usage and about windows under Wine, opened in this process as the program opens them.
// A plain top-level window registered with the program stands for the ticker window.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "info/gradient.h"
#include "info/icon_resources.h"
#include "info/info_windows_win32.h"
#include "ticker/font_record_win32.h"
#include "ticker/program_win32.h"

namespace {

namespace program = ticker::program;

constexpr wchar_t kGreeting[] = L"    感谢您使用小巧玲珑的《看价小窗V1.0》！";
constexpr wchar_t kIntroduction[] =
    L"   "
    L"《看价小窗》是一款专为上班族量身打造的实时盯盘软件，实时股价始终处于桌面最前端，透明、小巧、随意拖动。"
    L"您预设的股价上下限预警，更可以让您上班投资两不误！";
constexpr wchar_t kUsage[] =
    L"1、输入完整的股票代码（sh + ** 或 sz + **），如：sh000001。\r\n"
    L"\r\n"
    L"2、输入股票上、下限预警价格，点击“开始”按钮即可实时盯盘。\r\n"
    L"\r\n"
    L"3、软件默认开设预警，复选右上角的“√”，即可开闭预警声音。\r\n"
    L"\r\n"
    L"4、更换股票：将鼠标指针指向透明窗体的数字显示区域，待指针变\r\n"
    L"   为四向箭头形时双击，输入相关信息即可。\r\n"
    L"\r\n"
    L"5、拖动窗口：当鼠标指针指向透明窗体的数字显示区域，待指针变\r\n"
    L"   为四向箭头形时，按住鼠标左键，可以将窗口随意拖动。\r\n"
    L"\r\n"
    L"6、打开帮助：四向箭头形时，右键单击透明窗体的数字显示区域。\r\n"
    L"\r\n"
    L"7、退出软件：因WinXP和Win7对软件的兼容性差异，请按“Esc”\r\n"
    L"   键，或者鼠标右键单击右上角的复选框，即可无声退出。";
constexpr wchar_t kFacts[] =
    L"软 件 名 称 ： 看 价 小 窗\r\n"
    L"应 用 版 本 ： Version  1.0\r\n"
    L"发 布 日 期 ： 2012 年 2 月\r\n"
    L"适 用 系 统 ： Windows XP 、 Windows 7\r\n";
constexpr wchar_t kContact[] =
    L"软件作者 ：看价小窗开发组\r\n\r\nEmail    ：\r\n\r\nQ Q 号码 ：\r\n\r\n个人主页 ：";

std::string utf8(std::wstring_view text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr,
                        nullptr);
    return out;
}

std::wstring windowText(HWND window) {
    std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');
    text.resize(GetWindowTextW(window, text.data(), static_cast<int>(text.size())));
    return text;
}

std::wstring classOf(HWND window) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return name;
}

// Left, top, width and height of a window in its parent's client area, or on the screen.
RECT placeOf(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    if (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD)
        MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

std::string describe(const RECT& place) {
    return std::to_string(place.left) + "," + std::to_string(place.top) + " " + std::to_string(place.right) +
           "x" + std::to_string(place.bottom);
}

// Every field of the record, so that a difference in any of them shows.
std::string describe(const LOGFONTW& f) {
    return "height " + std::to_string(f.lfHeight) + " width " + std::to_string(f.lfWidth) + " escapement " +
           std::to_string(f.lfEscapement) + " orientation " + std::to_string(f.lfOrientation) + " weight " +
           std::to_string(f.lfWeight) + " italic " + std::to_string(f.lfItalic) + " underline " +
           std::to_string(f.lfUnderline) + " strike " + std::to_string(f.lfStrikeOut) + " charset " +
           std::to_string(f.lfCharSet) + " out " + std::to_string(f.lfOutPrecision) + " clip " +
           std::to_string(f.lfClipPrecision) + " quality " + std::to_string(f.lfQuality) + " pitch " +
           std::to_string(f.lfPitchAndFamily) + " face '" + utf8(f.lfFaceName) + "'";
}

LOGFONTW fontOf(HWND control) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

// The shell's rule for a taskbar button: visible, and either marked as an application window or
// neither owned nor a tool window.
bool hasTaskbarButton(HWND window) {
    const LONG_PTR ex = GetWindowLongPtrW(window, GWL_EXSTYLE);
    if (!IsWindowVisible(window)) return false;
    if (ex & WS_EX_APPWINDOW) return true;
    return !(ex & WS_EX_TOOLWINDOW) && !GetWindow(window, GW_OWNER);
}

HCURSOR pointerOver(HWND control) {
    SetCursor(nullptr);
    SendMessageW(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor();
}

bool isEnabled(HWND window) {
    return IsWindowEnabled(window) != FALSE;
}

// Removes whatever is left in the queue, the request to end the loop included.
void drainQueue() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

enum class Which { Help, Usage, About };

const char* nameOf(Which which) {
    switch (which) {
        case Which::Help:
            return "help";
        case Which::Usage:
            return "usage";
        case Which::About:
            return "about";
    }
    return "?";
}

// Opens a modal window and runs `whileOpen` on it from inside the window's own event loop; then
// closes the window unless whileOpen has, and returns once the modal call has returned.
void whileModalOpen(Which which, const std::function<void(HWND)>& whileOpen) {
    static const std::function<void(HWND)>* action;
    action = &whileOpen;
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        HWND modal = info::currentModalWindow();
        (*action)(modal);
        if (IsWindow(modal)) PostMessageW(modal, WM_CLOSE, 0, 0);
    });
    if (which == Which::Usage) info::openUsageWindow();
    if (which == Which::About) info::openAboutWindow();
    KillTimer(nullptr, timer);
}

// Runs `whileOpen` on the window while it is open, whichever way it opens.
void withWindow(Which which, const std::function<void(HWND)>& whileOpen) {
    if (which != Which::Help) return whileModalOpen(which, whileOpen);
    HWND help = info::openHelpWindow();
    whileOpen(help);
    if (IsWindow(help)) DestroyWindow(help);
}

// A plain top-level window registered with the program, standing for the ticker window. It can tick
// like the ticker's timer.
class StandIn {
public:
    StandIn() {
        static const bool registered = [] {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof wc;
            wc.lpfnWndProc = &StandIn::windowProc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"InfoTestStandIn";
            return RegisterClassExW(&wc) != 0;
        }();
        (void)registered;
        hwnd_ = CreateWindowExW(0, L"InfoTestStandIn", L"stand-in", WS_OVERLAPPED | WS_CAPTION, 0, 0, 120, 80,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        program::windowOpened(hwnd_);
        ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    }
    ~StandIn() {
        if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
    }
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;

    HWND hwnd() const { return hwnd_; }

    void startTicking(std::function<void(int)> onTick) {
        onTick_ = std::move(onTick);
        SetTimer(hwnd_, 1, 20, nullptr);
    }

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<StandIn*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && msg == WM_TIMER && self->onTick_) self->onTick_(++self->ticks_);
        if (msg == WM_DESTROY) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            program::windowDestroyed(hwnd);
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }

    HWND hwnd_ = nullptr;
    int ticks_ = 0;
    std::function<void(int)> onTick_;
};

class InfoWindows : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!program::ownerWindow()) program::createOwnerWindow(GetModuleHandleW(nullptr));
    }
    void TearDown() override {
        for (HWND window : program::openWindows()) DestroyWindow(window);
        BYTE keys[256] = {};
        SetKeyboardState(keys);
        drainQueue();
    }
};

TEST_F(InfoWindows, OpenCentredOnTheScreenWithTheirSizeTitleAndFrame) {
    ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
    ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 600);
    StandIn ticker;
    HICON defaultIcon = LoadIconW(nullptr, IDI_APPLICATION);
    struct Case {
        Which which;
        const wchar_t* title;
        RECT place;
        bool modal;
    } cases[] = {
        {Which::Help, L"帮助", {210, 175, 380, 250}, false},
        {Which::Usage, L"使用说明", {210, 135, 380, 330}, true},
        {Which::About, L"关于软件", {210, 175, 380, 250}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(nameOf(c.which));
        bool seen = false;
        withWindow(c.which, [&](HWND window) {
            seen = window != nullptr;
            if (!window) return;
            EXPECT_EQ(describe(placeOf(window)), describe(c.place));
            EXPECT_EQ(windowText(window), c.title);
            const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
            const LONG_PTR ex = GetWindowLongPtrW(window, GWL_EXSTYLE);
            EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
            EXPECT_TRUE(style & WS_SYSMENU);
            EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CHILD | WS_POPUP));
            EXPECT_FALSE(ex & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_LAYERED));
            EXPECT_EQ(hasTaskbarButton(window), !c.modal);
            EXPECT_EQ(GetWindow(window, GW_OWNER), c.modal ? program::ownerWindow() : nullptr);
            EXPECT_EQ(GetForegroundWindow(), window) << "shown and activated";
            EXPECT_TRUE(IsWindowVisible(window));
            EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrW(window, GCLP_HCURSOR)),
                      LoadCursorW(nullptr, IDC_ARROW));
            const auto icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_BIG, 0));
            ASSERT_NE(icon, nullptr);
            EXPECT_EQ(icon == defaultIcon, c.modal) << "the help window has an icon of its own";
        });
        EXPECT_TRUE(seen);
    }
}

TEST_F(InfoWindows, ControlsHaveTheirKindPlaceParentTextAndFont) {
    StandIn ticker;
    const LOGFONTW kDefaultGuiFont = [] {
        LOGFONTW font{};
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
        return font;
    }();
    struct Case {
        Which which;
        const wchar_t* name;
        const wchar_t* className;
        const wchar_t* parent;  // nullptr: the window
        RECT place;
        const wchar_t* text;
        LOGFONTW font;
    } cases[] = {
        {Which::Help,
         L"透明标签1",
         L"InfoTransLabel",
         nullptr,
         {5, 27, 360, 62},
         kGreeting,
         ticker::gb2312Font(-14, 700)},
        {Which::Help, L"标签1", L"InfoLabel", nullptr, {27, 94, 80, 22}, L"使用操作", ticker::gb2312Font(-12, 700)},
        {Which::Help, L"标签3", L"InfoLabel", nullptr, {267, 94, 80, 22}, L"关于软件", ticker::gb2312Font(-12, 400)},
        {Which::Usage,
         L"分组框1",
         L"InfoGroupBox",
         nullptr,
         {3, 5, 369, 67},
         L" 基本介绍 ",
         ticker::gb2312Font(-12, 700)},
        {Which::Usage,
         L"透明标签1",
         L"InfoTransLabel",
         L"分组框1",
         {5, 20, 360, 40},
         kIntroduction,
         kDefaultGuiFont},
        {Which::Usage,
         L"分组框2",
         L"InfoGroupBox",
         nullptr,
         {3, 77, 413, 222},
         L" 使用方法 ",
         ticker::gb2312Font(-12, 700)},
        {Which::Usage,
         L"透明标签2",
         L"InfoTransLabel",
         L"分组框2",
         {6, 21, 365, 198},
         kUsage,
         kDefaultGuiFont},
        {Which::About,
         L"透明标签8",
         L"InfoTransLabel",
         nullptr,
         {51, 32, 272, 60},
         kFacts,
         ticker::gb2312Font(-12, 400, L"宋体", 3, 2, 1, 2)},
        {Which::About,
         L"透明标签3",
         L"InfoTransLabel",
         nullptr,
         {30, 120, 314, 90},
         kContact,
         ticker::gb2312Font(-12, 400)},
        {Which::About,
         L"分组框1",
         L"InfoGroupBox",
         nullptr,
         {6, 12, 362, 76},
         L" 软 件 信 息 ",
         ticker::gb2312Font(-14, 700)},
        {Which::About,
         L"分组框2",
         L"InfoGroupBox",
         nullptr,
         {6, 99, 362, 117},
         L" 联 系 作 者 ",
         ticker::gb2312Font(-14, 700)},
    };
    for (Which which : {Which::Help, Which::Usage, Which::About}) {
        withWindow(which, [&](HWND window) {
            ASSERT_NE(window, nullptr) << nameOf(which);
            std::vector<HWND> children;  // the window's own, from the top of the z-order down
            for (const Case& c : cases) {
                if (c.which != which) continue;
                SCOPED_TRACE(std::string(nameOf(which)) + " " + utf8(c.name));
                HWND control = info::findControl(window, c.name);
                ASSERT_NE(control, nullptr);
                HWND parent = c.parent ? info::findControl(window, c.parent) : window;
                EXPECT_EQ(GetParent(control), parent);
                EXPECT_EQ(classOf(control), c.className);
                EXPECT_EQ(describe(placeOf(control)), describe(c.place));
                EXPECT_EQ(windowText(control), c.text);
                EXPECT_EQ(describe(fontOf(control)), describe(c.font));
                EXPECT_TRUE(IsWindowVisible(control));
                EXPECT_TRUE(IsWindowEnabled(control));
                if (!c.parent) children.push_back(control);
            }
            std::vector<HWND> zOrder;
            for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
                zOrder.push_back(child);
            EXPECT_EQ(zOrder, children) << nameOf(which) << ": the controls stack in the order of the table";
        });
    }
}

TEST_F(InfoWindows, TheLowerUsageGroupBoxIsCutOffByTheWindowsRightEdge) {
    StandIn ticker;
    whileModalOpen(Which::Usage, [](HWND window) {
        RECT client;
        GetClientRect(window, &client);
        const RECT box = placeOf(info::findControl(window, L"分组框2"));
        EXPECT_GT(box.left + box.right, client.right);
        EXPECT_LT(box.left, client.right);
    });
}

TEST_F(InfoWindows, TheLinkLabelsShowTheHandAndARaisedFrame) {
    HWND help = info::openHelpWindow();
    ASSERT_NE(help, nullptr);
    const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    const HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
    struct Case {
        const wchar_t* name;
        HCURSOR pointer;
        bool raised;
    } cases[] = {{L"透明标签1", arrow, false}, {L"标签1", hand, true}, {L"标签3", hand, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(utf8(c.name));
        HWND control = info::findControl(help, c.name);
        EXPECT_EQ(pointerOver(control), c.pointer);
        EXPECT_EQ((GetWindowLongPtrW(control, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME) != 0, c.raised);
    }
    EXPECT_EQ(pointerOver(help), arrow);
}

// The client area of a window as it has been painted, children included.
class Snapshot {
public:
    explicit Snapshot(HWND window) : window_(window) {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        RECT client;
        GetClientRect(window, &client);
        width_ = client.right;
        height_ = client.bottom;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        HDC source = GetDC(window);
        HDC memory = CreateCompatibleDC(source);
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width_, height_, source, 0, 0, SRCCOPY);
        GdiFlush();
        const auto* pixels = static_cast<const BYTE*>(bits);
        for (int i = 0; i < width_ * height_; ++i) {
            pixels_.push_back(RGB(pixels[4 * i + 2], pixels[4 * i + 1], pixels[4 * i]));
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(window, source);
    }

    // A pixel by its place in a control's client area.
    COLORREF at(HWND control, int x, int y) const {
        POINT p{x, y};
        MapWindowPoints(control, window_, &p, 1);
        return at(p.x, p.y);
    }
    COLORREF at(int x, int y) const {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
        return pixels_[y * width_ + x];
    }
    // The client rectangle of a control in the window's client area.
    RECT areaOf(HWND control) const {
        RECT r;
        GetClientRect(control, &r);
        MapWindowPoints(control, window_, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

private:
    HWND window_;
    int width_ = 0;
    int height_ = 0;
    std::vector<COLORREF> pixels_;
};

std::string hex(COLORREF colour) {
    char text[16];
    snprintf(text, sizeof text, "0x%06lX", static_cast<unsigned long>(colour));
    return text;
}

// How often a pixel of the text's colour has a white pixel up and to the left of it, and how often
// down and to the right: the white copy lies on the side that wins.
struct WhiteSides {
    int upLeft = 0;
    int downRight = 0;
};

WhiteSides whiteAround(const Snapshot& shot, const RECT& area, COLORREF colour) {
    const COLORREF white = RGB(255, 255, 255);
    WhiteSides sides;
    for (int y = area.top + 1; y < area.bottom - 1; ++y) {
        for (int x = area.left + 1; x < area.right - 1; ++x) {
            if (shot.at(x, y) != colour) continue;
            sides.upLeft += shot.at(x - 1, y - 1) == white;
            sides.downRight += shot.at(x + 1, y + 1) == white;
        }
    }
    return sides;
}

int countInRow(const Snapshot& shot, int y, int left, int right, COLORREF colour) {
    int count = 0;
    for (int x = left; x < right; ++x) count += shot.at(x, y) == colour;
    return count;
}

TEST_F(InfoWindows, TheLinkLabelsPaintTheGradientAndTheTextOffset) {
    HWND help = info::openHelpWindow();
    ASSERT_NE(help, nullptr);
    const Snapshot shot(help);
    for (const auto& [name, colour] :
         {std::pair{L"标签1", RGB(255, 0, 0)}, std::pair{L"标签3", RGB(0, 0, 0)}}) {
        SCOPED_TRACE(utf8(name));
        HWND label = info::findControl(help, name);
        RECT client;
        GetClientRect(label, &client);
        ASSERT_GT(client.bottom, 2);
        // The text is centred: the outer columns show the background alone.
        for (int y = 0; y < client.bottom; ++y) {
            const COLORREF expected = info::gradientRowColour(y, client.bottom);
            EXPECT_EQ(hex(shot.at(label, 0, y)), hex(expected)) << "left column, row " << y;
            EXPECT_EQ(hex(shot.at(label, client.right - 1, y)), hex(expected)) << "right column, row " << y;
        }
        const WhiteSides sides = whiteAround(shot, shot.areaOf(label), colour);
        EXPECT_GT(sides.upLeft, sides.downRight) << "the white copy lies up and to the left of the text";
    }
}

TEST_F(InfoWindows, TransparentLabelsShowWhatLiesBeneathAndAWhiteShadow) {
    StandIn ticker;
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    HWND help = info::openHelpWindow();
    ASSERT_NE(help, nullptr);
    {
        const Snapshot shot(help);
        HWND greeting = info::findControl(help, L"透明标签1");
        EXPECT_EQ(hex(shot.at(greeting, 0, 0)), hex(face)) << "no background of its own";
        EXPECT_EQ(hex(shot.at(300, 200)), hex(face)) << "the window's button-face background";
        const WhiteSides sides = whiteAround(shot, shot.areaOf(greeting), RGB(255, 0, 0));
        EXPECT_GT(sides.downRight, sides.upLeft) << "the white copy lies down and to the right of the text";
    }
    DestroyWindow(help);

    whileModalOpen(Which::About, [&](HWND about) {
        const Snapshot shot(about);
        // The lower line of the upper group box's frame runs under the facts label: it shows through
        // wherever the label draws no text.
        const RECT label = shot.areaOf(info::findControl(about, L"透明标签8"));
        const RECT box = shot.areaOf(info::findControl(about, L"分组框1"));
        ASSERT_TRUE(box.bottom > label.top && box.bottom < label.bottom);
        const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
        int shadowPixels = 0;
        for (int y = box.bottom - 3; y < box.bottom; ++y)
            shadowPixels += countInRow(shot, y, label.left, label.right, shadow);
        EXPECT_GT(shadowPixels, (label.right - label.left) / 2);
        const RECT contact = shot.areaOf(info::findControl(about, L"透明标签3"));
        EXPECT_EQ(hex(shot.at(contact.right - 1, contact.bottom - 1)), hex(face))
            << "inside the lower group box";
    });
}

TEST_F(InfoWindows, GroupBoxCaptionsHaveTheirColourAndAlignment) {
    StandIn ticker;
    struct Case {
        Which which;
        const wchar_t* name;
        COLORREF colour;
        bool centred;
    } cases[] = {
        {Which::Usage, L"分组框1", RGB(0, 128, 0), false},
        {Which::Usage, L"分组框2", RGB(255, 0, 0), false},
        {Which::About, L"分组框1", RGB(255, 0, 255), true},
        {Which::About, L"分组框2", RGB(255, 0, 255), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(nameOf(c.which)) + " " + utf8(c.name));
        whileModalOpen(c.which, [&](HWND window) {
            const Snapshot shot(window);
            HWND box = info::findControl(window, c.name);
            const RECT area = shot.areaOf(box);
            // The caption's pixels, in the top rows of the box where its text stands.
            int count = 0;
            long sumX = 0;
            int minX = area.right;
            for (int y = area.top; y < area.top + 20; ++y) {
                for (int x = area.left; x < area.right; ++x) {
                    if (shot.at(x, y) != c.colour) continue;
                    ++count;
                    sumX += x;
                    minX = std::min(minX, x);
                }
            }
            ASSERT_GT(count, 20);
            const int boxWidth = static_cast<int>(placeOf(box).right);
            if (c.centred) {
                EXPECT_NEAR(sumX / count, area.left + boxWidth / 2, 10);
            } else {
                EXPECT_LT(minX - area.left, 20);
            }
        });
    }
}

TEST_F(InfoWindows, TheHelpWindowOpensOnceAndComesForward) {
    StandIn ticker;
    const size_t before = program::openWindows().size();
    HWND first = info::openHelpWindow();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(info::openHelpWindow(), first);
    EXPECT_EQ(program::openWindows().size(), before + 1);

    SetForegroundWindow(ticker.hwnd());
    ASSERT_EQ(GetForegroundWindow(), ticker.hwnd());
    EXPECT_EQ(info::openHelpWindow(), first);
    EXPECT_EQ(GetForegroundWindow(), first) << "activated again";

    ShowWindow(first, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(first));
    EXPECT_EQ(info::openHelpWindow(), first);
    EXPECT_FALSE(IsIconic(first)) << "restored";
    EXPECT_EQ(program::openWindows().size(), before + 1);
}

// Presses a label of the help window, with the ticker's stand-in and a window that was disabled
// already open, and checks the modal window it opens and what that does to the others.
void pressLabelOpeningAModalWindow(const wchar_t* label, const wchar_t* opens) {
    StandIn ticker;
    StandIn alreadyDisabled;
    EnableWindow(alreadyDisabled.hwnd(), FALSE);
    HWND help = info::openHelpWindow();
    ASSERT_NE(help, nullptr);

    struct Seen {
        bool modalOpen = false;
        std::wstring title;
        bool tickerEnabled = true, disabledEnabled = true, helpEnabled = true, modalEnabled = false;
        HWND owner = nullptr;
    } seen;
    // The ticker's timer closes the modal window after a few ticks, so the close itself shows that
    // it went on ticking.
    ticker.startTicking([&](int) {
        HWND modal = info::currentModalWindow();
        if (!modal || seen.modalOpen) return;
        seen = {true,
                windowText(modal),
                isEnabled(ticker.hwnd()),
                isEnabled(alreadyDisabled.hwnd()),
                isEnabled(help),
                isEnabled(modal),
                GetWindow(modal, GW_OWNER)};
        PostMessageW(modal, WM_CLOSE, 0, 0);
    });
    SendMessageW(info::findControl(help, label), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));

    ASSERT_TRUE(seen.modalOpen);
    EXPECT_EQ(seen.title, opens);
    EXPECT_FALSE(seen.tickerEnabled);
    EXPECT_FALSE(seen.disabledEnabled);
    EXPECT_FALSE(seen.helpEnabled);
    EXPECT_TRUE(seen.modalEnabled);
    EXPECT_EQ(seen.owner, program::ownerWindow());

    EXPECT_EQ(info::currentModalWindow(), nullptr);
    EXPECT_TRUE(isEnabled(ticker.hwnd()));
    EXPECT_FALSE(isEnabled(alreadyDisabled.hwnd())) << "its former state, not simply enabled";
    EXPECT_TRUE(isEnabled(help));
    EXPECT_EQ(program::openWindows().size(), 3u) << "the modal window has gone";
    DestroyWindow(help);
}

TEST_F(InfoWindows, AModalWindowDisablesTheOthersWhileTheTickerGoesOnTicking) {
    struct Case {
        const wchar_t* label;
        const wchar_t* opens;
    } cases[] = {{L"标签1", L"使用说明"}, {L"标签3", L"关于软件"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(utf8(c.label));
        pressLabelOpeningAModalWindow(c.label, c.opens);
        // The stand-ins were the last windows: their end left a request to end the loop.
        drainQueue();
    }
}

TEST_F(InfoWindows, ActivatingADisabledWindowActivatesTheModalOneInstead) {
    StandIn ticker;
    HWND help = info::openHelpWindow();
    ASSERT_NE(help, nullptr);
    bool checked = false;
    whileModalOpen(Which::Usage, [&](HWND modal) {
        ASSERT_EQ(GetForegroundWindow(), modal);
        SetForegroundWindow(help);  // as the help window's taskbar button would
        program::processPendingEvents();
        EXPECT_EQ(GetForegroundWindow(), modal);
        checked = true;
    });
    EXPECT_TRUE(checked);
}

TEST_F(InfoWindows, EscClosesEachWindowAndOtherKeysDoNothing) {
    StandIn ticker;
    struct Case {
        UINT key;
        bool ctrlHeld;
        bool closes;
    } cases[] = {
        {VK_ESCAPE, false, true},
        {VK_ESCAPE, true, false},  // Ctrl+Esc belongs to the system
        {VK_RETURN, false, false},
        {VK_F1, false, false},
    };
    for (Which which : {Which::Help, Which::Usage, Which::About}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(nameOf(which)) + " key " + std::to_string(c.key) +
                         (c.ctrlHeld ? " with Ctrl" : ""));
            bool stillOpen = true;
            size_t windowsOpen = 0;
            withWindow(which, [&](HWND window) {
                ASSERT_NE(window, nullptr);
                const size_t before = program::openWindows().size();
                BYTE keys[256] = {};
                if (c.ctrlHeld) keys[VK_CONTROL] = 0x80;
                SetKeyboardState(keys);
                PostMessageW(window, WM_KEYDOWN, c.key, 1);
                PostMessageW(window, WM_KEYUP, c.key, 0xC0000001);
                program::processPendingEvents();
                BYTE none[256] = {};
                SetKeyboardState(none);
                stillOpen = IsWindow(window);
                windowsOpen = program::openWindows().size() - before;
            });
            EXPECT_EQ(stillOpen, !c.closes);
            if (!c.closes) {
                EXPECT_EQ(windowsOpen, 0u) << "the key opened nothing";
            }
        }
    }
}

TEST_F(InfoWindows, FontsAndIconsGoWithTheirWindow) {
    HWND help = info::openHelpWindow();
    ASSERT_NE(help, nullptr);
    std::vector<HGDIOBJ> fonts;
    for (const wchar_t* name : {L"透明标签1", L"标签1", L"标签3"}) {
        fonts.push_back(reinterpret_cast<HGDIOBJ>(SendMessageW(info::findControl(help, name), WM_GETFONT, 0, 0)));
        EXPECT_EQ(GetObjectType(fonts.back()), static_cast<DWORD>(OBJ_FONT)) << utf8(name);
    }
    const auto icon = reinterpret_cast<HICON>(SendMessageW(help, WM_GETICON, ICON_BIG, 0));
    ICONINFO iconInfo{};
    ASSERT_TRUE(GetIconInfo(icon, &iconInfo));
    DeleteObject(iconInfo.hbmColor);
    DeleteObject(iconInfo.hbmMask);

    DestroyWindow(help);
    for (HGDIOBJ font : fonts) EXPECT_EQ(GetObjectType(font), 0u) << "deleted with the window";
    EXPECT_FALSE(GetIconInfo(icon, &iconInfo)) << "destroyed with the window";
}

TEST_F(InfoWindows, TheLastWindowClosedEndsTheEventLoopWithZero) {
    ASSERT_TRUE(program::openWindows().empty());
    HWND help = info::openHelpWindow();
    ASSERT_NE(help, nullptr);
    PostMessageW(help, WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_EQ(program::runEventLoop(), 0);
    EXPECT_FALSE(IsWindow(help));
    EXPECT_TRUE(program::openWindows().empty());

    // A modal window that is the last one leaves the request to end for the loop that runs it.
    whileModalOpen(Which::About, [](HWND) {});
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 0u);
}

TEST(InfoIcon, TheHelpIconIs32By32With16Colours) {
#pragma pack(push, 2)
    struct GroupIconEntry {
        BYTE width, height, colourCount, reserved;
        WORD planes, bitCount;
        DWORD bytes;
        WORD id;
    };
    struct GroupIcon {
        WORD reserved, type, count;
        GroupIconEntry entries[1];
    };
#pragma pack(pop)
    HRSRC resource =
        FindResourceW(nullptr, MAKEINTRESOURCEW(IDI_INFO_HELP), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */);
    ASSERT_NE(resource, nullptr);
    const auto* group = static_cast<const GroupIcon*>(LockResource(LoadResource(nullptr, resource)));
    ASSERT_NE(group, nullptr);
    ASSERT_EQ(group->count, 1);
    EXPECT_EQ(group->entries[0].width, 32);
    EXPECT_EQ(group->entries[0].height, 32);
    EXPECT_EQ(group->entries[0].colourCount, 16);
    EXPECT_EQ(group->entries[0].bitCount, 4);
}

}  // namespace
