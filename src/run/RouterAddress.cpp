#include "run/RouterAddress.h"

namespace
{
constexpr int intMaxHostLength = 253;
constexpr int intMaxLabelLength = 63;

bool HostCharacter(QChar chr)
{
    const char16_t code = chr.unicode();
    return (code >= u'a' && code <= u'z') || (code >= u'A' && code <= u'Z') || (code >= u'0' && code <= u'9')
        || code == u'-' || code == u'_';
}

// The text as the message quotes it: control characters spelled out, so that the message stays on
// one line and shows what was really there.
QString Quoted(const QString& strText)
{
    QString strShown;
    for (const QChar chr : strText) {
        if (chr == QLatin1Char('\n'))
            strShown += QStringLiteral("\\n");
        else if (chr == QLatin1Char('\r'))
            strShown += QStringLiteral("\\r");
        else if (chr == QLatin1Char('\t'))
            strShown += QStringLiteral("\\t");
        else if (chr.category() == QChar::Other_Control)
            strShown += QStringLiteral("\\x%1").arg(chr.unicode(), 2, 16, QLatin1Char('0'));
        else
            strShown += chr;
    }
    return QLatin1Char('"') + strShown + QLatin1Char('"');
}
} // namespace

QString CheckRouterAddress(const QString& strAddress)
{
    if (strAddress.isEmpty())
        return QString();
    bool blnValid = strAddress.size() <= intMaxHostLength;
    qsizetype lngLabel = 0;
    for (const QChar chr : strAddress) {
        if (!blnValid)
            break;
        if (chr == QLatin1Char('.')) {
            blnValid = lngLabel > 0;
            lngLabel = 0;
        } else {
            blnValid = HostCharacter(chr) && ++lngLabel <= intMaxLabelLength;
        }
    }
    if (blnValid && lngLabel > 0)
        return QString();
    return QStringLiteral("The router address %1 is not an IP address or host name.").arg(Quoted(strAddress));
}

QString CheckRouterPort(const QString& strPort)
{
    bool blnDigits = !strPort.isEmpty() && strPort.size() <= 5;
    for (const QChar chr : strPort)
        blnDigits = blnDigits && chr >= QLatin1Char('0') && chr <= QLatin1Char('9');
    const int intPort = blnDigits ? strPort.toInt() : 0;
    if (intPort >= 1 && intPort <= 65535)
        return QString();
    return QStringLiteral("The port %1 is not a number from 1 to 65535.").arg(Quoted(strPort));
}
