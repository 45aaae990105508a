#include "privacy/ReportFilter.h"
#include "support/TestRegistry.h"

#include <QRandomGenerator>
#include <QTest>
#include <algorithm>
#include <utility>

namespace
{
// Words that make up log and status lines. None holds an exempt keyword, a line-replacing label or
// a "|", so the lines built from them are sources of addresses.
const QStringList& Words()
{
    static const QStringList words { "WAN", "LAN", "IP", "peer", "remote", "local", "session", "assigned", "up", "down",
        "route", "via", "from", "to", "PPP", "IPCP", "LCP", "lease", "renewed", "Tx", "Rx", "kbps", "v2", "port80",
        "NAT", "firewall", "drop", "accept" };
    return words;
}

const QStringList& ExemptKeywords()
{
    static const QStringList keywords { "DNS", "dns", "Subnet", "Ping", "Pinging", "PING", "ping reply",
        "Default Gateway", "DHCP Server", "http://" };
    return keywords;
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

class Generator
{
public:
    explicit Generator(quint32 intSeed)
        : m_random(intSeed)
    { }

    int Between(int intLow, int intHigh) { return static_cast<int>(m_random.bounded(intLow, intHigh + 1)); }
    const QString& Pick(const QStringList& list) { return list.at(Between(0, static_cast<int>(list.size()) - 1)); }

    QString Address()
    {
        return QStringLiteral("%1.%2.%3.%4")
            .arg(Between(0, 255))
            .arg(Between(0, 255))
            .arg(Between(0, 255))
            .arg(Between(0, 255));
    }

    QString Words(int intMax)
    {
        QStringList words;
        for (int i = Between(0, intMax); i > 0; --i)
            words << Pick(::Words());
        return words.join(QLatin1Char(' '));
    }

    // A log or status line with one to three addresses in it.
    QString SourceLine(QStringList& addresses)
    {
        static const QStringList prefixes { "", "", "Jan  1 00:00:12 ", "12:00:01 | ", "[kernel] ", "09:15:59 PPP " };
        QString strLine = Pick(prefixes) + Words(3);
        for (int i = Between(1, 3); i > 0; --i) {
            const QString strAddress = Address();
            addresses << strAddress;
            strLine += Pick(Before()) + strAddress;
            if (i > 1 || Between(0, 3) > 0)
                strLine += Pick(After()) + Words(2);
        }
        return strLine;
    }

    QString ExemptLine(QStringList& addresses)
    {
        const QString strAddress = Address();
        addresses << strAddress;
        return Words(2) + QLatin1Char(' ') + Pick(ExemptKeywords()) + Pick(Before()) + strAddress + Pick(After())
            + Words(2);
    }

    // A line with numbers that are no addresses (at most two dots in a row of digits).
    QString PlainLine()
    {
        const QString a = QString::number(Between(0, 99));
        const QString b = QString::number(Between(0, 99));
        const QString c = QString::number(Between(0, 99));
        switch (Between(0, 5)) {
        case 0:
            return QStringLiteral("SNR Margin: %1.%2dB DOWN, %3.%1dB UP").arg(a, b, c);
        case 1:
            return QStringLiteral("Rate %1 kbps / %2 kbps").arg(a, b);
        case 2:
            return QStringLiteral("Uptime %1:%2:%3").arg(a, b, c);
        case 3:
            return QStringLiteral("Modulation G.%1.%2").arg(a, b);
        case 4:
            return QStringLiteral("Firmware %1.%2.%3").arg(a, b, c);
        default:
            return QString();
        }
    }

private:
    QRandomGenerator m_random;
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
    for (int intCase = 0; intCase < 400; ++intCase) {
        QStringList lines;
        QStringList sources;
        QStringList exempt;
        QList<int> plainLines;
        for (int i = random.Between(1, 12); i > 0; --i) {
            switch (random.Between(0, 3)) {
            case 0:
            case 1:
                lines << random.SourceLine(sources);
                break;
            case 2:
                lines << random.ExemptLine(exempt);
                break;
            default:
                plainLines << static_cast<int>(lines.size());
                lines << random.PlainLine();
                break;
            }
        }
        // Exempt lines often repeat an address that a source line names (a pinged gateway).
        if (!sources.isEmpty() && random.Between(0, 1) == 1)
            lines << QStringLiteral("Ping ") + random.Pick(sources) + QStringLiteral(" = PASS");

        const QString strBody = lines.join(QStringLiteral("\r\n"));
        const QString strFiltered = FilterReport(strBody, 1);
        const QString strContext = QStringLiteral("case %1:\n%2\n=>\n%3").arg(intCase).arg(strBody, strFiltered);

        for (const QString& strAddress : std::as_const(sources))
            QVERIFY2(
                !strFiltered.contains(strAddress), qPrintable(strAddress + QStringLiteral(" left in ") + strContext));

        // An exempt address stays unless a censored address is part of it.
        for (const QString& strAddress : std::as_const(exempt)) {
            const bool blnHit = std::any_of(sources.cbegin(), sources.cend(),
                [&](const QString& strSource) { return strAddress.contains(strSource); });
            if (!blnHit)
                QVERIFY2(strFiltered.contains(strAddress),
                    qPrintable(strAddress + QStringLiteral(" lost in ") + strContext));
        }

        // Censoring never adds or removes lines, and lines without addresses stay as they were.
        const QStringList filteredLines = strFiltered.split(QStringLiteral("\r\n"));
        QCOMPARE(filteredLines.size(), lines.size());
        for (const int intLine : std::as_const(plainLines))
            QCOMPARE(filteredLines.at(intLine), lines.at(intLine));
    }
}

void TestReportFilterProperty::censorOffNeverChangesABody()
{
    Generator random(7);
    for (int intCase = 0; intCase < 100; ++intCase) {
        QStringList addresses;
        const QString strBody = random.SourceLine(addresses)
            + QStringLiteral("\r\nPhysical Address. : 00-0C-29-AA-BB-CC\r\n") + random.ExemptLine(addresses)
            + QStringLiteral("\r\nSSID=x\r\n");
        QCOMPARE(FilterReport(strBody, 0), strBody);
    }
}

QUORVANE_REGISTER_TEST(TestReportFilterProperty)
#include "TestReportFilterProperty.moc"
