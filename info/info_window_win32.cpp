#include "info/info_window_win32.h"

#include <memory>

#include "ticker/program_win32.h"

namespace info {
namespace {

namespace program = ticker::program;

constexpr wchar_t kWindowClass[] = L"InfoWindow";

// Posted to a window that was activated while a modal window is open, to activate that one instead.
// Posted rather than done at once, so the activation under way finishes first.
constexpr UINT kPassActivation = WM_APP + 0x40;

// Control ids start here, in the order of the window's table.
constexpr int kFirstControlId = 1000;

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

bool isPlainEscape(WPARAM key) {
    return key == VK_ESCAPE && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_SHIFT) >= 0 &&
           GetKeyState(VK_MENU) >= 0;
}

// Centred on the full primary screen, not the work area.
POINT centredPlace(int width, int height) {
    return {(GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2};
}

}  // namespace

InfoWindow::InfoWindow(const WindowSettings& settings) : settings_(settings) {}

void InfoWindow::registerClass() {
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &ownedWindowProc<InfoWindow>;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kWindowClass;
        return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
}

HWND InfoWindow::create(const WindowSettings& settings) {
    registerClass();
    auto window = std::unique_ptr<InfoWindow>(new InfoWindow(settings));
    const POINT place = centredPlace(settings.width, settings.height);
    // An owned window has no taskbar button; the hidden owner keeps the modal windows off the taskbar,
    // and the help window, which has a button, has no owner.
    HWND owner = settings.modal ? program::ownerWindow() : nullptr;
    HWND hwnd = CreateWindowExW(0, kWindowClass, settings.title, kStyle, place.x, place.y, settings.width,
                                settings.height, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!hwnd) return nullptr;
    // The window owns its object from here on and deletes it when it goes.
    window->hwnd_ = hwnd;
    InfoWindow* self = window.release();
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->setIcons();
    if (!self->createControls()) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    program::windowOpened(hwnd);
    return hwnd;
}

HWND InfoWindow::open(const WindowSettings& settings) {
    HWND hwnd = create(settings);
    if (!hwnd) return nullptr;
    ShowWindow(hwnd, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd);
    return hwnd;
}

void InfoWindow::openModal(const WindowSettings& settings) {
    HWND hwnd = create(settings);
    if (!hwnd) return;
    InfoWindow* window = from(hwnd);
    window->modalLoopRunning_ = true;
    ShowWindow(hwnd, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd);
    window->disableOtherWindows();
    while (IsWindow(hwnd) && program::dispatchOneMessage()) {
    }
    // The loop also stops when the program is asked to end; the window does not outlive it.
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
}

InfoWindow* InfoWindow::from(HWND window) {
    if (!window) return nullptr;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t name[32];
    if (process != GetCurrentProcessId() || !GetClassNameW(window, name, 32) ||
        wcscmp(name, kWindowClass) != 0) {
        return nullptr;
    }
    return reinterpret_cast<InfoWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

HWND InfoWindow::findOpen(InfoRole role) {
    for (HWND window : program::openWindows()) {
        if (InfoWindow* info = from(window); info && info->settings_.role == role) return window;
    }
    return nullptr;
}

HWND InfoWindow::currentModal() {
    const std::vector<HWND> windows = program::openWindows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if (InfoWindow* info = from(*it); info && info->modalLoopRunning_) return *it;
    }
    return nullptr;
}

HWND InfoWindow::control(std::wstring_view name) const {
    for (const auto& [controlName, hwnd] : controls_) {
        if (controlName == name) return hwnd;
    }
    return nullptr;
}

bool InfoWindow::createControls() {
    int id = kFirstControlId;
    for (const ControlSettings& settings : settings_.controls) {
        HWND parent = settings.parent ? control(settings.parent) : hwnd_;
        HWND hwnd = parent ? createControl(settings, parent, id++) : nullptr;
        if (!hwnd) return false;
        controls_.emplace_back(settings.name, hwnd);
    }
    return true;
}

void InfoWindow::setIcons() {
    HICON big = nullptr;
    HICON small = nullptr;
    if (settings_.iconId) {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        bigIcon_.reset(
            static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(settings_.iconId), IMAGE_ICON,
                                          GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0)));
        smallIcon_.reset(
            static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(settings_.iconId), IMAGE_ICON,
                                          GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));
        big = bigIcon_.get();
        small = smallIcon_.get();
    } else {
        big = small = LoadIconW(nullptr, IDI_APPLICATION);  // shared: never destroyed
    }
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

LRESULT InfoWindow::handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_PAINT:
            return onPaint();
        case WM_PRINTCLIENT:
            paint(reinterpret_cast<HDC>(wp));
            return 0;
        case WM_ERASEBKGND:
            return 1;  // painting covers every pixel
        case WM_ACTIVATE:
            return onActivate(wp, lp);
        case kPassActivation:
            return onPassActivation();
        case program::kPreTranslateKey:
            return onPreTranslateKey(*reinterpret_cast<const MSG*>(lp));
        case WM_KEYDOWN:
            return onKeyDown(wp, lp);
        case WM_CLOSE:
            return onClose();
        case WM_DESTROY:
            return onDestroy();
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT InfoWindow::onPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    paint(dc);
    EndPaint(hwnd_, &ps);
    return 0;
}

void InfoWindow::paint(HDC dc) {
    RECT client;
    GetClientRect(hwnd_, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
}

// A window that a modal one has disabled can still be activated, through its taskbar button for
// one; the modal window is the one the user has to deal with first.
LRESULT InfoWindow::onActivate(WPARAM wp, LPARAM lp) {
    if (LOWORD(wp) != WA_INACTIVE && !modalLoopRunning_ && currentModal())
        PostMessageW(hwnd_, kPassActivation, 0, 0);
    return DefWindowProcW(hwnd_, WM_ACTIVATE, wp, lp);
}

LRESULT InfoWindow::onPassActivation() {
    HWND modal = currentModal();
    if (modal && modal != hwnd_) SetForegroundWindow(modal);
    return 0;
}

// Esc closes the window whichever of its parts holds the focus.
LRESULT InfoWindow::onPreTranslateKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || !isPlainEscape(msg.wParam)) return FALSE;
    SendMessageW(hwnd_, WM_CLOSE, 0, 0);
    return TRUE;
}

LRESULT InfoWindow::onKeyDown(WPARAM wp, LPARAM lp) {
    if (!isPlainEscape(wp)) return DefWindowProcW(hwnd_, WM_KEYDOWN, wp, lp);
    SendMessageW(hwnd_, WM_CLOSE, 0, 0);
    return 0;
}

// The disabled windows are enabled again before this one goes, so that the system hands the
// activation to one of them rather than to another program.
LRESULT InfoWindow::onClose() {
    modalLoopRunning_ = false;
    restoreOtherWindows();
    DestroyWindow(hwnd_);
    return 0;
}

LRESULT InfoWindow::onDestroy() {
    modalLoopRunning_ = false;
    restoreOtherWindows();
    program::windowDestroyed(hwnd_);
    return 0;
}

void InfoWindow::disableOtherWindows() {
    for (HWND window : program::openWindows()) {
        if (window == hwnd_) continue;
        disabledWindows_.emplace_back(window, IsWindowEnabled(window) != FALSE);
        EnableWindow(window, FALSE);
    }
}

void InfoWindow::restoreOtherWindows() {
    for (const auto& [window, wasEnabled] : disabledWindows_) {
        if (IsWindow(window)) EnableWindow(window, wasEnabled);
    }
    disabledWindows_.clear();
}

}  // namespace info
