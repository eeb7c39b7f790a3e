#pragma once
// Owners for the GDI and user objects that the information windows create, so that each is freed
// with the window or control that made it, however that one ends.

#include <windows.h>

#include <memory>
#include <type_traits>

namespace info {

struct FontDeleter {
    void operator()(HFONT font) const { DeleteObject(font); }
};
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

struct IconDeleter {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

}  // namespace info
