#include "privacy/ReportFilter.h"

#include "privacy/LabelledValues.h"
#include "privacy/TextStretches.h"
#include "readers/TextHelpers.h"

#include <QRegularExpression>
#include <QSet>
#include <QStringMatcher>
#include <QStringView>
#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

namespace
{
const QString strCrLf = QStringLiteral("\r\n");
const QString strZeroHardwareAddress = QStringLiteral("00-00-00-00-00-00");
const QString strEthernetMacLabel = QStringLiteral("Ethernet MAC ").toCaseFolded();
const QString strSsidLabel = QStringLiteral("SSID=").toCaseFolded();

// Searches that ignore letter case look for case-folded texts in the case-folded line, which
// compares as a search without regard to case does, and is done once per line instead of once
// per text sought.
QString CaseFolded(const QString& strText)
{
    // Report lines are nearly always plain ASCII, where folding is lowering A-Z.
    QString strFolded(strText.size(), Qt::Uninitialized);
    QChar* folded = strFolded.data();
    for (qsizetype i = 0; i < strText.size(); ++i) {
        const char16_t c = strText.at(i).unicode();
        if (c >= 0x80)
            return strText.toCaseFolded();
        folded[i] = QChar(c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c);
    }
    return strFolded;
}

bool IsHardwareAddressLine(const QString& strLine, Qt::CaseSensitivity cs)
{
    return strLine.contains(QStringLiteral("Physical Address"), cs) && !strLine.contains(strZeroHardwareAddress);
}

bool IsHexDigit(QChar ch)
{
    const char16_t c = ch.unicode();
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool IsAddressChar(QChar ch)
{
    return IsHexDigit(ch) || ch == QLatin1Char(':') || ch == QLatin1Char('.');
}

bool IsHardwareSeparator(QChar ch)
{
    return ch == QLatin1Char(':') || ch == QLatin1Char('-') || ch == QLatin1Char('.') || ch == QLatin1Char('_');
}

bool IsWordChar(QChar ch)
{
    return ch.isLetterOrNumber() || ch == QLatin1Char('_');
}

bool IsDottedQuad(QStringView text)
{
    const QList<QStringView> octets = text.split(QLatin1Char('.'));
    if (octets.size() != 4)
        return false;
    for (const QStringView octet : octets) {
        if (octet.isEmpty() || octet.size() > 3)
            return false;
        for (const QChar ch : octet) {
            if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
                return false;
        }
        if (octet.toInt() > 255)
            return false;
    }
    return true;
}

// Counts the 16-bit groups of one side of "::"; -1 when a group is malformed. Only the last group
// of the whole address (blnMayEndInQuad) may be a dotted IPv4 address, which fills two groups.
int CountGroups(QStringView part, bool blnMayEndInQuad)
{
    if (part.isEmpty())
        return 0;
    const QList<QStringView> groups = part.split(QLatin1Char(':'));
    int intCount = 0;
    for (qsizetype i = 0; i < groups.size(); ++i) {
        const QStringView group = groups.at(i);
        if (blnMayEndInQuad && i == groups.size() - 1 && group.contains(QLatin1Char('.'))) {
            if (!IsDottedQuad(group))
                return -1;
            intCount += 2;
            continue;
        }
        if (group.isEmpty() || group.size() > 4)
            return -1;
        for (const QChar ch : group) {
            if (!IsHexDigit(ch))
                return -1;
        }
        ++intCount;
    }
    return intCount;
}

bool IsIpv6Address(QStringView token)
{
    const qsizetype gap = token.indexOf(QStringLiteral("::"));
    if (gap < 0)
        return CountGroups(token, true) == 8;
    const QStringView head = token.left(gap);
    const QStringView tail = token.mid(gap + 2);
    if (tail.contains(QStringLiteral("::")))
        return false;
    const int intHead = CountGroups(head, false);
    const int intTail = CountGroups(tail, true);
    // "::" alone stands for no address worth hiding and is more often a scope operator.
    return intHead >= 0 && intTail >= 0 && intHead + intTail <= 7 && intHead + intTail > 0;
}

// The value of a "DHCPv6 Client DUID" line (hexadecimal pairs joined by dashes after the first
// colon, standing as a word of its own) replaced by the mask; other lines come back unchanged.
QString MaskDuidLine(const QString& strLine)
{
    static const QStringMatcher duidLabel(QStringLiteral("DHCPv6 Client DUID"), Qt::CaseInsensitive);
    const qsizetype label = duidLabel.indexIn(strLine);
    if (label < 0)
        return strLine;
    const qsizetype colon = strLine.indexOf(QLatin1Char(':'), label);
    if (colon < 0)
        return strLine;
    qsizetype start = colon + 1;
    while (start < strLine.size() && strLine.at(start) == QLatin1Char(' '))
        ++start;
    qsizetype end = start;
    while (end < strLine.size() && (IsHexDigit(strLine.at(end)) || strLine.at(end) == QLatin1Char('-')))
        ++end;
    // "Firmware" begins with a hexadecimal letter too: only a whole word of pairs is a DUID.
    const QStringView value = QStringView(strLine).mid(start, end - start);
    if (end == start || !value.contains(QLatin1Char('-')) || (end < strLine.size() && IsWordChar(strLine.at(end))))
        return strLine;
    QString strMasked = strLine;
    strMasked.replace(start, end - start, strDuidMask);
    return strMasked;
}

QString MaskIdentifiers(const QString& strLine)
{
    return MaskIpv6Addresses(MaskDuidLine(strLine));
}

// A prefix written without "::" ("2001:db8:1234:5600", two to seven groups) of a global address.
bool IsGlobalIpv6Prefix(QStringView token)
{
    const QList<QStringView> groups = token.split(QLatin1Char(':'));
    if (groups.size() < 2 || groups.size() > 7 || groups.first().size() != 4)
        return false;
    const QChar chFirst = groups.first().at(0);
    if (chFirst != QLatin1Char('2') && chFirst != QLatin1Char('3'))
        return false;
    return CountGroups(token, false) == groups.size();
}

// Hardware addresses in the rarer notations: six groups of one or two digits joined by ":", "-" or
// "_" with a one-digit group among them ("0:1a:2b:3c:4d:5e") or joined by "_", six pairs joined by
// ".", and three groups of four joined by "." ("001a.2b3c.4d5e"); the dotted ones must hold a
// hexadecimal letter, so that they are told from numbers. The all-zero address stays.
// Whether a mask will stand right after a separator, where it may end a chain before it that the
// address it hides continued.
bool MaskEndsAChain(const QString& strLine, const TextStretches& stretches)
{
    return std::any_of(stretches.cbegin(), stretches.cend(),
        [&](const auto& stretch) { return stretch.first > 0 && IsHardwareSeparator(strLine.at(stretch.first - 1)); });
}

QString MaskOtherHardwareNotations(const QString& strLine, bool& blnMasked)
{
    TextStretches stretches;
    const qsizetype size = strLine.size();
    qsizetype i = 0;
    while (i < size) {
        if (!IsHexDigit(strLine.at(i)) || (i > 0 && IsWordChar(strLine.at(i - 1)))) {
            ++i;
            continue;
        }
        QChar chSeparator;
        // Only chains of three or six groups are looked at: the sizes of the first seven are kept.
        std::array<qsizetype, 7> groupSizes {};
        qsizetype lngGroups = 0;
        bool blnLetter = false;
        bool blnNonZero = false;
        qsizetype end = i;
        while (true) {
            qsizetype groupEnd = end;
            while (groupEnd < size && IsHexDigit(strLine.at(groupEnd)) && groupEnd - end < 5) {
                blnLetter = blnLetter || strLine.at(groupEnd).isLetter();
                blnNonZero = blnNonZero || strLine.at(groupEnd) != QLatin1Char('0');
                ++groupEnd;
            }
            if (lngGroups < static_cast<qsizetype>(groupSizes.size()))
                groupSizes[static_cast<size_t>(lngGroups)] = groupEnd - end;
            ++lngGroups;
            end = groupEnd;
            if (end + 1 >= size || !IsHexDigit(strLine.at(end + 1)))
                break;
            const QChar ch = strLine.at(end);
            if (!IsHardwareSeparator(ch) || (!chSeparator.isNull() && ch != chSeparator))
                break;
            chSeparator = ch;
            ++end;
        }
        const bool blnWordEnd = end >= size
            || (!IsWordChar(strLine.at(end))
                && !(IsHardwareSeparator(strLine.at(end)) && end + 1 < size && IsHexDigit(strLine.at(end + 1))));
        const auto AllSizesIn = [&](qsizetype low, qsizetype high) {
            return std::all_of(groupSizes.cbegin(), groupSizes.cbegin() + std::min<qsizetype>(lngGroups, 7),
                [&](qsizetype n) { return n >= low && n <= high; });
        };
        bool blnHardware = false;
        if (blnWordEnd && lngGroups == 6 && (chSeparator == QLatin1Char(':') || chSeparator == QLatin1Char('-')))
            blnHardware = AllSizesIn(1, 2) && !AllSizesIn(2, 2);
        else if (blnWordEnd && lngGroups == 6 && chSeparator == QLatin1Char('_'))
            blnHardware = AllSizesIn(1, 2);
        else if (blnWordEnd && lngGroups == 6 && chSeparator == QLatin1Char('.'))
            blnHardware = AllSizesIn(2, 2) && blnLetter;
        else if (blnWordEnd && lngGroups == 3 && chSeparator == QLatin1Char('.'))
            blnHardware = AllSizesIn(4, 4) && blnLetter;
        if (blnHardware && blnNonZero)
            stretches.emplace_back(i, end);
        i = std::max(end, i + 1);
    }
    blnMasked = blnMasked || MaskEndsAChain(strLine, stretches);
    return ReplaceStretches(strLine, stretches, strHardwareMask);
}

// Runs of digits and dots, full stops at their end left out; onRun(start, end). Only the stretch
// [from, to) of the line is read, the whole line by default.
template <typename OnRun>
void ForEachDottedRun(const QString& strLine, OnRun onRun, qsizetype from = 0, qsizetype to = -1)
{
    qsizetype i = from;
    const qsizetype size = to < 0 ? strLine.size() : to;
    while (i < size) {
        const QChar ch = strLine.at(i);
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9')) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        while (i < size
            && ((strLine.at(i) >= QLatin1Char('0') && strLine.at(i) <= QLatin1Char('9'))
                || strLine.at(i) == QLatin1Char('.')))
            ++i;
        qsizetype end = i;
        while (end > start && strLine.at(end - 1) == QLatin1Char('.'))
            --end;
        onRun(start, end);
    }
}

// The 32-bit value of an IPv4 address in dotted notation (four groups of one to three digits, each
// at most 255); -1 for anything else.
qint64 Ipv4Value(QStringView text)
{
    qint64 lngValue = 0;
    int intGroups = 0;
    int intDigits = 0;
    int intGroup = 0;
    for (const QChar ch : text) {
        if (ch == QLatin1Char('.')) {
            if (intDigits == 0 || ++intGroups > 3)
                return -1;
            lngValue = lngValue * 256 + intGroup;
            intDigits = 0;
            intGroup = 0;
            continue;
        }
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9') || ++intDigits > 3)
            return -1;
        intGroup = intGroup * 10 + (ch.unicode() - u'0');
        if (intGroup > 255)
            return -1;
    }
    if (intGroups != 3 || intDigits == 0)
        return -1;
    return lngValue * 256 + intGroup;
}

// Subnet masks (leading ones, then zeros, 0.0.0.0 and 255.255.255.255 included) identify nobody.
bool IsNetmask(qint64 lngValue)
{
    const quint32 inverted = ~static_cast<quint32>(lngValue);
    return (inverted & (inverted + 1U)) == 0;
}

bool IsTokenDelimiter(QChar ch)
{
    // Asked of every character of the report, more than once: ASCII is looked up.
    static const auto ascii = [] {
        std::array<bool, 128> table {};
        for (const char c : std::string_view(" \t\n\v\f\r\"'<>()[]{},;=|:"))
            table[static_cast<unsigned char>(c)] = true;
        return table;
    }();
    const char16_t c = ch.unicode();
    return c < 128 ? ascii[c] : ch.isSpace();
}

bool IsEmailAddress(QStringView token)
{
    const qsizetype at = token.indexOf(QLatin1Char('@'));
    if (at <= 0 || !IsWordChar(token.at(at - 1)))
        return false;
    const qsizetype dot = token.indexOf(QLatin1Char('.'), at + 1);
    return dot > at + 1 && dot + 1 < token.size() && token.at(dot + 1).isLetter();
}

// A domain name ("smith.dyndns.example"): dotted labels of letters, digits and "-", the last one
// of letters; file names of the web interface are none.
bool IsDomainName(QStringView token)
{
    if (!token.contains(QLatin1Char('.')) || token.startsWith(QLatin1Char('.')) || token.endsWith(QLatin1Char('.')))
        return false;
    for (const QChar ch : token) {
        if (!ch.isLetterOrNumber() && ch != QLatin1Char('-') && ch != QLatin1Char('.'))
            return false;
    }
    const QStringView last = token.mid(token.lastIndexOf(QLatin1Char('.')) + 1);
    static const QSet<QString> fileTypes { "htm", "html", "cgi", "asp", "js", "php", "txt", "css", "xml", "gif",
        "png" };
    return std::all_of(last.cbegin(), last.cend(), [](QChar ch) { return ch.isLetter(); })
        && !fileTypes.contains(last.toString().toLower());
}

// What censoring learns from the whole text before it changes a line.
struct Findings
{
    // IPv4 addresses by the roles they are seen in.
    QSet<QString> setOwn;
    QSet<QString> setUnmarked;
    QSet<QString> setVersion;
    // Names, keys and serial numbers to hide wherever they stand as a word, and those that hold a
    // blank or a delimiter, hidden wherever they stand.
    QSet<QString> setNames;
    QStringList multiWordNames;
    // The addresses to hide, and the same in the "81-2-3-4" form that host names embed.
    QSet<QString> setAddresses;
    QSet<QString> setDashedAddresses;
    // Views of setAddresses and setNames, so that a look-up copies nothing.
    QSet<QStringView> setAddressViews;
    QSet<QStringView> setNameViews;
    // No token of another length can be one of the names.
    qsizetype lngShortestName = 0;
    qsizetype lngLongestName = -1;
};

void AddName(Findings& findings, QStringView value, qsizetype lngShortest)
{
    const QString strValue = value.trimmed().toString();
    if (strValue.size() < lngShortest || strValue.startsWith(QLatin1Char('<')))
        return;
    if (std::all_of(strValue.cbegin(), strValue.cend(), [](QChar ch) { return ch.isDigit(); }) && strValue.size() < 6)
        return;
    if (std::any_of(strValue.cbegin(), strValue.cend(), IsTokenDelimiter)) {
        // Few of these are ever seen; each costs a search of every line.
        if (findings.multiWordNames.size() < 32 && !findings.multiWordNames.contains(strValue))
            findings.multiWordNames << strValue;
    } else {
        findings.setNames.insert(strValue);
    }
}

// A line's labelled values, the value of a bare label on an earlier line included.
std::vector<LabelledValue> ValuesOfLine(const QString& strLine, ValueKind pendingKind)
{
    std::vector<LabelledValue> values;
    if (pendingKind != ValueKind::None && BareLabelKind(strLine) == ValueKind::None) {
        qsizetype start = 0;
        while (start < strLine.size() && strLine.at(start).isSpace())
            ++start;
        LabelledValue value = ValueAt(strLine, start, pendingKind);
        if (pendingKind == ValueKind::NetworkName && value.end > value.start) {
            // The whole line is the name.
            qsizetype end = strLine.size();
            while (end > start && strLine.at(end - 1).isSpace())
                --end;
            if (value.end == end || !strLine.mid(value.end, end - value.end).contains(QLatin1Char('<')))
                value.end = end;
        }
        if (value.end > value.start) {
            values.push_back(value);
            for (const LabelledValue& later : FindLabelledValues(strLine, value.end))
                values.push_back(later);
            return values;
        }
    }
    return FindLabelledValues(strLine);
}

// Follows bare labels from line to line: the kind whose value the next line that is not blank holds.
ValueKind NextPendingKind(const QString& strLine, ValueKind pendingKind)
{
    const ValueKind bare = BareLabelKind(strLine);
    if (bare != ValueKind::None)
        return bare;
    return strLine.trimmed().isEmpty() ? pendingKind : ValueKind::None;
}

QString MaskOf(ValueKind kind)
{
    switch (kind) {
    case ValueKind::NetworkName:
        return strSsidLine;
    case ValueKind::HardwareAddress:
        return strHardwareMask;
    default:
        return strAddressMask;
    }
}

QString ReplaceValues(const QString& strLine, const std::vector<LabelledValue>& values)
{
    if (values.empty())
        return strLine;
    QString strResult;
    strResult.reserve(strLine.size() + static_cast<qsizetype>(values.size()) * strSsidLine.size());
    qsizetype copied = 0;
    for (const LabelledValue& value : values) {
        strResult += QStringView(strLine).mid(copied, value.start - copied);
        strResult += MaskOf(value.kind);
        copied = value.end;
    }
    strResult += QStringView(strLine).mid(copied);
    return strResult;
}

// Whether a line speaks of dynamic DNS, whose host names are the user's own.
bool IsDynamicDnsLine(const QString& strFoldedLine)
{
    return strFoldedLine.contains(QLatin1String("ddns")) || strFoldedLine.contains(QLatin1String("dyndns"))
        || strFoldedLine.contains(QLatin1String("dynamic dns"));
}

// Calls onToken(start, end) for every word between delimiters, a full stop at its end left out. A
// dotted number glued to letters ("exa81.2.3.4") is a word of its own, as it is once hidden.
template <typename OnToken> void ForEachToken(const QString& strLine, OnToken onToken)
{
    const auto onPiece = [&](qsizetype start, qsizetype end) {
        while (end > start && strLine.at(end - 1) == QLatin1Char('.'))
            --end;
        if (end > start)
            onToken(start, end);
    };
    qsizetype i = 0;
    while (i < strLine.size()) {
        if (IsTokenDelimiter(strLine.at(i))) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        bool blnDigit = false;
        bool blnDot = false;
        while (i < strLine.size() && !IsTokenDelimiter(strLine.at(i))) {
            blnDigit = blnDigit || strLine.at(i).isDigit();
            blnDot = blnDot || strLine.at(i) == QLatin1Char('.');
            ++i;
        }
        if (!blnDigit || !blnDot) {
            onPiece(start, i);
            continue;
        }
        qsizetype pieceStart = start;
        ForEachDottedRun(
            strLine,
            [&](qsizetype runStart, qsizetype runEnd) {
                if (QStringView(strLine).mid(runStart, runEnd - runStart).count(QLatin1Char('.')) < 3
                    || (runStart == pieceStart && runEnd == i))
                    return;
                onPiece(pieceStart, runStart);
                onPiece(runStart, runEnd);
                pieceStart = runEnd;
            },
            start, i);
        onPiece(pieceStart, i);
    }
}

// Pass one over a line: the names, keys and serial numbers it gives away.
void StudyNames(
    const QString& strLine, const QString& strFolded, const std::vector<LabelledValue>& values, Findings& findings)
{
    for (const LabelledValue& value : values) {
        const QStringView text = QStringView(strLine).mid(value.start, value.end - value.start);
        if (value.kind == ValueKind::HardwareAddress) {
            QString strDigits;
            for (const QChar ch : text) {
                if (IsHexDigit(ch))
                    strDigits += ch;
            }
            findings.setNames.insert(strDigits);
            continue;
        }
        AddName(findings, text, 3);
    }

    // A DHCP client's name follows its hardware address at the end of a lease message
    // ("DHCPACK(br0) 192.168.1.23 <mac> laptop").
    static const QRegularExpression leaseMessage(QStringLiteral("dhcp(ack|offer|request|inform|discover)"));
    if (strFolded.contains(QLatin1String("dhcp")) && strFolded.contains(leaseMessage)) {
        // Only the end of the line is read: the name and the hardware address in front of it, from
        // the last 80 characters on, or from the start of the word or chain of pairs they begin in.
        qsizetype tail = std::max<qsizetype>(0, strLine.size() - 80);
        while (tail > 0 && (IsWordChar(strLine.at(tail - 1)) || IsHardwareSeparator(strLine.at(tail - 1))))
            --tail;
        const QString strMasked = MaskHardwareAddresses(strLine.mid(tail));
        const qsizetype mask = strMasked.lastIndexOf(strHardwareMask);
        if (mask >= 0) {
            qsizetype start = mask + strHardwareMask.size();
            while (start < strMasked.size() && strMasked.at(start) == QLatin1Char(' '))
                ++start;
            qsizetype end = start;
            while (end < strMasked.size() && !IsTokenDelimiter(strMasked.at(end)))
                ++end;
            const QStringView name = QStringView(strMasked).mid(start, end - start);
            if (QStringView(strMasked).mid(end).trimmed().isEmpty()
                && std::any_of(name.cbegin(), name.cend(), [](QChar ch) { return ch.isLetter(); })
                && name != QLatin1String("*"))
                AddName(findings, name, 2);
        }
    }
    if (IsDynamicDnsLine(strFolded)) {
        ForEachToken(strLine, [&](qsizetype start, qsizetype end) {
            const QStringView token = QStringView(strLine).mid(start, end - start);
            if (IsDomainName(token))
                AddName(findings, token, 2);
        });
    }
}

// The cells of a row of a client table: what stands between tags, quotes, brackets, separators,
// tabs and line breaks, or two blanks.
std::vector<QStringView> RowCells(QStringView row)
{
    std::vector<QStringView> cells;
    qsizetype start = 0;
    bool blnInTag = false;
    const auto endCell = [&](qsizetype end) {
        const QStringView cell = row.mid(start, end - start).trimmed();
        if (!cell.isEmpty())
            cells.push_back(cell);
    };
    for (qsizetype i = 0; i < row.size(); ++i) {
        const QChar ch = row.at(i);
        if (blnInTag) {
            if (ch == QLatin1Char('>')) {
                blnInTag = false;
                start = i + 1;
            }
            continue;
        }
        if (ch == QLatin1Char('<')) {
            endCell(i);
            blnInTag = true;
            continue;
        }
        const bool blnTwoBlanks = ch == QLatin1Char(' ') && i + 1 < row.size() && row.at(i + 1) == QLatin1Char(' ');
        if (blnTwoBlanks || QStringView(u"\t\r\n\"',;|[](){}=").contains(ch)) {
            endCell(i);
            start = i + 1;
        }
    }
    if (!blnInTag)
        endCell(row.size());
    return cells;
}

// Six pairs of hexadecimal digits joined by ":" or "-", the all-zero address left out.
bool IsHardwareAddressCell(QStringView cell)
{
    if (cell.size() != 17 || cell.startsWith(QLatin1String("00:00:00:00:00:00"))
        || cell.startsWith(QLatin1String("00-00-00-00-00-00")))
        return false;
    const QChar chSeparator = cell.at(2);
    if (chSeparator != QLatin1Char(':') && chSeparator != QLatin1Char('-'))
        return false;
    for (qsizetype i = 0; i < cell.size(); ++i) {
        if (i % 3 == 2 ? cell.at(i) != chSeparator : !IsHexDigit(cell.at(i)))
            return false;
    }
    return true;
}

// A cell that may be a client's name: a word or up to three of letters, digits, "-", "_" and ".",
// holding a letter, and none of the words that such tables print in their other columns.
bool IsClientNameCell(QStringView cell)
{
    if (cell.size() < 2 || cell.size() > 63 || !cell.front().isLetterOrNumber() || cell.count(QLatin1Char(' ')) > 2)
        return false;
    bool blnLetter = false;
    for (const QChar ch : cell) {
        if (!ch.isLetterOrNumber() && !QStringView(u"-_. ").contains(ch))
            return false;
        blnLetter = blnLetter || ch.isLetter();
    }
    // "2 days", "23 hours"
    if (!blnLetter || (cell.front().isDigit() && cell.contains(QLatin1Char(' '))))
        return false;
    static const QSet<QString> tableWords { "unknown", "lan", "wlan", "wan", "wireless", "wired", "ethernet", "static",
        "dynamic", "dhcp", "yes", "no", "on", "off", "active", "inactive", "online", "offline", "connected",
        "disconnected", "permanent", "forever", "never", "expired", "reserved", "lease", "leased", "none", "n/a",
        "delete", "remove", "edit", "block", "allow", "add", "auto", "manual", "ok", "up", "down", "enabled",
        "disabled", "ipv4", "ipv6", "arp", "host", "client", "device", "name", "mac", "ip", "interface", "port", "type",
        "status", "expires", "infinite", "local", "self", "router", "gateway", "any", "all", "bridge", "guest",
        "complete", "incomplete", "valid", "invalid" };
    const QString strFolded = cell.toString().toCaseFolded();
    if (tableWords.contains(strFolded))
        return false;
    // Interfaces ("eth0", "br0", "wl0.1", "ath1") name no client.
    static const QRegularExpression interfaceName(
        QStringLiteral("^(eth|br|wl|wlan|ath|ra|rai|ppp|pppoe|nas|lan|wan|usb|vlan|bond|ptm|atm|ipoa|dsl|lo|tun|tap|"
                       "imq)[0-9]{1,2}(\\.[0-9]+)?$"));
    return !interfaceName.match(strFolded).hasMatch();
}

// A row of a client table (a page's DHCP clients or attached devices: name, address and hardware
// address in cells of their own, in any order) gives away the client's name: the cell right before
// the first of the two, or else the one right after the last.
void StudyClientRow(QStringView row, Findings& findings)
{
    const std::vector<QStringView> cells = RowCells(row);
    qsizetype address = -1;
    qsizetype hardware = -1;
    for (qsizetype c = 0; c < static_cast<qsizetype>(cells.size()); ++c) {
        const QStringView cell = cells[static_cast<size_t>(c)];
        if (address < 0 && Ipv4Value(cell) >= 0)
            address = c;
        else if (hardware < 0 && IsHardwareAddressCell(cell))
            hardware = c;
    }
    if (address < 0 || hardware < 0)
        return;
    const qsizetype first = std::min(address, hardware);
    const qsizetype last = std::max(address, hardware);
    if (first > 0 && IsClientNameCell(cells[static_cast<size_t>(first - 1)]))
        AddName(findings, cells[static_cast<size_t>(first - 1)], 2);
    else if (last + 1 < static_cast<qsizetype>(cells.size()) && IsClientNameCell(cells[static_cast<size_t>(last + 1)]))
        AddName(findings, cells[static_cast<size_t>(last + 1)], 2);
}

// Feeds the rows of client tables to StudyClientRow: a line is a row, or holds several (table rows
// begun by "<tr", script arrays in brackets); a table row whose cells stand on lines of their own is
// gathered up to its "</tr".
class ClientRows
{
public:
    explicit ClientRows(Findings& findings)
        : m_findings(findings)
    { }

