#include "readers/PppSettingsReader.h"

#include "readers/TextHelpers.h"

#include <QStringList>

namespace
{
const QString strCrLf = QStringLiteral("\r\n");

QString FieldValue(const QString& strLine)
{
    int lngPosition = 1;
    return TextBetween(QStringLiteral("value="), QStringLiteral(" name="), strLine, lngPosition, false);
}
} // namespace

QString ReadPppSettings(const QString& strHtml)
{
    QString strResult;
    const QStringList lines = SplitPieces(strHtml, strCrLf, Qt::CaseSensitive);
    for (QString strLine : lines) {
        if (strLine.contains(QStringLiteral("wan_encapsulation"))) {
            // The options start at the first "value=0"; the line keeps what follows its first character.
            const qsizetype start = strLine.indexOf(QStringLiteral("value=0"));
            if (start >= 0)
                strLine.remove(0, start + 1);
            const QStringList options = strLine.split(QStringLiteral("</OPTION>"));
            for (const QString& strOption : options) {
                strLine = strOption;
                if (strOption.contains(QStringLiteral("selected"))) {
                    const qsizetype close = strOption.indexOf(QLatin1Char('>'));
                    strResult = QStringLiteral("Encapsulation = ") + strOption.mid(close + 1);
                    break;
                }
            }
        }
        if (strLine.contains(QStringLiteral("simple_ppp_mru")))
            strResult += strCrLf + QStringLiteral("MRU = ") + FieldValue(strLine);
        if (strLine.contains(QStringLiteral("simple_ppp_mtu")))
            strResult += strCrLf + QStringLiteral("MTU = ") + FieldValue(strLine);
        if (strLine.contains(QStringLiteral("simple_ppp_mss")))
            strResult += strCrLf + QStringLiteral("MSS = ") + FieldValue(strLine);
    }
    return strResult;
}

QString FindPppSettingsLink(const QString& strHtml, QString& strReportBody)
{
    qsizetype found = strHtml.indexOf(QStringLiteral("<!-- Created Connection -->"), 0, Qt::CaseInsensitive);
    if (found < 0)
        found = strHtml.indexOf(QStringLiteral("<!-- Connections -->"), 0, Qt::CaseInsensitive);
    if (found < 0) {
        strReportBody += QStringLiteral("Link to PPP settings not found") + strCrLf;
        return QString();
    }
    int lngPosition = static_cast<int>(found + 1);
    return TextBetween(QStringLiteral("href=\".."), QStringLiteral("\""), strHtml, lngPosition, false);
}
