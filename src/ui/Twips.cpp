#include "ui/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace {
double logicalDpi(bool horizontal)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return 96.0;
    return horizontal ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY();
}

int convert(int twips, bool horizontal)
{
    return static_cast<int>(std::lround(twips * logicalDpi(horizontal) / 1440.0));
}
} // namespace

int Twips::toPixelsX(int twips)
{
    return convert(twips, true);
}

int Twips::toPixelsY(int twips)
{
    return convert(twips, false);
}

QRect Twips::toPixels(int left, int top, int width, int height)
{
    return {toPixelsX(left), toPixelsY(top), toPixelsX(width), toPixelsY(height)};
}
