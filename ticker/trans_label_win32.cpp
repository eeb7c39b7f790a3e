#include "ticker/trans_label_win32.h"

#include <algorithm>

namespace ticker {
namespace {

struct LabelState {
    std::wstring text;
    COLORREF colour = RGB(0, 0, 0);
    HFONT font = nullptr;
};

LabelState* stateOf(HWND label) { return reinterpret_cast<LabelState*>(GetWindowLongPtrW(label, GWLP_USERDATA)); }

bool isTransLabel(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return lstrcmpW(name, L"TickerTransLabel") == 0;
}

// Opaque controls above the label in the z-order hide its glyphs (the alarm check box over the
// change label); labels above it do not, since they only draw glyphs themselves.
void excludeOpaqueSiblingsAbove(HWND label, HDC dc) {
    RECT own;
    GetWindowRect(label, &own);
    for (HWND above = GetWindow(label, GW_HWNDPREV); above; above = GetWindow(above, GW_HWNDPREV)) {
        if (!IsWindowVisible(above) || isTransLabel(above)) continue;
        RECT r;
        GetWindowRect(above, &r);
        OffsetRect(&r, -own.left, -own.top);
        ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
    }
}

void paint(HWND label, HDC dc) {
    const LabelState* s = stateOf(label);
    if (!s || s->text.empty()) return;
    excludeOpaqueSiblingsAbove(label, dc);
    const HGDIOBJ oldFont = SelectObject(dc, s->font ? s->font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, s->colour);
    RECT client;
    GetClientRect(label, &client);
    DrawTextW(dc, s->text.c_str(), static_cast<int>(s->text.size()), &client,
              DT_SINGLELINE | DT_LEFT | DT_VCENTER | DT_NOPREFIX);
    SelectObject(dc, oldFont);
}

// What lies under the label repaints first (the parent's background and every control there),
// then the label, which is among the children the parent's repaint reaches. The repaint waits for
// the window thread's next look at its messages, so that a refresh's writes to several labels cost
// one repaint of the layered window rather than one each.
void repaintWithWhatLiesUnder(HWND label) {
    HWND parent = GetParent(label);
    RECT r;
    GetWindowRect(label, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    RedrawWindow(parent, &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

LRESULT CALLBACK labelProc(HWND label, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_NCCREATE: {
        auto* s = new LabelState;
        const auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
        if (create->lpszName) s->text = create->lpszName;
        SetWindowLongPtrW(label, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(s));
        break;
    }
    case WM_NCDESTROY:
        delete stateOf(label);
        SetWindowLongPtrW(label, GWLP_USERDATA, 0);
        break;
    case WM_NCHITTEST:
        return HTTRANSPARENT;  // the window beneath takes the mouse: the ticker drags by its digits
    case WM_ERASEBKGND:
        return 1;  // never erases: the background belongs to what lies beneath
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(label, &ps);
        paint(label, dc);
        EndPaint(label, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        paint(label, reinterpret_cast<HDC>(wp));
        return 0;
    case WM_SETTEXT: {
        // Every refresh writes all three labels; one that already shows the text is left alone,
        // since each repaint of the layered window costs more than the whole quote request.
        LabelState* s = stateOf(label);
        const wchar_t* text = lp ? reinterpret_cast<const wchar_t*>(lp) : L"";
        if (s && s->text == text) return TRUE;
        if (s) s->text = text;
        repaintWithWhatLiesUnder(label);
        return TRUE;
    }
    case WM_GETTEXTLENGTH:
        return stateOf(label) ? static_cast<LRESULT>(stateOf(label)->text.size()) : 0;
    case WM_GETTEXT: {
        const LabelState* s = stateOf(label);
        if (!s || wp == 0) return 0;
        const size_t n = std::min(s->text.size(), static_cast<size_t>(wp) - 1);
        s->text.copy(reinterpret_cast<wchar_t*>(lp), n);
        reinterpret_cast<wchar_t*>(lp)[n] = L'\0';
        return static_cast<LRESULT>(n);
    }
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(stateOf(label) ? stateOf(label)->font : nullptr);
    }
    return DefWindowProcW(label, msg, wp, lp);
}

}  // namespace

const wchar_t* transLabelClass(HINSTANCE instance) {
    static const wchar_t* name = [instance] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = labelProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = L"TickerTransLabel";
        RegisterClassExW(&wc);
        return wc.lpszClassName;
    }();
    return name;
}

void setTransLabelText(HWND label, const std::wstring& text) {
    SendMessageW(label, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring transLabelText(HWND label) {
    const LabelState* s = stateOf(label);
    return s ? s->text : std::wstring();
}

// Whether another label's rectangle meets this one's: then their glyphs may cross, and only a
// repaint from beneath puts them back in the right order.
bool overlapsAnotherLabel(HWND label) {
    RECT own;
    GetWindowRect(label, &own);
    for (HWND other = GetWindow(GetParent(label), GW_CHILD); other; other = GetWindow(other, GW_HWNDNEXT)) {
        RECT r, common;
        if (other == label || !isTransLabel(other) || !IsWindowVisible(other)) continue;
        GetWindowRect(other, &r);
        if (IntersectRect(&common, &own, &r)) return true;
    }
    return false;
}

void setTransLabelColour(HWND label, COLORREF colour) {
    LabelState* s = stateOf(label);
    if (s && s->colour == colour) return;
    if (s) s->colour = colour;
    // The labels' fonts draw without antialiasing, so the same text in a new colour covers exactly
    // the pixels of the old glyphs: the label alone repaints, which halves the cost of a flash.
    if (s && !s->text.empty() && !overlapsAnotherLabel(label)) {
        InvalidateRect(label, nullptr, FALSE);
        return;
    }
    repaintWithWhatLiesUnder(label);
}

COLORREF transLabelColour(HWND label) {
    const LabelState* s = stateOf(label);
    return s ? s->colour : RGB(0, 0, 0);
}

void setTransLabelFont(HWND label, HFONT font) {
    if (LabelState* s = stateOf(label)) s->font = font;
    repaintWithWhatLiesUnder(label);
}

}  // namespace ticker
