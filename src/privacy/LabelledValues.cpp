#include "privacy/LabelledValues.h"

#include <QSet>
#include <QStringList>
#include <QStringView>
#include <algorithm>
#include <string_view>

namespace
{
// Labels and the words before an address are looked for this far back, no further, which keeps a
// line of any length linear.
constexpr qsizetype lngLookBack = 160;
constexpr qsizetype lngLongestTag = 200;
constexpr int intLabelWords = 3;

bool IsBlank(QChar ch)
{
    return ch == QLatin1Char(' ') || ch == QLatin1Char('\t');
}

bool IsHexDigit(QChar ch)
{
    const char16_t c = ch.unicode();
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool IsWordChar(QChar ch)
{
    return ch.isLetterOrNumber() || ch == QLatin1Char('_');
}

// Characters that may stand inside a word between two word characters ("pre-shared", "www.example.com",
// "f/w", "smith@isp.example").
bool IsInnerChar(QChar ch)
{
    return ch == QLatin1Char('-') || ch == QLatin1Char('.') || ch == QLatin1Char('@') || ch == QLatin1Char('/');
}

// The start of the tag that ends at position end - 1 (a ">"), or -1.
qsizetype TagStartBefore(const QString& strLine, qsizetype end)
{
    for (qsizetype i = end - 2; i >= 0 && end - i <= lngLongestTag; --i) {
        if (strLine.at(i) == QLatin1Char('<'))
            return i;
        if (strLine.at(i) == QLatin1Char('>'))
            return -1;
    }
    return -1;
}

// The end of the tag that starts at position start (a "<"), or -1.
qsizetype TagEndAfter(const QString& strLine, qsizetype start)
{
    for (qsizetype i = start + 1; i < strLine.size() && i - start <= lngLongestTag; ++i) {
        if (strLine.at(i) == QLatin1Char('>'))
            return i + 1;
        if (strLine.at(i) == QLatin1Char('<'))
            return -1;
    }
    return -1;
}

// The masks that censoring leaves look like tags, but stand for a value.
bool IsMaskTag(QStringView tag)
{
    return tag == QLatin1String("<censored>") || tag == QLatin1String("<SSID censored>");
}

// Where the last dotted number of three dots or more (an address, or a longer run that may hold one)
// inside a word ends, or -1.
qsizetype EndOfLastDottedNumber(QStringView word)
{
    qsizetype lngEnd = -1;
    qsizetype i = 0;
    while (i < word.size()) {
        if (!word.at(i).isDigit()) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        int intDots = 0;
        while (i < word.size() && (word.at(i).isDigit() || word.at(i) == QLatin1Char('.'))) {
            intDots += word.at(i) == QLatin1Char('.') ? 1 : 0;
            ++i;
        }
        qsizetype end = i;
        while (end > start && word.at(end - 1) == QLatin1Char('.')) {
            --end;
            --intDots;
        }
        if (intDots >= 3)
            lngEnd = end;
    }
    return lngEnd;
}

// The next cell of a table's heading row ("Host Name</th><th>IP Address") is no value.
bool IsColumnHeading(QStringView value)
{
    static const QSet<QString> headings { "ip", "ip address", "ipv4 address", "ipv6 address", "address", "mac",
        "mac address", "hardware address", "physical address", "status", "type", "interface", "expires", "lease",
        "lease time", "time left", "name", "host name", "hostname", "device", "device name", "port", "ssid", "channel",
        "security", "signal" };
    return value.size() <= 16 && headings.contains(value.toString().toCaseFolded());
}

// The words that end before position end, closest first, at most intMax of them, read back over
// blanks, punctuation and tags. A word without a letter (a number, an address) ends the list and is
// returned as an empty text.
QStringList WordsBefore(const QString& strLine, qsizetype end, int intMax, qsizetype lngFloor = 0)
{
    QStringList words;
    const qsizetype lngLimit = std::max<qsizetype>(lngFloor, end - lngLookBack);
    qsizetype i = end;
    while (words.size() < intMax && i > lngLimit) {
        const QChar ch = strLine.at(i - 1);
        if (ch == QLatin1Char('>')) {
            const qsizetype tag = TagStartBefore(strLine, i);
            if (tag >= 0 && IsMaskTag(QStringView(strLine).mid(tag, i - tag))) {
                words << QString();
                break;
            }
            i = tag >= 0 ? tag : i - 1;
            continue;
        }
        // A label never reaches back over a line break or another control character.
        if (ch < QLatin1Char(' ') && ch != QLatin1Char('\t')) {
            words << QString();
            break;
        }
        if (!IsWordChar(ch)) {
            --i;
            continue;
        }
        const qsizetype wordEnd = i;
        while (i > lngLimit) {
            const QChar chBefore = strLine.at(i - 1);
            if (IsWordChar(chBefore) || (IsInnerChar(chBefore) && i >= 2 && IsWordChar(strLine.at(i - 2))))
                --i;
            else
                break;
        }
        QStringView word = QStringView(strLine).mid(i, wordEnd - i);
        // A dotted number glued to letters ("boot3.60.2.1") is a number of its own, as it is once
        // hidden: only the letters after it are a word, without the dot or dash that joined them
        // ("3.60.2.1.SSID" reads as "<censored>.SSID" does).
        const qsizetype glued = EndOfLastDottedNumber(word);
        if (glued > 0) {
            word = word.mid(glued);
            while (!word.isEmpty() && !IsWordChar(word.front()))
                word = word.mid(1);
        }
        bool blnHasLetter = false;
        for (const QChar c : word)
            blnHasLetter = blnHasLetter || c.isLetter();
        if (blnHasLetter)
            words << word.toString();
        if (!blnHasLetter || glued > 0) {
            if (words.size() < intMax)
                words << QString();
            return words;
        }
    }
    // What stands before the floor (a value found earlier) is no label word: it ends the list as the
    // mask that will stand there does.
    if (lngFloor > 0 && i <= lngFloor && words.size() < intMax && (words.isEmpty() || !words.constLast().isNull()))
        words << QString();
    return words;
}

// A word split into its lower-case parts at "_" and at the start of each capitalised part
// ("wl0_ssid" gives "wl", "ssid"; "PPPUserName" gives "ppp", "user", "name"), digits at the end of a
// part dropped ("dns1", "WPA2").
QStringList WordParts(const QString& strWord)
{
    QStringList parts;
    // Written in mixed case by custom, but one word.
    if (strWord.compare(QLatin1String("HWaddr"), Qt::CaseInsensitive) == 0)
        return { strWord.toLower() };
    const QStringView word(strWord);
    qsizetype start = 0;
    // Ends the part that began at start: its digits at the end dropped, unless it is all one digit.
    const auto Close = [&](qsizetype end) {
        while (end - start > 1 && word.at(end - 1).isDigit())
            --end;
        if (end > start)
            parts << word.mid(start, end - start).toString().toLower();
    };
    for (qsizetype i = 0; i < word.size(); ++i) {
        const QChar ch = word.at(i);
        if (ch == QLatin1Char('_')) {
            Close(i);
            start = i + 1;
        } else if (ch.isUpper() && i > start) {
            const QChar chBefore = word.at(i - 1);
            const bool blnNextLower = i + 1 < word.size() && word.at(i + 1).isLower();
            if (chBefore.isLower() || chBefore.isDigit() || (chBefore.isUpper() && blnNextLower)) {
                Close(i);
                start = i;
            }
        }
    }
    Close(word.size());
    return parts;
}

// The parts of the words before a position, in reading order.
QStringList PartsOf(const QStringList& wordsClosestFirst)
{
    QStringList parts;
    for (auto it = wordsClosestFirst.crbegin(); it != wordsClosestFirst.crend(); ++it) {
        if (!it->isEmpty())
            parts += WordParts(*it);
    }
    return parts;
}

ValueKind KindOfLabel(const QStringList& parts)
{
    if (parts.isEmpty())
        return ValueKind::None;
    static const QSet<QString> networkNames { "ssid", "essid" };
    static const QSet<QString> networkNameHeads { "network", "wireless", "wlan", "wifi" };
    static const QSet<QString> secrets { "password", "passwd", "pwd", "passphrase", "psk", "wpapsk", "secret" };
    static const QSet<QString> keyHeads { "wpa", "wep", "network", "security", "wireless", "shared", "pre-shared",
        "preshared", "encryption", "psk", "wifi", "wlan" };
    static const QSet<QString> userNames { "username", "userid", "user" };
    static const QSet<QString> userNameHeads { "user", "login", "account" };
    static const QSet<QString> hostNameHeads { "host", "device", "client", "computer" };
    static const QSet<QString> serials { "serial", "serialnumber", "serialno", "sn", "s/n" };
    static const QSet<QString> serialTails { "number", "no", "num" };
    static const QSet<QString> hardware { "mac", "hwaddr", "bssid", "lladdr", "macaddr", "macaddress", "ether" };
    static const QSet<QString> hardwareHeads { "mac", "hardware", "physical", "ethernet", "hw" };
    const QString& strLast = parts.last();
    const QString strHead = parts.size() >= 2 ? parts.at(parts.size() - 2) : QString();
    if (networkNames.contains(strLast))
        return ValueKind::NetworkName;
    if (secrets.contains(strLast) || (strLast == QLatin1String("phrase") && strHead == QLatin1String("pass")))
        return ValueKind::Secret;
    if (strLast == QLatin1String("key") && (parts.size() == 1 || keyHeads.contains(strHead)))
        return ValueKind::Secret;
    if (userNames.contains(strLast) || (strLast == QLatin1String("id") && strHead == QLatin1String("user")))
        return ValueKind::UserName;
    if (strLast == QLatin1String("hostname"))
        return ValueKind::HostName;
    if (strLast == QLatin1String("name")) {
        if (networkNameHeads.contains(strHead))
            return ValueKind::NetworkName;
        if (userNameHeads.contains(strHead))
            return ValueKind::UserName;
        if (hostNameHeads.contains(strHead))
            return ValueKind::HostName;
    }
    if (serials.contains(strLast) || (serialTails.contains(strLast) && strHead == QLatin1String("serial")))
        return ValueKind::SerialNumber;
    if (hardware.contains(strLast)
        || ((strLast == QLatin1String("address") || strLast == QLatin1String("addr"))
            && hardwareHeads.contains(strHead)))
        return ValueKind::HardwareAddress;
    return ValueKind::None;
}

// A quick test that spares most separators the reading of words: whether the letters before
// position end (blanks, punctuation, tags and an index number skipped) end in the last word of a
// label.
bool MayEndInLabel(const QString& strLine, qsizetype end)
{
    static const char* const endings[]
        = { "ssid", "password", "passwd", "pwd", "phrase", "psk", "secret", "key", "name", "user", "id", "serial",
              "number", "no", "num", "sn", "s/n", "mac", "addr", "address", "bssid", "ether" };
    qsizetype i = end;
    const qsizetype limit = std::max<qsizetype>(0, end - lngLookBack);
    while (i > limit) {
        const QChar ch = strLine.at(i - 1);
        if (ch == QLatin1Char('>')) {
            const qsizetype tag = TagStartBefore(strLine, i);
            if (tag < 0)
                return false;
            i = tag;
        } else if (IsBlank(ch) || ch == QLatin1Char(':') || ch == QLatin1Char('.') || ch == QLatin1Char('"')
            || ch == QLatin1Char('\'') || ch.isDigit()) {
            --i;
        } else {
            break;
        }
    }
    char letters[16];
    int intCount = 0;
    while (i > 0 && intCount < 16) {
        const char16_t c = strLine.at(i - 1).unicode();
        const bool blnLetter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'/';
        if (!blnLetter)
            break;
        letters[15 - intCount++] = static_cast<char>(c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c);
        --i;
    }
    const std::string_view word(letters + 16 - intCount, static_cast<size_t>(intCount));
    for (const char* ending : endings) {
        const std::string_view strEnding(ending);
        if (word.size() >= strEnding.size() && word.substr(word.size() - strEnding.size()) == strEnding)
            return true;
    }
    return false;
}

bool IsSeparatorAt(const QString& strLine, qsizetype i)
{
    const QChar ch = strLine.at(i);
    if (ch == QLatin1Char('=') || ch == QLatin1Char('\t'))
        return true;
    if (ch == QLatin1Char(' '))
        return i + 1 < strLine.size() && strLine.at(i + 1) == QLatin1Char(' ');
    if (ch == QLatin1Char('<'))
        return TagEndAfter(strLine, i) >= 0;
    if (ch != QLatin1Char(':') || i == 0)
        return false;
    // Not the colons of a time, an IPv6 address or a hardware address.
    if (i + 1 < strLine.size() && strLine.at(i + 1) == QLatin1Char(':'))
        return false;
    const QChar chBefore = strLine.at(i - 1);
    if (chBefore == QLatin1Char(':'))
        return false;
    if (chBefore.isDigit())
        return i >= 2 && strLine.at(i - 2).isLetter();
    return true;
}

// Skips blanks, separators, tags and an opening quote from position i onwards.
qsizetype ValueStart(const QString& strLine, qsizetype i)
{
    while (i < strLine.size()) {
        const QChar ch = strLine.at(i);
        if (IsBlank(ch) || ch == QLatin1Char(':') || ch == QLatin1Char('=')) {
            ++i;
            continue;
        }
        if (ch == QLatin1Char('<')) {
            const qsizetype tagEnd = TagEndAfter(strLine, i);
            if (tagEnd < 0 || IsMaskTag(QStringView(strLine).mid(i, tagEnd - i)))
                return i;
            i = tagEnd;
            continue;
        }
        return i;
    }
    return i;
}

// Twelve hexadecimal digits in groups joined by one blank, ":", ".", "-" or "_" each, from start;
// the end of the last group, or start when there are none.
qsizetype HardwareValueEnd(const QString& strLine, qsizetype start)
{
    int intDigits = 0;
    bool blnNonZero = false;
    qsizetype i = start;
    qsizetype end = start;
    while (i < strLine.size() && intDigits < 12) {
        qsizetype groupEnd = i;
        while (groupEnd < strLine.size() && IsHexDigit(strLine.at(groupEnd)) && intDigits < 12) {
            blnNonZero = blnNonZero || strLine.at(groupEnd) != QLatin1Char('0');
            ++groupEnd;
            ++intDigits;
        }
        if (groupEnd == i)
            break;
        end = groupEnd;
        i = groupEnd;
        if (intDigits < 12 && i + 1 < strLine.size() && QStringView(u" :.-_").contains(strLine.at(i))
            && IsHexDigit(strLine.at(i + 1)))
            ++i;
        else
            break;
    }
    // The all-zero address identifies nothing and stays, as everywhere.
    const bool blnChainGoesOn = end + 1 < strLine.size() && QStringView(u" :.-_").contains(strLine.at(end))
        && IsHexDigit(strLine.at(end + 1)) && strLine.at(end) != QLatin1Char(' ');
    if (intDigits != 12 || !blnNonZero || blnChainGoesOn || (end < strLine.size() && IsWordChar(strLine.at(end))))
        return start;
    return end;
}
} // namespace

LabelledValue ValueAt(const QString& strLine, qsizetype start, ValueKind kind)
{
    LabelledValue value { start, start, kind };
    if (start >= strLine.size())
        return value;
    const QChar chFirst = strLine.at(start);
    if (chFirst == QLatin1Char('<') || chFirst == QLatin1Char('*'))
        return value;
    if (kind == ValueKind::HardwareAddress) {
        value.end = HardwareValueEnd(strLine, start);
        return value;
    }
    if (chFirst == QLatin1Char('"') || chFirst == QLatin1Char('\'')) {
        qsizetype close = strLine.indexOf(chFirst, start + 1);
        if (close < 0)
            close = strLine.size();
        if (close > start + 1 && strLine.at(start + 1) != QLatin1Char('<'))
            value = { start + 1, close, kind };
        else
            value = { start + 1, start + 1, kind };
        return value;
    }
    qsizetype end = start;
    if (kind == ValueKind::NetworkName) {
        while (end < strLine.size()) {
            const QChar ch = strLine.at(end);
            if (ch == QLatin1Char('\t') || ch == QLatin1Char('<') || ch == QLatin1Char('"')
                || (ch == QLatin1Char(' ') && end + 1 < strLine.size() && strLine.at(end + 1) == QLatin1Char(' ')))
                break;
            ++end;
        }
        while (end > start && strLine.at(end - 1) == QLatin1Char(' '))
            --end;
    } else {
        static const QString strStops = QStringLiteral("<>\"',;()[]{}|");
        while (end < strLine.size() && !strLine.at(end).isSpace() && !strStops.contains(strLine.at(end)))
            ++end;
        while (end > start && (strLine.at(end - 1) == QLatin1Char('.') || strLine.at(end - 1) == QLatin1Char(':')))
            --end;
    }
    // A value that is a mask already (a second filtering) is no value.
    if (QStringView(strLine).mid(start, end - start).startsWith(QLatin1String("X-X")))
        end = start;
    value.end = end;
    return value;
}

std::vector<LabelledValue> FindLabelledValues(const QString& strLine, qsizetype lngFrom)
{
    std::vector<LabelledValue> values;
    qsizetype lngLastValueEnd = lngFrom;
    qsizetype i = lngFrom;
    while (i < strLine.size()) {
        // A hardware address label may be followed by its value after a single blank ("HWaddr 00 1A ...").
        const bool blnSingleBlank = strLine.at(i) == QLatin1Char(' ') && i + 1 < strLine.size()
            && IsHexDigit(strLine.at(i + 1)) && i > 0 && strLine.at(i - 1).isLetter();
        if (!blnSingleBlank && !IsSeparatorAt(strLine, i)) {
            ++i;
            continue;
        }
        // A short index after the label ("WEP Key 1 = ...") belongs to the label.
        qsizetype labelEnd = i;
        while (labelEnd > 0 && IsBlank(strLine.at(labelEnd - 1)))
            --labelEnd;
        qsizetype digits = labelEnd;
        while (digits > 0 && strLine.at(digits - 1).isDigit() && labelEnd - digits < 3)
            --digits;
        if (digits < labelEnd && digits > 0 && IsBlank(strLine.at(digits - 1)))
            labelEnd = digits;
        // A value is no label ("SSID = qhQLSn51  ch 6" names no serial number).
        if (lngLastValueEnd > 0 && labelEnd <= lngLastValueEnd) {
            ++i;
            continue;
        }
        const ValueKind kind = MayEndInLabel(strLine, labelEnd)
            ? KindOfLabel(PartsOf(WordsBefore(strLine, labelEnd, intLabelWords, lngLastValueEnd)))
            : ValueKind::None;
        if (kind == ValueKind::None || (blnSingleBlank && kind != ValueKind::HardwareAddress)) {
            ++i;
            continue;
        }
        const LabelledValue value = ValueAt(strLine, ValueStart(strLine, i), kind);
        if (value.end > value.start
            && !IsColumnHeading(QStringView(strLine).mid(value.start, value.end - value.start))) {
            values.push_back(value);
            lngLastValueEnd = value.end;
            i = value.end;
        } else {
            ++i;
        }
    }
    return values;
}

ValueKind BareLabelKind(const QString& strLine)
{
    qsizetype end = strLine.size();
    while (end > 0 && (IsBlank(strLine.at(end - 1)) || strLine.at(end - 1) == QLatin1Char(':')))
        --end;
    qsizetype start = 0;
    while (start < end && IsBlank(strLine.at(start)))
        ++start;
    if (start == end || end - start > 40)
        return ValueKind::None;
    const QStringView text = QStringView(strLine).mid(start, end - start);
    for (const QChar ch : text) {
        if (!IsWordChar(ch) && ch != QLatin1Char(' ') && !IsInnerChar(ch))
            return ValueKind::None;
    }
    const QStringList words = WordsBefore(strLine, end, intLabelWords + 1);
    if (words.size() > intLabelWords || words.contains(QString()))
        return ValueKind::None;
    return KindOfLabel(PartsOf(words));
}

AddressRole RoleOfAddressAt(const QString& strLine, qsizetype start)
{
    // Glued to a "v": a version ("v3.60.2.1").
    if (start >= 1 && (strLine.at(start - 1) == QLatin1Char('v') || strLine.at(start - 1) == QLatin1Char('V'))
        && (start == 1 || !strLine.at(start - 2).isLetter()))
        return AddressRole::Version;
    static const QString strIpConfigLabel = QStringLiteral("IP Address. . . . . . . . . . . . :");
    qsizetype labelEnd = start;
    while (labelEnd > 0 && strLine.at(labelEnd - 1) == QLatin1Char(' '))
        --labelEnd;
    if (QStringView(strLine).left(labelEnd).endsWith(strIpConfigLabel, Qt::CaseInsensitive))
        return AddressRole::Public;

    static const QSet<QString> versions { "version", "ver", "firmware", "fw", "f/w", "software", "sw", "build",
        "bootloader", "loader", "image", "code", "revision", "rev", "release", "driver", "hardware", "hw" };
    static const QSet<QString> publics { "dns", "nameserver", "nameservers", "subnet", "mask", "netmask", "submask",
        "subnetmask", "ping", "pinging", "pinged", "ntp", "sntp", "resolver" };
    static const QSet<QString> serverHeads { "name", "time", "dhcp" };
    static const QSet<QString> owns { "wan", "local", "remote", "peer", "gateway", "gw", "inet", "src", "dst",
        "assigned", "public", "external" };
    // Words that say "an address" without saying whose: the words before them decide.
    static const QSet<QString> generic { "ip", "ipv", "address", "addr", "ips", "addresses" };
    static const QSet<QString> servers { "server", "servers" };

    const QStringList words = WordsBefore(strLine, start, intLabelWords);
    bool blnGeneric = false;
    for (qsizetype w = 0; w < words.size(); ++w) {
        if (words.at(w).isEmpty())
            break;
        const QStringList parts = WordParts(words.at(w));
        for (qsizetype p = parts.size() - 1; p >= 0; --p) {
            const QString& strPart = parts.at(p);
            const bool blnClosest = w == 0 && p == parts.size() - 1;
            if (blnClosest && versions.contains(strPart))
                return AddressRole::Version;
            if (publics.contains(strPart))
                return AddressRole::Public;
            if (servers.contains(strPart)) {
                QString strHead = p > 0 ? parts.at(p - 1) : QString();
                if (p == 0 && w + 1 < words.size() && !words.at(w + 1).isEmpty())
                    strHead = WordParts(words.at(w + 1)).value(WordParts(words.at(w + 1)).size() - 1);
                if (serverHeads.contains(strHead) || publics.contains(strHead))
                    return AddressRole::Public;
                continue;
            }
            if (owns.contains(strPart))
                return AddressRole::Own;
            if (generic.contains(strPart))
                blnGeneric = true;
        }
    }
    return blnGeneric ? AddressRole::Own : AddressRole::Unmarked;
}
