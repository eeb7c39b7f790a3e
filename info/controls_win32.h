#pragma once
// The control kinds of the information windows. Each is a child window of its own class that
// paints itself completely, so the text colours, effects and captions look the same with or without
// visual themes:
//   InfoTransLabel  text with no background of its own: what lies beneath shows around the glyphs;
//   InfoLabel       text on a top-to-bottom three-colour background inside a raised frame;
//   InfoGroupBox    an etched frame with a coloured caption on the button-face colour.

#include <windows.h>

#include "ticker/font_record_win32.h"

#include <optional>

namespace info {

enum class ControlKind { TransLabel, Label, GroupBox };

// white-offset: a white copy 1 pixel right and down, the text in its colour on top at its place;
// text-offset: a white copy at the place, the text in its colour 1 pixel right and down.
enum class TextEffect { None, WhiteOffset, TextOffset };

enum class Alignment { Left, Centre };

// Left, top, width and height in pixels of the parent's client area.
struct Place {
    int x, y, width, height;
};

struct ControlSettings {
    const wchar_t* name;
    ControlKind kind;
    const wchar_t* parent;  // a control named earlier in the same window, or nullptr for the window
    Place place;
    const wchar_t* text;
    std::optional<LOGFONTW> font;  // none: the system's default GUI font
    COLORREF colour;               // of the text, or of a group box's caption
    Alignment alignment;
    bool wordWrap;  // wrapped text starts at the top; a single line is centred vertically
    TextEffect effect;
    LPCWSTR pointer;        // a system cursor, or nullptr for the window's own
    void (*onLeftPress)();  // runs when the left button is pressed on the control
};

using ticker::gb2312Font;

// Creates the control as a visible child of parent, at the bottom of its siblings' z-order, so that
// controls created in a window's table order stack from the top down. nullptr on failure.
HWND createControl(const ControlSettings& settings, HWND parent, int id);

inline constexpr COLORREF kWhiteText = RGB(255, 255, 255);

// The kinds as the information windows use them.
inline ControlSettings transLabel(const wchar_t* name, const wchar_t* parent, Place place,
                                  const wchar_t* text, std::optional<LOGFONTW> font, COLORREF colour) {
    return {name, ControlKind::TransLabel, parent,  place,  text, font, colour, Alignment::Left,
            true, TextEffect::WhiteOffset, nullptr, nullptr};
}

inline ControlSettings linkLabel(const wchar_t* name, Place place, const wchar_t* text, LOGFONTW font,
                                 COLORREF colour, void (*onLeftPress)()) {
    return {name,  ControlKind::Label,     nullptr,  place,      text, font, colour, Alignment::Centre,
            false, TextEffect::TextOffset, IDC_HAND, onLeftPress};
}

inline ControlSettings groupBox(const wchar_t* name, Place place, const wchar_t* caption, LOGFONTW font,
                                COLORREF colour, Alignment captionAlignment) {
    return {name,  ControlKind::GroupBox, nullptr, place,  caption, font, colour, captionAlignment,
            false, TextEffect::None,      nullptr, nullptr};
}

}  // namespace info
