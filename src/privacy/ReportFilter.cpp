#include "privacy/ReportFilter.h"

#include "privacy/AddressMatcher.h"
#include "readers/TextHelpers.h"

#include <QStringMatcher>
#include <QStringView>
#include <algorithm>
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

std::vector<QStringMatcher> CaseFoldedMatchers(const QStringList& texts)
{
    std::vector<QStringMatcher> matchers;
    for (const QString& strText : texts)
        matchers.emplace_back(strText.toCaseFolded(), Qt::CaseSensitive);
    return matchers;
}

bool ContainsAny(const QString& strFoldedLine, const std::vector<QStringMatcher>& matchers)
{
    return std::any_of(matchers.cbegin(), matchers.cend(),
        [&](const QStringMatcher& matcher) { return matcher.indexIn(strFoldedLine) >= 0; });
}

// Lines holding any of these (in any case) name public hosts, name servers, the network layout or
// the PC's own listing; their numbers are never collected for censoring.
bool HasExemptKeyword(const QString& strFoldedLine)
{
    static const std::vector<QStringMatcher> keywords
        = CaseFoldedMatchers(QStringLiteral("DNS^Subnet^Ping^Default Gateway^DHCP Server^"
                                            "IP Address. . . . . . . . . . . . :^http://")
                                 .split(QLatin1Char('^')));
    return ContainsAny(strFoldedLine, keywords);
}

// Lines that name a firmware, software or hardware version, the first thing a helper on the forum
// asks for. A marker counts at the start of a word or of a capitalised part ("FirmwareVersion"), not
// inside one ("conversion").
bool IsVersionLine(const QString& strLine, const QString& strFoldedLine)
{
    static const QStringList markers { QStringLiteral("Firmware"), QStringLiteral("Version"),
        QStringLiteral("Software"), QStringLiteral("F/W") };
    static const std::vector<QStringMatcher> foldedMarkers = CaseFoldedMatchers(markers);
    if (!ContainsAny(strFoldedLine, foldedMarkers))
        return false;
    for (const QString& strMarker : markers) {
        for (qsizetype at = strLine.indexOf(strMarker, 0, Qt::CaseInsensitive); at >= 0;
             at = strLine.indexOf(strMarker, at + 1, Qt::CaseInsensitive)) {
            if (at == 0 || !strLine.at(at - 1).isLetter())
                return true;
            if (strLine.at(at - 1).isLower() && strLine.at(at).isUpper())
                return true;
        }
    }
    return false;
}

bool IsHardwareAddressLine(const QString& strLine)
{
    return strLine.contains(QStringLiteral("Physical Address")) && !strLine.contains(strZeroHardwareAddress);
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
// colon) replaced by the mask; other lines come back unchanged.
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
    if (end == start)
        return strLine;
    QString strMasked = strLine;
    strMasked.replace(start, end - start, strDuidMask);
    return strMasked;
}

QString MaskIdentifiers(const QString& strLine)
{
    return MaskIpv6Addresses(MaskDuidLine(strLine));
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
        // A run glued to a word ("foo::bar", "fe80::1x") is not an address.
        if (!blnColonInFront && start > 0 && IsWordChar(strLine.at(start - 1)))
            continue;
        if (end == runEnd && end < strLine.size() && IsWordChar(strLine.at(end)))
            continue;
        const QStringView token = QStringView(strLine).mid(start, std::max<qsizetype>(0, end - start));
        if (token.count(QLatin1Char(':')) < 2 || !IsIpv6Address(token))
            continue;
        stretches.emplace_back(start, end);
    }
    return ReplaceStretches(strLine, stretches, strIpv6Mask);
}

QString MaskHardwareAddresses(const QString& strLine)
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
    return ReplaceStretches(strLine, stretches, strHardwareMask);
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

    QStringList lines = SplitPieces(strText, strCrLf, Qt::CaseSensitive);
    QStringList candidates;
    std::vector<bool> versionLines(static_cast<size_t>(lines.size()));
    for (qsizetype intLine = 0; intLine < lines.size(); ++intLine) {
        QString& strLine = lines[intLine];
        // Every test looks at the line as it came; a later replacement overrides an earlier one.
        const QString strOriginal = strLine;
        const QString strFolded = CaseFolded(strOriginal);
        if (IsHardwareAddressLine(strOriginal))
            strLine = strPhysicalAddressLine;
        if (strFolded.contains(strEthernetMacLabel))
            strLine = strEthernetMacLine;
        if (strFolded.contains(strSsidLabel))
            strLine = strSsidLine;
        strLine = MaskHardwareAddresses(MaskIdentifiers(strLine));
        if (!strOriginal.contains(QLatin1Char('.')) || FindDigit(strOriginal, false) == 0)
            continue;
        // A version line keeps its dotted numbers: they are neither collected nor hidden, unless
        // one of them is an address that another line names.
        if (IsVersionLine(strOriginal, strFolded))
            versionLines[static_cast<size_t>(intLine)] = true;
        else if (!HasExemptKeyword(strFolded)) {
            candidates += FindDottedNumbers(strOriginal);
            // A mask that took the edge of a number ("DUID: 0.0.2.1" loses its first digit to
            // the DUID mask) leaves the rest of it to be hidden as it now stands.
            if (strLine != strOriginal)
                candidates += FindDottedNumbers(strLine);
        }
    }

    // All candidates in one pass over each line. Where candidates overlap (one the front or the end
    // of another) the whole stretch is hidden, which hides at least what replacing them one by one
    // in any order would.
    const AddressMatcher matcher(candidates);
    if (!matcher.IsEmpty()) {
        for (qsizetype intLine = 0; intLine < lines.size(); ++intLine) {
            QString& strLine = lines[intLine];
            strLine = versionLines[static_cast<size_t>(intLine)] ? matcher.MaskWholeRuns(strLine, strAddressMask)
                                                                 : matcher.MaskOccurrences(strLine, strAddressMask);
        }
    }
    return lines.join(strCrLf);
}

QString CensorMacAddresses(const QString& strText)
{
    QStringList lines = SplitPieces(strText, strCrLf, Qt::CaseSensitive);
    for (QString& strLine : lines) {
        if (IsHardwareAddressLine(strLine)) {
            // The value runs from the first colon to the next one or the end of the line.
            const QString strMac = TrimSpaces(GetField(strLine, QStringLiteral(":"), 2));
            if (!strMac.isEmpty())
                strLine.replace(strMac, strHardwareMask, Qt::CaseSensitive);
        }
        strLine = MaskIdentifiers(strLine);
    }
    return lines.join(strCrLf);
}
