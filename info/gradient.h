#pragma once
// The background of the help window's two link labels: three colours from top to bottom, one colour
// per pixel row, so that painting needs nothing but a row's colour.

#include "quote/colour.h"

namespace info {

constexpr quote::Colour kGradientTop = quote::rgb(236, 236, 236);
constexpr quote::Colour kGradientMiddle = quote::rgb(255, 255, 255);
constexpr quote::Colour kGradientBottom = quote::rgb(192, 192, 192);

// The colour of row y (0 at the top) of an area `height` pixels high. Rows above the area take the
// top colour and rows at or below its end the bottom one.
quote::Colour gradientRowColour(int y, int height);

}  // namespace info
