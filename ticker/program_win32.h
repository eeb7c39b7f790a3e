#pragma once
// The program as a whole: its open windows, its event loop and the ways it ends.
// Every top-level window of the program (ticker, help, usage, about) registers here; the program
// ends with exit code 0 when the last one has been destroyed, or at once through endNow().

#include <windows.h>

#include <functional>
#include <vector>

namespace ticker::program {

// Sent to a top-level window with the address of a keyboard MSG bound for it or one of its
// controls, before the message is dispatched. A window that returns TRUE has consumed the key.
constexpr UINT kPreTranslateKey = WM_APP + 1;

// Posted to a window that keeps to the topmost band whenever the foreground window has changed.
constexpr UINT kStayOnTop = WM_APP + 2;

// The never-shown tool window that owns the program's windows and keeps them off the taskbar.
HWND ownerWindow();
bool createOwnerWindow(HINSTANCE instance);

void windowOpened(HWND window);
void windowDestroyed(HWND window);  // the last one ends the event loop
std::vector<HWND> openWindows();

// On an X display without a window manager, Wine stacks the window it brings to the foreground
// above every other, the topmost band included. A window that must stay on top is told after each
// change of the foreground window, and puts itself back.
void keepOnTop(HWND window);

// Runs the event loop until the last window has been destroyed; returns the exit code.
int runEventLoop();

// Gets and dispatches one message; false when it was the request to end the loop (left queued).
bool dispatchOneMessage();

// Handles every queued message until the queue is empty or a request to end the loop is pending,
// which stays queued for the loop that owns it.
void processPendingEvents();

// Work that must run before the process exits, however it ends (the clip player stops and waits).
void addEndHook(std::function<void()> hook);
void runEndHooks();

// Ends the program at once with the given code, whatever windows are open.
[[noreturn]] void endNow(int exitCode);

}  // namespace ticker::program
