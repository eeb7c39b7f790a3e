#include "ticker/ticker_window_win32.h"

#include <windowsx.h>

#include <iterator>

#include "ticker/font_record_win32.h"
#include "ticker/gbk_text_win32.h"
#include "ticker/numeric_box.h"
#include "ticker/program_win32.h"
#include "ticker/trans_label_win32.h"

namespace ticker {
namespace {

constexpr wchar_t kWindowClass[] = L"TickerWindow";
constexpr UINT_PTR kRefreshTimerId = 1;
constexpr int kFirstControlId = 1001;
// Raised once the press has been handled: the help window it opens takes the activation, and
// Wine loses track of the ticker's own activation when that happens inside the press.
constexpr UINT kRightButtonPressed = WM_APP + 3;


enum class Kind { TransLabel, EditBox, Button, CheckBox };

struct ControlSpec {
    Control id;
    const wchar_t* name;
    Kind kind;
    int left, top, width, height;
    const wchar_t* text;
    bool tabStop;
    COLORREF textColour;
};

// Top to bottom in the z-order; the tab order runs the other way.
const ControlSpec kControls[] = {
    {Control::AlarmCheck, L"选择框1", Kind::CheckBox, 104, 2, 12, 10, L"", true, RGB(255, 0, 0)},
    {Control::PriceLabel, L"透明标签1", Kind::TransLabel, 2, 4, 64, 20, L"00.00", false, RGB(0, 0, 0)},
    {Control::ChangeLabel, L"透明标签2", Kind::TransLabel, 69, -5, 42, 24, L"00.00", false, RGB(0, 0, 0)},
    {Control::PercentLabel, L"透明标签3", Kind::TransLabel, 69, 11, 42, 24, L"00.00%", false, RGB(0, 0, 0)},
    {Control::CodeBox, L"编辑框1", Kind::EditBox, 1, 29, 55, 20, L"股票代码", true, RGB(192, 192, 192)},
    {Control::LowerBox, L"编辑框2", Kind::EditBox, 1, 49, 55, 20, L"下 限", false, RGB(0, 128, 0)},
    {Control::StartButton, L"按钮1", Kind::Button, 60, 30, 55, 19, L"开始", true, 0},
    {Control::UpperBox, L"编辑框3", Kind::EditBox, 60, 49, 55, 20, L"上 限", false, RGB(255, 0, 0)},
};
constexpr size_t kControlCount = std::size(kControls);

const ControlSpec& specOf(Control c) {
    for (const auto& spec : kControls)
        if (spec.id == c) return spec;
    return kControls[0];
}

size_t indexOf(Control c) { return static_cast<size_t>(&specOf(c) - kControls); }

bool modifierHeld() {
    return GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_MENU) < 0;
}

// The price digits come out in a bold 16-pixel Song face. Glyphs are drawn without antialiasing:
// a blended edge pixel is neither key colour nor text colour and would ring every digit in pink.
LOGFONTW priceFontRecord() {
    return gb2312Font(-16, FW_BOLD, L"宋体", OUT_STROKE_PRECIS, CLIP_STROKE_PRECIS, NONANTIALIASED_QUALITY,
                      VARIABLE_PITCH);
}

LOGFONTW smallFontRecord(BYTE quality) { return gb2312Font(-14, FW_NORMAL, L"", 0, 0, quality); }

DWORD styleOf(const ControlSpec& spec) {
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (spec.tabStop ? WS_TABSTOP : 0);
    switch (spec.kind) {
    case Kind::TransLabel:
        return WS_CHILD | WS_DISABLED;
    case Kind::EditBox:
        return style | WS_BORDER | ES_CENTER | ES_AUTOHSCROLL;
    case Kind::Button:
        return style | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE;
    case Kind::CheckBox:
        return style | BS_AUTOCHECKBOX | BS_LEFT | BS_VCENTER;
    }
    return style;
}

const wchar_t* classOf(const ControlSpec& spec, HINSTANCE instance) {
    switch (spec.kind) {
    case Kind::TransLabel:
        return transLabelClass(instance);
    case Kind::EditBox:
        return L"EDIT";
    default:
        return L"BUTTON";
    }
}

// A single-line box lower than one line of its font plus its edges is made that tall.
int editHeightFor(HWND edit, int height) {
    HDC dc = GetDC(edit);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(edit, WM_GETFONT, 0, 0)));
    SIZE glyph{};
    GetTextExtentPoint32W(dc, L"中", 1, &glyph);
    SelectObject(dc, old);
    ReleaseDC(edit, dc);
    const int needed = glyph.cy + 2 * GetSystemMetrics(SM_CYEDGE);
    return height < needed ? needed : height;
}

