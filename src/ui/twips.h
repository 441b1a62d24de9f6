#pragma once
#include <cmath>

namespace orv::ui {

// 15 twips to the pixel, as the window sizes are given.
constexpr int twipsPerPixel = 15;
// Rounded half away from zero, so that places left of or above the screen come out right too.
inline int twipsToPixels(double twips) { return int(std::lround(twips / twipsPerPixel)); }
inline double pixelsToTwips(int pixels) { return double(pixels) * twipsPerPixel; }

} // namespace orv::ui
