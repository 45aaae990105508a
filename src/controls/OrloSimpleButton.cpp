#include "controls/OrloSimpleButton.h"

#include "controls/GradientDrawing.h"
#include "controls/OrloSimpleButtonAccessible.h"
#include "controls/Rounding.h"
#include "controls/SystemColours.h"
#include "controls/Twips.h"

#include <QAccessible>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <algorithm>
#include <cmath>

namespace
{
const char* const arrPropertyNames[] = { "Caption", "Enable", "HighlightColour", "NormalColour", "GradientDirection",
    "HoverColour", "PressedColour", "DisabledColour", "BorderColour", "Resolution" };

quint32 ReadColour(const QVariantMap& mapStored, const char* strName, quint32 lngDefault)
{
    const QVariant varValue = mapStored.value(QLatin1String(strName));
    if (!varValue.isValid())
        return lngDefault;
    bool blnOk = false;
    // Stored colours may be signed (a system colour reference is negative as a signed value).
    const qlonglong lngValue = varValue.toLongLong(&blnOk);
    return blnOk ? static_cast<quint32>(lngValue & 0xFFFFFFFF) : lngDefault;
}

int ReadInteger(const QVariantMap& mapStored, const char* strName, int intDefault)
{
    const QVariant varValue = mapStored.value(QLatin1String(strName));
    if (!varValue.isValid())
        return intDefault;
    bool blnOk = false;
    const int intValue = varValue.toInt(&blnOk);
    return blnOk ? intValue : intDefault;
}

int LimitTo16Bits(int intValue)
{
    return std::clamp(intValue, -32768, 32767);
}

// Side of the drawing surface: Resolution percent of the button's side, at least one pixel and
// never more than the button itself (a larger surface would only be shrunk again).
int SurfaceSide(int intResolution, int intButtonSide)
{
    if (intButtonSide <= 0)
        return 0;
    const int intSide = RoundHalfEven(intResolution / 100.0 * intButtonSide);
    return std::clamp(intSide, 1, intButtonSide);
}
} // namespace

OrloSimpleButton::OrloSimpleButton(QWidget* parent)
    : QWidget(parent)
    , m_strCaption(DefaultCaption())
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Reached with Tab and by a click, as a push button is.
    setFocusPolicy(Qt::StrongFocus);
    static const bool blnFactoryInstalled = [] {
        QAccessible::installFactory(OrloSimpleButtonAccessible::Factory);
        return true;
    }();
    Q_UNUSED(blnFactoryInstalled);
    m_intTwipsPerPixel = Twips::TwipsPerPixelX(this);
    CentreCaption();
}

OrloSimpleButton::~OrloSimpleButton() = default;

void OrloSimpleButton::SetCaption(const QString& New_Val)
{
    m_strCaption = New_Val;
    CentreCaption();
    QAccessibleEvent nameChanged(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&nameChanged);
    Q_EMIT PropertyChanged(QStringLiteral("Caption"));
}

void OrloSimpleButton::Refresh()
{
    m_blnForcePaint = true;
    Repaint();
}

void OrloSimpleButton::SetEnable(bool New_Val)
{
    m_blnEnable = New_Val;
    m_intState = New_Val ? StateNormal : StateDisabled;
    m_blnPressedHere = false;
    m_blnSpaceDown = false;
    Repaint();
    setEnabled(New_Val);
    QAccessible::State changed;
    changed.disabled = true;
    QAccessibleStateChangeEvent stateChanged(this, changed);
    QAccessible::updateAccessibility(&stateChanged);
    Q_EMIT PropertyChanged(QStringLiteral("Enable"));
}

void OrloSimpleButton::SetAccessKey(QChar chrKey)
{
    if (m_intShortcutId != 0)
        releaseShortcut(m_intShortcutId);
    m_intShortcutId = 0;
    m_chrAccessKey = chrKey.toUpper();
    if (!m_chrAccessKey.isNull())
        m_intShortcutId = grabShortcut(AccessKeySequence());
    m_blnForcePaint = true;
    Repaint();
}

