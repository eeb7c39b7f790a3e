#include "info/icon_resources.h"
#include "info/info_window_win32.h"
#include "info/info_windows_win32.h"

namespace info {
namespace {

WindowSettings helpWindowSettings() {
    return {
        InfoRole::Help,
        L"帮助",
        380,
        250,            // outer size
        false,          // not modal
        IDI_INFO_HELP,  // its own icon
        {
            transLabel(L"透明标签1", nullptr, {5, 27, 360, 62}, L"    感谢您使用小巧玲珑的《看价小窗V1.0》！",
                       gb2312Font(-14, FW_BOLD), RGB(255, 0, 0)),
            linkLabel(L"标签1", {27, 94, 80, 22}, L"使用操作", gb2312Font(-12, FW_BOLD), RGB(255, 0, 0),
                      &openUsageWindow),
            linkLabel(L"标签3", {267, 94, 80, 22}, L"关于软件", gb2312Font(-12, FW_NORMAL), RGB(0, 0, 0),
                      &openAboutWindow),
        }};
}

// Restored if it was minimised, otherwise brought to the front and activated.
void bringForward(HWND window) {
    if (IsIconic(window)) {
        ShowWindow(window, SW_RESTORE);
    } else {
        SetForegroundWindow(window);
    }
}

}  // namespace

HWND openHelpWindow() {
    if (HWND open = InfoWindow::findOpen(InfoRole::Help)) {
        bringForward(open);
        return open;
    }
    return InfoWindow::open(helpWindowSettings());
}

}  // namespace info
