// Fuzzes the page readers and the text helpers on arbitrary page text or HTML (read once as Latin-1,
// every byte a character, and once as UTF-8).
//
// The first two bytes also choose the numeric arguments of the helpers (field index, start
// position, advance flag) and the first line of the input serves as their marker or delimiter.
//
// Checked: nothing crashes; positions stay inside the text; collapsed text holds no empty line;
// the ISP hardware line never carries a character 0.

#include "FuzzCheck.h"
#include "readers/AdslStatusReader.h"
#include "readers/FirmwareReader.h"
#include "readers/PppSettingsReader.h"
#include "readers/StatusTableReader.h"
#include "readers/TextHelpers.h"
#include "readers/VendorTable.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace
{
const VendorTable& Vendors()
{
    static const VendorTable vendors = [] {
        VendorTable table;
        table.LoadVendorTable(QStringLiteral(QUORVANE_DIST_DIR));
        return table;
    }();
    return vendors;
}

void FuzzReaders(const QString& strText)
{
    ReadStatusTable(strText);
    ReadPppSettings(strText);
    ReadFirmwareVersion(strText);

    QString strBody;
    FindPppSettingsLink(strText, strBody);
    ReadAdslStatus(strText, strBody);

    QString strHardware;
    ReadIspHardware(strText, Vendors(), strHardware);
    Check(strHardware.startsWith(QStringLiteral("ISP Hardware = ")));
    Check(!strHardware.contains(QChar(0)));

    for (const QString& strLine : strText.split(QStringLiteral("\r\n"))) {
        QString strMargin = strLine;
        FormatLineValues(strMargin, true);
        QString strAttenuation = strLine;
        FormatLineValues(strAttenuation, false);
    }
}

void FuzzHelpers(const QString& strText, int intIndex, int lngPosition, bool blnAdvance)
{
    const QString strMarker = strText.section(QLatin1Char('\n'), 0, 0);
    const QString strOther = strText.section(QLatin1Char('\n'), 1, 1);

    GetField(strText, strMarker, intIndex);
    CountOccurrences(strText, strMarker);

    int lngBetween = lngPosition;
    const QString strBetween = TextBetween(strMarker, strOther, strText, lngBetween, blnAdvance);
    // Either unchanged (start marker missing) or still inside the text or just past its end.
    Check(lngBetween == std::max(1, lngPosition) || (lngBetween >= 1 && lngBetween <= strText.size() + 1));
    Check(strBetween.size() <= strText.size());

    int lngStart = lngPosition;
    const int lngEnd = EndOfNumber(strText, lngStart);
    Check(lngEnd == 0 || (lngEnd >= lngStart && lngEnd <= strText.size()));

    const int lngDigit = FindDigit(strText, blnAdvance);
    Check(lngDigit >= 0 && lngDigit <= strText.size());

    Check(!CollapseBlankLines(strText).contains(QStringLiteral("\r\n\r\n")));

    QString strFirst;
    QString strSecond;
    SplitInHalves(strText, strFirst, strSecond);
    Check(strFirst + strSecond == strText);
    SplitAfterFirstDecimal(strText, strFirst, strSecond);
    Check(strFirst + strSecond == strText);

    QStringList cells;
    RowCells(strText, cells);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const int intIndex = size > 0 ? static_cast<int8_t>(data[0]) : 1;
    const int lngPosition = size > 1 ? static_cast<int8_t>(data[1]) : 0;
    const bool blnAdvance = size > 1 && (data[1] & 1) != 0;

    for (const QString& strText : { QString::fromLatin1(bytes), QString::fromUtf8(bytes) }) {
        FuzzReaders(strText);
        FuzzHelpers(strText, intIndex, lngPosition, blnAdvance);
    }
    return 0;
}
