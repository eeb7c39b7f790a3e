// Opens one information window by name, for screenshots: tools/info-screenshots runs it.
//   info_showcase help|usage|about
// Once the window has been shown and painted it prints "ready LEFT TOP WIDTH HEIGHT" (its outer
// rectangle on the screen) and runs until the window is closed; the exit code is then 0.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "info/info_windows_win32.h"
#include "ticker/program_win32.h"

namespace {

HWND shownWindow = nullptr;

void CALLBACK announce(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    HWND window = shownWindow ? shownWindow : info::currentModalWindow();
    RECT r{};
    GetWindowRect(window, &r);
    std::printf("ready %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: info_showcase help|usage|about\n");
        return 2;
    }
    ticker::program::createOwnerWindow(GetModuleHandleW(nullptr));
    // Painting is done well before this fires; the timer's tick is only handled once the queue is idle.
    SetTimer(nullptr, 0, 500, &announce);
    if (std::strcmp(argv[1], "help") == 0) {
        shownWindow = info::openHelpWindow();
        return shownWindow ? ticker::program::runEventLoop() : 1;
    }
    if (std::strcmp(argv[1], "usage") == 0) {
        info::openUsageWindow();
        return 0;
    }
    if (std::strcmp(argv[1], "about") == 0) {
        info::openAboutWindow();
        return 0;
    }
    std::fprintf(stderr, "unknown window: %s\n", argv[1]);
    return 2;
}
