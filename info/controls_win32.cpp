#include "info/controls_win32.h"
#include "info/owned_window_proc_win32.h"

#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "info/gradient.h"
#include "ticker/gdi_handles_win32.h"

namespace info {
namespace {

constexpr wchar_t kTransLabelClass[] = L"InfoTransLabel";
constexpr wchar_t kLabelClass[] = L"InfoLabel";
constexpr wchar_t kGroupBoxClass[] = L"InfoGroupBox";

// Where a group box's caption starts when it is left-aligned, as the system's own group boxes do.
constexpr int kCaptionIndent = 7;

const wchar_t* className(ControlKind kind) {
    switch (kind) {
        case ControlKind::TransLabel:
            return kTransLabelClass;
        case ControlKind::Label:
            return kLabelClass;
        case ControlKind::GroupBox:
            return kGroupBoxClass;
    }
    return kTransLabelClass;
}

// The origin of a child window in its parent's client area.
POINT originInParent(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    POINT origin{r.left, r.top};
    ScreenToClient(GetParent(window), &origin);
    return origin;
}

class Control {
public:
    static HWND create(const ControlSettings& settings, HWND parent, int id);

private:
    static void registerClasses();
    explicit Control(const ControlSettings& settings);

    template <class T>
    friend LRESULT CALLBACK ::info::ownedWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT handle(UINT msg, WPARAM wp, LPARAM lp);

    LRESULT onPaint();
    LRESULT onSetCursor(WPARAM wp, LPARAM lp);
    LRESULT onSetText(WPARAM wp, LPARAM lp);
    LRESULT onLeftButtonDown();

    void paint(HDC dc);
    void paintTransLabel(HDC dc);
    void paintLabel(HDC dc);
    void paintGroupBox(HDC dc);
    void paintBeneath(HDC dc);
    void drawText(HDC dc, RECT area);

    ControlSettings settings_;
    HWND hwnd_ = nullptr;
    std::wstring text_;
    ticker::FontHandle ownFont_;
    HFONT font_;
    HCURSOR pointer_;
};

void Control::registerClasses() {
    static const bool registered = [] {
        for (ControlKind kind : {ControlKind::TransLabel, ControlKind::Label, ControlKind::GroupBox}) {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof wc;
            wc.lpfnWndProc = &ownedWindowProc<Control>;
            wc.hCursor =
                LoadCursorW(nullptr, IDC_ARROW);  // the window's own pointer, unless a control has one
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = className(kind);
            RegisterClassExW(&wc);
        }
        return true;
    }();
    (void)registered;
}

Control::Control(const ControlSettings& settings)
    : settings_(settings),
      text_(settings.text ? settings.text : L""),
      ownFont_(settings.font ? CreateFontIndirectW(&*settings.font) : nullptr),
      font_(ownFont_ ? ownFont_.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))),
      pointer_(settings.pointer ? LoadCursorW(nullptr, settings.pointer) : nullptr) {}

HWND Control::create(const ControlSettings& settings, HWND parent, int id) {
    registerClasses();
    std::unique_ptr<Control> control(new Control(settings));
    // Clipping siblings keeps a group box from painting over the labels that lie above it; the
    // labels paint what lies beneath them themselves.
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    // The system's dialog frame is the raised border of a label.
    const DWORD exStyle = settings.kind == ControlKind::Label ? WS_EX_DLGMODALFRAME : 0;
    HWND hwnd = CreateWindowExW(
        exStyle, className(settings.kind), control->text_.c_str(), style, settings.place.x, settings.place.y,
        settings.place.width, settings.place.height, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (!hwnd) return nullptr;
    // The window owns its object from here on and deletes it when it goes. Until now it has only
    // had the default handling, which is all it needs while it is being created.
    control->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control.release()));
    SetWindowPos(hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    InvalidateRect(hwnd, nullptr, FALSE);
    return hwnd;
}

LRESULT Control::handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_PAINT:
            return onPaint();
        case WM_PRINTCLIENT:
            paint(reinterpret_cast<HDC>(wp));
            return 0;
        case WM_ERASEBKGND:
            return 1;  // painting covers every pixel
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(font_);
        case WM_SETCURSOR:
            return onSetCursor(wp, lp);
        case WM_SETTEXT:
            return onSetText(wp, lp);
        case WM_LBUTTONDOWN:
            return onLeftButtonDown();
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT Control::onPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    paint(dc);
    EndPaint(hwnd_, &ps);
    return 0;
}

LRESULT Control::onSetCursor(WPARAM wp, LPARAM lp) {
    if (pointer_ && LOWORD(lp) == HTCLIENT) {
        SetCursor(pointer_);
        return TRUE;
    }
    return DefWindowProcW(hwnd_, WM_SETCURSOR, wp, lp);
}

LRESULT Control::onSetText(WPARAM wp, LPARAM lp) {
    const LRESULT result = DefWindowProcW(hwnd_, WM_SETTEXT, wp, lp);
    const auto* text = reinterpret_cast<const wchar_t*>(lp);
    text_ = text ? text : L"";
    InvalidateRect(hwnd_, nullptr, FALSE);
    return result;
}

