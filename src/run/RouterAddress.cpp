#include "run/RouterAddress.h"

#include <QRegularExpression>

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

// A name whose last label is a number, decimal or hexadecimal, is an IPv4 address to the system's
// resolver, which also takes the short and octal forms: "60227" is 0.0.235.67, "10.1" is 10.0.0.1,
// "010.0.0.1" is 8.0.0.1, "127.0.0.0x1" is 127.0.0.1. No top-level domain is a number, so such a
// name must be the four decimal parts of an address as people write it, or it is refused.
bool NumericLastLabel(const QString& strAddress)
{
    const QString strLast = strAddress.section(QLatin1Char('.'), -1);
    static const QRegularExpression number(QStringLiteral("^(0[xX][0-9A-Fa-f]*|[0-9]+)$"));
    return number.match(strLast).hasMatch();
}

bool DottedQuad(const QString& strAddress)
{
    static const QRegularExpression quad(QStringLiteral("^((25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9][0-9]|[0-9])\\.){3}"
                                                        "(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9][0-9]|[0-9])$"));
    return quad.match(strAddress).hasMatch();
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
    if (blnValid && lngLabel > 0 && (!NumericLastLabel(strAddress) || DottedQuad(strAddress)))
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
