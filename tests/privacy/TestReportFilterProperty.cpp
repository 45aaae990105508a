#include "privacy/ReportFilter.h"
#include "support/TestRegistry.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>
#include <algorithm>
#include <utility>

namespace
{
// Words that make up log and status lines. None is a label of a kept address, a value or a version,
// a line-replacing label or a "|", so an address after them is hidden.
const QStringList& Words()
{
    static const QStringList words { "WAN", "LAN", "IP", "peer", "remote", "local", "session", "assigned", "up", "down",
        "route", "via", "from", "to", "PPP", "IPCP", "LCP", "lease", "renewed", "Tx", "Rx", "kbps", "v2", "port80",
        "NAT", "firewall", "drop", "accept", "Dropping", "Stopping", "Subnetting" };
    return words;
}

// Labels that say the address after them is the user's own.
const QStringList& OwnLabels()
{
    static const QStringList labels { "WAN IP", "peer", "remote", "local", "gateway", "Default Gateway",
        "SRC=", "DST=", "inet", "IP Address:", "http://", "PPP IP" };
    return labels;
}

// Labels of the addresses a helper needs: kept unless the address is the user's own elsewhere.
const QStringList& ExemptKeywords()
{
    static const QStringList keywords { "DNS", "dns", "Subnet", "Ping", "Pinging", "PING", "ping reply", "DHCP Server",
        "Name server:", "nameserver", "DNS servers:" };
    return keywords;
}

// Whether strAddress stands in strText as a number of its own (not the front of a longer one).
bool StandsIn(const QString& strText, const QString& strAddress)
{
    const QRegularExpression whole(
        QStringLiteral("(?<![0-9.])") + QRegularExpression::escape(strAddress) + QStringLiteral("(?!\\.?[0-9])"));
    return whole.match(strText).hasMatch();
}

// What may stand right before and right after an address: never a digit, and nothing after it that
// would join it to a longer number.
const QStringList& Before()
{
    static const QStringList before { " ", " ", "=", "(", "[", "<", ",", "ip:", "\t" };
    return before;
}

const QStringList& After()
{
    static const QStringList after { " ", " ", ")", "]", ">", ",", ";", ".", "/24", ":8080", "\t" };
    return after;
}

// One generated line and what censoring must make of it. An exempt line stays as it is unless a
// source stands in it, which is worked out once every source of the body is known.
struct GeneratedLine
{
    QString strText;
    QString strExpected;
    QString strVersion;
    bool blnExempt = false;
};

class Generator
{
public:
    explicit Generator(quint32 intSeed)
        : m_random(intSeed)
    { }

    int Between(int intLow, int intHigh) { return static_cast<int>(m_random.bounded(intLow, intHigh + 1)); }
    const QString& Pick(const QStringList& list) { return list.at(Between(0, static_cast<int>(list.size()) - 1)); }

    // A fresh address, or one that shares all but one digit at its front or end with an address of
    // this body, so that one is often the front or the end of another.
    QString Address()
    {
        QString strAddress;
        do
            strAddress = RelatedAddress();
        while (!IsAddress(strAddress));
        m_addresses << strAddress;
        return strAddress;
    }

    static bool IsAddress(const QString& strText)
    {
        const QStringList groups = strText.split(QLatin1Char('.'));
        return groups.size() == 4
            && std::all_of(groups.cbegin(), groups.cend(),
                [](const QString& strGroup) {
                    bool blnNumber = false;
                    const int intGroup = strGroup.toInt(&blnNumber);
                    return blnNumber && strGroup.size() <= 3 && intGroup <= 255;
                })
            && strText != QLatin1String("0.0.0.0") && !strText.startsWith(QLatin1String("255."));
    }

