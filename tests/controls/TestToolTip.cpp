#include "controls/frmTip.h"
#include "controls/vbkToolTip.h"
#include "support/SkipTest.h"
#include "support/TestRegistry.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <memory>

namespace
{
const QString strGoTitle = QStringLiteral("Perform diagnostics");
const QString strGoText = QStringLiteral("Run the diagnostic and generate a report");
const QString strOpenTitle = QStringLiteral("Open router");
const QString strOpenText = QStringLiteral("Open the router's web interface in the default browser");

// Wine's offscreen fonts set the texts above taller than the balloon sizes they were written for,
// so there the balloon rightly grows to hold them (see balloonLayout) and its design size cannot
// be checked.
const char* const strWineFonts = "Wine's offscreen fonts set this text taller than the balloon's design size";
} // namespace

// The tooltip reads the cursor through a function the test controls; the widget under it is
// found by the application as usual, so the host window really lies on the (offscreen) screen.
class TestToolTip : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QWidget> m_pWindow;
    QWidget* m_pGo = nullptr;
    QWidget* m_pOpen = nullptr;
    std::unique_ptr<vbkToolTip> m_pTip;
    QPoint m_ptCursor;

    // Puts the cursor at a point inside a widget and returns the offset in twips that the widget's
    // mouse-move event would report.
    QPointF MoveCursorTo(const QWidget* pWidget, const QPoint& ptInside)
    {
        m_ptCursor = pWidget->mapToGlobal(ptInside);
        return QPointF(ptInside.x() * 15.0, ptInside.y() * 15.0);
    }

    void FireGo(const QWidget* pOver, const QPoint& ptInside)
    {
        const QPointF ptTwips = MoveCursorTo(pOver, ptInside);
        // Every button passes the same owner, as the main window does.
        m_pTip->Fire(m_pGo, ptTwips.x(), ptTwips.y(), pOver == m_pGo ? strGoTitle : strOpenTitle,
            pOver == m_pGo ? strGoText : strOpenText, 150, pOver == m_pGo ? 60 : 70);
    }

    QPoint BottomLeft(const QWidget* pWidget) const { return pWidget->mapToGlobal(QPoint(0, pWidget->height())); }

