#pragma once
// What the help, usage and about windows have in common: a fixed-size, centred window with a title
// bar and a close button on the button-face colour, a table of controls, Esc to close, and the two
// ways of opening (not modal, or modal with an event loop of its own).

#include <windows.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "info/controls_win32.h"
#include "info/owned_window_proc_win32.h"
#include "ticker/gdi_handles_win32.h"

namespace info {

enum class InfoRole { Help, Usage, About };

struct WindowSettings {
    InfoRole role;
    const wchar_t* title;
    int width, height;                      // outer size
    bool modal;                             // modal windows have no taskbar button; the others have one
    int iconId;                             // a resource of the program, or 0 for the program's default icon
    std::vector<ControlSettings> controls;  // from the top of the z-order down
};

class InfoWindow {
public:
    // Not modal: creates, shows and activates the window and returns it, or nullptr on failure.
    static HWND open(const WindowSettings& settings);
    // Modal: shows the window, disables the program's other windows and returns once it is closed.
    static void openModal(const WindowSettings& settings);

    static InfoWindow* from(HWND window);  // nullptr for any window not of this kind
    static HWND findOpen(InfoRole role);
    static HWND currentModal();

    HWND control(std::wstring_view name) const;

private:
    explicit InfoWindow(const WindowSettings& settings);

    static HWND create(const WindowSettings& settings);
    static void registerClass();
    template <class T>
    friend LRESULT CALLBACK ::info::ownedWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT handle(UINT msg, WPARAM wp, LPARAM lp);

    LRESULT onCreate();
    LRESULT onPaint();
    LRESULT onActivate(WPARAM wp, LPARAM lp);
    LRESULT onPassActivation();
    LRESULT onPreTranslateKey(const MSG& msg);
    LRESULT onKeyDown(WPARAM wp, LPARAM lp);
    LRESULT onClose();
    LRESULT onDestroy();

    void paint(HDC dc);
    bool createControls();
    void setIcons();
    void disableOtherWindows();
    void restoreOtherWindows();

    WindowSettings settings_;
    HWND hwnd_ = nullptr;
    bool modalLoopRunning_ = false;
    std::vector<std::pair<std::wstring, HWND>> controls_;
    std::vector<std::pair<HWND, bool>> disabledWindows_;  // and whether each was enabled before
    ticker::IconHandle bigIcon_;
    ticker::IconHandle smallIcon_;
};

}  // namespace info