    void AddLine(const QString& strLine, const QString& strFolded)
    {
        // Only a row that holds a hardware address matters.
        int intSeparators = 0;
        for (qsizetype i = 0; i < strLine.size() && intSeparators < 5; ++i) {
            if (strLine.at(i) == QLatin1Char(':') || strLine.at(i) == QLatin1Char('-'))
                ++intSeparators;
        }
        const bool blnSeparators = intSeparators >= 5;
        if (!m_strRow.isNull()) {
            m_strRow += QLatin1Char('\n');
            m_strRow += strLine;
            const qsizetype close = strFolded.indexOf(QLatin1String("</tr"));
            if (close >= 0 || m_strRow.size() > intLongestRow || ++m_intRowLines > 16) {
                StudyClientRow(m_strRow, m_findings);
                m_strRow = QString();
            }
            if (close < 0)
                return;
        }
        const bool blnTableRows = strFolded.contains(QLatin1String("<tr"));
        if (!blnSeparators && !blnTableRows)
            return;
        // A long line is a row only where table rows or brackets cut it into short pieces.
        if (!blnTableRows && strLine.size() > intLongestRow && !strLine.contains(QLatin1Char('[')))
            return;
        qsizetype start = 0;
        const qsizetype size = strLine.size();
        for (qsizetype i = 0; i <= size; ++i) {
            const bool blnEnd = i == size;
            const bool blnRowStart = !blnEnd && strLine.at(i) == QLatin1Char('<')
                && QStringView(strFolded).mid(i, 3) == QLatin1String("<tr")
                && (i + 3 >= size || !strFolded.at(i + 3).isLetter());
            const bool blnBracket = !blnEnd && (strLine.at(i) == QLatin1Char('[') || strLine.at(i) == QLatin1Char(']'));
            if (!blnEnd && !blnRowStart && !blnBracket)
                continue;
            const QStringView piece = QStringView(strLine).mid(start, i - start);
            if (blnEnd && QStringView(strFolded).mid(start).contains(QLatin1String("<tr"))
                && !QStringView(strFolded).mid(start).contains(QLatin1String("</tr"))) {
                // A row that goes on over the next lines.
                m_strRow = piece.toString();
                m_intRowLines = 0;
                return;
            }
            if (piece.size() <= intLongestRow)
                StudyClientRow(piece, m_findings);
            start = i;
            if (blnBracket)
                ++start;
        }
    }

