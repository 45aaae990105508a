#pragma once

#include <QImage>
#include <QKeySequence>
#include <QList>
#include <QPair>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <QWidget>

// The owner-drawn command button of the main window. It paints a multi-stop colour gradient that
// depends on its state (normal, hover, pressed, disabled), its caption in black in the middle and a
// two-pixel border. The gradient is drawn line by line on a surface of Resolution percent of the
// button's size in device pixels and stretched over the button; caption and border are drawn at the
// screen's own resolution. Drawing happens only when the state changes or a property asks for it;
// between drawings the button shows the face it drew last.
//
// The button takes the focus with Tab or a click and shows it with a dotted frame inside the border.
// While it has the focus, Space presses it (pressed look) and clicks on release; Enter and Return
// click at once. An access key (Alt and a letter of the caption, underlined) clicks from anywhere in
// the window. Assistive technology sees a push button (OrloSimpleButtonAccessible).
//
// Colours are 0x00BBGGRR values (red in the low byte). Colours given to the setters may also be
// system colour references (0x80000000 | index), which are resolved once, when set.
class OrloSimpleButton : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(OrloSimpleButton)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(bool Enable READ Enable WRITE SetEnable)
    Q_PROPERTY(quint32 HighlightColour READ HighlightColour WRITE SetHighlightColour)
    Q_PROPERTY(quint32 NormalColour READ NormalColour WRITE SetNormalColour)
    Q_PROPERTY(int GradientDirection READ GradientDirection WRITE SetGradientDirection)
    Q_PROPERTY(quint32 HoverColour READ HoverColour WRITE SetHoverColour)
    Q_PROPERTY(quint32 PressedColour READ PressedColour WRITE SetPressedColour)
    Q_PROPERTY(quint32 DisabledColour READ DisabledColour WRITE SetDisabledColour)
    Q_PROPERTY(quint32 BorderColour READ BorderColour WRITE SetBorderColour)
    Q_PROPERTY(int Resolution READ Resolution WRITE SetResolution)

public:
    enum ButtonState { StateNormal = 0, StateHover = 1, StatePressed = 2, StateDisabled = 3 };

    static constexpr bool blnDefaultEnable = true;
    static constexpr quint32 lngDefaultHighlightColour = 0x00FFFFFF;
    static constexpr quint32 lngDefaultNormalColour = 0x00FF0000;
    static constexpr int intDefaultGradientDirection = 1;
    static constexpr quint32 lngDefaultHoverColour = 0x000080FF;
    static constexpr quint32 lngDefaultPressedColour = 0x000000FF;
    static constexpr quint32 lngDefaultDisabledColour = 0x00C0C0C0;
    static constexpr quint32 lngDefaultBorderColour = 0x00000000;
    static constexpr int intDefaultResolution = 50;
    static QString DefaultCaption() { return QStringLiteral("Button"); }

    // Stored properties as (name, value) pairs, in the order the button writes them.
    using PropertyList = QList<QPair<QString, QVariant>>;

    explicit OrloSimpleButton(QWidget* parent = nullptr);
    ~OrloSimpleButton() override;

    QString Caption() const { return m_strCaption; }
    bool Enable() const { return m_blnEnable; }
    quint32 HighlightColour() const { return m_lngHighlightColour; }
    quint32 NormalColour() const { return m_lngNormalColour; }
    int GradientDirection() const { return m_intGradientDirection; }
    quint32 HoverColour() const { return m_lngHoverColour; }
    quint32 PressedColour() const { return m_lngPressedColour; }
    quint32 DisabledColour() const { return m_lngDisabledColour; }
    quint32 BorderColour() const { return m_lngBorderColour; }
    int Resolution() const { return m_intResolution; }

    // The new text shows at the next drawing; setting it alone draws nothing.
    void SetCaption(const QString& New_Val);
    // False shows the disabled look and blocks mouse input; true returns to the normal look.
    void SetEnable(bool New_Val);
    void SetHighlightColour(quint32 New_Val);
    void SetNormalColour(quint32 New_Val);
    // 0 left to right, 1 top to bottom, 2 from the centre outwards; other values draw no gradient.
    void SetGradientDirection(int New_Val);
    // The hover and pressed colours are used from the next change of state on.
    void SetHoverColour(quint32 New_Val);
    void SetPressedColour(quint32 New_Val);
    void SetDisabledColour(quint32 New_Val);
    void SetBorderColour(quint32 New_Val);
    // Percent of the button's size used for the drawing surface (16-bit value).
    void SetResolution(int New_Val);

    // The letter that, with Alt, clicks the button from anywhere in its window (its first
    // occurrence in the caption is underlined); a null character takes the key away.
    void SetAccessKey(QChar chrKey);
    QChar AccessKey() const { return m_chrAccessKey; }
    QKeySequence AccessKeySequence() const;
    // The caption as drawn: an "&" before the access key when the style underlines access keys
    // (and every "&" of the caption doubled).
    QString CaptionMarkup() const;
    // The button that Enter in its window presses (told to assistive technology).
    void SetDefault(bool blnDefault) { m_blnDefault = blnDefault; }
    bool IsDefault() const { return m_blnDefault; }
    // Clicks the button as the mouse would, when it is enabled.
    void Click();
    // Draws the face anew at once, as a forcing property does: a new caption shows only then.
    void Refresh();

    // Loads a stored layout: every missing or unreadable value takes its default and colours are
    // used as stored, without resolving system colour references. A button stored with Enable
    // false shows the disabled look from the start.
    void ReadProperties(const QVariantMap& mapStored);
    // The properties in their fixed order, leaving out those equal to their defaults.
    PropertyList WriteProperties() const;

    // The system colour reference resolved through this button's palette, or the value itself.
    quint32 TranslateColour(quint32 lngValue) const;
    // The gradient description used for a state (empty for an unknown state).
    QString GradientDescription(int intState) const;

    int State() const { return m_intState; }
    int PaintedState() const { return m_intPaintedState; }
    // The caption the face was last drawn with.
    const QString& PaintedCaption() const { return m_strPaintedCaption; }
    // How many times the face has been drawn, and how many gradient lines the last drawing took.
    int PaintCount() const { return m_intPaintCount; }
    int LinesDrawn() const { return m_intLinesDrawn; }
    // The reduced drawing surface as it was last drawn, before stretching (device pixels).
    const QImage& Surface() const { return m_imgSurface; }
    // Top-left corner of the caption in pixels.
    QPoint CaptionPosition() const;
    // The screen's horizontal twips per pixel, refreshed at every resize; multiply a MouseMove
    // position by it to get twips.
    int TwipsPerPixel() const { return m_intTwipsPerPixel; }
    // The first pixel row and column belong to the outside.
    bool IsInside(const QPoint& ptPixels) const;
    // Whether the dotted focus frame shows (the button has the focus and the keyboard has been used
    // in its window), and the rectangle whose outermost pixels it covers.
    bool ShowsFocusFrame() const;
    QRect FocusFrame() const;

