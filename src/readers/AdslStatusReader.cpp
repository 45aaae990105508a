#include "readers/AdslStatusReader.h"

#include "readers/TextHelpers.h"

#include <QStringList>
#include <algorithm>

namespace
{
const QString strCrLf = QStringLiteral("\r\n");
const QString strMarginLabel = QStringLiteral("SNR Margin");
const QString strAttenuationLabel = QStringLiteral("Line Attenuation");

// Lines that carry no value: the page heading, the buttons and the heading of the value columns.
bool IsNoiseLine(const QString& strLine)
{
    return strLine.contains(QStringLiteral("ADSL Status")) || strLine.contains(QStringLiteral("Restart Stop"))
        || strLine.contains(QStringLiteral("DownstreamUpstream")) || strLine.size() <= 3;
}
} // namespace

void ReadAdslStatus(const QString& strText, QString& strReportBody)
{
    strReportBody += strCrLf + strCrLf;
    const QStringList lines = SplitPieces(strText, strCrLf, Qt::CaseSensitive);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString strLine = lines.at(i);
        if (strLine.contains(QStringLiteral("Action canceled"))) {
            strReportBody += QStringLiteral("ADSL status cannot be found") + strCrLf;
            break;
        }
        if (IsNoiseLine(strLine))
            continue;
        if (strLine.contains(strMarginLabel, Qt::CaseInsensitive))
            strLine = FormatLineValues(strLine, true);
        if (strLine.contains(strAttenuationLabel, Qt::CaseInsensitive))
            strLine = FormatLineValues(strLine, false);
        strReportBody += strLine;
        if (i < lines.size() - 1)
            strReportBody += strCrLf;
    }
}

QString FormatLineValues(QString& strLine, bool blnMargin)
{
    const QString& strLabel = blnMargin ? strMarginLabel : strAttenuationLabel;
    // Drop the label in front and the two-character unit at the end.
    strLine.remove(0, strLabel.size());
    strLine.chop(2);

    QString strDown;
    QString strUp;
    const qsizetype lngDots = CountOccurrences(strLine, QStringLiteral("."));
    if (lngDots == 0) {
        SplitInHalves(strLine, strDown, strUp);
    } else if (lngDots == 2) {
        SplitAfterFirstDecimal(strLine, strDown, strUp);
    } else {
        // One value is "NaN" (the router has none) and the other has a decimal.
        qsizetype found = strLine.indexOf(QStringLiteral("NaN"), 0, Qt::CaseInsensitive);
        if (found < 0)
            found = strLine.indexOf(QStringLiteral("Na"), 0, Qt::CaseInsensitive);
        if (found == 0) {
            strDown = strLine.left(3);
            strUp = strLine.mid(3);
        } else {
            const qsizetype lngDownLength = std::max<qsizetype>(0, strLine.size() - 3);
            strDown = strLine.left(lngDownLength);
            strUp = strLine.mid(lngDownLength);
        }
    }
    return strLabel + QStringLiteral(": ") + strDown + QStringLiteral("dB DOWN, ") + strUp + QStringLiteral("dB UP");
}