    void Finish()
    {
        if (!m_strRow.isNull())
            StudyClientRow(m_strRow, m_findings);
    }

private:
    static constexpr int intLongestRow = 2000;
    Findings& m_findings;
    QString m_strRow;
    int m_intRowLines = 0;
};

// Pass three over a line, its names and values masked already: the roles of its addresses. What
// this reads is what a second censoring of the censored report reads, so that censoring twice
// hides nothing the first time left: a label that was itself hidden exempts nothing, and a mask
// where an address stood keeps its place in a list.
void StudyAddresses(const QString& strLine, Findings& findings)
{
    qsizetype previousEnd = -1;
    AddressRole previousRole = AddressRole::Unmarked;
    const auto roleAt = [&](qsizetype start, qsizetype end) {
        // A list ("DNS 198.51.100.53, 198.51.100.54") or a range ("DHCP Server: 192.168.1.64 to
        // 192.168.1.253") shares the role of its first address.
        AddressRole role;
        const QStringView between
            = previousEnd >= 0 ? QStringView(strLine).mid(previousEnd, start - previousEnd).trimmed() : QStringView();
        static const QSet<QString> joiners { ",", "/", "and", ", and", "to", "-", "~" };
        if (previousEnd >= 0 && (between.isEmpty() || (between.size() <= 5 && joiners.contains(between.toString()))))
            role = previousRole;
        else
            role = RoleOfAddressAt(strLine, start);
        previousEnd = end;
        previousRole = role;
        return role;
    };
    qsizetype nextMask = strLine.indexOf(strAddressMask);
    ForEachDottedRun(strLine, [&](qsizetype start, qsizetype end) {
        for (; nextMask >= 0 && nextMask < start; nextMask = strLine.indexOf(strAddressMask, nextMask + 1))
            roleAt(nextMask, nextMask + strAddressMask.size());
        const QStringView run = QStringView(strLine).mid(start, end - start);
        const qint64 lngValue = Ipv4Value(run);
        if (lngValue < 0)
            return;
        const AddressRole role = roleAt(start, end);
        if (IsNetmask(lngValue))
            return;
        const QString strAddress = run.toString();
        switch (role) {
        case AddressRole::Own:
            findings.setOwn.insert(strAddress);
            break;
        case AddressRole::Unmarked:
            findings.setUnmarked.insert(strAddress);
            break;
        case AddressRole::Version:
            findings.setVersion.insert(strAddress);
            break;
        case AddressRole::Public:
            break;
        }
    });
}

// Whether a host name holds one of the addresses in its dashed form ("host-81-2-3-4.isp.example").
bool EmbedsAddress(QStringView token, const QSet<QString>& setDashed)
{
    if (setDashed.isEmpty())
        return false;
    qsizetype i = 0;
    while (i < token.size()) {
        if (!token.at(i).isDigit()) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        while (i < token.size() && (token.at(i).isDigit() || token.at(i) == QLatin1Char('-')))
            ++i;
        const QList<QStringView> groups = token.mid(start, i - start).split(QLatin1Char('-'));
        for (qsizetype g = 0; g + 4 <= groups.size(); ++g) {
            const QString strForward
                = QStringLiteral("%1-%2-%3-%4").arg(groups.at(g), groups.at(g + 1), groups.at(g + 2), groups.at(g + 3));
            const QString strBackward
                = QStringLiteral("%1-%2-%3-%4").arg(groups.at(g + 3), groups.at(g + 2), groups.at(g + 1), groups.at(g));
            if (setDashed.contains(strForward) || setDashed.contains(strBackward))
                return true;
        }
    }
    return false;
}

// strLine with the names the findings hold and e-mail addresses masked.
QString MaskNames(const QString& strLine, const Findings& findings)
{
    TextStretches stretches;
    ForEachToken(strLine, [&](qsizetype start, qsizetype end) {
        const QStringView token = QStringView(strLine).mid(start, end - start);
        const bool blnNameLength = token.size() >= findings.lngShortestName && token.size() <= findings.lngLongestName;
        if ((blnNameLength && findings.setNameViews.contains(token)) || IsEmailAddress(token))
            stretches.emplace_back(start, end);
    });
    QString strResult = ReplaceStretches(strLine, stretches, strAddressMask);
    // A name of several words is hidden where it stands as words too, not where it is glued to
    // others (what was left of those would read as a word of its own).
    for (const QString& strName : findings.multiWordNames) {
        stretches.clear();
        for (qsizetype at = strResult.indexOf(strName); at >= 0; at = strResult.indexOf(strName, at + 1)) {
            const qsizetype end = at + strName.size();
            const bool blnStarts
                = at == 0 || IsTokenDelimiter(strResult.at(at - 1)) || IsTokenDelimiter(strName.front());
            const bool blnEnds
                = end == strResult.size() || IsTokenDelimiter(strResult.at(end)) || IsTokenDelimiter(strName.back());
            if (blnStarts && blnEnds && (stretches.empty() || at >= stretches.back().second))
                stretches.emplace_back(at, end);
        }
        strResult = ReplaceStretches(strResult, stretches, strAddressMask);
    }
    return strResult;
}

constexpr qsizetype intLongestReread = 65536;

// Pass two over a line that is not replaced whole: its values, hardware addresses, IPv6 addresses,
// DUIDs, e-mail addresses and the names the findings hold are masked; IPv4 addresses are left to
// pass four. What was masked may make a label of what is left ("71.sk="s3cret"Key 1 =er"): the
// line is read again as a second censoring reads it, and the values found then are masked too.
QString MaskLine(const QString& strLine, const std::vector<LabelledValue>& values, ValueKind pendingKind,
    bool blnDynamicDns, const Findings& findings)
{
    QString strResult = MaskNames(MaskHardwareAddresses(MaskIdentifiers(ReplaceValues(strLine, values))), findings);
    // A line over 64 KB (a whole page laid out as one line) is not read again: that would cost
    // another reading of all of it, for what only texts glued together in odd ways need.
    for (int intRound = 0; intRound < 2 && strLine.size() <= intLongestReread && strResult != strLine; ++intRound) {
        const std::vector<LabelledValue> later = ValuesOfLine(strResult, pendingKind);
        if (later.empty())
            break;
        strResult = MaskNames(MaskHardwareAddresses(ReplaceValues(strResult, later)), findings);
    }
    // On a dynamic DNS line every host name is the user's own, also one that a mask has cut out of
    // a longer word ("::ffff:192.host" once the IPv6 part is hidden).
    if (blnDynamicDns && strResult != strLine) {
        TextStretches stretches;
        ForEachToken(strResult, [&](qsizetype start, qsizetype end) {
            if (IsDomainName(QStringView(strResult).mid(start, end - start)))
                stretches.emplace_back(start, end);
        });
        strResult = ReplaceStretches(strResult, stretches, strAddressMask);
    }
    return strResult;
}

// Pass four: every address the findings name is masked, with any longer run of numbers that holds
// it, and so is every host name that embeds one. Counts the host names in lngEmbedding.
QString CensorAddresses(const QString& strLine, const Findings& findings, qsizetype& lngEmbedding)
{
    TextStretches stretches;
    ForEachDottedRun(strLine, [&](qsizetype start, qsizetype end) {
        const QStringView run = QStringView(strLine).mid(start, end - start);
        if (findings.setAddressViews.contains(run)) {
            stretches.emplace_back(start, end);
            return;
        }
        // A longer run of numbers that holds one of the addresses as four of its groups is hidden
        // whole, so that no part of the address is left to read.
        if (run.count(QLatin1Char('.')) < 4)
            return;
        const QList<QStringView> groups = run.split(QLatin1Char('.'));
        for (qsizetype g = 0; g + 4 <= groups.size(); ++g) {
            const qsizetype from = groups.at(g).data() - strLine.constData();
            const qsizetype to = groups.at(g + 3).data() - strLine.constData() + groups.at(g + 3).size();
            if (findings.setAddressViews.contains(QStringView(strLine).mid(from, to - from))) {
                stretches.emplace_back(start, end);
                return;
            }
        }
    });
    QString strResult = ReplaceStretches(strLine, stretches, strAddressMask);

    if (findings.setDashedAddresses.isEmpty())
        return strResult;
    // Only a token with three dashes can embed an address.
    if (strResult.count(QLatin1Char('-')) < 3)
        return strResult;
    stretches.clear();
    ForEachToken(strResult, [&](qsizetype start, qsizetype end) {
        if (EmbedsAddress(QStringView(strResult).mid(start, end - start), findings.setDashedAddresses))
            stretches.emplace_back(start, end);
    });
    lngEmbedding += static_cast<qsizetype>(stretches.size());
    return ReplaceStretches(strResult, stretches, strAddressMask);
}

// The addresses to hide: one seen as the user's own is hidden everywhere; one seen only unmarked
// is hidden unless a label elsewhere calls it a version number.
void SettleAddresses(Findings& findings)
{
    findings.setAddresses = findings.setOwn;
    for (const QString& strAddress : std::as_const(findings.setUnmarked)) {
        if (!findings.setVersion.contains(strAddress))
            findings.setAddresses.insert(strAddress);
    }
    findings.setAddressViews.clear();
    findings.setDashedAddresses.clear();
    for (const QString& strAddress : std::as_const(findings.setAddresses)) {
        findings.setAddressViews.insert(QStringView(strAddress));
        QString strDashed = strAddress;
        findings.setDashedAddresses.insert(strDashed.replace(QLatin1Char('.'), QLatin1Char('-')));
    }
}
} // namespace

