// Fuzzes the report filter on arbitrary report text: bytes that are UTF-8 are read as UTF-8, any
// others as Latin-1 (every byte a character). Between them the two readings reach every text that the
// filter is given from a page or a file, and each input is filtered once.
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
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    FuzzText(bytes.isValidUtf8() ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes));
    return 0;
}
