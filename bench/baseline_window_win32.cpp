// The least a windowed program costs under the same Wine: one empty window of the ticker's size
// and its event loop. bench/run measures the ticker's start-up, memory and idle CPU against it.
#include <windows.h>

namespace {

constexpr wchar_t kWindowClass[] = L"BaselineWindow";

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassW(&wc)) return 1;
    HWND window = CreateWindowExW(WS_EX_TOPMOST, kWindowClass, L"", WS_POPUP, 100, 100, 116, 70, nullptr, nullptr,
                                  instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, SW_SHOW);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
