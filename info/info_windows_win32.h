#pragma once
// The help window and the usage and about windows that it opens.
//
// Every one of them registers with ticker::program when it is created and unregisters when it is
// destroyed, so the program ends once none of its windows is left. Esc or the close button closes
// each of them.

#include <windows.h>

#include <string_view>

namespace info {

// Not modal: creates, shows and activates the help window and returns at once. If it is already
// open it is restored when minimised, else activated. Returns the window, or nullptr on failure.
HWND openHelpWindow();

// Modal: creates, shows and activates the window without a taskbar button, disables every other
// open window of the program, and runs the event loop until the window is closed; the other windows
// then get their former enabled state back. The help window's labels 标签1 and 标签3 open these.
void openUsageWindow();
void openAboutWindow();

// The modal window that is open now, or nullptr. A window that is activated while one is open should
// activate it instead (the help window does so itself).
HWND currentModalWindow();

// A control of one of these windows by its name, such as L"标签1"; nullptr when there is none.
HWND findControl(HWND window, std::wstring_view name);

}  // namespace info
