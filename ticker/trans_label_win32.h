#pragma once
// A label that draws its glyphs only: no background of its own, so whatever lies beneath it
// (on the ticker, the key colour and so the desktop) shows between the strokes.

#include <windows.h>

#include <string>

namespace ticker {

// Registers the window class once; the label is created with CreateWindowExW(transLabelClass()...).
const wchar_t* transLabelClass(HINSTANCE instance);

// Each setter repaints what lies under the label first, so no trace of the old text remains.
void setTransLabelText(HWND label, const std::wstring& text);
std::wstring transLabelText(HWND label);
void setTransLabelColour(HWND label, COLORREF colour);
COLORREF transLabelColour(HWND label);
void setTransLabelFont(HWND label, HFONT font);  // not owned; nullptr means the default GUI font

}  // namespace ticker
