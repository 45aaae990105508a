#include "controls/GradientDrawing.h"
#include "controls/OrloSimpleButton.h"
#include "controls/SystemColours.h"
#include "support/TestRegistry.h"

#include <QAccessible>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <memory>

namespace
{
// The values the main window gives its three buttons.
constexpr quint32 lngWhite = 0x00FFFFFF;
constexpr quint32 lngLightBlue = 0x00FFC0C0;
constexpr quint32 lngHoverOrange = 0x0080C0FF;
constexpr quint32 lngGrey = 0x00808080;

// A host window with one button at the size of the main window's buttons (1215 x 375 twips).
struct Host
{
    std::unique_ptr<QWidget> pWindow;
    OrloSimpleButton* pButton = nullptr;
};

Host MakeHost(const QSize& szButton = QSize(81, 25), bool blnMainWindowLook = true)
{
    Host host;
    host.pWindow = std::make_unique<QWidget>();
    host.pWindow->resize(400, 200);
    host.pButton = new OrloSimpleButton(host.pWindow.get());
    host.pButton->setObjectName(QStringLiteral("cmdGo"));
    host.pButton->setGeometry(QRect(QPoint(40, 30), szButton));
    if (blnMainWindowLook) {
        host.pButton->SetCaption(QStringLiteral("Go"));
        host.pButton->SetNormalColour(lngWhite);
        host.pButton->SetHighlightColour(lngLightBlue);
        host.pButton->SetHoverColour(lngHoverOrange);
        host.pButton->SetPressedColour(lngGrey);
        host.pButton->SetBorderColour(lngGrey);
        host.pButton->SetResolution(75);
    }
    host.pWindow->show();
    return host;
}

// The button as the screen shows it, in the button's own pixels: on a screen of more device pixels
// to the pixel the face is drawn at the screen's resolution and read back here at the device pixel
// nearest each pixel's centre, so that the rows and columns below hold at every scale.
QImage Face(OrloSimpleButton* pButton)
{
    const QImage imgDevice = pButton->grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (pButton->devicePixelRatio() == 1.0)
        return imgDevice;
    QImage imgFace(pButton->size(), QImage::Format_RGB32);
    const qreal dblRatio = pButton->devicePixelRatio();
    for (int y = 0; y < imgFace.height(); ++y) {
        for (int x = 0; x < imgFace.width(); ++x) {
            const int xDevice = qMin(imgDevice.width() - 1, static_cast<int>((x + 0.5) * dblRatio));
            const int yDevice = qMin(imgDevice.height() - 1, static_cast<int>((y + 0.5) * dblRatio));
            imgFace.setPixel(x, y, imgDevice.pixel(xDevice, yDevice));
        }
    }
    return imgFace;
}

// The drawing surface of a button: Resolution percent of each side in device pixels (half to even).
QSize SurfaceSize(const OrloSimpleButton* pButton, int intResolution)
{
    const qreal dblRatio = pButton->devicePixelRatio();
    const auto side = [&](int pxSide) {
        const int pxDevice = static_cast<int>(std::ceil(pxSide * dblRatio - 1e-6));
        return std::clamp(static_cast<int>(std::nearbyint(intResolution / 100.0 * pxDevice)), 1, pxDevice);
    };
    return QSize(side(pButton->width()), side(pButton->height()));
}

QRgb Rgb(quint32 lngColour)
{
    return GradientDrawing::ColourToRgb(lngColour);
}

// Colour of a row left of the caption, inside the border.
QRgb RowColour(const QImage& imgFace, int y)
{
    return imgFace.pixel(4, y);
}

// Moves the mouse to a point of a widget without a button change. QTest moves the cursor through
// the screen's device pixels, which on a scaled screen can land a pixel beside the point asked
// for; there the move the window system delivers for the point itself is sent instead.
void MoveMouse(QWidget* pWidget, const QPoint& ptAt)
{
    if (pWidget->devicePixelRatio() == 1.0) {
        QTest::mouseMove(pWidget, ptAt);
        return;
    }
    QMouseEvent move(QEvent::MouseMove, QPointF(ptAt), pWidget->mapToGlobal(QPointF(ptAt)), Qt::NoButton,
        QGuiApplication::mouseButtons(), Qt::NoModifier);
    QApplication::sendEvent(pWidget, &move);
}

// The row of a face whose colour lies furthest from white: where the band's colour is fullest.
int BandRow(const QImage& imgFace)
{
    int intBandRow = -1;
    int intLowest = 3 * 256;
    for (int y = 2; y < imgFace.height() - 2; ++y) {
        const QRgb rgb = RowColour(imgFace, y);
        if (qRed(rgb) + qGreen(rgb) + qBlue(rgb) < intLowest) {
            intLowest = qRed(rgb) + qGreen(rgb) + qBlue(rgb);
            intBandRow = y;
        }
    }
    return intBandRow;
}

int CountPixels(const QImage& img, QRgb rgb)
{
    int intCount = 0;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x)
            intCount += img.pixel(x, y) == rgb ? 1 : 0;
    }
    return intCount;
}
} // namespace