QString MaskIpv6Addresses(const QString& strLine)
{
    TextStretches stretches;
    qsizetype i = 0;
    while (i < strLine.size()) {
        if (!IsAddressChar(strLine.at(i))) {
            ++i;
            continue;
        }
        qsizetype start = i;
        qsizetype end = i;
        while (end < strLine.size() && IsAddressChar(strLine.at(end)))
            ++end;
        i = end;
        // A single colon in front separates a label ("Address:fe80::1"); dots or a single colon
        // behind end a sentence or a label.
        const bool blnColonInFront
            = strLine.at(start) == QLatin1Char(':') && (end - start < 2 || strLine.at(start + 1) != QLatin1Char(':'));
        if (blnColonInFront)
            ++start;
        const qsizetype runEnd = end;
        while (end > start && strLine.at(end - 1) == QLatin1Char('.'))
            --end;
        if (end - start >= 2 && strLine.at(end - 1) == QLatin1Char(':') && strLine.at(end - 2) != QLatin1Char(':'))
            --end;
        // A run glued to a word ("foo::bar", "fe80::1x") is not an address, unless a single colon
        // ends the word as a label's does ("WAN IPv6:2001:db8::1", "Source:2001:db8::1").
        bool blnAfterLabel = blnColonInFront;
        if (!blnColonInFront && start > 0 && IsWordChar(strLine.at(start - 1))) {
            const qsizetype colon = strLine.indexOf(QLatin1Char(':'), start);
            if (colon < 0 || colon + 1 >= end || strLine.at(colon + 1) == QLatin1Char(':'))
                continue;
            start = colon + 1;
            blnAfterLabel = true;
        }
        if (end == runEnd && end < strLine.size() && IsWordChar(strLine.at(end)))
            continue;
        const QStringView token = QStringView(strLine).mid(start, std::max<qsizetype>(0, end - start));
        const bool blnPrefixLength
            = end + 1 < strLine.size() && strLine.at(end) == QLatin1Char('/') && strLine.at(end + 1).isDigit();
        static const QStringMatcher prefixLabel(QStringLiteral("prefix"), Qt::CaseInsensitive);
        const qsizetype labelFrom = std::max<qsizetype>(0, start - 12);
        const bool blnPrefixLabel = prefixLabel.indexIn(QStringView(strLine).mid(labelFrom, start - labelFrom)) >= 0;
        if ((blnPrefixLength || blnPrefixLabel) && !token.contains(QStringLiteral("::")) && IsGlobalIpv6Prefix(token)) {
            stretches.emplace_back(start, end);
            continue;
        }
        if (token.count(QLatin1Char(':')) < (blnAfterLabel ? 1 : 2) || !IsIpv6Address(token))
            continue;
        stretches.emplace_back(start, end);
    }
    return ReplaceStretches(strLine, stretches, strIpv6Mask);
}

