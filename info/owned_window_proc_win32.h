#pragma once
// The window procedure of a class whose every window owns one object of type T, kept in the
// window's user data from creation on and deleted with the window. T::handle answers the rest.

#include <windows.h>

namespace info {

template <class T>
LRESULT CALLBACK ownedWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* owner = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!owner) return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete owner;
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    return owner->handle(msg, wp, lp);
}

}  // namespace info