class TestOrloSimpleButton : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void newButtonHasTheDefaults()
    {
        Host host = MakeHost(QSize(81, 25), false);
        OrloSimpleButton* pButton = host.pButton;
        QCOMPARE(pButton->Caption(), QStringLiteral("Button"));
        QVERIFY(pButton->Enable());
        QCOMPARE(pButton->HighlightColour(), 16777215u);
        QCOMPARE(pButton->NormalColour(), 16711680u);
        QCOMPARE(pButton->GradientDirection(), 1);
        QCOMPARE(pButton->HoverColour(), 33023u);
        QCOMPARE(pButton->PressedColour(), 255u);
        QCOMPARE(pButton->DisabledColour(), 12632256u);
        QCOMPARE(pButton->BorderColour(), 0u);
        QCOMPARE(pButton->Resolution(), 50);
        QCOMPARE(pButton->State(), int(OrloSimpleButton::StateNormal));
        QCOMPARE(pButton->TwipsPerPixel(), 15);

        // Shown without any colour set, it still draws its default look.
        QCOMPARE(pButton->GradientDescription(OrloSimpleButton::StateNormal),
            QStringLiteral("0,16711680#50,16711680#75,16777215#90,16711680#100,16711680"));
        QCOMPARE(pButton->GradientDescription(OrloSimpleButton::StateHover),
            QStringLiteral("0,16711680#50,16711680#75,33023#90,16711680#100,16711680"));
        QCOMPARE(pButton->GradientDescription(OrloSimpleButton::StatePressed),
            QStringLiteral("0,16711680#50,16711680#75,255#90,16711680#100,16711680"));
        QCOMPARE(pButton->GradientDescription(OrloSimpleButton::StateDisabled),
            QStringLiteral("0,12632256#66,16777215#100,12632256"));
        QVERIFY(pButton->GradientDescription(4).isEmpty());
        QVERIFY(pButton->GradientDescription(-1).isEmpty());
        const QImage imgFace = Face(pButton);
        QCOMPARE(RowColour(imgFace, 3), Rgb(0x00FF0000));
        QVERIFY(pButton->WriteProperties().isEmpty());
    }

    void mainWindowLook_data()
    {
        QTest::addColumn<int>("height");
        QTest::newRow("main window size") << 25;
        QTest::newRow("tall") << 100;
    }
    void mainWindowLook()
    {
        QFETCH(int, height);
        Host host = MakeHost(QSize(81, height));
        OrloSimpleButton* pButton = host.pButton;
        const QImage& imgSurface = pButton->Surface();
        QCOMPARE(imgSurface.size(), SurfaceSize(pButton, 75));
        if (pButton->devicePixelRatio() == 1.0)
            QCOMPARE(imgSurface.size(), QSize(61, (3 * height + 2) / 4));
        // Drawn at the screen's own resolution, not stretched up from the button's pixels.
        QCOMPARE(pButton->grab().size(), pButton->size() * pButton->devicePixelRatio());
        const QImage imgFace = Face(pButton);
        const int intLastRow = height - 3; // inside the border

        // White over the top half (where a row of the surface may cover a row more once stretched
        // to a scaled screen's pixels).
        const int intSlack = pButton->devicePixelRatio() == 1.0 ? 0 : 1;
        for (int y = 2; y <= height / 2 - intSlack; ++y)
            QCOMPARE(RowColour(imgFace, y), qRgb(255, 255, 255));

        // The band: only red and green fall (blue stays full), down to the light blue of the
        // highlight colour near three quarters of the height, and back.
        int intBandRow = -1;
        int intLowest = 256;
        for (int y = 2; y <= intLastRow; ++y) {
            const QRgb rgb = RowColour(imgFace, y);
            QCOMPARE(qBlue(rgb), 255);
            QCOMPARE(qRed(rgb), qGreen(rgb));
            if (qRed(rgb) < intLowest) {
                intLowest = qRed(rgb);
                intBandRow = y;
            }
        }
        QCOMPARE(RowColour(imgFace, intBandRow), Rgb(lngLightBlue));
        QVERIFY2(qAbs(intBandRow - 0.75 * height) <= 1.5, qPrintable(QString::number(intBandRow)));
        for (int y = height / 2; y < intBandRow; ++y)
            QVERIFY(qRed(RowColour(imgFace, y + 1)) <= qRed(RowColour(imgFace, y)));
        for (int y = intBandRow; y < intLastRow; ++y)
            QVERIFY(qRed(RowColour(imgFace, y + 1)) >= qRed(RowColour(imgFace, y)));

        // White again by nine tenths of the height: on the drawing surface, and on the button
        // (where a row of the surface may cover a row more once stretched).
        for (int y = (9 * imgSurface.height() + 9) / 10; y < imgSurface.height(); ++y)
            QCOMPARE(imgSurface.pixel(0, y), qRgb(255, 255, 255));
        for (int y = (9 * height + 9) / 10 + 1; y <= intLastRow; ++y)
            QCOMPARE(RowColour(imgFace, y), qRgb(255, 255, 255));
    }

    void borderAndCaption()
    {
        Host host = MakeHost(QSize(120, 40));
        OrloSimpleButton* pButton = host.pButton;
        const QImage imgFace = Face(pButton);
        const QRgb rgbBorder = Rgb(lngGrey);
        for (int x = 0; x < imgFace.width(); ++x) {
            for (const int y : { 0, 1, imgFace.height() - 2, imgFace.height() - 1 })
                QCOMPARE(imgFace.pixel(x, y), rgbBorder);
        }
        for (int y = 0; y < imgFace.height(); ++y) {
            for (const int x : { 0, 1, imgFace.width() - 2, imgFace.width() - 1 })
                QCOMPARE(imgFace.pixel(x, y), rgbBorder);
        }
        QVERIFY(imgFace.pixel(2, 2) != rgbBorder);

        // The caption is black and centred: the box around its dark pixels has the button's centre
        // in the middle, give or take the font's side bearings.
        int intLeft = imgFace.width();
        int intRight = -1;
        int intTop = imgFace.height();
        int intBottom = -1;
        for (int y = 2; y < imgFace.height() - 2; ++y) {
            for (int x = 2; x < imgFace.width() - 2; ++x) {
                const QRgb rgb = imgFace.pixel(x, y);
                if (qRed(rgb) < 100 && qGreen(rgb) < 100 && qBlue(rgb) < 100) {
                    intLeft = qMin(intLeft, x);
                    intRight = qMax(intRight, x);
                    intTop = qMin(intTop, y);
                    intBottom = qMax(intBottom, y);
                }
            }
        }
        QVERIFY2(intRight >= 0, "no caption drawn");
        QVERIFY(CountPixels(imgFace, qRgb(0, 0, 0)) > 0);
        QVERIFY(qAbs((intLeft + intRight) / 2.0 - imgFace.width() / 2.0) <= 3.0);
        QVERIFY(qAbs((intTop + intBottom) / 2.0 - imgFace.height() / 2.0) <= 4.0);
        const QPoint ptCaption = pButton->CaptionPosition();
        QVERIFY(intLeft >= ptCaption.x());
        QVERIFY(intTop >= ptCaption.y());
    }

    void disabledLook()
    {
        Host host = MakeHost();
        OrloSimpleButton* pButton = host.pButton;
        const QImage imgNormal = Face(pButton);
        QSignalSpy spyMoves(pButton, &OrloSimpleButton::MouseMove);

        pButton->SetEnable(false);
        QCOMPARE(pButton->State(), int(OrloSimpleButton::StateDisabled));
        QVERIFY(!pButton->isEnabled());
        const QImage& imgSurface = pButton->Surface();
        const int intWhiteRow = GradientDrawing::StopPosition(66, imgSurface.height());
        QCOMPARE(imgSurface.pixel(0, 0), Rgb(0x00C0C0C0));
        QCOMPARE(imgSurface.pixel(0, intWhiteRow), qRgb(255, 255, 255));
        const QImage imgFace = Face(pButton);
        for (int y = 2; y < imgFace.height() - 2; ++y) {
            const QRgb rgb = RowColour(imgFace, y);
            QVERIFY(qRed(rgb) == qGreen(rgb) && qGreen(rgb) == qBlue(rgb));
            QVERIFY(qRed(rgb) >= 0xC0);
        }
        QVERIFY(qRed(RowColour(imgFace, 2)) < 0xD0);

        // A disabled button ignores the mouse altogether.
        QTest::mouseMove(pButton, QPoint(10, 10));
        QTest::mouseMove(pButton, QPoint(20, 12));
        QCOMPARE(spyMoves.count(), 0);
        QCOMPARE(pButton->State(), int(OrloSimpleButton::StateDisabled));

        pButton->SetEnable(true);
        QCOMPARE(pButton->State(), int(OrloSimpleButton::StateNormal));
        QCOMPARE(Face(pButton), imgNormal);
    }

    void enabledStateFollowsTheWidget()
    {
        Host host = MakeHost();
        OrloSimpleButton* pButton = host.pButton;
        pButton->setEnabled(false);
        QVERIFY(!pButton->Enable());
        QCOMPARE(pButton->PaintedState(), int(OrloSimpleButton::StateDisabled));
        pButton->setEnabled(true);
        QVERIFY(pButton->Enable());
        QCOMPARE(pButton->PaintedState(), int(OrloSimpleButton::StateNormal));

        // Disabling the window disables the button's look too, and enabling it brings it back.
        host.pWindow->setEnabled(false);
        QCOMPARE(pButton->PaintedState(), int(OrloSimpleButton::StateDisabled));
        host.pWindow->setEnabled(true);
        QCOMPARE(pButton->PaintedState(), int(OrloSimpleButton::StateNormal));
        QVERIFY(pButton->isEnabled());
    }

    void fromCentreOnAWideButton()
    {
        Host host = MakeHost(QSize(200, 40), false);
        OrloSimpleButton* pButton = host.pButton;
        QPalette palButton = pButton->palette();
        const QColor clrCleared(0xFF, 0x00, 0xFF);
        palButton.setColor(QPalette::Button, clrCleared);
        pButton->setPalette(palButton);
        pButton->SetCaption(QString());
        pButton->SetGradientDirection(2);
        QCOMPARE(pButton->Surface().size(), SurfaceSize(pButton, 50));

        // The band is a centred square twice the height wide (columns 60 to 139); left and right
        // of it the cleared surface shows.
        const QImage imgFace = Face(pButton);
        for (int y = 2; y < 38; ++y) {
            for (int x = 2; x < 60; ++x)
                QCOMPARE(imgFace.pixel(x, y), clrCleared.rgb());
            for (int x = 140; x < 198; ++x)
                QCOMPARE(imgFace.pixel(x, y), clrCleared.rgb());
            for (int x = 60; x < 140; ++x)
                QVERIFY(imgFace.pixel(x, y) != clrCleared.rgb());
        }
        // The outer outlines are the normal colour (blue); the centre is blue too, the band between.
        QCOMPARE(imgFace.pixel(60, 20), Rgb(0x00FF0000));
        QCOMPARE(imgFace.pixel(100, 20), Rgb(0x00FF0000));
        QCOMPARE(imgFace.pixel(100, 20), imgFace.pixel(99, 19));
        bool blnBandSeen = false;
        for (int x = 60; x < 100; ++x)
            blnBandSeen = blnBandSeen || imgFace.pixel(x, 20) == Rgb(0x00FFFFFF);
        QVERIFY(blnBandSeen);
    }

    void stateFollowsTheMouse()
    {
        Host host = MakeHost();
        OrloSimpleButton* pButton = host.pButton;
        QSignalSpy spyMoves(pButton, &OrloSimpleButton::MouseMove);
        QSignalSpy spyClicks(pButton, &OrloSimpleButton::ButtonClick);
        // The band's row: near three quarters of the height.
        const int intBandRow = BandRow(Face(pButton));
        QVERIFY2(qAbs(intBandRow - 19) <= 1, qPrintable(QString::number(intBandRow)));

        MoveMouse(pButton, QPoint(10, 8));
        QCOMPARE(pButton->State(), int(OrloSimpleButton::StateHover));
        QCOMPARE(RowColour(Face(pButton), intBandRow), Rgb(lngHoverOrange));
        QCOMPARE(spyMoves.count(), 1);
        QCOMPARE(spyMoves.last().at(0).toInt(), 10);
        QCOMPARE(spyMoves.last().at(1).toInt(), 8);

        // The first column counts as outside.
        MoveMouse(pButton, QPoint(0, 8));
        QCOMPARE(pButton->State(), int(OrloSimpleButton::StateNormal));
        MoveMouse(pButton, QPoint(1, 8));
        QCOMPARE(pButton->State(), int(OrloSimpleButton::StateHover));

        // Pressed, dragged out (normal) and back in (pressed) with the button held.
        QTest::mousePress(pButton, Qt::LeftButton, Qt::NoModifier, QPoint(12, 10));
        QCOMPARE(pButton->State(), int(OrloSimpleButton::StatePressed));
        QCOMPARE(RowColour(Face(pButton), intBandRow), Rgb(lngGrey));
        MoveMouse(pButton, QPoint(-15, 10));
        QCOMPARE(pButton->State(), int(OrloSimpleButton::StateNormal));
        QCOMPARE(spyMoves.last().at(0).toInt(), -15);
        MoveMouse(pButton, QPoint(30, 10));
        QCOMPARE(pButton->State(), int(OrloSimpleButton::StatePressed));

        // Released inside: one click, and the pressed look stays until the next move.
        QTest::mouseRelease(pButton, Qt::LeftButton, Qt::NoModifier, QPoint(30, 10));
        QCOMPARE(spyClicks.count(), 1);
        QCOMPARE(pButton->State(), int(OrloSimpleButton::StatePressed));
        MoveMouse(pButton, QPoint(31, 10));
        QCOMPARE(pButton->State(), int(OrloSimpleButton::StateHover));

        // Leaving the button for the window around it.
        if (pButton->devicePixelRatio() != 1.0) {
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(pButton, &leave);
        }
        MoveMouse(host.pWindow.get(), QPoint(300, 150));
        QCOMPARE(pButton->State(), int(OrloSimpleButton::StateNormal));
        QCOMPARE(RowColour(Face(pButton), intBandRow), Rgb(lngLightBlue));
    }

    void clicksNeedPressAndReleaseInside()
    {
        Host host = MakeHost();
        OrloSimpleButton* pButton = host.pButton;
        QSignalSpy spyClicks(pButton, &OrloSimpleButton::ButtonClick);

        QTest::mouseMove(pButton, QPoint(10, 10));
        QTest::mousePress(pButton, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QTest::mouseMove(pButton, QPoint(-20, 10));
        QTest::mouseRelease(pButton, Qt::LeftButton, Qt::NoModifier, QPoint(-20, 10));
        QCOMPARE(spyClicks.count(), 0);

        // The right button neither presses nor clicks.
        QTest::mouseMove(pButton, QPoint(14, 10));
        QCOMPARE(pButton->State(), int(OrloSimpleButton::StateHover));
        QTest::mouseClick(pButton, Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
        QCOMPARE(pButton->State(), int(OrloSimpleButton::StateHover));
        QCOMPARE(spyClicks.count(), 0);

        QTest::mouseClick(pButton, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QCOMPARE(spyClicks.count(), 1);
    }

    void keyboardPressesLikeAPushButton()
    {
        Host host = MakeHost();
        OrloSimpleButton* pButton = host.pButton;
        QSignalSpy spyClicks(pButton, &OrloSimpleButton::ButtonClick);
        QApplication::setActiveWindow(host.pWindow.get());
        QVERIFY(QTest::qWaitForWindowActive(host.pWindow.get()));
        const QImage imgPlain = Face(pButton);
        const QImage imgPlainDevice = pButton->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const int intPaints = pButton->PaintCount();

        // Tab reaches it; the dotted frame shows inside the border, and nothing else changes.
        QTest::keyClick(host.pWindow.get(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), pButton);
        QVERIFY(pButton->ShowsFocusFrame());
        // Read in the screen's own pixels: on a scaled screen the outline is as many device pixels
        // wide as a pixel is, and lies where the outline's pixels cover them.
        const qreal dblRatio = pButton->devicePixelRatio();
        const QImage imgFocused = pButton->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect rctFrame = pButton->FocusFrame();
        const QRectF rctOuter = QRectF(rctFrame).adjusted(-0.5, -0.5, 0.5, 0.5);
        const QRectF rctInner = QRectF(rctFrame).adjusted(1.5, 1.5, -1.5, -1.5);
        int intFramePixels = 0;
        for (int y = 0; y < imgFocused.height(); ++y) {
            for (int x = 0; x < imgFocused.width(); ++x) {
                const QPointF ptAt((x + 0.5) / dblRatio, (y + 0.5) / dblRatio);
                const bool blnOnFrame = rctOuter.contains(ptAt) && !rctInner.contains(ptAt);
                if (!blnOnFrame)
                    QCOMPARE(imgFocused.pixel(x, y), imgPlainDevice.pixel(x, y));
                else if (imgFocused.pixel(x, y) == qRgb(0, 0, 0))
                    ++intFramePixels;
            }
        }
        // Dotted: about every third pixel of the outline is black (counted in device pixels, an
        // outline as wide as a pixel).
        const int intOutline = qRound((2 * (rctFrame.width() + rctFrame.height()) - 4) * dblRatio * dblRatio);
        // On a scaled screen the dots come out wider than the gaps, but the outline is never solid.
        const bool blnDotted = intFramePixels * 4 > intOutline
            && (dblRatio == 1.0 ? intFramePixels * 2 < intOutline : intFramePixels * 4 < intOutline * 3);
        QVERIFY2(blnDotted, qPrintable(QString::number(intFramePixels)));
        QCOMPARE(pButton->PaintCount(), intPaints);

        // Space: pressed while held, one click on release.
        QTest::keyPress(pButton, Qt::Key_Space);
        QCOMPARE(pButton->State(), int(OrloSimpleButton::StatePressed));
        QCOMPARE(spyClicks.count(), 0);
        QTest::keyRelease(pButton, Qt::Key_Space);
        QCOMPARE(spyClicks.count(), 1);
        QCOMPARE(pButton->State(), int(OrloSimpleButton::StateNormal));

        // Enter and Return click at once; other keys do nothing.
        QTest::keyClick(pButton, Qt::Key_Return);
        QTest::keyClick(pButton, Qt::Key_Enter, Qt::KeypadModifier);
        QTest::keyClick(pButton, Qt::Key_A);
        QCOMPARE(spyClicks.count(), 3);

        // Losing the focus with Space held takes the press back without a click; the frame goes.
        QTest::keyPress(pButton, Qt::Key_Space);
        pButton->clearFocus();
        QCOMPARE(pButton->State(), int(OrloSimpleButton::StateNormal));
        QTest::keyRelease(pButton, Qt::Key_Space);
        QCOMPARE(spyClicks.count(), 3);
        QCOMPARE(Face(pButton), imgPlain);

        // Disabled, the keys do nothing.
        pButton->setFocus(Qt::TabFocusReason);
        pButton->SetEnable(false);
        QTest::keyClick(pButton, Qt::Key_Space);
        QTest::keyClick(pButton, Qt::Key_Return);
        QCOMPARE(spyClicks.count(), 3);
        QCOMPARE(pButton->State(), int(OrloSimpleButton::StateDisabled));
    }

    void assistiveTechnologySeesAPushButton()
    {
        Host host = MakeHost();
        OrloSimpleButton* pButton = host.pButton;
        pButton->setToolTip(QStringLiteral("Perform diagnostics"));
        pButton->SetAccessKey(QLatin1Char('g'));
        pButton->SetDefault(true);
        QSignalSpy spyClicks(pButton, &OrloSimpleButton::ButtonClick);
        QApplication::setActiveWindow(host.pWindow.get());
        QVERIFY(QTest::qWaitForWindowActive(host.pWindow.get()));

        QAccessibleInterface* pIface = QAccessible::queryAccessibleInterface(pButton);
        QVERIFY(pIface && pIface->isValid());
        QCOMPARE(pIface->role(), QAccessible::Button);
        QCOMPARE(pIface->text(QAccessible::Name), QStringLiteral("Go"));
        QCOMPARE(pIface->text(QAccessible::Description), QStringLiteral("Perform diagnostics"));
        QCOMPARE(pIface->text(QAccessible::Accelerator),
            QKeySequence(QStringLiteral("Alt+G")).toString(QKeySequence::NativeText));
        QVERIFY(pIface->state().focusable && pIface->state().defaultButton && !pIface->state().disabled);
        QAccessibleActionInterface* pActions = pIface->actionInterface();
        QVERIFY(pActions);
        QCOMPARE(pActions->actionNames().value(0), QAccessibleActionInterface::pressAction());
        QCOMPARE(pActions->keyBindingsForAction(QAccessibleActionInterface::pressAction()),
            QStringList { QKeySequence(QStringLiteral("Alt+G")).toString(QKeySequence::NativeText) });
        pActions->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(spyClicks.count(), 1);
        pButton->setFocus(Qt::TabFocusReason);
        QVERIFY(pIface->state().focused);

        // The access key clicks from anywhere in the window; the caption shows which letter it is.
        QWidget* pElsewhere = new QWidget(host.pWindow.get());
        pElsewhere->setFocusPolicy(Qt::StrongFocus);
        pElsewhere->show();
        pElsewhere->setFocus();
        QTest::keyClick(pElsewhere, Qt::Key_G, Qt::AltModifier);
        QCOMPARE(spyClicks.count(), 2);
        QCOMPARE(QApplication::focusWidget(), pButton);
        QVERIFY(pButton->CaptionMarkup() == QLatin1String("&Go") || pButton->CaptionMarkup() == QLatin1String("Go"));
        pButton->SetCaption(QStringLiteral("R&D"));
        pButton->SetAccessKey(QLatin1Char('d'));
        QVERIFY(pButton->CaptionMarkup().endsWith(QLatin1String("&&D"))
            || pButton->CaptionMarkup() == QLatin1String("R&&D"));
        QCOMPARE(pIface->text(QAccessible::Name), QStringLiteral("R&D"));

        // Disabled: no press action, no click by the access key, and the state says so.
        pButton->SetEnable(false);
        QVERIFY(pIface->state().disabled);
        QVERIFY(!pActions->actionNames().contains(QAccessibleActionInterface::pressAction()));
        pActions->doAction(QAccessibleActionInterface::pressAction());
        QTest::keyClick(host.pWindow.get(), Qt::Key_D, Qt::AltModifier);
        QCOMPARE(spyClicks.count(), 2);
    }

    void noDrawingWhileTheStateStaysTheSame()
    {
        Host host = MakeHost();
        OrloSimpleButton* pButton = host.pButton;
        QSignalSpy spyMoves(pButton, &OrloSimpleButton::MouseMove);

        MoveMouse(pButton, QPoint(5, 5));
        const int intPaints = pButton->PaintCount();
        for (int x = 6; x < 60; x += 9)
            MoveMouse(pButton, QPoint(x, 12));
        QCOMPARE(pButton->PaintCount(), intPaints);
        QCOMPARE(spyMoves.count(), 7);

        // The hover colour changes nothing on screen until the state changes.
        const QImage imgHover = Face(pButton);
        pButton->SetHoverColour(0x0000FF00);
        QCOMPARE(pButton->PaintCount(), intPaints);
        QCOMPARE(Face(pButton), imgHover);
        MoveMouse(pButton, QPoint(0, 12));
        MoveMouse(pButton, QPoint(5, 12));
        QCOMPARE(pButton->PaintCount(), intPaints + 2);
        QCOMPARE(RowColour(Face(pButton), BandRow(Face(pButton))), qRgb(0, 255, 0));

        // A new caption waits for the next drawing, which a forcing property brings.
        const QImage imgBefore = Face(pButton);
        pButton->SetCaption(QStringLiteral("Data Dump"));
        QCOMPARE(Face(pButton), imgBefore);
        QCOMPARE(pButton->PaintedCaption(), QStringLiteral("Go"));
        pButton->SetGradientDirection(pButton->GradientDirection());
        QCOMPARE(pButton->PaintCount(), intPaints + 3);
        QVERIFY(Face(pButton) != imgBefore);
        QCOMPARE(pButton->PaintedCaption(), QStringLiteral("Data Dump"));
        // Refresh draws it at once as well, in the same state.
        pButton->SetCaption(QStringLiteral("Go"));
        pButton->Refresh();
        QCOMPARE(pButton->PaintCount(), intPaints + 4);
        QCOMPARE(Face(pButton), imgBefore);
        QCOMPARE(pButton->PaintedCaption(), QStringLiteral("Go"));

        // Colours that show in the current look draw at once.
        pButton->SetNormalColour(0x00EEEEEE);
        pButton->SetBorderColour(0x000000FF);
        pButton->SetResolution(60);
        QCOMPARE(pButton->PaintCount(), intPaints + 7);
        QCOMPARE(Face(pButton).pixel(0, 0), qRgb(255, 0, 0));
    }

    void lowerResolutionDrawsFewerLines()
    {
        Host host = MakeHost(QSize(100, 40), false);
        OrloSimpleButton* pButton = host.pButton;
        pButton->SetResolution(100);
        const int intFull = pButton->LinesDrawn();
        QCOMPARE(pButton->Surface().size(), SurfaceSize(pButton, 100));
        pButton->SetResolution(25);
        QCOMPARE(pButton->Surface().size(), SurfaceSize(pButton, 25));
        QVERIFY(pButton->LinesDrawn() < intFull);

        // Out-of-range values still give a usable surface, never larger than the button.
        pButton->SetResolution(0);
        QCOMPARE(pButton->Surface().size(), QSize(1, 1));
        pButton->SetResolution(-40);
        QCOMPARE(pButton->Surface().size(), QSize(1, 1));
        pButton->SetResolution(30000);
        QCOMPARE(pButton->Surface().size(), SurfaceSize(pButton, 100));
        QCOMPARE(pButton->Resolution(), 30000);
        pButton->SetResolution(100000);
        QCOMPARE(pButton->Resolution(), 32767);
        QCOMPARE(Face(pButton).size(), QSize(100, 40));
    }

    void systemColoursAreResolvedWhenSet()
    {
        Host host = MakeHost(QSize(81, 25), false);
        OrloSimpleButton* pButton = host.pButton;
        QPalette palButton = pButton->palette();
        palButton.setColor(QPalette::Button, QColor(0x12, 0x34, 0x56));
        pButton->setPalette(palButton);

        pButton->SetNormalColour(0x8000000F); // button face
        QCOMPARE(pButton->NormalColour(), 0x00563412u);
        palButton.setColor(QPalette::Button, QColor(0x65, 0x43, 0x21));
        pButton->setPalette(palButton);
        QCOMPARE(pButton->NormalColour(), 0x00563412u);

        QVERIFY(SystemColours::IsSystemColour(0x80000005));
        QVERIFY(!SystemColours::IsSystemColour(0x00FF0000));
        QVERIFY(!SystemColours::IsSystemColour(0x81000000));
        QVERIFY(!SystemColours::IsSystemColour(0x08000000));
        QCOMPARE(pButton->TranslateColour(0x00123456), 0x00123456u);
        QCOMPARE(pButton->TranslateColour(0x80000063), 0u); // no such system colour
        QCOMPARE(pButton->TranslateColour(0x80000019), 0u); // an index left unused
        QCOMPARE(pButton->TranslateColour(0x80000000 | 24), // tooltip background
            GradientDrawing::RgbToColour(pButton->palette().color(QPalette::ToolTipBase).rgb()));
    }

    void storedPropertiesRoundTrip()
    {
        Host host = MakeHost();
        OrloSimpleButton* pButton = host.pButton;
        pButton->SetGradientDirection(0);
        const OrloSimpleButton::PropertyList lstStored = pButton->WriteProperties();
        QStringList lstNames;
        for (const auto& property : lstStored)
            lstNames << property.first;
        // In the fixed order, without those left at their defaults (Enable, DisabledColour).
        QCOMPARE(lstNames,
            QStringList({ "Caption", "HighlightColour", "NormalColour", "GradientDirection", "HoverColour",
                "PressedColour", "BorderColour", "Resolution" }));

        QVariantMap mapStored;
        for (const auto& property : lstStored)
            mapStored.insert(property.first, property.second);
        Host other = MakeHost(QSize(81, 25), false);
        other.pButton->ReadProperties(mapStored);
        for (const char* strName : { "Caption", "Enable", "HighlightColour", "NormalColour", "GradientDirection",
                 "HoverColour", "PressedColour", "DisabledColour", "BorderColour", "Resolution" })
            QCOMPARE(other.pButton->property(strName), pButton->property(strName));
        QCOMPARE(Face(other.pButton), Face(pButton));
    }

    void storedPropertiesAreReadAsStored()
    {
        Host host = MakeHost(QSize(81, 25), false);
        OrloSimpleButton* pButton = host.pButton;
        QSignalSpy spyChanged(pButton, &OrloSimpleButton::PropertyChanged);
        QVariantMap mapStored;
        mapStored.insert(QStringLiteral("NormalColour"), -2147483633); // signed system colour reference
        mapStored.insert(QStringLiteral("HighlightColour"), QStringLiteral("not a colour"));
        mapStored.insert(QStringLiteral("Resolution"), QStringLiteral("x"));
        mapStored.insert(QStringLiteral("Caption"), QStringLiteral("Open router"));
        pButton->ReadProperties(mapStored);
        QCOMPARE(pButton->NormalColour(), 0x8000000Fu);
        QCOMPARE(pButton->HighlightColour(), OrloSimpleButton::lngDefaultHighlightColour);
        QCOMPARE(pButton->Resolution(), OrloSimpleButton::intDefaultResolution);
        QCOMPARE(pButton->Caption(), QStringLiteral("Open router"));
        QCOMPARE(pButton->GradientDescription(OrloSimpleButton::StateNormal).left(13), QStringLiteral("0,2147483663#"));
        QCOMPARE(spyChanged.count(), 0);

        // Stored as disabled: disabled look from the start, and no mouse input.
        mapStored.insert(QStringLiteral("Enable"), false);
        pButton->ReadProperties(mapStored);
        QCOMPARE(pButton->State(), int(OrloSimpleButton::StateDisabled));
        QCOMPARE(pButton->PaintedState(), int(OrloSimpleButton::StateDisabled));
        QVERIFY(!pButton->isEnabled());
        QCOMPARE(pButton->Surface().pixel(0, 0), Rgb(0x00C0C0C0));
    }

    void settersReportTheirProperty()
    {
        Host host = MakeHost(QSize(81, 25), false);
        OrloSimpleButton* pButton = host.pButton;
        QSignalSpy spyChanged(pButton, &OrloSimpleButton::PropertyChanged);
        pButton->setProperty("Caption", QStringLiteral("Go"));
        pButton->setProperty("Enable", false);
        pButton->setProperty("HoverColour", 0x0080C0FFu);
        pButton->setProperty("Resolution", 75);
        QCOMPARE(spyChanged.count(), 4);
        QCOMPARE(spyChanged.at(0).at(0).toString(), QStringLiteral("Caption"));
        QCOMPARE(spyChanged.at(1).at(0).toString(), QStringLiteral("Enable"));
        QCOMPARE(spyChanged.at(2).at(0).toString(), QStringLiteral("HoverColour"));
        QCOMPARE(spyChanged.at(3).at(0).toString(), QStringLiteral("Resolution"));
        QCOMPARE(pButton->HoverColour(), 0x0080C0FFu);
    }

    void emptyButtonDoesNotBreak()
    {
        Host host = MakeHost(QSize(0, 0), false);
        OrloSimpleButton* pButton = host.pButton;
        pButton->SetGradientDirection(2);
        pButton->SetNormalColour(0x00123456);
        QVERIFY(pButton->Surface().isNull());
        pButton->resize(3, 3);
        QCOMPARE(pButton->Surface().size(), SurfaceSize(pButton, 50));
        QCOMPARE(Face(pButton).size(), QSize(3, 3));
    }
};

QUORVANE_REGISTER_TEST(TestOrloSimpleButton)
#include "TestOrloSimpleButton.moc"
