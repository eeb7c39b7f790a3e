#include <windows.h>

#include "ticker/program_win32.h"
#include "ticker/ticker_window_win32.h"

namespace {
// Without a window system to show it on, the ticker cannot run; say so through the exit code
// rather than wait for a window that never comes.
constexpr int kNoWindowSystem = 1;
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    using namespace ticker;
    if (!program::createOwnerWindow(instance)) return kNoWindowSystem;
    static TickerWindow window(instance);  // lives until the process ends, past the window itself
    if (!window.open()) return kNoWindowSystem;
    const int exitCode = program::runEventLoop();
    program::runEndHooks();
    return exitCode;
}