const wchar_t* promptText(Prompt prompt) {
    switch (prompt) {
    case Prompt::MissingCode:
        return L"请填写完整的股票代码！";
    case Prompt::MissingLower:
        return L"请设定价格下限预警！";
    case Prompt::MissingUpper:
        return L"请设定价格上限预警！";
    }
    return L"";
}

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace

const wchar_t* controlName(Control c) { return specOf(c).name; }
int controlId(Control c) { return kFirstControlId + static_cast<int>(indexOf(c)); }

TickerWindow::TickerWindow(HINSTANCE instance) : instance_(instance) {}

TickerWindow::~TickerWindow() {
    if (window_) DestroyWindow(window_);
}

HWND TickerWindow::control(Control c) const { return controls_[indexOf(c)]; }

bool TickerWindow::open() {
    if (window_) {
        if (IsIconic(window_)) ShowWindow(window_, SW_RESTORE);
        SetForegroundWindow(window_);
        return true;
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance_;
    wc.hCursor = LoadCursorW(nullptr, IDC_SIZEALL);
    wc.lpszClassName = kWindowClass;
    RegisterClassExW(&wc);

    // Centred on the full primary screen, not the work area.
    const int left = (GetSystemMetrics(SM_CXSCREEN) - kTickerWidth) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - kTickerHeight) / 2;
    window_ = CreateWindowExW(0, kWindowClass, L"", WS_POPUP, left, top, kTickerWidth, kTickerHeight,
                              program::ownerWindow(), nullptr, instance_, this);
    if (!window_) return false;
    program::windowOpened(window_);
    program::keepOnTop(window_);
    SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    createFonts();
    createControls();
    onCreated();
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    return true;
}

void TickerWindow::createFonts() {
    priceFont_ = makeFont(priceFontRecord());
    smallLabelFont_ = makeFont(smallFontRecord(NONANTIALIASED_QUALITY));
    smallEditFont_ = makeFont(smallFontRecord(DEFAULT_QUALITY));
    editBackground_ = makeSolidBrush(RGB(255, 255, 255));
    checkBackground_ = makeSolidBrush(RGB(128, 0, 128));
}

void TickerWindow::createControls() {
    HWND previous = HWND_TOP;
    for (size_t i = 0; i < kControlCount; ++i) {
        const ControlSpec& spec = kControls[i];
        HWND c = CreateWindowExW(spec.kind == Kind::TransLabel ? WS_EX_TRANSPARENT : 0, classOf(spec, instance_),
                                 spec.text, styleOf(spec), spec.left, spec.top, spec.width, spec.height, window_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + i)), instance_, nullptr);
        controls_[i] = c;
        SetWindowPos(c, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previous = c;
        switch (spec.id) {
        case Control::PriceLabel:
            setTransLabelFont(c, priceFont_.get());
            break;
        case Control::ChangeLabel:
        case Control::PercentLabel:
            setTransLabelFont(c, smallLabelFont_.get());
            break;
        case Control::LowerBox:
        case Control::UpperBox:
            SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(smallEditFont_.get()), FALSE);
            break;
        default:
            SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        }
        if (spec.kind == Kind::EditBox) {
            SetWindowPos(c, nullptr, 0, 0, spec.width, editHeightFor(c, spec.height),
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        if (spec.kind == Kind::CheckBox) SendMessageW(c, BM_SETCHECK, BST_CHECKED, 0);
        if (spec.kind != Kind::TransLabel) subclass(c, i);
    }
    for (HWND c : controls_) ShowWindow(c, SW_SHOWNA);
}

// The window's created event: the background becomes the key colour, and the window system is
// told to let every pixel of exactly that colour through. The results are not looked at: where
// layering is refused, the ticker is an ordinary opaque rectangle and works the same.
void TickerWindow::onCreated() {
    COLORREF colour = kKeyColour;
    background_ = makeSolidBrush(colour);
    InvalidateRect(window_, nullptr, TRUE);
    LOGBRUSH readBack{};
    GetObjectW(background_.get(), sizeof readBack, &readBack);
    colour = readBack.lbColor;
    SetWindowLongA(window_, GWL_EXSTYLE, GetWindowLongA(window_, GWL_EXSTYLE) | WS_EX_LAYERED);
    SetLayeredWindowAttributes(window_, colour, 200, LWA_COLORKEY);
}

LRESULT CALLBACK TickerWindow::windowProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<TickerWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_ = window;
    }
    auto* self = reinterpret_cast<TickerWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self || !self->window_) return DefWindowProcW(window, msg, wp, lp);
    return self->handle(msg, wp, lp);
}