    QString RelatedAddress()
    {
        QString strAddress;
        if (m_addresses.isEmpty() || Between(0, 2) == 0) {
            strAddress = QStringLiteral("%1.%2.%3.%4")
                             .arg(Between(0, 255))
                             .arg(Between(0, 255))
                             .arg(Between(0, 255))
                             .arg(Between(0, 255));
        } else {
            strAddress = Pick(m_addresses);
            const auto IsDigitAt = [&](qsizetype at) { return strAddress.at(at).isDigit(); };
            switch (Between(0, 3)) {
            case 0:
                strAddress += QString::number(Between(0, 9));
                break;
            case 1:
                strAddress.prepend(QString::number(Between(1, 9)));
                break;
            case 2:
                if (IsDigitAt(1))
                    strAddress.remove(0, 1);
                break;
            default:
                if (IsDigitAt(strAddress.size() - 2))
                    strAddress.chop(1);
                break;
            }
        }
        return strAddress;
    }

    QString Words(int intMax)
    {
        QStringList words;
        for (int i = Between(0, intMax); i > 0; --i)
            words << Pick(::Words());
        return words.join(QLatin1Char(' '));
    }

    // A hardware address in any of its notations and either case, now and then the all-zero one that
    // stays; strMasked receives what censoring makes of it.
    QString HardwareAddress(QString& strMasked)
    {
        const bool blnZero = Between(0, 7) == 0;
        QStringList pairs;
        for (int i = 0; i < 6; ++i)
            pairs << QStringLiteral("%1").arg(blnZero ? 0 : Between(0, 255), 2, 16, QLatin1Char('0'));
        QString strAddress;
        switch (Between(0, 5)) {
        case 0:
        case 1:
            strAddress = pairs.join(Between(0, 1) == 0 ? QLatin1Char(':') : QLatin1Char('-'));
            break;
        case 2:
            // Dotted notations are told from numbers by a hexadecimal letter.
            if (!blnZero)
                pairs[5] = QStringLiteral("a") + pairs.at(5).at(1);
            strAddress = Between(0, 1) == 0 ? pairs.join(QLatin1Char('.'))
                                            : pairs.at(0) + pairs.at(1) + QLatin1Char('.') + pairs.at(2) + pairs.at(3)
                    + QLatin1Char('.') + pairs.at(4) + pairs.at(5);
            break;
        case 3:
            strAddress = pairs.join(QLatin1Char('_'));
            break;
        default:
            // Unpadded: the first group loses its leading digit.
            pairs[0] = pairs.at(0).right(1);
            strAddress = pairs.join(QLatin1Char(':'));
            break;
        }
        if (Between(0, 1) == 0)
            strAddress = strAddress.toUpper();
        const bool blnAllZero = std::all_of(pairs.cbegin(), pairs.cend(),
            [](const QString& p) { return p == QLatin1String("00") || p == QLatin1String("0"); });
        strMasked = blnAllZero ? strAddress : QStringLiteral("X-X-X-X-X-X");
        return strAddress;
    }

    // A log or status line with one to three addresses in it, one of them now and then before a
    // "|" or run together with the next address.
    GeneratedLine SourceLine(QStringList& sources)
    {
        static const QStringList prefixes { "", "", "Jan  1 00:00:12 ", "12:00:01 | ", "[kernel] ", "09:15:59 PPP " };
        GeneratedLine line;
        if (Between(0, 5) == 0) {
            const QString strAddress = Address();
            sources << strAddress;
            line.strText = strAddress + QStringLiteral(" | ");
            line.strExpected = QStringLiteral("<censored> | ");
        }
        const QString strHead = Pick(prefixes) + Words(3);
        line.strText += strHead;
        line.strExpected += strHead;
        for (int i = Between(1, 3); i > 0; --i) {
            const QString strNumber = Address();
            sources << strNumber;
            const QString strBefore
                = (Between(0, 1) == 0 ? QStringLiteral(" ") + Pick(OwnLabels()) : QString()) + Pick(Before());
            line.strText += strBefore + strNumber;
            line.strExpected += strBefore + QStringLiteral("<censored>");
            // A list shares the role of its first address.
            if (Between(0, 7) == 0) {
                const QString strNext = Address();
                sources << strNext;
                line.strText += QStringLiteral(", ") + strNext;
                line.strExpected += QStringLiteral(", <censored>");
            }
            if (i > 1 || Between(0, 3) > 0) {
                const QString strAfter = Pick(After()) + Words(2);
                line.strText += strAfter;
                line.strExpected += strAfter;
            }
        }
        if (Between(0, 3) == 0) {
            QString strMasked;
            const QString strAddress = HardwareAddress(strMasked);
            line.strText += QStringLiteral(" hw ") + strAddress;
            line.strExpected += QStringLiteral(" hw ") + strMasked;
        }
        return line;
    }