Q_SIGNALS:
    void ButtonClick();
    // Every handled mouse move, with the position inside the button in pixels.
    void MouseMove(int x, int y);
    // A property was set through its setter.
    void PropertyChanged(const QString& strName);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void BuildGradients();
    void Repaint();
    void PaintGradient(const QString& strDescription, int intDirection);
    void CentreCaption();
    void SizeSurface();
    void HandleResize();
    void SetColourProperty(quint32& lngTarget, quint32 New_Val, const char* strName, bool blnRepaint);
    void MoveOutside();
    void ReleaseSpace(bool blnClick);
    // The button's size in pixels of the screen that shows it (its own size times the device pixel
    // ratio, rounded up).
    QSize DeviceSize() const;

    QString m_strCaption;
    bool m_blnEnable = blnDefaultEnable;
    quint32 m_lngHighlightColour = lngDefaultHighlightColour;
    quint32 m_lngNormalColour = lngDefaultNormalColour;
    int m_intGradientDirection = intDefaultGradientDirection;
    quint32 m_lngHoverColour = lngDefaultHoverColour;
    quint32 m_lngPressedColour = lngDefaultPressedColour;
    quint32 m_lngDisabledColour = lngDefaultDisabledColour;
    quint32 m_lngBorderColour = lngDefaultBorderColour;
    int m_intResolution = intDefaultResolution;

    int m_intState = StateNormal;
    int m_intPaintedState = StateNormal;
    bool m_blnForcePaint = false;
    bool m_blnHovering = false;
    bool m_blnGradientsBuilt = false;
    bool m_blnPressedHere = false;
    bool m_blnSpaceDown = false;
    QString m_arrGradients[4];
    int m_intTwipsPerPixel = 15;
    QChar m_chrAccessKey;
    int m_intShortcutId = 0;
    bool m_blnDefault = false;

    QPoint m_ptCaption;
    QSize m_szCaption;
    QSize m_szSurface;
    QImage m_imgSurface;
    QImage m_imgFace;
    bool m_blnInPaintEvent = false;
    int m_intPaintCount = 0;
    QString m_strPaintedCaption;
    int m_intLinesDrawn = 0;
};