QKeySequence OrloSimpleButton::AccessKeySequence() const
{
    if (m_chrAccessKey.isNull())
        return QKeySequence();
    return QKeySequence(QStringLiteral("Alt+") + m_chrAccessKey);
}

QString OrloSimpleButton::CaptionMarkup() const
{
    QString strMarkup = m_strCaption;
    strMarkup.replace(QLatin1Char('&'), QStringLiteral("&&"));
    if (m_chrAccessKey.isNull() || !style()->styleHint(QStyle::SH_UnderlineShortcut, nullptr, this))
        return strMarkup;
    const int intPos = strMarkup.indexOf(m_chrAccessKey, 0, Qt::CaseInsensitive);
    if (intPos >= 0)
        strMarkup.insert(intPos, QLatin1Char('&'));
    return strMarkup;
}

void OrloSimpleButton::Click()
{
    if (m_blnEnable && isEnabled())
        Q_EMIT ButtonClick();
}

bool OrloSimpleButton::event(QEvent* event)
{
    if (event->type() == QEvent::Shortcut) {
        // The access key: as a click, and the keyboard is where the user now works.
        if (m_blnEnable) {
            setFocus(Qt::ShortcutFocusReason);
            Click();
        }
        return true;
    }
    return QWidget::event(event);
}

void OrloSimpleButton::SetColourProperty(quint32& lngTarget, quint32 New_Val, const char* strName, bool blnRepaint)
{
    lngTarget = TranslateColour(New_Val);
    BuildGradients();
    if (blnRepaint) {
        m_blnForcePaint = true;
        Repaint();
    }
    Q_EMIT PropertyChanged(QLatin1String(strName));
}

void OrloSimpleButton::SetHighlightColour(quint32 New_Val)
{
    SetColourProperty(m_lngHighlightColour, New_Val, "HighlightColour", true);
}

void OrloSimpleButton::SetNormalColour(quint32 New_Val)
{
    SetColourProperty(m_lngNormalColour, New_Val, "NormalColour", true);
}

void OrloSimpleButton::SetHoverColour(quint32 New_Val)
{
    SetColourProperty(m_lngHoverColour, New_Val, "HoverColour", false);
}

void OrloSimpleButton::SetPressedColour(quint32 New_Val)
{
    SetColourProperty(m_lngPressedColour, New_Val, "PressedColour", false);
}

void OrloSimpleButton::SetDisabledColour(quint32 New_Val)
{
    SetColourProperty(m_lngDisabledColour, New_Val, "DisabledColour", true);
}

void OrloSimpleButton::SetBorderColour(quint32 New_Val)
{
    SetColourProperty(m_lngBorderColour, New_Val, "BorderColour", true);
}

void OrloSimpleButton::SetGradientDirection(int New_Val)
{
    m_blnForcePaint = true;
    m_intGradientDirection = New_Val;
    Repaint();
    Q_EMIT PropertyChanged(QStringLiteral("GradientDirection"));
}

void OrloSimpleButton::SetResolution(int New_Val)
{
    m_intResolution = LimitTo16Bits(New_Val);
    SizeSurface();
    m_blnForcePaint = true;
    Repaint();
    Q_EMIT PropertyChanged(QStringLiteral("Resolution"));
}

void OrloSimpleButton::ReadProperties(const QVariantMap& mapStored)
{
    const QVariant varCaption = mapStored.value(QStringLiteral("Caption"));
    m_strCaption = varCaption.isValid() ? varCaption.toString() : DefaultCaption();
    const QVariant varEnable = mapStored.value(QStringLiteral("Enable"));
    m_blnEnable = varEnable.isValid() ? varEnable.toBool() : blnDefaultEnable;
    m_lngHighlightColour = ReadColour(mapStored, "HighlightColour", lngDefaultHighlightColour);
    m_lngNormalColour = ReadColour(mapStored, "NormalColour", lngDefaultNormalColour);
    m_intGradientDirection = ReadInteger(mapStored, "GradientDirection", intDefaultGradientDirection);
    m_lngHoverColour = ReadColour(mapStored, "HoverColour", lngDefaultHoverColour);
    m_lngPressedColour = ReadColour(mapStored, "PressedColour", lngDefaultPressedColour);
    m_lngDisabledColour = ReadColour(mapStored, "DisabledColour", lngDefaultDisabledColour);
    m_lngBorderColour = ReadColour(mapStored, "BorderColour", lngDefaultBorderColour);
    m_intResolution = LimitTo16Bits(ReadInteger(mapStored, "Resolution", intDefaultResolution));

    // A button stored as disabled looks disabled from its first drawing on.
    m_intState = m_blnEnable ? StateNormal : StateDisabled;
    m_blnPressedHere = false;
    BuildGradients();
    HandleResize();
    SizeSurface();
    setEnabled(m_blnEnable);
}