    GeneratedLine ExemptLine()
    {
        GeneratedLine line;
        // "ip:" would label the address anew.
        QString strBefore = Pick(Before());
        if (strBefore == QLatin1String("ip:"))
            strBefore = QStringLiteral(" ");
        line.strText
            = Words(2) + QLatin1Char(' ') + Pick(ExemptKeywords()) + strBefore + Address() + Pick(After()) + Words(2);
        line.blnExempt = true;
        return line;
    }

    // A line that names a version: its number (two to four dots) stays.
    GeneratedLine VersionLine(QStringList& versions)
    {
        static const QStringList heads { "Firmware: ", "Firmware Version: ", "Hardware Version: ", "Modem 2 firmware ",
            "sw version ", "F/W ", "Jan  1 00:00:04 | syslog | RS-2200 firmware ", "SoftwareVersion=" };
        static const QStringList tails { "", " loaded", ", build 12", " (current)" };
        QStringList parts;
        for (int i = Between(3, 5); i > 0; --i)
            parts << QString::number(Between(0, 99));
        const QString strVersion = parts.join(QLatin1Char('.'));
        versions << strVersion;
        GeneratedLine line;
        line.strText = Pick(heads) + strVersion + Pick(tails);
        line.strExpected = line.strText;
        line.strVersion = strVersion;
        return line;
    }

    GeneratedLine HardwareAddressLine()
    {
        static const QStringList heads { "Jan  1 00:02:12 | dhcpd | lease offered to client ",
            "Ethernet MAC:", "LAN physical address ", "arp: " };
        const QString strHead = Pick(heads);
        QString strMasked;
        const QString strAddress = HardwareAddress(strMasked);
        GeneratedLine line;
        line.strText = strHead + strAddress + QStringLiteral(" ok");
        line.strExpected = strHead + strMasked + QStringLiteral(" ok");
        return line;
    }

    // A wireless network name, key, user name, serial number or host name after its label, in one of
    // the layouts routers use; names receives the value, which is hidden wherever it stands.
    GeneratedLine NamedValueLine(QStringList& names)
    {
        struct Layout
        {
            const char* head;
            const char* tail;
            const char* mask;
            // What head and tail read as once censored, where they hold addresses of their own.
            const char* maskedHead = nullptr;
            const char* maskedTail = nullptr;
        };
        static const Layout layouts[] = { { "SSID: ", "", "<SSID censored>" },
            { "SSID = ", "  ch 6", "<SSID censored>" }, { "wlan0  ESSID:\"", "\"  Mode:Master", "<SSID censored>" },
            { "Network Name\t", "\t11n", "<SSID censored>" }, { "WPA Pre-Shared Key: ", "", "<censored>" },
            { "wl0_wpa_psk=", "", "<censored>" }, { "Serial Number: ", " (rev B)", "<censored>" },
            { "PPP Username = ", "", "<censored>" }, { "Host Name: ", "", "<censored>" },
            { "<td><b>Password:</b> ", "</td>", "<censored>" },
            // Client tables, the name beside the client's address and hardware address.
            { "<tr><td>", "</td><td>192.168.1.23</td><td>00:1a:2b:3c:4d:5e</td><td>23:59:59</td></tr>", "<censored>",
                nullptr, "</td><td><censored></td><td>X-X-X-X-X-X</td><td>23:59:59</td></tr>" },
            { "clients = [['", "','192.168.1.24','02:1A:3F:00:11:22']];", "<censored>", nullptr,
                "','<censored>','X-X-X-X-X-X']];" },
            { "192.168.1.25  00-1a-2b-3c-4d-5f  ", "  1 day", "<censored>", "<censored>  X-X-X-X-X-X  ", nullptr } };
        const Layout& layout = layouts[Between(0, static_cast<int>(std::size(layouts)) - 1)];
        static const QString strLetters = QStringLiteral("abcdefghjkmnpqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ");
        QString strValue = QStringLiteral("q");
        for (int i = Between(5, 9); i > 0; --i)
            strValue += Between(0, 3) == 0 ? QChar(u'0' + Between(0, 9)) : strLetters.at(Between(0, 45));
        names << strValue;
        GeneratedLine line;
        line.strText = QString::fromLatin1(layout.head) + strValue + QString::fromLatin1(layout.tail);
        line.strExpected = QString::fromLatin1(layout.maskedHead ? layout.maskedHead : layout.head)
            + QString::fromLatin1(layout.mask)
            + QString::fromLatin1(layout.maskedTail ? layout.maskedTail : layout.tail);
        return line;
    }