LRESULT TickerWindow::handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return onEraseBackground(reinterpret_cast<HDC>(wp));
    case WM_PRINTCLIENT:
        return onEraseBackground(reinterpret_cast<HDC>(wp));
    case WM_LBUTTONDOWN:
        return onLeftButtonDown();
    case WM_LBUTTONDBLCLK:
        if (events_) events_->onDoubleClick();
        return 0;
    case WM_RBUTTONDOWN:
        PostMessageW(window_, kRightButtonPressed, 0, 0);
        return 0;
    case kRightButtonPressed:
        if (events_) events_->onRightButtonPressed();
        return 0;
    case WM_TIMER:
        if (wp == kRefreshTimerId && events_) events_->onTimerTick();
        return 0;
    case WM_COMMAND:
        onCommand(wp, lp);
        return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return onControlColour(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
    case WM_ACTIVATE:
        return onActivate(wp, lp);
    case program::kStayOnTop:
        return onStayOnTop();
    case WM_SETFOCUS:
        passFocusOn();
        return 0;
    case program::kPreTranslateKey:
        return onKey(*reinterpret_cast<const MSG*>(lp)) ? TRUE : FALSE;
    case WM_DESTROY:
        KillTimer(window_, kRefreshTimerId);
        return 0;
    case WM_NCDESTROY:
        onDestroyed();
        return 0;
    }
    return DefWindowProcW(window_, msg, wp, lp);
}

// Leaving the topmost band and entering it again is a real change of the z-order, which Wine
// passes on to the X server; setting the place the window already has would not be.
LRESULT TickerWindow::onStayOnTop() {
    constexpr UINT kOnlyZOrder = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
    SetWindowPos(window_, HWND_NOTOPMOST, 0, 0, 0, 0, kOnlyZOrder);
    SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, kOnlyZOrder);
    return 0;
}

LRESULT TickerWindow::onEraseBackground(HDC dc) {
    RECT client;
    GetClientRect(window_, &client);
    FillRect(dc, &client, background_ ? background_.get() : GetSysColorBrush(COLOR_BTNFACE));
    return 1;
}

// A press on the window itself, digits included, starts the window system's own move
// tracking, as a press on a title bar would.
LRESULT TickerWindow::onLeftButtonDown() {
    POINT cursor;
    GetCursorPos(&cursor);
    ReleaseCapture();
    SendMessageW(window_, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(cursor.x, cursor.y));
    return 0;
}

LRESULT TickerWindow::onActivate(WPARAM wp, LPARAM lp) {
    if (LOWORD(wp) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(window_, focus)) lastFocus_ = focus;
    }
    return DefWindowProcW(window_, WM_ACTIVATE, wp, lp);
}

// The window never keeps the focus itself while one of its controls can take it.
void TickerWindow::passFocusOn() {
    auto canTakeFocus = [this](HWND c) { return c && IsWindow(c) && IsChild(window_, c) && IsWindowVisible(c) && IsWindowEnabled(c); };
    if (canTakeFocus(lastFocus_)) {
        SetFocus(lastFocus_);
        return;
    }
    for (size_t i = kControlCount; i-- > 0;) {
        HWND c = controls_[i];
        if (kControls[i].tabStop && canTakeFocus(c)) {
            SetFocus(c);
            return;
        }
    }
}

// Tab goes backwards through the z-order (按钮1, 编辑框1, 选择框1), wrapping at the ends.
void TickerWindow::moveFocus(bool backwards) {
    const HWND focus = GetFocus();
    int current = -1;
    for (size_t i = 0; i < kControlCount; ++i)
        if (controls_[i] == focus) current = static_cast<int>(i);
    const int n = static_cast<int>(kControlCount);
    const int step = backwards ? 1 : -1;
    int i = current < 0 ? (backwards ? -1 : n) : current;
    for (int tries = 0; tries < n; ++tries) {
        i = (i + step + n) % n;
        HWND c = controls_[i];
        if (kControls[i].tabStop && IsWindowVisible(c) && IsWindowEnabled(c)) {
            SetFocus(c);
            return;
        }
    }
}

bool TickerWindow::onKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    if (msg.wParam == VK_ESCAPE && !modifierHeld()) {
        SendMessageW(window_, WM_CLOSE, 0, 0);
        return true;
    }
    if (msg.wParam == VK_TAB && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0) {
        moveFocus(GetKeyState(VK_SHIFT) < 0);
        return true;
    }
    return false;
}

LRESULT TickerWindow::onControlColour(HDC dc, HWND c) {
    for (size_t i = 0; i < kControlCount; ++i) {
        if (controls_[i] != c) continue;
        const ControlSpec& spec = kControls[i];
        if (spec.kind == Kind::EditBox) {
            SetTextColor(dc, spec.textColour);
            SetBkColor(dc, RGB(255, 255, 255));
            return reinterpret_cast<LRESULT>(editBackground_.get());
        }
        if (spec.kind == Kind::CheckBox) {
            SetTextColor(dc, spec.textColour);
            SetBkColor(dc, RGB(128, 0, 128));
            return reinterpret_cast<LRESULT>(checkBackground_.get());
        }
    }
    return DefWindowProcW(window_, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(c));
}

