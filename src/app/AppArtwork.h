#pragma once

#include <QIcon>
#include <QImage>
#include <QList>

// The program's own pictures, drawn in code: the window icon (a small router with two aerials and
// a magnifying lens over a blue tile) and the banner across the top of the window.
namespace AppArtwork
{
inline constexpr int pxBannerWidth = 385;
inline constexpr int pxBannerHeight = 25;

// The sizes the window icon is offered in.
QList<int> IconSizes();

// The icon drawn for a square of pxSize pixels (at least 1), with a transparent background.
QImage DrawIcon(int pxSize);
// The icon in every size of IconSizes().
QIcon AppIcon();

// The 385 x 25 banner: a white-to-blue band with the icon, the program's name and a hint that
// the banner can be clicked. Drawn for a screen of dblRatio device pixels to the pixel: the image
// has that many times the pixels and says so in its device pixel ratio.
QImage DrawBanner(qreal dblRatio = 1.0);
} // namespace AppArtwork