    // A log line that names a value given away elsewhere.
    GeneratedLine MentionLine(const QString& strName)
    {
        GeneratedLine line;
        line.strText = Words(2) + QStringLiteral(" [") + strName + QStringLiteral("] ") + Words(2);
        line.strExpected = line.strText;
        line.strExpected.replace(strName, QStringLiteral("<censored>"));
        return line;
    }

    // A line with numbers that are no addresses (at most two dots in a row of digits).
    GeneratedLine PlainLine()
    {
        const QString a = QString::number(Between(0, 99));
        const QString b = QString::number(Between(0, 99));
        const QString c = QString::number(Between(0, 99));
        GeneratedLine line;
        switch (Between(0, 4)) {
        case 0:
            line.strText = QStringLiteral("SNR Margin: %1.%2dB DOWN, %3.%1dB UP").arg(a, b, c);
            break;
        case 1:
            line.strText = QStringLiteral("Rate %1 kbps / %2 kbps").arg(a, b);
            break;
        case 2:
            line.strText = QStringLiteral("Uptime %1:%2:%3").arg(a, b, c);
            break;
        case 3:
            line.strText = QStringLiteral("Modulation G.%1.%2").arg(a, b);
            break;
        default:
            break;
        }
        line.strExpected = line.strText;
        return line;
    }

    void StartBody() { m_addresses.clear(); }

private:
    QRandomGenerator m_random;
    QStringList m_addresses;
};
} // namespace

class TestReportFilterProperty : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void noSourceAddressSurvives();
    void censorOffNeverChangesABody();
};