OrloSimpleButton::PropertyList OrloSimpleButton::WriteProperties() const
{
    const QVariant arrValues[]
        = { m_strCaption, m_blnEnable, m_lngHighlightColour, m_lngNormalColour, m_intGradientDirection,
              m_lngHoverColour, m_lngPressedColour, m_lngDisabledColour, m_lngBorderColour, m_intResolution };
    const QVariant arrDefaults[] = { DefaultCaption(), blnDefaultEnable, lngDefaultHighlightColour,
        lngDefaultNormalColour, intDefaultGradientDirection, lngDefaultHoverColour, lngDefaultPressedColour,
        lngDefaultDisabledColour, lngDefaultBorderColour, intDefaultResolution };
    PropertyList lstStored;
    for (std::size_t i = 0; i < std::size(arrPropertyNames); ++i) {
        if (arrValues[i] != arrDefaults[i])
            lstStored.append({ QLatin1String(arrPropertyNames[i]), arrValues[i] });
    }
    return lstStored;
}

quint32 OrloSimpleButton::TranslateColour(quint32 lngValue) const
{
    return SystemColours::TranslateColour(lngValue, palette());
}

QString OrloSimpleButton::GradientDescription(int intState) const
{
    if (intState < StateNormal || intState > StateDisabled)
        return QString();
    return m_arrGradients[intState];
}

QPoint OrloSimpleButton::CaptionPosition() const
{
    return m_ptCaption;
}

bool OrloSimpleButton::ShowsFocusFrame() const
{
    return hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange);
}

QRect OrloSimpleButton::FocusFrame() const
{
    // One pixel clear of the two-pixel border on every side.
    return rect().adjusted(3, 3, -3, -3);
}

bool OrloSimpleButton::IsInside(const QPoint& ptPixels) const
{
    return ptPixels.x() >= 1 && ptPixels.x() < width() && ptPixels.y() >= 1 && ptPixels.y() < height();
}

void OrloSimpleButton::BuildGradients()
{
    const auto Banded = [this](quint32 lngBand) {
        const QString strBase = QString::number(m_lngNormalColour);
        return QStringLiteral("0,") + strBase + QStringLiteral("#50,") + strBase + QStringLiteral("#75,")
            + QString::number(lngBand) + QStringLiteral("#90,") + strBase + QStringLiteral("#100,") + strBase;
    };
    m_arrGradients[StateNormal] = Banded(m_lngHighlightColour);
    m_arrGradients[StateHover] = Banded(m_lngHoverColour);
    m_arrGradients[StatePressed] = Banded(m_lngPressedColour);
    const QString strDisabled = QString::number(m_lngDisabledColour);
    m_arrGradients[StateDisabled]
        = QStringLiteral("0,") + strDisabled + QStringLiteral("#66,16777215#100,") + strDisabled;
    m_blnGradientsBuilt = true;
}

