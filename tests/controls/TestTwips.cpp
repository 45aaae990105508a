#include "controls/Twips.h"
#include "support/TestRegistry.h"

#include <QTest>

class TestTwips : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void offscreenScreenHasFifteenTwipsPerPixel()
    {
        // The offscreen screen reports 96 dpi on both axes.
        QCOMPARE(Twips::TwipsPerPixelX(), 15);
        QCOMPARE(Twips::TwipsPerPixelY(), 15);
    }

    void convertsLayoutValues_data()
    {
        QTest::addColumn<double>("twips");
        QTest::addColumn<int>("factor");
        QTest::addColumn<int>("pixels");
        QTest::newRow("report box width") << 7455.0 << 15 << 497;
        QTest::newRow("button height") << 375.0 << 15 << 25;
        QTest::newRow("half rounds down to even") << 7.5 << 15 << 0;
        QTest::newRow("half rounds up to even") << 22.5 << 15 << 2;
        QTest::newRow("negative offset") << -150.0 << 15 << -10;
        QTest::newRow("120 dpi screen") << 1200.0 << 12 << 100;
        QTest::newRow("factor 0 taken as 1") << 40.0 << 0 << 40;
        QTest::newRow("negative factor taken as 1") << 40.0 << -3 << 40;
    }
    void convertsLayoutValues()
    {
        QFETCH(double, twips);
        QFETCH(int, factor);
        QFETCH(int, pixels);
        QCOMPARE(Twips::TwipsToPixels(twips, factor), pixels);
    }

    void pixelsBackToTwips()
    {
        QCOMPARE(Twips::PixelsToTwips(81, 15), 1215);
        QCOMPARE(Twips::PixelsToTwips(-3, 15), -45);
        QCOMPARE(Twips::TwipsToPixels(Twips::PixelsToTwips(497, 12), 12), 497);
    }
};

QUORVANE_REGISTER_TEST(TestTwips)
#include "TestTwips.moc"