LRESULT Control::onLeftButtonDown() {
    // The handler may open a modal window and run its event loop; nothing here is touched after it.
    if (settings_.onLeftPress) settings_.onLeftPress();
    return 0;
}

void Control::paint(HDC dc) {
    const int saved = SaveDC(dc);
    SelectObject(dc, font_);
    switch (settings_.kind) {
        case ControlKind::TransLabel:
            paintTransLabel(dc);
            break;
        case ControlKind::Label:
            paintLabel(dc);
            break;
        case ControlKind::GroupBox:
            paintGroupBox(dc);
            break;
    }
    RestoreDC(dc, saved);
}

void Control::paintTransLabel(HDC dc) {
    paintBeneath(dc);
    RECT client;
    GetClientRect(hwnd_, &client);
    drawText(dc, client);
}

// A label without a background of its own: its parent's painting and that of every sibling beneath
// it, bottom first, at their places relative to the label. Painting the whole picture each time
// leaves no trace of earlier text, whatever part of the label is repainted.
void Control::paintBeneath(HDC dc) {
    HWND parent = GetParent(hwnd_);
    const POINT origin = originInParent(hwnd_);

    int saved = SaveDC(dc);
    SetViewportOrgEx(dc, -origin.x, -origin.y, nullptr);
    SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    RestoreDC(dc, saved);

    RECT mine;
    GetWindowRect(hwnd_, &mine);
    std::vector<HWND> beneath;
    for (HWND sibling = GetWindow(hwnd_, GW_HWNDNEXT); sibling; sibling = GetWindow(sibling, GW_HWNDNEXT)) {
        RECT theirs, overlap;
        GetWindowRect(sibling, &theirs);
        if (IsWindowVisible(sibling) && IntersectRect(&overlap, &mine, &theirs)) beneath.push_back(sibling);
    }
    for (auto it = beneath.rbegin(); it != beneath.rend(); ++it) {
        const POINT theirs = originInParent(*it);
        RECT size;
        GetWindowRect(*it, &size);
        saved = SaveDC(dc);
        SetViewportOrgEx(dc, theirs.x - origin.x, theirs.y - origin.y, nullptr);
        IntersectClipRect(dc, 0, 0, size.right - size.left, size.bottom - size.top);
        SendMessageW(*it, WM_PRINT, reinterpret_cast<WPARAM>(dc),
                     PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND);
        RestoreDC(dc, saved);
    }
}

// The client area lies inside the raised frame, and the three colours run through it. The DC brush
// takes each row's colour, so painting creates no brush.
void Control::paintLabel(HDC dc) {
    RECT client;
    GetClientRect(hwnd_, &client);
    const int height = client.bottom;
    auto* rowBrush = static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
    for (int y = 0; y < height; ++y) {
        SetDCBrushColor(dc, gradientRowColour(y, height));
        const RECT row{0, y, client.right, y + 1};
        FillRect(dc, &row, rowBrush);
    }
    drawText(dc, client);
}

void Control::paintGroupBox(HDC dc) {
    RECT client;
    GetClientRect(hwnd_, &client);
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    FillRect(dc, &client, face);

    TEXTMETRICW metrics;
    GetTextMetricsW(dc, &metrics);
    RECT frame = client;
    frame.top += metrics.tmHeight / 2 - 1;  // the frame's top line runs through the caption's middle
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);

    if (text_.empty()) return;
    SIZE extent;
    GetTextExtentPoint32W(dc, text_.c_str(), static_cast<int>(text_.size()), &extent);
    const int left =
        settings_.alignment == Alignment::Centre ? (client.right - extent.cx) / 2 : kCaptionIndent;
    const RECT caption{left, 0, left + extent.cx, metrics.tmHeight};
    FillRect(dc, &caption, face);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, settings_.colour);
    RECT textArea = caption;
    DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &textArea,
              DT_SINGLELINE | DT_NOPREFIX | DT_LEFT | DT_TOP);
}

void Control::drawText(HDC dc, RECT area) {
    if (text_.empty()) return;
    UINT format = DT_NOPREFIX | (settings_.alignment == Alignment::Centre ? DT_CENTER : DT_LEFT);
    format |= settings_.wordWrap ? DT_WORDBREAK | DT_TOP : DT_SINGLELINE | DT_VCENTER;
    SetBkMode(dc, TRANSPARENT);
    auto drawAt = [&](COLORREF colour, int dx, int dy) {
        RECT r = area;
        OffsetRect(&r, dx, dy);
        SetTextColor(dc, colour);
        DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &r, format);
    };
    switch (settings_.effect) {
        case TextEffect::None:
            drawAt(settings_.colour, 0, 0);
            break;
        case TextEffect::WhiteOffset:
            drawAt(kWhiteText, 1, 1);
            drawAt(settings_.colour, 0, 0);
            break;
        case TextEffect::TextOffset:
            drawAt(kWhiteText, 0, 0);
            drawAt(settings_.colour, 1, 1);
            break;
    }
}

}  // namespace

HWND createControl(const ControlSettings& settings, HWND parent, int id) {
    return Control::create(settings, parent, id);
}

}  // namespace info
