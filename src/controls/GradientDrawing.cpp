#include "controls/GradientDrawing.h"

#include "controls/Rounding.h"

#include <QImage>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace
{
double HalfEven(double dblValue)
{
    double dblRounded = std::floor(dblValue);
    const double dblFraction = dblValue - dblRounded;
    if (dblFraction > 0.5 || (dblFraction == 0.5 && std::fmod(dblRounded, 2.0) != 0.0))
        dblRounded += 1.0;
    return dblRounded;
}

double NumberOrZero(const QString& strText)
{
    bool blnOk = false;
    const double dblValue = strText.trimmed().toDouble(&blnOk);
    return blnOk && std::isfinite(dblValue) ? dblValue : 0.0;
}

int ChannelValue(double dblRunning)
{
    return std::clamp(RoundHalfEven(dblRunning), 0, 255);
}

void SetPixelClipped(QImage& imgSurface, int x, int y, QRgb rgb)
{
    if (x >= 0 && y >= 0 && x < imgSurface.width() && y < imgSurface.height())
        imgSurface.setPixel(x, y, rgb);
}

void DrawColumn(QImage& imgSurface, int x, QRgb rgb)
{
    if (x < 0 || x >= imgSurface.width())
        return;
    for (int y = 0; y < imgSurface.height(); ++y)
        imgSurface.setPixel(x, y, rgb);
}

void DrawRow(QImage& imgSurface, int y, QRgb rgb)
{
    if (y < 0 || y >= imgSurface.height())
        return;
    for (int x = 0; x < imgSurface.width(); ++x)
        imgSurface.setPixel(x, y, rgb);
}

// Outline of the square whose corners are (cx - i, cy - i) and (cx + i, cy + i), the right and
// bottom edges excluded, so that the outlines for i and i + 1 lie side by side without a gap.
void DrawSquareOutline(QImage& imgSurface, int cx, int cy, int i, QRgb rgb)
{
    if (i <= 0)
        return;
    const int intLeft = cx - i;
    const int intRight = cx + i - 1;
    const int intTop = cy - i;
    const int intBottom = cy + i - 1;
    const int intFromX = std::max(intLeft, 0);
    const int intToX = std::min(intRight, imgSurface.width() - 1);
    for (int x = intFromX; x <= intToX; ++x) {
        SetPixelClipped(imgSurface, x, intTop, rgb);
        SetPixelClipped(imgSurface, x, intBottom, rgb);
    }
    const int intFromY = std::max(intTop, 0);
    const int intToY = std::min(intBottom, imgSurface.height() - 1);
    for (int y = intFromY; y <= intToY; ++y) {
        SetPixelClipped(imgSurface, intLeft, y, rgb);
        SetPixelClipped(imgSurface, intRight, y, rgb);
    }
}
} // namespace

namespace GradientDrawing
{
QList<GradientStop> ParseDescription(const QString& strDescription)
{
    QList<GradientStop> lstStops;
    if (strDescription.isEmpty())
        return lstStops;
    const QStringList lstParts = strDescription.split(QLatin1Char('#'));
    for (const QString& strPart : lstParts) {
        const qsizetype intComma = strPart.indexOf(QLatin1Char(','));
        GradientStop stop;
        stop.dblPercent = NumberOrZero(intComma < 0 ? strPart : strPart.left(intComma));
        if (intComma >= 0) {
            // Colours may come as signed or unsigned 32-bit values; only the low three bytes count.
            const double dblColour = NumberOrZero(strPart.mid(intComma + 1));
            const double dblRounded = HalfEven(std::clamp(dblColour, -4294967296.0, 4294967295.0));
            stop.lngColour = static_cast<quint32>(static_cast<qint64>(dblRounded) & 0xFFFFFFFF);
        }
        lstStops.append(stop);
    }
    return lstStops;
}

int StopPosition(double dblPercent, int intExtent)
{
    return RoundHalfEven(dblPercent * intExtent / 100.0);
}

int Extent(int intWidth, int intHeight, int intDirection)
{
    switch (intDirection) {
    case LeftToRight:
        return intWidth;
    case TopToBottom:
        return intHeight;
    case FromCentre:
        return std::min(intWidth, intHeight);
    default:
        return 0;
    }
}

QRgb ColourToRgb(quint32 lngColour)
{
    return qRgb(static_cast<int>(lngColour & 0xFF), static_cast<int>((lngColour >> 8) & 0xFF),
        static_cast<int>((lngColour >> 16) & 0xFF));
}

quint32 RgbToColour(QRgb rgb)
{
    return static_cast<quint32>(qRed(rgb)) | (static_cast<quint32>(qGreen(rgb)) << 8)
        | (static_cast<quint32>(qBlue(rgb)) << 16);
}

int DrawGradient(QImage& imgSurface, const QString& strDescription, int intDirection)
{
    if (intDirection != LeftToRight && intDirection != TopToBottom && intDirection != FromCentre)
        return 0;
    const QList<GradientStop> lstStops = ParseDescription(strDescription);
    if (lstStops.isEmpty() || imgSurface.isNull())
        return 0;

    const int intWidth = imgSurface.width();
    const int intHeight = imgSurface.height();
    const int intExtent = Extent(intWidth, intHeight, intDirection);
    const int intCentreX = RoundHalfEven(intWidth / 2.0);
    const int intCentreY = RoundHalfEven(intHeight / 2.0);

    int intLines = 0;
    int i = StopPosition(lstStops.first().dblPercent, intExtent);
    quint32 lngCurrent = lstStops.first().lngColour;
    for (qsizetype k = 1; k < lstStops.size(); ++k) {
        const int intEnd = StopPosition(lstStops[k].dblPercent, intExtent);
        const int intSteps = intEnd - i;
        const QRgb rgbFrom = ColourToRgb(lngCurrent);
        const QRgb rgbTo = ColourToRgb(lstStops[k].lngColour);

        double dblRed = qRed(rgbFrom);
        double dblGreen = qGreen(rgbFrom);
        double dblBlue = qBlue(rgbFrom);
        double dblRedStep = 0.0;
        double dblGreenStep = 0.0;
        double dblBlueStep = 0.0;
        if (intSteps > 0) {
            dblRedStep = (qRed(rgbTo) - dblRed) / intSteps;
            dblGreenStep = (qGreen(rgbTo) - dblGreen) / intSteps;
            dblBlueStep = (qBlue(rgbTo) - dblBlue) / intSteps;
        } else {
            // Both stops on one pixel: nothing to blend, the line shows where the segment ends.
            dblRed = qRed(rgbTo);
            dblGreen = qGreen(rgbTo);
            dblBlue = qBlue(rgbTo);
        }

        for (; i <= intEnd; ++i) {
            const QRgb rgbLine = qRgb(ChannelValue(dblRed), ChannelValue(dblGreen), ChannelValue(dblBlue));
            switch (intDirection) {
            case LeftToRight:
                DrawColumn(imgSurface, i, rgbLine);
                break;
            case TopToBottom:
                DrawRow(imgSurface, i, rgbLine);
                break;
            case FromCentre:
                DrawSquareOutline(imgSurface, intCentreX, intCentreY, i, rgbLine);
                break;
            }
            ++intLines;
            dblRed += dblRedStep;
            dblGreen += dblGreenStep;
            dblBlue += dblBlueStep;
        }
        i = intEnd;
        lngCurrent = lstStops[k].lngColour;
    }
    return intLines;
}
} // namespace GradientDrawing
