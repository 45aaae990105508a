#include "readers/FirmwareReader.h"

#include "readers/TextHelpers.h"
#include "readers/VendorTable.h"

namespace
{
int HexDigitValue(QChar ch)
{
    const char16_t c = ch.unicode();
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

int ReadHexPair(QStringView pair)
{
    int intValue = 0;
    for (const QChar ch : pair) {
        if (ch == QLatin1Char(' ') || ch == QLatin1Char('\n'))
            continue;
        const int intDigit = HexDigitValue(ch);
        if (intDigit < 0)
            break;
        intValue = intValue * 16 + intDigit;
    }
    return intValue;
}
} // namespace

QString ReadFirmwareVersion(const QString& strHtml)
{
    int lngPosition = 1;
    QString strValue
        = TextBetween(QStringLiteral("Firmware version"), QStringLiteral("System Uptime"), strHtml, lngPosition, false);
    // From the end of the label's cell to the next closing tag: the value cell's opening tags and the value.
    lngPosition = 1;
    strValue = TextBetween(QStringLiteral("</td>"), QStringLiteral("</"), strValue, lngPosition, false);
    const int lngTags = CountOccurrences(strValue, QStringLiteral(">"));
    strValue = TrimSpaces(GetField(strValue, QStringLiteral(">"), lngTags + 1));
    if (strValue.isEmpty())
        return QString();
    return QStringLiteral("Firmware: ") + strValue;
}

QString DecodeHexPairs(const QString& strHexPairs)
{
    QString strDecoded;
    for (qsizetype i = 0; i < strHexPairs.size(); i += 2)
        strDecoded += CharFromCode(ReadHexPair(QStringView(strHexPairs).mid(i, 2)));
    return strDecoded;
}

void ReadIspHardware(const QString& strStatsText, const VendorTable& vendors, QString& strReportBody)
{
    int lngPosition = 1;
    QString strCode = TextBetween(
        QStringLiteral("ATUC Vendor Code:"), QStringLiteral("ATUC Revision:"), strStatsText, lngPosition, false);
    strCode.remove(QLatin1Char('\t'));
    strCode = DecodeHexPairs(TrimSpaces(strCode));

    QString strHardware = vendors.LookupVendor(strCode);
    if (strHardware.isEmpty()) {
        // A pair without digits (the line break of a code that ends its line) decodes to character 0,
        // which would cut the report short wherever it is handled as a NUL-terminated text.
        strHardware = strCode.replace(QChar(0), QLatin1Char('?')) + QStringLiteral(" [unknown]");
    }
    strReportBody += QStringLiteral("ISP Hardware = ") + strHardware + QStringLiteral("\r\n\r\n");
}
