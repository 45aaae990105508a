#include "run/RouterAddress.h"
#include "support/TestRegistry.h"

#include <QTest>

// Which router addresses and ports may be used, at the edges of each rule.
class TestRouterAddress : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addresses_data()
    {
        QTest::addColumn<QString>("strAddress");
        QTest::addColumn<bool>("blnUsable");
        const QString strLabel63(63, QLatin1Char('a'));
        QTest::newRow("empty: the default gateway") << QString() << true;
        QTest::newRow("IPv4") << QStringLiteral("192.168.1.1") << true;
        QTest::newRow("host name") << QStringLiteral("router-1.home_net") << true;
        QTest::newRow("label of 63") << strLabel63 + QStringLiteral(".lan") << true;
        QTest::newRow("name of 253") << QStringList(4, strLabel63).join(QLatin1Char('.')).left(253) << true;
        QTest::newRow("label of 64") << strLabel63 + QStringLiteral("a.lan") << false;
        QTest::newRow("name of 254") << QStringList(4, strLabel63).join(QLatin1Char('.')).left(251)
                + QStringLiteral(".aa")
                                     << false;
        QTest::newRow("second host after a blank") << QStringLiteral("127.0.0.1 @127.0.0.2") << false;
        QTest::newRow("user-info") << QStringLiteral("admin@127.0.0.2") << false;
        QTest::newRow("port inside") << QStringLiteral("127.0.0.1:8080") << false;
        QTest::newRow("path inside") << QStringLiteral("127.0.0.1/x") << false;
        QTest::newRow("backslash") << QStringLiteral("127.0.0.1\\x") << false;
        QTest::newRow("line break") << QStringLiteral("127.0.0.1\n127.0.0.2") << false;
        QTest::newRow("leading blank") << QStringLiteral(" 127.0.0.1") << false;
        QTest::newRow("trailing dot") << QStringLiteral("127.0.0.1.") << false;
        QTest::newRow("empty label") << QStringLiteral("127..1") << false;
        QTest::newRow("IPv6 in brackets") << QStringLiteral("[::1]") << false;
        // Numbers the resolver would take for another address than the one written.
        QTest::newRow("a bare number") << QStringLiteral("60227") << false;
        QTest::newRow("short form") << QStringLiteral("10.1") << false;
        QTest::newRow("octal part") << QStringLiteral("010.0.0.1") << false;
        QTest::newRow("hexadecimal part") << QStringLiteral("127.0.0.0x1") << false;
        QTest::newRow("part over 255") << QStringLiteral("192.168.1.256") << false;
        QTest::newRow("five parts") << QStringLiteral("1.2.3.4.5") << false;
        QTest::newRow("number inside a name") << QStringLiteral("10.router") << true;
        QTest::newRow("letter outside ASCII") << QStringLiteral("r\u00F6uter") << false;
    }
    void addresses()
    {
        QFETCH(QString, strAddress);
        QFETCH(bool, blnUsable);
        const QString strProblem = CheckRouterAddress(strAddress);
        QCOMPARE(strProblem.isEmpty(), blnUsable);
        // A refusal quotes the text on one line.
        QVERIFY(!strProblem.contains(QLatin1Char('\n')));
    }

    void ports_data()
    {
        QTest::addColumn<QString>("strPort");
        QTest::addColumn<bool>("blnUsable");
        QTest::newRow("1") << QStringLiteral("1") << true;
        QTest::newRow("65535") << QStringLiteral("65535") << true;
        QTest::newRow("leading zero") << QStringLiteral("080") << true;
        QTest::newRow("0") << QStringLiteral("0") << false;
        QTest::newRow("65536") << QStringLiteral("65536") << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("letters") << QStringLiteral("P@127.0.0.2:P") << false;
        QTest::newRow("sign") << QStringLiteral("+80") << false;
        QTest::newRow("blank") << QStringLiteral("80 ") << false;
        QTest::newRow("six digits of a small number") << QStringLiteral("000080") << false;
        QTest::newRow("Arabic-Indic digits") << QStringLiteral("\u0668\u0660") << false;
    }
    void ports()
    {
        QFETCH(QString, strPort);
        QFETCH(bool, blnUsable);
        QCOMPARE(CheckRouterPort(strPort).isEmpty(), blnUsable);
    }
};

QUORVANE_REGISTER_TEST(TestRouterAddress)
#include "TestRouterAddress.moc"
