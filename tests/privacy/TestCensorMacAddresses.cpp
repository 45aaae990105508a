#include "privacy/ReportFilter.h"
#include "readers/GoldenFile.h"
#include "support/TestRegistry.h"

#include <QTest>

class TestCensorMacAddresses : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void goldenListings_data();
    void goldenListings();
    void lines_data();
    void lines();
    void ipv6Addresses_data();
    void ipv6Addresses();
};

void TestCensorMacAddresses::goldenListings_data()
{
    GoldenFile::AddRows(QStringLiteral(QUORVANE_TEST_DATA_DIR "/privacy/ipconfig"), QStringLiteral("txt"));
}

void TestCensorMacAddresses::goldenListings()
{
    QFETCH(QString, input);
    QUORVANE_COMPARE_GOLDEN(input, CensorMacAddresses(GoldenFile::ReadUtf8(input)));
}

void TestCensorMacAddresses::lines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("hardware address") << "Physical Address. . . . . . . . . : 00-0C-29-AA-BB-CC"
                                      << "Physical Address. . . . . . . . . : X-X-X-X-X-X";
    QTest::newRow("all-zero hardware address stays") << "Physical Address. . . : 00-00-00-00-00-00"
                                                     << "Physical Address. . . : 00-00-00-00-00-00";
    // Emulated and localised listings write the label in other letter cases.
    QTest::newRow("label in any letter case") << "physical address. . : 00-0C-29-AA-BB-CC"
                                              << "physical address. . : X-X-X-X-X-X";
    QTest::newRow("label in capitals") << "PHYSICAL ADDRESS. . : 00-0c-29-aa-bb-cc"
                                       << "PHYSICAL ADDRESS. . : X-X-X-X-X-X";
    QTest::newRow("colon notation") << "Physical Address. . : 00:0C:29:AA:BB:CC"
                                    << "Physical Address. . : X-X-X-X-X-X";
    QTest::newRow("no value after the colon") << "Physical Address. . . :   "
                                              << "Physical Address. . . :   ";
    QTest::newRow("no colon at all") << "Physical Address 00-0C-29-AA-BB-CC"
                                     << "Physical Address 00-0C-29-AA-BB-CC";
    QTest::newRow("value runs to the end of the line") << "Physical Address. : 00-0C-29-AA-BB-CC : 00-0C-29-AA-BB-CC"
                                                       << "Physical Address. : X-X-X-X-X-X";
    QTest::newRow("other lines untouched")
        << "Host Name . . . : desk-pc\r\nPhysical Address. . : 00-0C-29-AA-BB-CC\r\nDHCP Enabled. . : Yes"
        << "Host Name . . . : desk-pc\r\nPhysical Address. . : X-X-X-X-X-X\r\nDHCP Enabled. . : Yes";
    QTest::newRow("IPv4 addresses are not its business") << "IPv4 Address. . : 192.0.2.64(Preferred)"
                                                         << "IPv4 Address. . : 192.0.2.64(Preferred)";
    QTest::newRow("client DUID, line end kept")
        << "DHCPv6 Client DUID. . . : 00-01-00-01-2C-4F-1A-7B-00-0C-29-AA-BB-CC\r\r\nNext"
        << "DHCPv6 Client DUID. . . : X-X-X-X-X-X-X-X\r\r\nNext";
    QTest::newRow("client DUID without a value") << "DHCPv6 Client DUID. . . :"
                                                 << "DHCPv6 Client DUID. . . :";
    QTest::newRow("link-local address with zone")
        << "Link-local IPv6 Address . . : fe80::20c:29ff:feaa:bbcc%11(Preferred)"
        << "Link-local IPv6 Address . . : X:X:X:X:X:X:X:X%11(Preferred)";
    QTest::newRow("empty text") << ""
                                << "";
}

void TestCensorMacAddresses::lines()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(CensorMacAddresses(text), expected);
}

void TestCensorMacAddresses::ipv6Addresses_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("expected");

    const QString strMask = strIpv6Mask;
    QTest::newRow("full form") << "2001:0db8:0000:0000:0000:ff00:0042:8329" << strMask;
    QTest::newRow("compressed in the middle") << "a 2001:db8::1 b"
                                              << "a " + strMask + " b";
    QTest::newRow("compressed at the start") << "::1" << strMask;
    QTest::newRow("compressed at the end") << "fe80::" << strMask;
    QTest::newRow("mapped IPv4 address") << "::ffff:192.0.2.1" << strMask;
    QTest::newRow("zone and prefix length stay")
        << "fe80::1%12 and 2001:db8::/32" << strMask + "%12 and " + strMask + "/32";
    QTest::newRow("after a label and colon") << "Address:fe80::1"
                                             << "Address:" + strMask;
    QTest::newRow("glued to a label by one colon") << "WAN IPv6:2001:db8:1234:5600::1 Source:2001:db8::2"
                                                   << "WAN IPv6:" + strMask + " Source:" + strMask;
    QTest::newRow("prefix without a gap, with its length") << "delegated 2001:db8:1234:5600/56"
                                                           << "delegated " + strMask + "/56";
    QTest::newRow("prefix without a gap after its label") << "Prefix 2001:db8:1234:5600 up"
                                                          << "Prefix " + strMask + " up";
    QTest::newRow("groups without a label are no prefix") << "at 2001:db8:1234 up"
                                                          << "at 2001:db8:1234 up";
    QTest::newRow("before a full stop") << "prefix 2001:db8::1."
                                        << "prefix " + strMask + ".";
    QTest::newRow("several on a line") << "fe80::1 fe80::2" << strMask + " " + strMask;
    QTest::newRow("time of day") << "10:00:00"
                                 << "10:00:00";
    QTest::newRow("hardware address with colons") << "00:1a:2b:3c:4d:5e"
                                                  << "00:1a:2b:3c:4d:5e";
    QTest::newRow("scope operator") << "Class::Method and a::b::c"
                                    << "Class::Method and a::b::c";
    QTest::newRow("glued to a word") << "xfe80::1 fe80::1y"
                                     << "xfe80::1 fe80::1y";
    QTest::newRow("double colon alone") << "a :: b"
                                        << "a :: b";
    QTest::newRow("nine groups") << "1:2:3:4:5:6:7:8:9"
                                 << "1:2:3:4:5:6:7:8:9";
    QTest::newRow("two gaps") << "1::2::3"
                              << "1::2::3";
    QTest::newRow("group of five digits") << "12345::1"
                                          << "12345::1";
    QTest::newRow("gap with eight groups") << "1:2:3:4::5:6:7:8"
                                           << "1:2:3:4::5:6:7:8";
    QTest::newRow("bad mapped IPv4 address") << "::ffff:192.0.2.300"
                                             << "::ffff:192.0.2.300";
}

void TestCensorMacAddresses::ipv6Addresses()
{
    QFETCH(QString, line);
    QFETCH(QString, expected);
    QCOMPARE(MaskIpv6Addresses(line), expected);
}

QUORVANE_REGISTER_TEST(TestCensorMacAddresses)
#include "TestCensorMacAddresses.moc"