private Q_SLOTS:
    void init()
    {
        m_pWindow = std::make_unique<QWidget>();
        m_pWindow->setGeometry(120, 90, 520, 300);
        m_pGo = new QWidget(m_pWindow.get());
        m_pGo->setObjectName(QStringLiteral("cmdGo"));
        m_pGo->setGeometry(424, 8, 81, 25);
        m_pOpen = new QWidget(m_pWindow.get());
        m_pOpen->setObjectName(QStringLiteral("cmdOpen"));
        m_pOpen->setGeometry(424, 80, 81, 25);
        m_pWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pWindow.get()));

        m_pTip = std::make_unique<vbkToolTip>();
        m_pTip->SetCursorFunction([this] { return m_ptCursor; });
        m_ptCursor = m_pWindow->mapToGlobal(QPoint(5, 250));
        QCOMPARE(QApplication::widgetAt(m_pGo->mapToGlobal(QPoint(10, 10))), m_pGo);
    }

    void cleanup()
    {
        m_pTip.reset();
        m_pWindow.reset();
    }

    void repeatedMovesArmOnce()
    {
        QVERIFY(!m_pTip->IsArmed());
        FireGo(m_pGo, QPoint(10, 5));
        QVERIFY(m_pTip->IsArmed());
        QCOMPARE(m_pTip->LastOwner(), QStringLiteral("cmdGo"));
        const QPoint ptArmed = m_pTip->TipPosition();
        QCOMPARE(ptArmed, BottomLeft(m_pGo));

        // Later moves inside the same button change nothing, not even the timing.
        m_pTip->Tick();
        for (const QPoint& ptInside : { QPoint(30, 12), QPoint(60, 20), QPoint(2, 2) }) {
            const QPointF ptTwips = MoveCursorTo(m_pGo, ptInside);
            m_pTip->Fire(m_pGo, ptTwips.x(), ptTwips.y(), QStringLiteral("other"), QStringLiteral("other"), 90, 90);
        }
        QCOMPARE(m_pTip->TipPosition(), ptArmed);
        QCOMPARE(m_pTip->TipTitle(), strGoTitle);
        QCOMPARE(m_pTip->Ticks(), 1);
        QVERIFY(!m_pTip->IsShown());
        m_pTip->Tick();
        QVERIFY(m_pTip->IsShown());
        QCOMPARE(m_pTip->Balloon()->pos(), ptArmed);
        if (RunsUnderWine() && m_pTip->Balloon()->height() > 60)
            QUORVANE_SKIP(strWineFonts);
        QCOMPARE(m_pTip->Balloon()->geometry(), QRect(ptArmed, QSize(150, 60)));
    }

    void balloonStaysOnTheScreenInTheHostsFace()
    {
        // The window pushed into the screen's bottom right corner: below its buttons there is no
        // room for a balloon, nor beside the right one.
        const QRect rctScreen = m_pWindow->screen()->availableGeometry();
        m_pWindow->move(rctScreen.right() - 500, rctScreen.bottom() - 40);
        QTRY_VERIFY(BottomLeft(m_pGo).y() + 60 > rctScreen.bottom() + 1);
        QVERIFY(m_pGo->mapToGlobal(QPoint(0, 0)).x() + 150 > rctScreen.right() + 1);
        QFont fntHost = m_pWindow->font();
        fntHost.setPointSizeF(11);
        m_pTip->SetTipFont(fntHost);
        FireGo(m_pGo, QPoint(70, 5));
        m_pTip->ShowTip();
        frmTip* pBalloon = m_pTip->Balloon();
        QVERIFY(pBalloon);
        QVERIFY2(rctScreen.contains(pBalloon->geometry()),
            qPrintable(QStringLiteral("%1,%2 %3x%4")
                           .arg(pBalloon->x())
                           .arg(pBalloon->y())
                           .arg(pBalloon->width())
                           .arg(pBalloon->height())));
        // Where the balloon was meant to go is kept; only the shown window moved.
        QCOMPARE(m_pTip->TipPosition(), BottomLeft(m_pGo));
        const auto* pText = pBalloon->findChild<QLabel*>(QStringLiteral("lblText"));
        const auto* pCaption = pBalloon->findChild<QLabel*>(QStringLiteral("lblCaption"));
        QCOMPARE(pText->font().pointSizeF(), 11.0);
        QVERIFY(pCaption->font().bold());
        QCOMPARE(pCaption->font().pointSizeF(), 11.0);
        // The larger face still fits: the title bar and the body are not cut.
        QVERIFY(pCaption->height() >= QFontMetrics(pCaption->font()).height());
        QVERIFY(pText->height() >= pText->heightForWidth(pText->width()));
    }

    void shownOnTheSecondTick()
    {
        FireGo(m_pGo, QPoint(20, 10));
        QVERIFY(m_pTip->Balloon() == nullptr || !m_pTip->Balloon()->isVisible());
        m_pTip->Tick();
        QVERIFY(!m_pTip->IsShown());
        QVERIFY(m_pTip->Balloon() == nullptr || !m_pTip->Balloon()->isVisible());
        m_pTip->Tick();
        QVERIFY(m_pTip->IsShown());
        frmTip* pBalloon = m_pTip->Balloon();
        QVERIFY(pBalloon && pBalloon->isVisible());
        QCOMPARE(pBalloon->findChild<QLabel*>(QStringLiteral("lblCaption"))->text(), strGoTitle);
        QCOMPARE(pBalloon->findChild<QLabel*>(QStringLiteral("lblText"))->text(), strGoText);

        // It stays as long as the cursor stays, without counting further.
        for (int i = 0; i < 5; ++i)
            m_pTip->Tick();
        QVERIFY(pBalloon->isVisible());
        QCOMPARE(m_pTip->Ticks(), 2);
    }

    void hiddenOnTheFirstTickAfterLeaving()
    {
        FireGo(m_pGo, QPoint(20, 10));
        m_pTip->Tick();
        m_pTip->Tick();
        QVERIFY(m_pTip->IsShown());

        m_ptCursor = m_pWindow->mapToGlobal(QPoint(200, 200));
        m_pTip->Tick();
        QVERIFY(!m_pTip->IsShown());
        QVERIFY(!m_pTip->Balloon()->isVisible());
        QVERIFY(!m_pTip->IsArmed());
        QCOMPARE(m_pTip->Ticks(), 0);
        QVERIFY(m_pTip->LastOwner().isEmpty());

        // A tip that was armed but not shown yet is dropped the same way.
        FireGo(m_pGo, QPoint(20, 10));
        m_pTip->Tick();
        m_ptCursor = m_pWindow->mapToGlobal(QPoint(200, 200));
        m_pTip->Tick();
        QVERIFY(!m_pTip->IsArmed());
        QVERIFY(!m_pTip->IsShown());
    }

    void shortExcursionsAreNotNoticed()
    {
        FireGo(m_pGo, QPoint(20, 10));
        m_pTip->Tick();
        m_ptCursor = m_pWindow->mapToGlobal(QPoint(200, 200));
        FireGo(m_pGo, QPoint(22, 11));
        m_pTip->Tick();
        QVERIFY(m_pTip->IsShown());
    }

    void sharedOwnerMovesOnOnlyAfterHiding()
    {
        FireGo(m_pGo, QPoint(20, 10));
        m_pTip->Tick();
        m_pTip->Tick();
        QVERIFY(m_pTip->IsShown());

        // Straight onto the other button: the same key, so nothing is armed yet.
        FireGo(m_pOpen, QPoint(40, 12));
        QCOMPARE(m_pTip->TipTitle(), strGoTitle);
        QVERIFY(m_pTip->IsShown());

        // The next tick sees the cursor over another widget and hides; the next move arms anew.
        m_pTip->Tick();
        QVERIFY(!m_pTip->IsShown());
        FireGo(m_pOpen, QPoint(41, 12));
        QCOMPARE(m_pTip->TipTitle(), strOpenTitle);
        QCOMPARE(m_pTip->TipText(), strOpenText);
        QCOMPARE(m_pTip->TipPosition(), BottomLeft(m_pOpen));
        m_pTip->Tick();
        m_pTip->Tick();
        QCOMPARE(m_pTip->Balloon()->pos(), BottomLeft(m_pOpen));
        if (RunsUnderWine() && m_pTip->Balloon()->height() > 70)
            QUORVANE_SKIP(strWineFonts);
        QCOMPARE(m_pTip->Balloon()->geometry(), QRect(BottomLeft(m_pOpen), QSize(150, 70)));
    }

    void newNameOverTheSameWidgetOnlyRecordsIt()
    {
        FireGo(m_pGo, QPoint(20, 10));
        m_pTip->Tick();
        const QPointF ptTwips = MoveCursorTo(m_pGo, QPoint(50, 20));
        m_pTip->Fire(m_pOpen, ptTwips.x(), ptTwips.y(), strOpenTitle, strOpenText, 150, 70);
        QCOMPARE(m_pTip->LastOwner(), QStringLiteral("cmdOpen"));
        QCOMPARE(m_pTip->TipTitle(), strGoTitle);
        QCOMPARE(m_pTip->TipPosition(), BottomLeft(m_pGo));
        QCOMPARE(m_pTip->Ticks(), 1);
        m_pTip->Tick();
        QVERIFY(m_pTip->IsShown());
    }

    void placedFromTheCursorAndTheOffset()
    {
        // The corner comes from the cursor and the offset in twips (15 to the pixel here), not
        // from where the owner lies; halves of a pixel round to the even neighbour.
        m_ptCursor = QPoint(554, 108);
        QCOMPARE(QApplication::widgetAt(m_ptCursor), m_pGo);
        m_pTip->Fire(QStringLiteral("cmdGo"), 375, 307.5, 150, strGoTitle, strGoText, 150, 60);
        QCOMPARE(m_pTip->TipPosition(), QPoint(534, 123)); // 554 - 20.5, 108 - 10 + 25

        m_pTip->HideTip();
        m_ptCursor = QPoint(555, 109);
        m_pTip->Fire(QStringLiteral("cmdGo"), 375, 307.5, 157.5, strGoTitle, strGoText, 150, 60);
        QCOMPARE(m_pTip->TipPosition(), QPoint(534, 124)); // 555 - 20.5, 109 - 10.5 + 25

        m_pTip->HideTip();
        m_pTip->Fire(m_pGo, 0, 0, strGoTitle, strGoText, 150, 60);
        QCOMPARE(m_pTip->TipPosition(), QPoint(555, 134));
        m_pTip->ShowTip();
        QCOMPARE(m_pTip->Balloon()->pos(), QPoint(555, 134));
    }

    void nothingIsArmedOverNoWindow()
    {
        m_ptCursor = QPoint(-5000, -5000);
        m_pTip->Fire(m_pGo, 10, 10, strGoTitle, strGoText, 150, 60);
        QVERIFY(!m_pTip->IsArmed());
        QCOMPARE(m_pTip->LastOwner(), QStringLiteral("cmdGo"));
    }

    void balloonDoesNotTakeTheFocus()
    {
        QApplication::setActiveWindow(m_pWindow.get());
        QVERIFY(QTest::qWaitForWindowActive(m_pWindow.get()));
        FireGo(m_pGo, QPoint(20, 10));
        m_pTip->Tick();
        m_pTip->Tick();
        frmTip* pBalloon = m_pTip->Balloon();
        QVERIFY(pBalloon->isVisible());
        QVERIFY(pBalloon->testAttribute(Qt::WA_ShowWithoutActivating));
        QVERIFY(pBalloon->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
        QVERIFY(pBalloon->isWindow());
        QCoreApplication::processEvents();
        QCOMPARE(QApplication::activeWindow(), m_pWindow.get());
        QVERIFY(!pBalloon->isActiveWindow());
    }

    void hideAndUnloadAtAnyTime()
    {
        m_pTip->HideTip();
        QVERIFY(!m_pTip->IsArmed());
        FireGo(m_pGo, QPoint(20, 10));
        m_pTip->Tick();
        m_pTip->Tick();
        m_pTip->UnloadTip();
        QVERIFY(m_pTip->Balloon() == nullptr);
        QVERIFY(!m_pTip->IsShown());
        QVERIFY(!m_pTip->IsArmed());
        FireGo(m_pGo, QPoint(20, 10));
        m_pTip->ShowTip();
        QVERIFY(m_pTip->Balloon() && m_pTip->Balloon()->isVisible());
    }

    void ownerDestroyedWhileArmed()
    {
        FireGo(m_pOpen, QPoint(20, 10));
        delete m_pOpen;
        m_pOpen = nullptr;
        m_pTip->Tick();
        QVERIFY(!m_pTip->IsArmed());
        QVERIFY(!m_pTip->IsShown());
    }

    void balloonLayout()
    {
        frmTip balloon;
        balloon.Init(strOpenTitle, strOpenText, 150, 70);
        // Under Wine the text needs more than the design size (see strWineFonts): the balloon may
        // only have grown there; the layout inside it is checked all the same.
        if (RunsUnderWine())
            QVERIFY(balloon.width() == 150 && balloon.height() >= 70);
        else
            QCOMPARE(balloon.size(), QSize(150, 70));
        const auto* pTitle = balloon.findChild<QLabel*>(QStringLiteral("imgTitle"));
        const auto* pCaption = balloon.findChild<QLabel*>(QStringLiteral("lblCaption"));
        const auto* pText = balloon.findChild<QLabel*>(QStringLiteral("lblText"));
        QVERIFY(pTitle && pCaption && pText);
        QCOMPARE(pTitle->geometry(), QRect(1, 1, 148, frmTip::pxTitleHeight));
        QVERIFY(pTitle->hasScaledContents());
        QCOMPARE(pCaption->geometry(), pTitle->geometry());
        QVERIFY(pCaption->font().bold());
        QVERIFY(!pText->font().bold());
        QCOMPARE(pText->alignment(), Qt::AlignCenter);

        // The body is centred in the space under the title picture.
        const int intSpaceTop = pTitle->geometry().bottom() + 1;
        const int intSpaceBottom = balloon.height() - 1;
        const int intAbove = pText->geometry().top() - intSpaceTop;
        const int intBelow = intSpaceBottom - (pText->geometry().bottom() + 1);
        QVERIFY(intAbove >= 0 && intBelow >= 0);
        QVERIFY(qAbs(intAbove - intBelow) <= 1);
        QCOMPARE(pText->width(), 148);

        // A text that does not fit grows the balloon downwards, never over the title.
        balloon.Init(strGoTitle, strOpenText.repeated(6), 150, 40);
        QVERIFY(pText->geometry().top() >= intSpaceTop);
        QVERIFY(pText->geometry().bottom() < balloon.height() - 1);
        QCOMPARE(pTitle->width(), 148);

        // Degenerate sizes still give a window that can be shown.
        balloon.Init(QString(), QString(), 0, -5);
        QVERIFY(!balloon.size().isEmpty());
    }

    void titlePictureIsDrawn()
    {
        const QImage imgTitle = frmTip::TitlePicture();
        QCOMPARE(imgTitle.size(), QSize(123, 15));
        QVERIFY(imgTitle.pixel(60, 0) != imgTitle.pixel(60, 14));
        QVERIFY(qGray(imgTitle.pixel(60, 3)) > qGray(imgTitle.pixel(60, 13)));
    }
};

QUORVANE_REGISTER_TEST(TestToolTip)
#include "TestToolTip.moc"
