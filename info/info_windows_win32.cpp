#include "info/info_windows_win32.h"

#include "info/info_window_win32.h"

namespace info {

HWND currentModalWindow() {
    return InfoWindow::currentModal();
}

HWND findControl(HWND window, std::wstring_view name) {
    const InfoWindow* info = InfoWindow::from(window);
    return info ? info->control(name) : nullptr;
}

}  // namespace info
