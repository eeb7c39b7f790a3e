#include "ticker/program_win32.h"

#include <algorithm>

namespace ticker::program {
namespace {

struct State {
    HWND owner = nullptr;
    std::vector<HWND> windows;
    std::vector<HWND> onTop;
    HWND lastForeground = nullptr;
    std::vector<std::function<void()>> endHooks;
    bool endHooksRan = false;
};

State& state() {
    static State s;
    return s;
}

// Keys go to the top-level window first, as a dialog manager would see them: Esc and Tab mean
// something to the window whatever control has the focus.
bool preTranslate(MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN && msg.message != WM_CHAR) return false;
    if (!msg.hwnd) return false;
    HWND top = GetAncestor(msg.hwnd, GA_ROOT);
    return top && SendMessageW(top, kPreTranslateKey, 0, reinterpret_cast<LPARAM>(&msg)) == TRUE;
}

// Foreground changes happen while messages are handled: activation by a click, a window shown,
// another program taking over.
void noticeForegroundChange() {
    HWND foreground = GetForegroundWindow();
    if (foreground == state().lastForeground) return;
    state().lastForeground = foreground;
    for (HWND top : state().onTop) PostMessageW(top, kStayOnTop, 0, 0);
}

void dispatch(MSG& msg) {
    if (!preTranslate(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    noticeForegroundChange();
}

}  // namespace

HWND ownerWindow() { return state().owner; }

bool createOwnerWindow(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.lpszClassName = L"TickerHiddenOwner";
    RegisterClassExW(&wc);
    state().owner = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                    instance, nullptr);
    return state().owner != nullptr;
}

void windowOpened(HWND window) { state().windows.push_back(window); }

void windowDestroyed(HWND window) {
    auto& windows = state().windows;
    const auto it = std::find(windows.begin(), windows.end(), window);
    if (it == windows.end()) return;
    windows.erase(it);
    auto& onTop = state().onTop;
    onTop.erase(std::remove(onTop.begin(), onTop.end(), window), onTop.end());
    if (windows.empty()) PostQuitMessage(0);
}

std::vector<HWND> openWindows() { return state().windows; }

void keepOnTop(HWND window) { state().onTop.push_back(window); }

bool dispatchOneMessage() {
    MSG msg;
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return false;
    }
    dispatch(msg);
    return true;
}

int runEventLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) dispatch(msg);
    return static_cast<int>(msg.wParam);
}

void processPendingEvents() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        dispatch(msg);
    }
}

void addEndHook(std::function<void()> hook) { state().endHooks.push_back(std::move(hook)); }

void runEndHooks() {
    if (state().endHooksRan) return;
    state().endHooksRan = true;
    for (auto& hook : state().endHooks) hook();
}

void endNow(int exitCode) {
    runEndHooks();
    ExitProcess(static_cast<UINT>(exitCode));
}

}  // namespace ticker::program
