#include "controls/GradientDrawing.h"
#include "controls/Rounding.h"
#include "support/TestRegistry.h"

#include <QImage>
#include <QTest>
#include <cmath>
#include <limits>

using namespace GradientDrawing;

namespace
{
const QRgb rgbFill = qRgb(1, 2, 3);

QImage Surface(int intWidth, int intHeight)
{
    QImage img(intWidth, intHeight, QImage::Format_RGB32);
    img.fill(rgbFill);
    return img;
}

QString TwoStops(quint32 lngFrom, quint32 lngTo)
{
    return QStringLiteral("0,%1#100,%2").arg(lngFrom).arg(lngTo);
}
} // namespace

class TestGradientDrawing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundsHalvesToEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("0.5") << 0.5 << 0;
        QTest::newRow("1.5") << 1.5 << 2;
        QTest::newRow("2.5") << 2.5 << 2;
        QTest::newRow("9.5") << 9.5 << 10;
        QTest::newRow("-0.5") << -0.5 << 0;
        QTest::newRow("-1.5") << -1.5 << -2;
        QTest::newRow("-2.5") << -2.5 << -2;
        QTest::newRow("2.4999") << 2.4999 << 2;
        QTest::newRow("2.5001") << 2.5001 << 3;
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << 0;
        QTest::newRow("huge") << 1e300 << std::numeric_limits<int>::max();
        QTest::newRow("-huge") << -1e300 << std::numeric_limits<int>::min();
    }
    void roundsHalvesToEven()
    {
        QFETCH(double, value);
        QFETCH(int, expected);
        QCOMPARE(RoundHalfEven(value), expected);
    }

    void stopPositionsRoundHalvesToEven()
    {
        QCOMPARE(StopPosition(50, 19), 10); // 9.5
        QCOMPARE(StopPosition(50, 5), 2); // 2.5
        QCOMPARE(StopPosition(75, 19), 14); // 14.25
        QCOMPARE(StopPosition(90, 19), 17); // 17.1
        QCOMPARE(StopPosition(100, 19), 19);
        QCOMPARE(StopPosition(0, 19), 0);
        QCOMPARE(StopPosition(66, 25), 16); // 16.5
    }

    void extentFollowsDirection()
    {
        QCOMPARE(Extent(61, 19, LeftToRight), 61);
        QCOMPARE(Extent(61, 19, TopToBottom), 19);
        QCOMPARE(Extent(61, 19, FromCentre), 19);
        QCOMPARE(Extent(12, 30, FromCentre), 12);
        QCOMPARE(Extent(20, 20, FromCentre), 20);
        QCOMPARE(Extent(61, 19, 3), 0);
        QCOMPARE(Extent(61, 19, -1), 0);
    }

    void parsesDescriptions()
    {
        const QList<GradientStop> lstStops
            = ParseDescription(QStringLiteral("0,16711680#50,16711680#75,16777215#90,16711680#100,16711680"));
        QCOMPARE(lstStops.size(), 5);
        QCOMPARE(lstStops[2].dblPercent, 75.0);
        QCOMPARE(lstStops[2].lngColour, 16777215u);
        QCOMPARE(lstStops[4].dblPercent, 100.0);
        QCOMPARE(lstStops[4].lngColour, 16711680u);

        // Fractional percentages, a signed system colour reference and rounded colour values.
        const QList<GradientStop> lstOdd = ParseDescription(QStringLiteral("12.5,-2147483633#40,255.5#60,254.5"));
        QCOMPARE(lstOdd.size(), 3);
        QCOMPARE(lstOdd[0].dblPercent, 12.5);
        QCOMPARE(lstOdd[0].lngColour, 0x8000000Fu);
        QCOMPARE(lstOdd[1].lngColour, 256u);
        QCOMPARE(lstOdd[2].lngColour, 254u);

        // Unreadable parts read as 0; nothing at all means no stops.
        const QList<GradientStop> lstBad = ParseDescription(QStringLiteral("abc#50,xyz#75"));
        QCOMPARE(lstBad.size(), 3);
        QCOMPARE(lstBad[0].dblPercent, 0.0);
        QCOMPARE(lstBad[1].lngColour, 0u);
        QCOMPARE(lstBad[2].dblPercent, 75.0);
        QVERIFY(ParseDescription(QString()).isEmpty());
    }

    void coloursAreBlueGreenRed()
    {
        QCOMPARE(ColourToRgb(0x000000FF), qRgb(255, 0, 0));
        QCOMPARE(ColourToRgb(0x00FFC0C0), qRgb(0xC0, 0xC0, 0xFF));
        QCOMPARE(ColourToRgb(0x8000000F), qRgb(0x0F, 0, 0)); // the top byte is ignored
        QCOMPARE(RgbToColour(qRgb(0x12, 0x34, 0x56)), 0x00563412u);
        QCOMPARE(RgbToColour(ColourToRgb(0x0080C0FF)), 0x0080C0FFu);
    }

    void runningChannelsRoundHalvesToEven()
    {
        // Two steps from black to (5, 7, 1): the middle row is (2.5, 3.5, 0.5), which rounds to
        // (2, 4, 0); rounding halves away from zero would give (3, 4, 1).
        QImage img = Surface(3, 2);
        DrawGradient(img, TwoStops(0, 5 | (7 << 8) | (1 << 16)), TopToBottom);
        QCOMPARE(img.pixel(0, 0), qRgb(0, 0, 0));
        QCOMPARE(img.pixel(0, 1), qRgb(2, 4, 0));
        QCOMPARE(img.pixel(2, 1), qRgb(2, 4, 0));
    }

    void linearBlendOverExtent()
    {
        // Four steps from black to red on a 4-pixel extent: 0, 63.75, 127.5, 191.25 (255 falls on
        // the line just past the surface).
        QImage img = Surface(4, 3);
        const int intLines = DrawGradient(img, TwoStops(0, 255), LeftToRight);
        QCOMPARE(intLines, 5);
        const int arrExpected[] = { 0, 64, 128, 191 };
        for (int x = 0; x < 4; ++x) {
            for (int y = 0; y < 3; ++y)
                QCOMPARE(img.pixel(x, y), qRgb(arrExpected[x], 0, 0));
        }
    }

    void rowsAndColumnsCoverTheSurface_data()
    {
        QTest::addColumn<int>("direction");
        QTest::newRow("left to right") << int(LeftToRight);
        QTest::newRow("top to bottom") << int(TopToBottom);
        QTest::newRow("from the centre, square") << int(FromCentre);
    }
    void rowsAndColumnsCoverTheSurface()
    {
        QFETCH(int, direction);
        QImage img = Surface(9, 9);
        DrawGradient(img, QStringLiteral("0,255#50,65280#100,16711680"), direction);
        for (int y = 0; y < img.height(); ++y) {
            for (int x = 0; x < img.width(); ++x)
                QVERIFY2(img.pixel(x, y) != rgbFill, qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
        }
        // Columns are uniform for LeftToRight, rows for TopToBottom.
        if (direction == LeftToRight)
            QCOMPARE(img.pixel(3, 0), img.pixel(3, 8));
        if (direction == TopToBottom)
            QCOMPARE(img.pixel(0, 3), img.pixel(8, 3));
    }

    void boundaryLinesAreDrawnTwice()
    {
        // One line per pixel of the extent plus the end line, and each inner stop's line again.
        QImage img = Surface(61, 19);
        const QString strBanded = QStringLiteral("0,16777215#50,16777215#75,16761024#90,16777215#100,16777215");
        QCOMPARE(DrawGradient(img, strBanded, TopToBottom), 19 + 1 + 3);
        QImage imgSmall = Surface(20, 10);
        QCOMPARE(DrawGradient(imgSmall, strBanded, TopToBottom), 10 + 1 + 3);

        // The band's stop lands on row 14 of 19 and shows its colour exactly; white before row 10.
        QCOMPARE(img.pixel(0, 14), ColourToRgb(16761024));
        for (int y = 0; y <= 10; ++y)
            QCOMPARE(img.pixel(30, y), qRgb(255, 255, 255));
        QCOMPARE(img.pixel(0, 17), qRgb(255, 255, 255));
    }

    void zeroStepSegmentDrawsItsEndColour()
    {
        // Stops 0 and 1 both fall on line 0: that line shows stop 1's colour (green), and the next
        // segment starts from green as well.
        QImage img = Surface(4, 4);
        const int intLines = DrawGradient(img, QStringLiteral("0,255#0,65280#100,16711680"), TopToBottom);
        QCOMPARE(intLines, 1 + 5);
        QCOMPARE(img.pixel(0, 0), qRgb(0, 255, 0));
        QCOMPARE(img.pixel(0, 1), qRgb(0, RoundHalfEven(255 * 0.75), RoundHalfEven(255 * 0.25)));

        // A one-pixel surface: every stop falls on line 0 or 1, nothing is divided by zero.
        QImage imgTiny = Surface(1, 1);
        DrawGradient(imgTiny, QStringLiteral("0,255#50,255#75,65280#90,255#100,255"), TopToBottom);
        QVERIFY(imgTiny.pixel(0, 0) != rgbFill);
    }

    void stopsGoingBackwardsDrawNothingForThatSegment()
    {
        QImage img = Surface(4, 4);
        const int intLines = DrawGradient(img, QStringLiteral("0,0#100,255#50,65280"), TopToBottom);
        QCOMPARE(intLines, 5);
        QCOMPARE(img.pixel(0, 2), qRgb(128, 0, 0)); // 127.5, untouched by the backward segment
    }

    void unknownDirectionOrEmptyDescriptionDrawsNothing()
    {
        QImage img = Surface(8, 8);
        QCOMPARE(DrawGradient(img, TwoStops(0, 255), 3), 0);
        QCOMPARE(DrawGradient(img, TwoStops(0, 255), -1), 0);
        QCOMPARE(DrawGradient(img, QString(), TopToBottom), 0);
        QCOMPARE(DrawGradient(img, QStringLiteral("100,255"), TopToBottom), 0);
        QImage imgNull;
        QCOMPARE(DrawGradient(imgNull, TwoStops(0, 255), TopToBottom), 0);
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x)
                QCOMPARE(img.pixel(x, y), rgbFill);
        }
    }

    void fromCentreOnAWideSurface()
    {
        // Extent 4 (the height), centre (5, 2): square outlines 1..4 cover columns 1 to 8, a band
        // twice the height wide; columns 0 and 9 keep what the surface held.
        QImage img = Surface(10, 4);
        DrawGradient(img, TwoStops(0, 255), FromCentre);
        for (int y = 0; y < 4; ++y) {
            QCOMPARE(img.pixel(0, y), rgbFill);
            QCOMPARE(img.pixel(9, y), rgbFill);
            for (int x = 1; x <= 8; ++x) {
                QVERIFY(img.pixel(x, y) != rgbFill);
                // Mirror image around the centre.
                QCOMPARE(img.pixel(x, y), img.pixel(9 - x, 3 - y));
            }
        }
        // Outline i has red 255 * i / 4: the centre 2 x 2 pixels are outline 1, the band's
        // outer corners outline 4.
        QCOMPARE(img.pixel(4, 1), qRgb(64, 0, 0));
        QCOMPARE(img.pixel(5, 2), qRgb(64, 0, 0));
        QCOMPARE(img.pixel(3, 2), qRgb(128, 0, 0));
        QCOMPARE(img.pixel(2, 0), qRgb(191, 0, 0));
        QCOMPARE(img.pixel(1, 0), qRgb(255, 0, 0));
        QCOMPARE(img.pixel(8, 3), qRgb(255, 0, 0));
    }
};

QUORVANE_REGISTER_TEST(TestGradientDrawing)
#include "TestGradientDrawing.moc"
