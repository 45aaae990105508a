#pragma once

#include <QFont>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

class QWidget;
class frmTip;

// Balloon tooltips for controls that report their mouse moves. The host calls Fire from a control's
// mouse-move handler on every move; the first call for a control arms the tip below that control,
// the control's timer shows it on its second tick (about a second later) and hides it on the first
// tick that finds the cursor over a different widget. The control itself is invisible; the balloon
// is a frmTip window that never takes the focus.
//
// Repeated calls for the same owner name do nothing, so controls that pass one owner share one key:
// moving from one of them straight to another arms the new tip only after the old one was hidden.
class vbkToolTip : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(vbkToolTip)

public:
    static constexpr int intTickMilliseconds = 500;

    // Where the cursor is, in global (screen) pixels.
    using CursorFunction = std::function<QPoint()>;
    // The widget shown at a global position, or null over no window of this program.
    using WindowFunction = std::function<QWidget*(const QPoint&)>;

    explicit vbkToolTip(QObject* parent = nullptr);
    ~vbkToolTip() override;

    // obj is the control the mouse is over: its object name is the owner key and its height places
    // the balloon below it. mX, mY are the mouse position inside obj in twips; pxWidth, pxHeight
    // the balloon size in pixels.
    void Fire(const QWidget* obj, double mX, double mY, const QString& Caption, const QString& Text, int pxWidth,
        int pxHeight);
    // The same with the owner given by its name and its height in twips.
    void Fire(const QString& strOwnerName, double dblOwnerHeight, double mX, double mY, const QString& Caption,
        const QString& Text, int pxWidth, int pxHeight);

    // Hides the balloon and disarms; the next Fire for any owner arms again.
    void HideTip();
    // Shows the armed tip at once.
    void ShowTip();
    // Hides and destroys the balloon window (when the host window closes). A later ShowTip makes
    // a new one.
    void UnloadTip();

    // The face the balloon writes in (its size; the title is bold); the balloon's own 8.25-point
    // face until set. A host passes its window's font so that the tips read like the window.
    void SetTipFont(const QFont& fntTip);

    // Replace how the cursor position and the widget under it are found (tests drive these).
    void SetCursorFunction(CursorFunction fnCursor);
    void SetWindowFunction(WindowFunction fnWindow);

    bool IsShown() const { return m_blnShown; }
    // True while the timer runs, that is from arming until HideTip.
    bool IsArmed() const { return m_tmrTick.isActive(); }
    int Ticks() const { return m_intTicks; }
    QString LastOwner() const { return m_strLastOwner; }
    // The balloon's top-left corner on screen for the armed tip.
    QPoint TipPosition() const { return QPoint(m_lngTipLeft, m_lngTipTop); }
    QString TipTitle() const { return m_strTipTitle; }
    QString TipText() const { return m_strTipText; }
    int TwipsPerPixel() const { return m_intTwipsPerPixel; }
    // The balloon window, or null before the first showing and after UnloadTip.
    frmTip* Balloon() const { return m_pTip.get(); }

public Q_SLOTS:
    // One timer tick: hides the tip when the cursor has left the widget it was armed over,
    // otherwise counts towards showing it.
    void Tick();

private:
    QWidget* WindowUnderCursor(QPoint* pptCursor) const;

    CursorFunction m_fnCursor;
    WindowFunction m_fnWindow;
    std::unique_ptr<frmTip> m_pTip;
    QTimer m_tmrTick;
    QFont m_fntTip;
    bool m_blnTipFont = false;

    int m_intTwipsPerPixel = 15;
    QString m_strLastOwner;
    QPointer<QWidget> m_pOwnerWnd;
    int m_lngTipLeft = 0;
    int m_lngTipTop = 0;
    int m_pxWidth = 0;
    int m_pxHeight = 0;
    QString m_strTipTitle;
    QString m_strTipText;
    int m_intTicks = 0;
    bool m_blnShown = false;
};
