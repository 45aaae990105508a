// Fuzzes the report filter on arbitrary report text, read once as Latin-1 (every byte a character)
// and once as UTF-8.
//
// Checked: without censoring the text comes back unchanged; censoring the report or the IP
// configuration never adds or removes a line break; censoring a censored report hides no further
// address (what a second pass would still find, the first one left standing); every dotted number
// found on a line stands in that line and holds three dots or more; masking hardware addresses
// leaves none that a second pass would mask.

#include "FuzzCheck.h"
#include "privacy/ReportFilter.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <cstdlib>

namespace
{
void FuzzText(const QString& strText)
{
    const QString strCrLf = QStringLiteral("\r\n");
    Check(FilterReport(strText, 0) == strText);
    Check(FilterReport(strText, 2) == strText);

    const QString strFiltered = FilterReport(strText, 1);
    Check(strFiltered.count(strCrLf) == strText.count(strCrLf));
    const QString strMask = QStringLiteral("<censored>");
    Check(FilterReport(strFiltered, 1).count(strMask) == strFiltered.count(strMask));

    const QString strMasked = CensorMacAddresses(strText);
    Check(strMasked.count(strCrLf) == strText.count(strCrLf));

    const QStringList lines = strText.split(strCrLf);
    for (const QString& strLine : lines) {
        const QStringList numbers = FindDottedNumbers(strLine);
        Check(FindDottedNumber(strLine) == numbers.value(0));
        for (const QString& strNumber : numbers) {
            Check(strLine.contains(strNumber));
            Check(strNumber.count(QLatin1Char('.')) >= 3);
        }
        const QString strLineMasked = MaskIpv6Addresses(strLine);
        Check(!strLineMasked.contains(strCrLf));
        const QString strHardwareMasked = MaskHardwareAddresses(strLine);
        Check(!strHardwareMasked.contains(strCrLf));
        Check(MaskHardwareAddresses(strHardwareMasked) == strHardwareMasked);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString strLatin1 = QString::fromLatin1(bytes);
    FuzzText(strLatin1);
    // Text of plain ASCII reads the same both ways, and the filter gives the same text the same
    // result: it is checked once.
    const QString strUtf8 = QString::fromUtf8(bytes);
    if (strUtf8 != strLatin1)
        FuzzText(strUtf8);
    return 0;
}
