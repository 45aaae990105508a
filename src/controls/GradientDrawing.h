#pragma once

#include <QList>
#include <QRgb>
#include <QString>

class QImage;

// The line-by-line gradient behind the gradient button. A description lists stops separated by
// "#", each a percentage (0 to 100), a comma and a colour in 0x00BBGGRR form, for example
// "0,16711680#50,16711680#75,16777215#90,16711680#100,16711680". Colours blend channel by channel
// from one stop to the next, one line per pixel of the surface's extent.
namespace GradientDrawing
{
enum Direction { LeftToRight = 0, TopToBottom = 1, FromCentre = 2 };

struct GradientStop
{
    double dblPercent = 0.0;
    quint32 lngColour = 0;
};

// Splits a description into its stops. A stop whose percentage or colour is not a number reads
// as 0 there; an empty description has no stops.
QList<GradientStop> ParseDescription(const QString& strDescription);

// Pixel position of a stop on an extent of intExtent pixels, halves rounded to even.
int StopPosition(double dblPercent, int intExtent);

// The number of pixels the gradient runs over on a surface of the given size: the width for
// LeftToRight, the height for TopToBottom, the smaller side for FromCentre, 0 otherwise.
int Extent(int intWidth, int intHeight, int intDirection);

// 0x00BBGGRR (red in the low byte); the top byte is ignored.
QRgb ColourToRgb(quint32 lngColour);
quint32 RgbToColour(QRgb rgb);

// Draws the gradient onto imgSurface over whatever it already holds: full-height columns for
// LeftToRight, full-width rows for TopToBottom, square outlines around the centre for FromCentre,
// nothing for any other direction. Every segment starts on the line where the previous one ended,
// so boundary lines are drawn twice in the same colour; a segment whose two stops fall on the
// same pixel draws that single line in its end colour. Returns the number of lines drawn.
int DrawGradient(QImage& imgSurface, const QString& strDescription, int intDirection);
} // namespace GradientDrawing
