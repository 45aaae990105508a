#include "app/FormLayout.h"

#include "controls/Twips.h"

namespace FormLayout
{
const QList<ControlEntry>& Controls()
{
    using K = ControlKind;
    // The tab order runs as the fields stand: the report, user name, password, address, port, the
    // class options (one stop, whichever is selected), the check boxes, then the commands.
    static const QList<ControlEntry> controls = {
        { QStringLiteral("imgLogo"), K::Picture, QString(), QStringLiteral("Click here for more information..."),
            QRect(0, 0, 5775, 375), -1 },
        { QStringLiteral("Label2"), K::Label, QStringLiteral("Username:"), QString(), QRect(120, 480, 855, 255), 17 },
        { QStringLiteral("txtAdmin"), K::TextBox, QString(), QStringLiteral("Admin user name"),
            QRect(960, 480, 1095, 285), 2 },
        { QStringLiteral("Label1"), K::Label, QStringLiteral("Password:"), QString(), QRect(2160, 480, 735, 255), 18 },
        { QStringLiteral("txtPass"), K::TextBox, QString(), QStringLiteral("Router's password"),
            QRect(2880, 480, 975, 285), 3 },
        { QStringLiteral("Label3"), K::Label, QStringLiteral("Router IP:"), QString(), QRect(120, 855, 855, 255), 19 },
        { QStringLiteral("txtIP"), K::TextBox, QString(), QStringLiteral("IP address of the router"),
            QRect(960, 840, 1095, 285), 4 },
        { QStringLiteral("Label9"), K::Label, QStringLiteral("Port:"), QString(), QRect(2520, 840, 375, 255), 20 },
        { QStringLiteral("txtPort"), K::TextBox, QStringLiteral("80"), QStringLiteral("Router's port"),
            QRect(2880, 825, 735, 285), 5 },
        { QStringLiteral("chkMask"), K::CheckBox, QStringLiteral("Hide password?"), QStringLiteral("Hide the password"),
            QRect(3960, 480, 2415, 255), 9 },
        { QStringLiteral("chkPass"), K::CheckBox, QStringLiteral("Remember password?"),
            QStringLiteral("Remember password - not very secure but convenient"), QRect(3960, 720, 2415, 195), 10 },
        { QStringLiteral("chkIPConfig"), K::CheckBox, QStringLiteral("IPConfig results"),
            QStringLiteral("Get IPConfig results"), QRect(3960, 960, 2415, 255), 11 },
        { QStringLiteral("chkCensor"), K::CheckBox, QStringLiteral("Censor data"),
            QStringLiteral("Censor sensitive IP and MAC addresses"), QRect(3960, 1200, 2415, 255), 12 },
        { QStringLiteral("optClass0"), K::OptionButton, QStringLiteral("Class I"), QString(),
            QRect(360, 1200, 855, 255), 6 },
        { QStringLiteral("optClass1"), K::OptionButton, QStringLiteral("Class II"), QString(),
            QRect(1440, 1200, 855, 255), 7 },
        { QStringLiteral("optClass2"), K::OptionButton, QStringLiteral("Class V"), QString(),
            QRect(2520, 1200, 855, 255), 8 },
        { QStringLiteral("cmdGo"), K::CommandButton, QStringLiteral("Go"), QStringLiteral("Perform diagnostics"),
            QRect(6360, 120, 1215, 375), 13 },
        { QStringLiteral("cmdClassIIDump"), K::CommandButton, QStringLiteral("Data Dump"),
            QStringLiteral("Perform data dump"), QRect(6360, 600, 1215, 375), 14 },
        { QStringLiteral("cmdOpen"), K::CommandButton, QStringLiteral("Open router"),
            QStringLiteral("Open router in browser"), QRect(6360, 1200, 1215, 375), 15 },
        { QStringLiteral("txtLog"), K::ReportBox, QString(), QStringLiteral("Diagnostic report"),
            QRect(120, 1560, 7455, 2925), 1 },
        { QStringLiteral("lblStat"), K::StatusLine, QString(), QString(), QRect(120, 4500, 7455, 255), 16 },
        { QStringLiteral("WebBrowser0"), K::BrowserArea, QString(), QString(), QRect(120, 4800, 7455, 3375), 0 },
    };
    return controls;
}

const ControlEntry* Find(const QString& strName)
{
    for (const ControlEntry& entry : Controls()) {
        if (entry.strName == strName)
            return &entry;
    }
    return nullptr;
}

QString FieldOfLabel(const QString& strLabel)
{
    static const QList<QPair<QString, QString>> pairs = { { QStringLiteral("Label2"), QStringLiteral("txtAdmin") },
        { QStringLiteral("Label1"), QStringLiteral("txtPass") }, { QStringLiteral("Label3"), QStringLiteral("txtIP") },
        { QStringLiteral("Label9"), QStringLiteral("txtPort") } };
    for (const auto& pair : pairs) {
        if (pair.first == strLabel)
            return pair.second;
    }
    return QString();
}

QMargins CaptionMargins(const QRect& rctLabel, const QRect& rctField)
{
    // A margin moves the middle of the contents by half its size, so the margin is twice the distance
    // between the two middles. A label that cannot reach its field's middle keeps its text where it is.
    const int intShift = (2 * rctField.y() + rctField.height()) - (2 * rctLabel.y() + rctLabel.height());
    if (rctLabel.height() <= 0 || rctField.height() <= 0 || qAbs(intShift) >= rctLabel.height())
        return QMargins();
    return intShift > 0 ? QMargins(0, intShift, 0, 0) : QMargins(0, 0, 0, -intShift);
}

QRect ToPixels(const QRect& rctTwips, int intTwipsPerPixelX, int intTwipsPerPixelY)
{
    return QRect(Twips::TwipsToPixels(rctTwips.x(), intTwipsPerPixelX),
        Twips::TwipsToPixels(rctTwips.y(), intTwipsPerPixelY),
        Twips::TwipsToPixels(rctTwips.width(), intTwipsPerPixelX),
        Twips::TwipsToPixels(rctTwips.height(), intTwipsPerPixelY));
}
} // namespace FormLayout