void OrloSimpleButton::Repaint()
{
    // A button that never had a colour set still needs its descriptions before the first drawing.
    if (!m_blnGradientsBuilt)
        BuildGradients();
    if (m_intState == m_intPaintedState && !m_blnForcePaint)
        return;

    PaintGradient(m_arrGradients[m_intState], m_intGradientDirection);
    m_intPaintedState = m_intState;
    m_blnForcePaint = false;
    ++m_intPaintCount;

    if (!m_imgFace.isNull()) {
        // Drawn in the button's own pixels; the face's device pixel ratio puts the text and the
        // border at the screen's resolution.
        QPainter painter(&m_imgFace);
        painter.setPen(Qt::black);
        painter.setFont(font());
        painter.drawText(QRect(m_ptCaption, m_szCaption),
            Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextShowMnemonic | Qt::TextDontClip,
            CaptionMarkup());
        m_strPaintedCaption = m_strCaption;

        const QColor clrBorder = QColor::fromRgb(GradientDrawing::ColourToRgb(m_lngBorderColour));
        const QSizeF szFace = m_imgFace.deviceIndependentSize();
        const qreal dblWidth = szFace.width();
        const qreal dblHeight = szFace.height();
        painter.fillRect(QRectF(0, 0, dblWidth, 2), clrBorder);
        painter.fillRect(QRectF(0, dblHeight - 2, dblWidth, 2), clrBorder);
        painter.fillRect(QRectF(0, 0, 2, dblHeight), clrBorder);
        painter.fillRect(QRectF(dblWidth - 2, 0, 2, dblHeight), clrBorder);
    }
    if (!m_blnInPaintEvent)
        update();
}

void OrloSimpleButton::PaintGradient(const QString& strDescription, int intDirection)
{
    if (m_szSurface.isEmpty() || width() <= 0 || height() <= 0) {
        m_imgSurface = QImage();
        m_imgFace = QImage();
        m_intLinesDrawn = 0;
        return;
    }
    m_imgSurface = QImage(m_szSurface, QImage::Format_RGB32);
    m_imgSurface.fill(palette().color(QPalette::Button));
    m_intLinesDrawn = GradientDrawing::DrawGradient(m_imgSurface, strDescription, intDirection);

    // The surface is stretched in device pixels; the ratio is set afterwards for what is drawn on top.
    const QSize szDevice = DeviceSize();
    m_imgFace = QImage(szDevice, QImage::Format_RGB32);
    {
        QPainter painter(&m_imgFace);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(QRect(QPoint(0, 0), szDevice), m_imgSurface);
    }
    m_imgFace.setDevicePixelRatio(devicePixelRatio());
}

void OrloSimpleButton::CentreCaption()
{
    const QFontMetrics metrics(font());
    m_szCaption = QSize(metrics.horizontalAdvance(m_strCaption), metrics.height());
    m_ptCaption = QPoint((width() - m_szCaption.width()) / 2, (height() - m_szCaption.height()) / 2);
}

void OrloSimpleButton::SizeSurface()
{
    const QSize szDevice = DeviceSize();
    m_szSurface
        = QSize(SurfaceSide(m_intResolution, szDevice.width()), SurfaceSide(m_intResolution, szDevice.height()));
}

QSize OrloSimpleButton::DeviceSize() const
{
    const qreal dblRatio = devicePixelRatio();
    return QSize(static_cast<int>(std::ceil(width() * dblRatio - 1e-6)),
        static_cast<int>(std::ceil(height() * dblRatio - 1e-6)));
}

void OrloSimpleButton::HandleResize()
{
    m_intTwipsPerPixel = Twips::TwipsPerPixelX(this);
    CentreCaption();
    SizeSurface();
    if (m_blnGradientsBuilt) {
        m_blnForcePaint = true;
        Repaint();
    }
}

void OrloSimpleButton::paintEvent(QPaintEvent* /*event*/)
{
    if (m_imgFace.size() != DeviceSize() || m_imgFace.devicePixelRatio() != devicePixelRatio()) {
        // First showing, or a size or screen the face was not drawn for yet.
        SizeSurface();
        m_blnInPaintEvent = true;
        m_blnForcePaint = true;
        Repaint();
        m_blnInPaintEvent = false;
    }
    QPainter painter(this);
    if (m_imgFace.isNull())
        painter.fillRect(rect(), palette().color(QPalette::Button));
    else
        painter.drawImage(0, 0, m_imgFace);

    // The focus frame is not part of the face, so gaining or losing the focus draws no gradient. As
    // on the desktop's own buttons it shows once the keyboard is in use in the window.
    if (ShowsFocusFrame()) {
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        // An outline of a width of one covers one pixel more to the right and below than its rectangle.
        painter.drawRect(FocusFrame().adjusted(0, 0, -1, -1));
    }
}

