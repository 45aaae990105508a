#include "net/InetAddr.h"
#include "support/TestRegistry.h"

#include <QTest>

class TestInetAddr : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("expected");

        const qint64 lngLoopback = 0x7F000001;
        QTest::newRow("four decimal parts") << QStringLiteral("127.0.0.1") << lngLoopback;
        QTest::newRow("two parts") << QStringLiteral("127.1") << lngLoopback;
        QTest::newRow("three parts") << QStringLiteral("127.0.1") << lngLoopback;
        QTest::newRow("one part") << QStringLiteral("2130706433") << lngLoopback;
        QTest::newRow("hexadecimal parts") << QStringLiteral("0x7f.0X0.0x0.0xA") << qint64(0x7F00000A);
        QTest::newRow("hexadecimal whole") << QStringLiteral("0xC0000201") << qint64(0xC0000201);
        QTest::newRow("octal parts") << QStringLiteral("0177.00.0.010") << qint64(0x7F000008);
        QTest::newRow("octal whole") << QStringLiteral("017700000001") << lngLoopback;
        QTest::newRow("leading zero makes octal") << QStringLiteral("192.0.2.010") << qint64(0xC0000208);
        QTest::newRow("last of two parts fills three bytes") << QStringLiteral("10.16777215") << qint64(0x0AFFFFFF);
        QTest::newRow("last of three parts fills two bytes") << QStringLiteral("1.2.65535") << qint64(0x0102FFFF);
        QTest::newRow("all zero") << QStringLiteral("0") << qint64(0);
        QTest::newRow("highest before all ones") << QStringLiteral("255.255.255.254") << qint64(0xFFFFFFFE);
        QTest::newRow("blank ends the address") << QStringLiteral("192.0.2.1 and more") << qint64(0xC0000201);
        QTest::newRow("tab ends the address") << QStringLiteral("192.0.2.1\t") << qint64(0xC0000201);
        QTest::newRow("NUL ends the address")
            << QStringLiteral("192.0.2.1") + QChar(0) + QStringLiteral("x") << qint64(0xC0000201);

        QTest::newRow("all ones") << QStringLiteral("255.255.255.255") << lngBadAddress;
        QTest::newRow("all ones in hexadecimal") << QStringLiteral("0xffffffff") << lngBadAddress;
        QTest::newRow("empty") << QString() << lngBadAddress;
        QTest::newRow("letters") << QStringLiteral("abc") << lngBadAddress;
        QTest::newRow("host name") << QStringLiteral("localhost") << lngBadAddress;
        QTest::newRow("five parts") << QStringLiteral("1.2.3.4.5") << lngBadAddress;
        QTest::newRow("part above 255") << QStringLiteral("256.1.1.1") << lngBadAddress;
        QTest::newRow("last part too large for three parts") << QStringLiteral("1.2.65536") << lngBadAddress;
        QTest::newRow("last part too large for two parts") << QStringLiteral("1.16777216") << lngBadAddress;
        QTest::newRow("last part above 255") << QStringLiteral("1.2.3.256") << lngBadAddress;
        QTest::newRow("above 32 bits") << QStringLiteral("4294967296") << lngBadAddress;
        QTest::newRow("far above 32 bits") << QStringLiteral("99999999999999999999999") << lngBadAddress;
        QTest::newRow("8 is no octal digit") << QStringLiteral("08") << lngBadAddress;
        QTest::newRow("9 in an octal part") << QStringLiteral("1.2.3.09") << lngBadAddress;
        QTest::newRow("hexadecimal prefix without digits") << QStringLiteral("0x") << lngBadAddress;
        QTest::newRow("bad hexadecimal digit") << QStringLiteral("0x1g") << lngBadAddress;
        QTest::newRow("trailing dot") << QStringLiteral("1.2.3.") << lngBadAddress;
        QTest::newRow("leading dot") << QStringLiteral(".1.2.3") << lngBadAddress;
        QTest::newRow("empty part") << QStringLiteral("1..2") << lngBadAddress;
        QTest::newRow("leading blank") << QStringLiteral(" 1.2.3.4") << lngBadAddress;
        QTest::newRow("sign") << QStringLiteral("+1.2.3.4") << lngBadAddress;
        QTest::newRow("trailing letter") << QStringLiteral("1.2.3.4x") << lngBadAddress;
        QTest::newRow("non-ASCII digit") << QStringLiteral("1.2.3.\u0664") << lngBadAddress;
        QTest::newRow("no-break space after address") << QStringLiteral("1.2.3.4\u00A0") << lngBadAddress;
    }

    void parse()
    {
        QFETCH(QString, text);
        QFETCH(qint64, expected);
        QCOMPARE(ParseInetAddr(text), expected);
    }
};

QUORVANE_REGISTER_TEST(TestInetAddr)
#include "TestInetAddr.moc"
