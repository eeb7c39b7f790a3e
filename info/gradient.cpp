#include "info/gradient.h"

namespace info {
namespace {

unsigned channel(quote::Colour colour, int shift) {
    return (colour >> shift) & 0xFF;
}

// from + (step / steps) * (to - from), cut toward zero. The result lies between two channel values,
// so it is never negative, and integer division of the scaled value cuts it exactly where a
// floating-point t such as 1/3 could land a hair below a whole number.
unsigned blendChannel(unsigned from, unsigned to, int step, int steps) {
    const long scaled =
        static_cast<long>(from) * steps + static_cast<long>(step) * (static_cast<long>(to) - from);
    return static_cast<unsigned>(scaled / steps);
}

quote::Colour blend(quote::Colour from, quote::Colour to, int step, int steps) {
    return quote::rgb(blendChannel(channel(from, 0), channel(to, 0), step, steps),
                      blendChannel(channel(from, 8), channel(to, 8), step, steps),
                      blendChannel(channel(from, 16), channel(to, 16), step, steps));
}

}  // namespace

quote::Colour gradientRowColour(int y, int height) {
    const int half = height / 2;
    if (half <= 0 || y < 0) return kGradientTop;
    const int band = y / half;
    if (band >= 2) return kGradientBottom;
    const quote::Colour from = band == 0 ? kGradientTop : kGradientMiddle;
    const quote::Colour to = band == 0 ? kGradientMiddle : kGradientBottom;
    return blend(from, to, y % half, half);
}

}  // namespace info
