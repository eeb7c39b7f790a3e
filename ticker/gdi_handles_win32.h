#pragma once
// Owners for the GDI objects and icons a window creates once and frees with itself.

#include <windows.h>

#include <memory>
#include <type_traits>

namespace ticker {

struct GdiObjectDeleter {
    void operator()(void* object) const {
        if (object) DeleteObject(static_cast<HGDIOBJ>(object));
    }
};

using FontHandle = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;
using BrushHandle = std::unique_ptr<std::remove_pointer_t<HBRUSH>, GdiObjectDeleter>;

struct IconDeleter {
    void operator()(HICON icon) const {
        if (icon) DestroyIcon(icon);
    }
};

using IconHandle = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

inline BrushHandle makeSolidBrush(COLORREF colour) { return BrushHandle(CreateSolidBrush(colour)); }
inline FontHandle makeFont(const LOGFONTW& record) { return FontHandle(CreateFontIndirectW(&record)); }

}  // namespace ticker