void TickerWindow::onCommand(WPARAM wp, LPARAM lp) {
    if (HIWORD(wp) == BN_CLICKED && reinterpret_cast<HWND>(lp) == control(Control::StartButton) && events_) {
        events_->onStartClicked();
    }
}

// Plain subclassing: the common controls' helpers for it would load a library that costs the
// process more than a megabyte for three calls.
void TickerWindow::subclass(HWND c, size_t index) {
    SetWindowLongPtrW(c, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    originalProcs_[index] =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(c, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(controlProc)));
}

WNDPROC TickerWindow::originalProcOf(HWND c) const {
    const int index = GetDlgCtrlID(c) - kFirstControlId;
    return index >= 0 && static_cast<size_t>(index) < kControlCount ? originalProcs_[index] : nullptr;
}

LRESULT CALLBACK TickerWindow::controlProc(HWND c, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<TickerWindow*>(GetWindowLongPtrW(c, GWLP_USERDATA));
    return self->handleControl(c, msg, wp, lp);
}

// The controls' own events run before the control processes the input.
LRESULT TickerWindow::handleControl(HWND c, UINT msg, WPARAM wp, LPARAM lp) {
    const WNDPROC original = originalProcOf(c);
    if (!original) return DefWindowProcW(c, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(c, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        return CallWindowProcW(original, c, msg, wp, lp);
    }
    if (msg == WM_LBUTTONDOWN && events_) {
        if (c == control(Control::CodeBox)) events_->onCodeBoxPressed();
        if (c == control(Control::LowerBox)) events_->onLowerBoxPressed();
        if (c == control(Control::UpperBox)) events_->onUpperBoxPressed();
        if (!IsWindow(c)) return 0;
    }
    if (msg == WM_RBUTTONUP && c == control(Control::AlarmCheck)) program::endNow(0);
    const bool numeric = c == control(Control::LowerBox) || c == control(Control::UpperBox);
    if (numeric && msg == WM_CHAR && !numericBoxAccepts(static_cast<unsigned>(wp))) return 0;
    const LRESULT result = CallWindowProcW(original, c, msg, wp, lp);
    if (numeric && msg == WM_KILLFOCUS) onNumericBoxFocusLost(c);
    return result;
}

void TickerWindow::onNumericBoxFocusLost(HWND box) {
    const auto tidy = numericBoxTextOnFocusLoss(wideToGbk(windowText(box)));
    if (!tidy) return;
    DWORD selectionStart = 0;
    SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&selectionStart), 0);
    SetWindowTextW(box, gbkToWide(*tidy).c_str());
    SendMessageW(box, EM_SETSEL, selectionStart, selectionStart);
}

void TickerWindow::onDestroyed() {
    HWND closed = window_;
    window_ = nullptr;
    for (HWND& c : controls_) c = nullptr;
    program::windowDestroyed(closed);
}

std::string TickerWindow::text(Control c) const {
    HWND h = control(c);
    return h ? wideToGbk(windowText(h)) : std::string();
}

void TickerWindow::setText(Control c, const std::string& gbk) {
    if (HWND h = control(c)) SetWindowTextW(h, gbkToWide(gbk).c_str());
}

void TickerWindow::setTextColour(Control c, Colour colour) {
    if (specOf(c).kind != Kind::TransLabel) return;
    if (HWND h = control(c)) setTransLabelColour(h, colour);
}

void TickerWindow::setVisible(Control c, bool visible) {
    if (HWND h = control(c)) ShowWindow(h, visible ? SW_SHOWNA : SW_HIDE);
}

bool TickerWindow::isChecked(Control c) const {
    HWND h = control(c);
    return h && SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TickerWindow::setTimerPeriod(int milliseconds) {
    const TimerPeriod::Change change = timer_.set(milliseconds);
    if (!window_) return;
    if (change.stop) KillTimer(window_, kRefreshTimerId);
    if (change.startWith > 0) SetTimer(window_, kRefreshTimerId, static_cast<UINT>(change.startWith), nullptr);
}

std::string TickerWindow::initialText(Control c) const { return wideToGbk(specOf(c).text); }

void TickerWindow::showMessage(Prompt prompt) {
    MessageBoxW(nullptr, promptText(prompt), L"提示", MB_OK | MB_ICONINFORMATION | MB_TASKMODAL);
}

void TickerWindow::processPendingEvents() { program::processPendingEvents(); }

void TickerWindow::sleep(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

}  // namespace ticker
