#include "controls/vbkToolTip.h"

#include "controls/Rounding.h"
#include "controls/Twips.h"
#include "controls/frmTip.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

vbkToolTip::vbkToolTip(QObject* parent)
    : QObject(parent)
    , m_fnCursor([] { return QCursor::pos(); })
    , m_fnWindow([](const QPoint& ptGlobal) { return QApplication::widgetAt(ptGlobal); })
{
    m_intTwipsPerPixel = Twips::TwipsPerPixelX();
    m_tmrTick.setInterval(intTickMilliseconds);
    connect(&m_tmrTick, &QTimer::timeout, this, &vbkToolTip::Tick);
}

vbkToolTip::~vbkToolTip() = default;

void vbkToolTip::Fire(
    const QWidget* obj, double mX, double mY, const QString& Caption, const QString& Text, int pxWidth, int pxHeight)
{
    if (!obj)
        return;
    Fire(obj->objectName(), Twips::PixelsToTwips(obj->height(), m_intTwipsPerPixel), mX, mY, Caption, Text, pxWidth,
        pxHeight);
}

void vbkToolTip::Fire(const QString& strOwnerName, double dblOwnerHeight, double mX, double mY, const QString& Caption,
    const QString& Text, int pxWidth, int pxHeight)
{
    if (strOwnerName != m_strLastOwner) {
        QPoint ptCursor;
        QWidget* pWindow = WindowUnderCursor(&ptCursor);
        // A tip is armed only over a window; the cursor over nothing of ours arms nothing.
        if (pWindow && pWindow != m_pOwnerWnd) {
            // The mouse offset inside the owner leads back from the cursor to the owner's left
            // edge; its height leads down to its bottom edge.
            const double dblFactor = m_intTwipsPerPixel;
            m_lngTipLeft = RoundHalfEven(ptCursor.x() - mX / dblFactor);
            m_lngTipTop = RoundHalfEven(ptCursor.y() - mY / dblFactor + dblOwnerHeight / dblFactor);
            m_pxWidth = pxWidth;
            m_pxHeight = pxHeight;
            m_strTipTitle = Caption;
            m_strTipText = Text;
            m_pOwnerWnd = pWindow;
            if (!m_tmrTick.isActive())
                m_tmrTick.start();
        }
    }
    m_strLastOwner = strOwnerName;
}

void vbkToolTip::Tick()
{
    const QWidget* pWindow = WindowUnderCursor(nullptr);
    if (!m_pOwnerWnd || pWindow != m_pOwnerWnd) {
        HideTip();
        return;
    }
    if (!m_blnShown) {
        ++m_intTicks;
        if (m_intTicks > 1)
            ShowTip();
    }
}

void vbkToolTip::ShowTip()
{
    if (!m_pTip)
        m_pTip = std::make_unique<frmTip>();
    if (m_blnTipFont)
        m_pTip->SetTipFont(m_fntTip);
    m_pTip->Init(m_strTipTitle, m_strTipText, m_pxWidth, m_pxHeight);
    // Below the owner as far as the screen allows: a balloon that would run off the screen's edge
    // moves back onto it (above the owner when there is no room below).
    QPoint ptTip(m_lngTipLeft, m_lngTipTop);
    const QScreen* pScreen = QGuiApplication::screenAt(ptTip);
    if (!pScreen)
        pScreen = QGuiApplication::screenAt(m_fnCursor());
    if (!pScreen)
        pScreen = QGuiApplication::primaryScreen();
    if (pScreen) {
        const QRect rctScreen = pScreen->availableGeometry();
        const QSize szTip = m_pTip->size();
        ptTip.setX(qMax(rctScreen.left(), qMin(ptTip.x(), rctScreen.right() + 1 - szTip.width())));
        if (ptTip.y() + szTip.height() > rctScreen.bottom() + 1)
            ptTip.setY(rctScreen.bottom() + 1 - szTip.height());
        ptTip.setY(qMax(rctScreen.top(), ptTip.y()));
    }
    m_pTip->move(ptTip);
    m_pTip->show();
    m_blnShown = true;
}

void vbkToolTip::HideTip()
{
    m_pOwnerWnd = nullptr;
    m_tmrTick.stop();
    m_intTicks = 0;
    if (m_pTip)
        m_pTip->hide();
    m_strLastOwner.clear();
    m_blnShown = false;
}

void vbkToolTip::UnloadTip()
{
    HideTip();
    m_pTip.reset();
}

void vbkToolTip::SetTipFont(const QFont& fntTip)
{
    m_fntTip = fntTip;
    m_blnTipFont = true;
}

void vbkToolTip::SetCursorFunction(CursorFunction fnCursor)
{
    m_fnCursor = std::move(fnCursor);
}

void vbkToolTip::SetWindowFunction(WindowFunction fnWindow)
{
    m_fnWindow = std::move(fnWindow);
}

QWidget* vbkToolTip::WindowUnderCursor(QPoint* pptCursor) const
{
    const QPoint ptCursor = m_fnCursor ? m_fnCursor() : QCursor::pos();
    if (pptCursor)
        *pptCursor = ptCursor;
    return m_fnWindow ? m_fnWindow(ptCursor) : QApplication::widgetAt(ptCursor);
}
