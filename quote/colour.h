#pragma once
#include <cstdint>

namespace quote {

// Colours in the 0x00BBGGRR layout of the window system.
using Colour = std::uint32_t;
constexpr Colour kRed = 0x0000FF;
constexpr Colour kGreen = 0x00FF00;
constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kGrey = 0x808080;

constexpr Colour rgb(unsigned r, unsigned g, unsigned b) { return r | (g << 8) | (b << 16); }

}  // namespace quote
