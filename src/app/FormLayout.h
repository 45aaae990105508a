#pragma once

#include <QList>
#include <QMargins>
#include <QRect>
#include <QString>

// The design of the main window: every control with its caption, tooltip, place and tab position.
// Places are in twips (1440 to the inch) as Left, Top, Width, Height and become pixels at the
// screen's factor when the window is built.
namespace FormLayout
{
enum class ControlKind {
    Picture,
    Label,
    TextBox,
    CheckBox,
    OptionButton,
    CommandButton,
    ReportBox,
    StatusLine,
    BrowserArea
};

struct ControlEntry
{
    QString strName;
    ControlKind kind;
    QString strCaption;
    QString strToolTip;
    QRect rctTwips;
    int intTabIndex; // -1: not in the tab order
};

// The window's client area at design time, in twips.
inline constexpr int lngDesignWidth = 7740;
inline constexpr int lngDesignHeight = 8280;

const QList<ControlEntry>& Controls();
// The control of that name; null when there is none.
const ControlEntry* Find(const QString& strName);

// A rectangle in twips turned into pixels with the given factors (twips per pixel).
QRect ToPixels(const QRect& rctTwips, int intTwipsPerPixelX, int intTwipsPerPixelY);

// The text box that a caption label names; empty for any other control.
QString FieldOfLabel(const QString& strLabel);

// Top and bottom margins that put the vertical middle of a label's contents on the middle of the
// field it names (both in pixels), so that a label whose text is centred vertically reads on the
// line of the field's text. The label keeps its place and size; its text moves.
QMargins CaptionMargins(const QRect& rctLabel, const QRect& rctField);
} // namespace FormLayout