namespace
{
QString MaskHardwareAddressesOnce(const QString& strLine, bool& blnMasked)
{
    TextStretches stretches;
    const qsizetype size = strLine.size();
    const auto IsPairAt
        = [&](qsizetype at) { return at + 1 < size && IsHexDigit(strLine.at(at)) && IsHexDigit(strLine.at(at + 1)); };
    qsizetype i = 0;
    while (i < size) {
        if (!IsPairAt(i) || (i > 0 && IsWordChar(strLine.at(i - 1)))) {
            ++i;
            continue;
        }
        // A chain of pairs joined by one kind of separator, starting at a word start.
        const QChar chSeparator = i + 2 < size ? strLine.at(i + 2) : QChar();
        qsizetype end = i + 2;
        qsizetype lastPair = i;
        int intPairs = 1;
        // Six zero pairs in a row: the all-zero address, alone or in front of a longer one.
        const auto IsZeroPairAt = [&](qsizetype at) {
            return strLine.at(at) == QLatin1Char('0') && strLine.at(at + 1) == QLatin1Char('0');
        };
        int intZeroPairs = IsZeroPairAt(i) ? 1 : 0;
        bool blnHoldsZeroAddress = false;
        if (chSeparator == QLatin1Char(':') || chSeparator == QLatin1Char('-')) {
            while (end < size && strLine.at(end) == chSeparator && IsPairAt(end + 1)) {
                lastPair = end + 1;
                intZeroPairs = IsZeroPairAt(end + 1) ? intZeroPairs + 1 : 0;
                blnHoldsZeroAddress = blnHoldsZeroAddress || intZeroPairs >= 6;
                end += 3;
                ++intPairs;
            }
        }
        if (end < size && IsWordChar(strLine.at(end))) {
            // Glued to a word: every chain that starts inside this one ends here too.
            i = end;
            continue;
        }
        if (intPairs < 6) {
            // The last pair may begin a chain with the other separator.
            i = std::max(i + 1, lastPair);
            continue;
        }
        if (!blnHoldsZeroAddress)
            stretches.emplace_back(i, end);
        i = end;
    }
    blnMasked = MaskEndsAChain(strLine, stretches);
    return MaskOtherHardwareNotations(ReplaceStretches(strLine, stretches, strHardwareMask), blnMasked);
}
} // namespace

