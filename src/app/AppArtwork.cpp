#include "app/AppArtwork.h"

#include "config/AppInfo.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>
#include <cmath>

namespace
{
const QColor clrTileTop(0x3A, 0x7B, 0xD5);
const QColor clrTileBottom(0x1C, 0x4E, 0x9A);
const QColor clrRouter(0xF4, 0xF7, 0xFB);
const QColor clrLamp(0x3C, 0xC8, 0x5A);
const QColor clrLens(0xFF, 0xC8, 0x3C);

// Draws the icon into a 48 x 48 unit square; the caller scales the painter to the target size.
void PaintIconUnits(QPainter& painter, int pxSize)
{
    // Blue tile with rounded corners.
    QLinearGradient grdTile(0, 0, 0, 48);
    grdTile.setColorAt(0, clrTileTop);
    grdTile.setColorAt(1, clrTileBottom);
    painter.setPen(Qt::NoPen);
    painter.setBrush(grdTile);
    painter.drawRoundedRect(QRectF(1, 1, 46, 46), 9, 9);

    // Two aerials.
    QPen penAerial(clrRouter, 3.5, Qt::SolidLine, Qt::RoundCap);
    painter.setPen(penAerial);
    painter.drawLine(QPointF(13, 27), QPointF(9, 9));
    painter.drawLine(QPointF(35, 27), QPointF(39, 9));

    // Router body with its lamps.
    painter.setPen(Qt::NoPen);
    painter.setBrush(clrRouter);
    painter.drawRoundedRect(QRectF(5, 26, 38, 14), 3, 3);
    painter.setBrush(clrLamp);
    for (int i = 0; i < 3; ++i)
        painter.drawEllipse(QPointF(11 + i * 6.5, 33), 2.2, 2.2);

    // The lens that looks into it; below 24 pixels it would only blur the router.
    if (pxSize >= 24) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(clrLens, 3.2, Qt::SolidLine, Qt::RoundCap));
        painter.drawEllipse(QPointF(32, 18), 7, 7);
        painter.drawLine(QPointF(37, 23), QPointF(42, 28));
    }
}
} // namespace

namespace AppArtwork
{
QList<int> IconSizes()
{
    return { 16, 32, 48 };
}

QImage DrawIcon(int pxSize)
{
    pxSize = std::max(pxSize, 1);
    QImage img(pxSize, pxSize, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter painter(&img);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(pxSize / 48.0, pxSize / 48.0);
    PaintIconUnits(painter, pxSize);
    painter.end();
    return img;
}

QIcon AppIcon()
{
    QIcon icon;
    for (int intSize : IconSizes())
        icon.addPixmap(QPixmap::fromImage(DrawIcon(intSize)));
    return icon;
}

QImage DrawBanner(qreal dblRatio)
{
    dblRatio = std::max(dblRatio, 1.0);
    QImage img(static_cast<int>(std::ceil(pxBannerWidth * dblRatio)),
        static_cast<int>(std::ceil(pxBannerHeight * dblRatio)), QImage::Format_RGB32);
    img.setDevicePixelRatio(dblRatio);
    QPainter painter(&img);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient grdBand(0, 0, pxBannerWidth, 0);
    grdBand.setColorAt(0, Qt::white);
    grdBand.setColorAt(0.55, QColor(0xE4, 0xEE, 0xFB));
    grdBand.setColorAt(1, QColor(0x9D, 0xBF, 0xEC));
    painter.fillRect(QRect(0, 0, pxBannerWidth, pxBannerHeight), grdBand);
    // A thin rule along the bottom edge separates the banner from the fields below.
    painter.fillRect(QRect(0, pxBannerHeight - 2, pxBannerWidth, 2), clrTileBottom);

    painter.drawImage(QRectF(3, 1, 21, 21), DrawIcon(static_cast<int>(std::lround(21 * dblRatio))));

    QFont fntName(painter.font());
    fntName.setPixelSize(17);
    fntName.setBold(true);
    painter.setFont(fntName);
    painter.setPen(clrTileBottom);
    const QRect rctName(30, 0, 150, pxBannerHeight - 2);
    QRect rctUsed;
    painter.drawText(rctName, Qt::AlignLeft | Qt::AlignVCenter, AppInfo::AppTitle(), &rctUsed);

    QFont fntHint(painter.font());
    fntHint.setPixelSize(10);
    fntHint.setBold(false);
    fntHint.setItalic(true);
    painter.setFont(fntHint);
    painter.setPen(QColor(0x33, 0x33, 0x33));
    painter.drawText(QRect(rctUsed.right() + 10, 0, pxBannerWidth - rctUsed.right() - 16, pxBannerHeight - 2),
        Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("router diagnostics - v") + AppInfo::VersionText());
    painter.end();
    return img;
}
} // namespace AppArtwork
