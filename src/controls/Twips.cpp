#include "controls/Twips.h"

#include "controls/Rounding.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace
{
const QScreen* ScreenOf(const QWidget* pWidget)
{
    if (pWidget && pWidget->screen())
        return pWidget->screen();
    return QGuiApplication::primaryScreen();
}

int FactorFromDpi(double dblDpi)
{
    if (dblDpi <= 0.0)
        return 15;
    const int intFactor = static_cast<int>(std::lround(1440.0 / dblDpi));
    return intFactor < 1 ? 1 : intFactor;
}
} // namespace

namespace Twips
{
int TwipsPerPixelX(const QWidget* pWidget)
{
    const QScreen* pScreen = ScreenOf(pWidget);
    return FactorFromDpi(pScreen ? pScreen->logicalDotsPerInchX() : 96.0);
}

int TwipsPerPixelY(const QWidget* pWidget)
{
    const QScreen* pScreen = ScreenOf(pWidget);
    return FactorFromDpi(pScreen ? pScreen->logicalDotsPerInchY() : 96.0);
}

int TwipsToPixels(double dblTwips, int intTwipsPerPixel)
{
    const int intFactor = intTwipsPerPixel < 1 ? 1 : intTwipsPerPixel;
    return RoundHalfEven(dblTwips / intFactor);
}
} // namespace Twips
