#pragma once

#include <QRect>

// Window geometry is laid out in twips (1/1440 inch); these convert to pixels
// with the screen's logical resolution (15 twips a pixel at 96 DPI).
namespace Twips {
[[nodiscard]] int toPixelsX(int twips);
[[nodiscard]] int toPixelsY(int twips);
[[nodiscard]] QRect toPixels(int left, int top, int width, int height);
} // namespace Twips
