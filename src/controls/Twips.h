#pragma once

class QWidget;

// Window layouts and mouse offsets are measured in twips (1440 to the inch). These helpers turn
// them into pixels and back with the screen's whole-number factor: 15 twips per pixel at 96 dpi.
namespace Twips
{
// Horizontal twips per pixel of the screen that shows pWidget (the primary screen when pWidget is
// null or not yet on a screen), rounded to a whole number and never below 1.
int TwipsPerPixelX(const QWidget* pWidget = nullptr);
// The vertical factor, rounded the same way.
int TwipsPerPixelY(const QWidget* pWidget = nullptr);

inline int PixelsToTwips(int intPixels, int intTwipsPerPixel)
{
    return intPixels * intTwipsPerPixel;
}
// Rounded to the nearest pixel, halves to even; a factor below 1 is treated as 1.
int TwipsToPixels(double dblTwips, int intTwipsPerPixel);
} // namespace Twips