QString MaskHardwareAddresses(const QString& strLine)
{
    // A mask may end a chain that the address before it continued ("001a.2b3c.4d5e:0:1a:2b:3c:4d:5e"):
    // the line is read again until nothing more is masked.
    bool blnMasked = false;
    QString strResult = MaskHardwareAddressesOnce(strLine, blnMasked);
    for (int intRound = 0; intRound < 4 && blnMasked; ++intRound)
        strResult = MaskHardwareAddressesOnce(strResult, blnMasked);
    return strResult;
}

QStringList FindDottedNumbers(const QString& strLine)
{
    QStringList runs;
    qsizetype from = 0;
    while (from < strLine.size()) {
        if (strLine.at(from) < QLatin1Char('0') || strLine.at(from) > QLatin1Char('9')) {
            ++from;
            continue;
        }
        int lngStart = static_cast<int>(from) + 1;
        const int lngEnd = EndOfNumber(strLine, lngStart);
        // A run that reaches the end of the line is a run all the same.
        const qsizetype end = lngEnd == 0 ? strLine.size() : lngEnd - 1;
        QString strRun = strLine.mid(from, end - from);
        from = end;
        if (CountOccurrences(strRun, QStringLiteral(".")) < 3)
            continue;
        // A full stop after an address belongs to the sentence, unless the dots are all there is.
        QString strTrimmed = strRun;
        while (strTrimmed.endsWith(QLatin1Char('.')))
            strTrimmed.chop(1);
        if (CountOccurrences(strTrimmed, QStringLiteral(".")) >= 3)
            strRun = strTrimmed;
        runs.append(strRun);
    }
    return runs;
}