void TestReportFilterProperty::noSourceAddressSurvives()
{
    Generator random(20240611);
    for (int intCase = 0; intCase < 600; ++intCase) {
        random.StartBody();
        QList<GeneratedLine> lines;
        QStringList sources;
        QStringList versions;
        QStringList names;
        for (int i = random.Between(1, 14); i > 0; --i) {
            switch (random.Between(0, 8)) {
            case 7:
                lines << random.NamedValueLine(names);
                break;
            case 8:
                lines << (names.isEmpty() ? random.PlainLine() : random.MentionLine(random.Pick(names)));
                break;
            case 0:
            case 1:
            case 2:
                lines << random.SourceLine(sources);
                break;
            case 3:
                lines << random.ExemptLine();
                break;
            case 4:
                lines << random.VersionLine(versions);
                break;
            case 5:
                lines << random.HardwareAddressLine();
                break;
            default:
                lines << random.PlainLine();
                break;
            }
        }
        // A version that is the user's own address elsewhere is hidden as that address; one that only
        // an unmarked line repeats stays.
        if (!versions.isEmpty() && random.Between(0, 2) == 0) {
            const QString strVersion = random.Pick(versions);
            GeneratedLine line;
            if (Generator::IsAddress(strVersion) && random.Between(0, 1) == 0) {
                sources << strVersion;
                line.strText = QStringLiteral("WAN IP ") + strVersion + QStringLiteral(" up");
                line.strExpected = QStringLiteral("WAN IP <censored> up");
            } else {
                line.strText = QStringLiteral("boot ") + strVersion + QStringLiteral(" ok");
                line.strExpected = line.strText;
            }
            lines << line;
        }
        // Exempt lines often repeat an address that a source line names (a pinged gateway).
        if (!sources.isEmpty() && random.Between(0, 1) == 1) {
            GeneratedLine line;
            line.strText = QStringLiteral("Ping ") + random.Pick(sources) + QStringLiteral(" = PASS");
            line.blnExempt = true;
            lines << line;
        }

        QStringList body;
        QStringList expected;
        for (GeneratedLine& line : lines) {
            if (line.blnExempt) {
                const bool blnHit = std::any_of(sources.cbegin(), sources.cend(),
                    [&](const QString& strSource) { return StandsIn(line.strText, strSource); });
                line.strExpected = blnHit ? QString() : line.strText;
            }
            // A version that is itself an address named elsewhere is hidden as that address.
            if (!line.strVersion.isEmpty() && sources.contains(line.strVersion))
                line.strExpected.replace(line.strVersion, QStringLiteral("<censored>"));
            body << line.strText;
            expected << line.strExpected;
        }
        const QString strBody = body.join(QStringLiteral("\r\n"));
        const QString strFiltered = FilterReport(strBody, 1);
        const QString strContext = QStringLiteral("case %1:\n%2\n=>\n%3").arg(intCase).arg(strBody, strFiltered);

        for (const QString& strSource : std::as_const(sources))
            QVERIFY2(
                !StandsIn(strFiltered, strSource), qPrintable(strSource + QStringLiteral(" left in ") + strContext));
        for (const QString& strName : std::as_const(names))
            QVERIFY2(!strFiltered.contains(strName), qPrintable(strName + QStringLiteral(" left in ") + strContext));
        for (const QString& strVersion : std::as_const(versions)) {
            if (!sources.contains(strVersion) && !sources.contains(strVersion.section(QLatin1Char('.'), 0, 3)))
                QVERIFY2(strFiltered.contains(strVersion),
                    qPrintable(strVersion + QStringLiteral(" lost in ") + strContext));
        }
        // A second censoring finds nothing the first one left.
        QVERIFY2(
            FilterReport(strFiltered, 1) == strFiltered, qPrintable(QStringLiteral("censored again: ") + strContext));
        // Sources hidden whole on their own lines, versions, hardware addresses and every other line
        // as described: nothing else changes.
        const QStringList filteredLines = strFiltered.split(QStringLiteral("\r\n"));
        QCOMPARE(filteredLines.size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i)
            QVERIFY2(expected.at(i).isNull() || filteredLines.at(i) == expected.at(i),
                qPrintable(QStringLiteral("line %1 should read ").arg(i + 1) + expected.at(i) + QStringLiteral(" in ")
                    + strContext));
    }
}

void TestReportFilterProperty::censorOffNeverChangesABody()
{
    Generator random(7);
    for (int intCase = 0; intCase < 100; ++intCase) {
        QStringList addresses;
        const QString strBody = random.SourceLine(addresses).strText
            + QStringLiteral("\r\nPhysical Address. : 00-0C-29-AA-BB-CC\r\n") + random.ExemptLine().strText
            + QStringLiteral("\r\nSSID=x\r\n") + random.VersionLine(addresses).strText + QStringLiteral("\r\n")
            + random.HardwareAddressLine().strText;
        QCOMPARE(FilterReport(strBody, 0), strBody);
    }
}

QUORVANE_REGISTER_TEST(TestReportFilterProperty)
#include "TestReportFilterProperty.moc"