void OrloSimpleButton::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    HandleResize();
}

void OrloSimpleButton::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_blnForcePaint = true;
    Repaint();
}

void OrloSimpleButton::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        CentreCaption();
    } else if (event->type() == QEvent::EnabledChange && isEnabled() != m_blnEnable) {
        // Enabled or disabled from outside (directly or through a parent): follow with the look.
        m_blnEnable = isEnabled();
        m_intState = m_blnEnable ? StateNormal : StateDisabled;
        m_blnPressedHere = false;
        m_blnSpaceDown = false;
        Repaint();
    }
}

void OrloSimpleButton::mousePressEvent(QMouseEvent* event)
{
    if (!m_blnEnable || event->button() != Qt::LeftButton)
        return;
    m_intState = StatePressed;
    m_blnPressedHere = true;
    Repaint();
}

void OrloSimpleButton::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_blnEnable)
        return;
    const QPoint ptPos = event->position().toPoint();
    const Qt::MouseButtons buttons = event->buttons();
    if (buttons == Qt::LeftButton) {
        // While the left button is held the button keeps the mouse (the press grabbed it) and
        // follows the cursor in and out, unless some other widget has taken the mouse meanwhile.
        const QWidget* pGrabber = QWidget::mouseGrabber();
        if (pGrabber && pGrabber != this) {
            m_intState = StateNormal;
            update();
            return;
        }
        m_intState = IsInside(ptPos) ? StatePressed : StateNormal;
    } else if (buttons == Qt::NoButton) {
        if (IsInside(ptPos)) {
            m_intState = StateHover;
            m_blnHovering = true;
        } else if (m_blnHovering) {
            m_blnHovering = false;
            m_intState = StateNormal;
        }
    }
    Repaint();
    Q_EMIT MouseMove(ptPos.x(), ptPos.y());
}

void OrloSimpleButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    // The pressed look stays until the next move; only the click is reported here.
    const bool blnClick = m_blnEnable && m_blnPressedHere && rect().contains(event->position().toPoint());
    m_blnPressedHere = false;
    if (blnClick)
        Click();
}

void OrloSimpleButton::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    // Without a button held the cursor has gone somewhere else: the same as a plain move outside.
    if (m_blnEnable && QGuiApplication::mouseButtons() == Qt::NoButton)
        MoveOutside();
}

void OrloSimpleButton::keyPressEvent(QKeyEvent* event)
{
    const bool blnPlain = event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    if (m_blnEnable && blnPlain && event->key() == Qt::Key_Space) {
        // Held down: pressed look, no repeat; the click comes with the release.
        if (!event->isAutoRepeat() && !m_blnSpaceDown) {
            m_blnSpaceDown = true;
            m_intState = StatePressed;
            Repaint();
        }
        event->accept();
        return;
    }
    if (m_blnEnable && blnPlain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        event->accept();
        if (!event->isAutoRepeat())
            Q_EMIT ButtonClick();
        return;
    }
    QWidget::keyPressEvent(event);
}

void OrloSimpleButton::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space && m_blnSpaceDown) {
        event->accept();
        if (!event->isAutoRepeat())
            ReleaseSpace(true);
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void OrloSimpleButton::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
}

void OrloSimpleButton::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    // Leaving with Space still held takes the press back without a click.
    if (m_blnSpaceDown)
        ReleaseSpace(false);
    update();
}

void OrloSimpleButton::ReleaseSpace(bool blnClick)
{
    m_blnSpaceDown = false;
    if (m_blnEnable) {
        m_intState = m_blnHovering ? StateHover : StateNormal;
        Repaint();
    }
    if (blnClick && m_blnEnable)
        Q_EMIT ButtonClick();
}

void OrloSimpleButton::MoveOutside()
{
    if (m_blnHovering) {
        m_blnHovering = false;
        m_intState = StateNormal;
    }
    Repaint();
}