QString FindDottedNumber(const QString& strLine)
{
    const QStringList runs = FindDottedNumbers(strLine);
    return runs.isEmpty() ? QString() : runs.first();
}

QString FilterReport(const QString& strText, int intCensor)
{
    if (intCensor != 1)
        return strText;

    const QStringList lines = SplitPieces(strText, strCrLf, Qt::CaseSensitive);
    Findings findings;
    std::vector<std::vector<LabelledValue>> lineValues(static_cast<size_t>(lines.size()));
    std::vector<QString> fixedLines(static_cast<size_t>(lines.size()));
    std::vector<ValueKind> pendingKinds(static_cast<size_t>(lines.size()));
    std::vector<bool> dynamicDnsLines(static_cast<size_t>(lines.size()));
    ValueKind pendingKind = ValueKind::None;
    ClientRows clientRows(findings);
    for (qsizetype intLine = 0; intLine < lines.size(); ++intLine) {
        const QString& strLine = lines.at(intLine);
        std::vector<LabelledValue>& values = lineValues[static_cast<size_t>(intLine)];
        pendingKinds[static_cast<size_t>(intLine)] = pendingKind;
        values = ValuesOfLine(strLine, pendingKind);
        const QString strFolded = CaseFolded(strLine);
        StudyNames(strLine, strFolded, values, findings);
        dynamicDnsLines[static_cast<size_t>(intLine)] = IsDynamicDnsLine(strFolded);
        clientRows.AddLine(strLine, strFolded);
        pendingKind = NextPendingKind(strLine, pendingKind);
        // The labels that stand for a whole line replace it; a later one overrides an earlier one.
        QString& strFixed = fixedLines[static_cast<size_t>(intLine)];
        if (IsHardwareAddressLine(strLine, Qt::CaseSensitive))
            strFixed = strPhysicalAddressLine;
        if (strFolded.contains(strEthernetMacLabel))
            strFixed = strEthernetMacLine;
        if (strFolded.contains(strSsidLabel))
            strFixed = strSsidLine;
    }
    clientRows.Finish();
    for (const QString& strName : std::as_const(findings.setNames)) {
        findings.setNameViews.insert(QStringView(strName));
        findings.lngShortestName
            = findings.lngLongestName < 0 ? strName.size() : std::min(findings.lngShortestName, strName.size());
        findings.lngLongestName = std::max(findings.lngLongestName, strName.size());
    }

    QStringList masked;
    masked.reserve(lines.size());
    for (qsizetype intLine = 0; intLine < lines.size(); ++intLine) {
        const QString& strFixed = fixedLines[static_cast<size_t>(intLine)];
        if (strFixed.isNull()) {
            QString strMasked = MaskLine(lines.at(intLine), lineValues[static_cast<size_t>(intLine)],
                pendingKinds[static_cast<size_t>(intLine)], dynamicDnsLines[static_cast<size_t>(intLine)], findings);
            // A value that hid the all-zero address took away what spared the line.
            if (strMasked != lines.at(intLine) && IsHardwareAddressLine(strMasked, Qt::CaseSensitive))
                strMasked = strPhysicalAddressLine;
            masked << strMasked;
        } else {
            masked << strFixed;
        }
        StudyAddresses(masked.constLast(), findings);
    }
    SettleAddresses(findings);

    QStringList censored = masked;
    // A host name that embeds an address is hidden after the addresses are known; should hiding it
    // take away the label that exempted another address, that address is studied again.
    for (int intRound = 0; intRound < 4; ++intRound) {
        qsizetype lngEmbedding = 0;
        for (qsizetype intLine = 0; intLine < masked.size(); ++intLine)
            censored[intLine] = CensorAddresses(masked.at(intLine), findings, lngEmbedding);
        if (lngEmbedding == 0)
            break;
        // What is hidden stays hidden; the rest is studied as a second censoring would read it.
        const qsizetype lngHidden = findings.setAddresses.size();
        findings.setOwn = findings.setAddresses;
        findings.setUnmarked.clear();
        findings.setVersion.clear();
        for (const QString& strLine : std::as_const(censored))
            StudyAddresses(strLine, findings);
        SettleAddresses(findings);
        if (findings.setAddresses.size() == lngHidden)
            break;
    }
    return censored.join(strCrLf);
}

QString CensorMacAddresses(const QString& strText)
{
    QStringList lines = SplitPieces(strText, strCrLf, Qt::CaseSensitive);
    for (QString& strLine : lines) {
        // Localised and emulated listings write the label in other letter cases.
        if (IsHardwareAddressLine(strLine, Qt::CaseInsensitive)) {
            // The value is everything after the label's colon; a colon inside it (the colon
            // notation) belongs to the value.
            const qsizetype label = strLine.indexOf(QStringLiteral("Physical Address"), 0, Qt::CaseInsensitive);
            const qsizetype colon = strLine.indexOf(QLatin1Char(':'), label);
            if (colon >= 0) {
                const QString strValue = TrimSpaces(strLine.mid(colon + 1));
                if (!strValue.isEmpty()) {
                    const qsizetype start = strLine.indexOf(strValue, colon + 1);
                    strLine.replace(start, strValue.size(), strHardwareMask);
                }
            }
        }
        strLine = MaskIdentifiers(strLine);
    }
    return lines.join(strCrLf);
}
