#include "privacy/ReportFilter.h"
#include "readers/GoldenFile.h"
#include "support/TestRegistry.h"

#include <QTest>

class TestReportFilter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void goldenReports_data();
    void goldenReports();
    void censorOffReturnsTheInputExactly_data();
    void censorOffReturnsTheInputExactly();
    void addresses_data();
    void addresses();
    void exemptLinesAreNoSource_data();
    void exemptLinesAreNoSource();
    void fixedLineReplacements_data();
    void fixedLineReplacements();
    void dottedNumbers_data();
    void dottedNumbers();
    void linesAreSplitAtCrLfOnly();
};

void TestReportFilter::goldenReports_data()
{
    GoldenFile::AddRows(QStringLiteral(QUORVANE_TEST_DATA_DIR "/privacy/report"), QStringLiteral("txt"));
}

void TestReportFilter::goldenReports()
{
    QFETCH(QString, input);
    QUORVANE_COMPARE_GOLDEN(input, FilterReport(GoldenFile::ReadUtf8(input), 1));
}

void TestReportFilter::censorOffReturnsTheInputExactly_data()
{
    QTest::addColumn<int>("censor");
    QTest::newRow("unchecked") << 0;
    QTest::newRow("greyed") << 2;
    QTest::newRow("out of range") << -1;
}

void TestReportFilter::censorOffReturnsTheInputExactly()
{
    QFETCH(int, censor);
    const QString strText = QStringLiteral("WAN IP 81.2.3.4 connected\r\nPhysical Address. . : 00-0C-29-AA-BB-CC\r\n"
                                           "SSID=Home\r\nEthernet MAC 00:1A\r\nIPv6 2001:db8::1\r\n\r\n");
    QCOMPARE(FilterReport(strText, censor), strText);
    QCOMPARE(FilterReport(QString(), censor), QString());
}

void TestReportFilter::addresses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("source line censors the address everywhere")
        << "WAN IP 81.2.3.4 connected\r\nPing 81.2.3.4 = PASS"
        << "WAN IP <censored> connected\r\nPing <censored> = PASS";
    // A run that reaches the end of its line is still an address.
    QTest::newRow("address at the end of a line is a source") << "WAN IP 81.2.3.4\r\nPing 81.2.3.4 = PASS"
                                                              << "WAN IP <censored>\r\nPing <censored> = PASS";
    QTest::newRow("line that is only an address") << "81.2.3.4"
                                                  << "<censored>";
    // Every run on a line is examined, not only the first.
    QTest::newRow("address after a time stamp") << "Jan 1 00:00:12 PPP IP 81.2.3.4 assigned"
                                                << "Jan 1 00:00:12 PPP IP <censored> assigned";
    QTest::newRow("two addresses on one line") << "route 81.2.3.4 via 81.2.3.1 up"
                                               << "route <censored> via <censored> up";
    QTest::newRow("time stamp before a bar is skipped") << "12:00:01 | IP 81.2.3.4 assigned"
                                                        << "12:00:01 | IP <censored> assigned";
    QTest::newRow("address before a bar") << "81.2.3.4 | up"
                                          << "<censored> | up";
    QTest::newRow("bar without a digit before it") << "log | IP 81.2.3.4"
                                                   << "log | IP <censored>";
    QTest::newRow("candidate censors the front of a longer number") << "peer 81.2.3.4 up\r\nPing 81.2.3.45 = PASS"
                                                                    << "peer <censored> up\r\nPing <censored>5 = PASS";
    // Overlapping candidates hide their whole stretch, whatever order they came in.
    QTest::newRow("shorter candidate is the front of a longer one") << "remote 81.2.3.4\r\nWAN IP 81.2.3.45 up"
                                                                    << "remote <censored>\r\nWAN IP <censored> up";
    QTest::newRow("shorter candidate is the end of a longer one") << "build 9 1.2.3.4 ok\r\nWAN IP 81.2.3.4 up"
                                                                  << "build 9 <censored> ok\r\nWAN IP <censored> up";
    QTest::newRow("candidate inside a longer one") << "peer 81.2.3.45.192.168.1.1 x\r\nremote 81.2.3.4 y"
                                                   << "peer <censored> x\r\nremote <censored> y";
    QTest::newRow("overlapping candidates on an exempt line")
        << "a 1.2.3.45 b\r\nc 3.45.6.7 d\r\nPing 1.2.3.45.6.7.8"
        << "a <censored> b\r\nc <censored> d\r\nPing <censored>.8";
    QTest::newRow("touching occurrences one by one") << "a 1.2.3.4 b\r\nPing 1.2.3.41.2.3.4"
                                                     << "a <censored> b\r\nPing <censored><censored>";
    // Lines that name a version keep their numbers.
    QTest::newRow("firmware line") << "Firmware: 3.60.2.1"
                                   << "Firmware: 3.60.2.1";
    QTest::newRow("lower-case marker in a log line") << "Modem 2 firmware 3.60.2.1 loaded"
                                                     << "Modem 2 firmware 3.60.2.1 loaded";
    QTest::newRow("software version with four dots") << "sw version 1.2.3.4.5"
                                                     << "sw version 1.2.3.4.5";
    QTest::newRow("short marker") << "F/W 3.60.2.1 (build 7)"
                                  << "F/W 3.60.2.1 (build 7)";
    QTest::newRow("marker in a capitalised part") << "HardwareVersion=1.0.2.3"
                                                  << "HardwareVersion=1.0.2.3";
    QTest::newRow("marker inside a word is none") << "protocol conversion 81.2.3.4 on"
                                                  << "protocol conversion <censored> on";
    QTest::newRow("version line is no source") << "Firmware from 81.2.3.4\r\nPing 81.2.3.4"
                                               << "Firmware from 81.2.3.4\r\nPing 81.2.3.4";
    QTest::newRow("address from elsewhere hidden on a version line") << "Firmware from 81.2.3.4\r\nWAN 81.2.3.4 up"
                                                                     << "Firmware from <censored>\r\nWAN <censored> up";
    QTest::newRow("version stays whole around a candidate") << "Firmware 13.60.2.14.\r\nWAN 3.60.2.1 up"
                                                            << "Firmware 13.60.2.14.\r\nWAN <censored> up";
    QTest::newRow("version with a full stop named elsewhere") << "Firmware 3.60.2.1.\r\nimage 3.60.2.1 up"
                                                              << "Firmware <censored>.\r\nimage <censored> up";
    QTest::newRow("full stop after an address") << "Assigned 81.2.3.4.\r\nPing 81.2.3.4 = PASS"
                                                << "Assigned <censored>.\r\nPing <censored> = PASS";
    QTest::newRow("dots that make the third keep the run whole") << "code 1.2.3. end\r\nPing 1.2.3.9"
                                                                 << "code <censored> end\r\nPing <censored>9";
    QTest::newRow("address partly taken by a DUID mask") << "DHCPv6 Client DUID. . : 0.0.2.1.\r\nPing 0.0.2.1"
                                                         << "DHCPv6 Client DUID. . : X-X-X-X-X-X-X-X.<censored>\r\n"
                                                            "Ping <censored>";
    QTest::newRow("address glued to letters") << "ip=81.2.3.4;gw=81.2.3.1"
                                              << "ip=<censored>;gw=<censored>";
    QTest::newRow("line without digits or dots untouched") << "LCP up\r\n\r\nIPCP up"
                                                           << "LCP up\r\n\r\nIPCP up";
    QTest::newRow("empty text") << ""
                                << "";
    QTest::newRow("line breaks kept, trailing one too") << "\r\nIP 81.2.3.4\r\n"
                                                        << "\r\nIP <censored>\r\n";
}

void TestReportFilter::addresses()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(FilterReport(text, 1), expected);
}

void TestReportFilter::exemptLinesAreNoSource_data()
{
    QTest::addColumn<QString>("line");

    QTest::newRow("Ping") << "Ping 81.2.3.4 = PASS";
    QTest::newRow("Pinging") << "Pinging host [81.2.3.4]";
    QTest::newRow("lower-case ping") << "ping 81.2.3.4 ok";
    QTest::newRow("DNS") << "Primary DNS 81.2.3.4 set";
    QTest::newRow("lower-case dns") << "dns server 81.2.3.4";
    QTest::newRow("Subnet") << "Subnet Mask 255.255.255.0 ok";
    QTest::newRow("Default Gateway") << "Default Gateway 81.2.3.4 ok";
    QTest::newRow("DHCP Server") << "DHCP Server 81.2.3.4 ok";
    QTest::newRow("IP configuration address line") << "   IP Address. . . . . . . . . . . . : 81.2.3.4 x";
    QTest::newRow("link") << "see http://81.2.3.4/status.htm";
}

void TestReportFilter::exemptLinesAreNoSource()
{
    QFETCH(QString, line);
    QCOMPARE(FilterReport(line, 1), line);
    // The same address on a source line is censored on the exempt line as well.
    const QString strText = line + QStringLiteral("\r\nWAN 81.2.3.4 up");
    const QString strFiltered = FilterReport(strText, 1);
    if (line.contains(QStringLiteral("81.2.3.4"))) {
        QVERIFY2(!strFiltered.contains(QStringLiteral("81.2.3.4")), qPrintable(strFiltered));
        QCOMPARE(strFiltered.count(QStringLiteral("<censored>")), 2);
    }
}

void TestReportFilter::fixedLineReplacements_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("expected");

    QTest::newRow("hardware address line") << "Physical Address. . . : 00-0C-29-AA-BB-CC"
                                           << "        Physical Address . . . . . . . . . . . : X.X.X.X";
    QTest::newRow("all-zero hardware address stays") << "Physical Address. . . : 00-00-00-00-00-00"
                                                     << "Physical Address. . . : 00-00-00-00-00-00";
    // Only the label in its own case makes the fixed line; the address is masked all the same.
    QTest::newRow("hardware address label respects letter case") << "physical address 00-0C-29-AA-BB-CC"
                                                                 << "physical address X-X-X-X-X-X";
    QTest::newRow("hardware address in a log line") << "lease offered to client 02:1A:3F:00:11:22"
                                                    << "lease offered to client X-X-X-X-X-X";
    QTest::newRow("hardware address after a colon") << "Ethernet MAC:00-1a-2b-3c-4d-5e"
                                                    << "Ethernet MAC:X-X-X-X-X-X";
    QTest::newRow("two hardware addresses") << "02:1a:3f:00:11:22->02-1A-3F-00-11-23 (bridge)"
                                            << "X-X-X-X-X-X->X-X-X-X-X-X (bridge)";
    QTest::newRow("longer chain of pairs") << "client-id 01:02:1a:3f:00:11:22"
                                           << "client-id X-X-X-X-X-X";
    QTest::newRow("all-zero hardware address in a log line") << "mac 00:00:00:00:00:00 unset"
                                                             << "mac 00:00:00:00:00:00 unset";
    QTest::newRow("longer chain holding the all-zero address") << "tunnel 00-00-00-00-00-00-00-E0 down"
                                                               << "tunnel 00-00-00-00-00-00-00-E0 down";
    QTest::newRow("zero pairs not six in a row") << "mac 00:00:00:00:00:01:00 set"
                                                 << "mac X-X-X-X-X-X set";
    QTest::newRow("five pairs are no hardware address") << "at 00:1A:3F:00:11 up"
                                                        << "at 00:1A:3F:00:11 up";
    QTest::newRow("separators must agree") << "at 00:1A-3F-00-11-22 up"
                                           << "at 00:1A-3F-00-11-22 up";
    QTest::newRow("pairs glued to a word") << "id x02:1A:3F:00:11:22 y02:1A:3F:00:11:22z"
                                           << "id x02:1A:3F:00:11:22 y02:1A:3F:00:11:22z";
    QTest::newRow("three-digit group") << "at 02:1A:3F:00:11:223 up"
                                       << "at 02:1A:3F:00:11:223 up";
    QTest::newRow("Ethernet MAC line") << "LAN Ethernet MAC 00:1A:2B:3C:4D:5E"
                                       << "Ethernet MAC <censored>";
    QTest::newRow("Ethernet MAC in any case") << "ethernet mac 00:1a"
                                              << "Ethernet MAC <censored>";
    QTest::newRow("Ethernet MAC needs the space after it") << "EthernetMAC=00:1A"
                                                           << "EthernetMAC=00:1A";
    QTest::newRow("wireless network name") << "Wireless SSID=HomeNet"
                                           << "<SSID censored>";
    QTest::newRow("wireless network name in any case") << "ssid=home"
                                                       << "<SSID censored>";
    QTest::newRow("SSID wins over Ethernet MAC") << "Ethernet MAC 00:1A SSID=Home"
                                                 << "<SSID censored>";
    QTest::newRow("client DUID") << "   DHCPv6 Client DUID. . . : 00-01-00-01-2C-4F-1A-7B-00-0C-29-AA-BB-CC"
                                 << "   DHCPv6 Client DUID. . . : X-X-X-X-X-X-X-X";
    QTest::newRow("IPv6 address") << "WAN IPv6 2001:db8:1f0a::20c:29ff:feaa:bbcc/64 up"
                                  << "WAN IPv6 X:X:X:X:X:X:X:X/64 up";
    QTest::newRow("link-local address on an exempt line") << "DNS fe80::1%3"
                                                          << "DNS X:X:X:X:X:X:X:X%3";
}

void TestReportFilter::fixedLineReplacements()
{
    QFETCH(QString, line);
    QFETCH(QString, expected);
    QCOMPARE(FilterReport(line, 1), expected);
    // Lines around it are left alone.
    QCOMPARE(FilterReport(QStringLiteral("before\r\n") + line + QStringLiteral("\r\nafter"), 1),
        QStringLiteral("before\r\n") + expected + QStringLiteral("\r\nafter"));
}

void TestReportFilter::dottedNumbers_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("address in the middle") << "WAN IP 81.2.3.4 connected" << QStringList({ "81.2.3.4" });
    QTest::newRow("address at the end") << "WAN IP 81.2.3.4" << QStringList({ "81.2.3.4" });
    QTest::newRow("first number is no address") << "12 PPP IP 81.2.3.4" << QStringList({ "81.2.3.4" });
    QTest::newRow("several addresses in order")
        << "81.2.3.4 to 10.0.0.1 and 192.0.2.1" << QStringList({ "81.2.3.4", "10.0.0.1", "192.0.2.1" });
    QTest::newRow("time stamp before the bar") << "12:00:01 | IP 81.2.3.4 assigned" << QStringList({ "81.2.3.4" });
    QTest::newRow("address before the bar") << "81.2.3.4 | 10.0.0.1" << QStringList({ "81.2.3.4", "10.0.0.1" });
    QTest::newRow("bar with no digit before it") << "x | 81.2.3.4" << QStringList({ "81.2.3.4" });
    QTest::newRow("two dots are not enough") << "ver 1.2.3 and 4.5" << QStringList();
    QTest::newRow("trailing full stop dropped") << "got 81.2.3.4." << QStringList({ "81.2.3.4" });
    QTest::newRow("trailing dots kept when needed for the third") << "got 1.2.3." << QStringList({ "1.2.3." });
    QTest::newRow("long run") << "id 1.2.3.4.5.6" << QStringList({ "1.2.3.4.5.6" });
    QTest::newRow("no digit") << "no numbers here..." << QStringList();
    QTest::newRow("empty") << "" << QStringList();
}

void TestReportFilter::dottedNumbers()
{
    QFETCH(QString, line);
    QFETCH(QStringList, expected);
    QCOMPARE(FindDottedNumbers(line), expected);
    QCOMPARE(FindDottedNumber(line), expected.value(0));
}

void TestReportFilter::linesAreSplitAtCrLfOnly()
{
    // A bare LF does not end a line: the Ping keyword exempts the whole piece.
    const QString strText = QStringLiteral("Ping 81.2.3.4 = PASS\nWAN 81.2.3.4 up");
    QCOMPARE(FilterReport(strText, 1), strText);
}

QUORVANE_REGISTER_TEST(TestReportFilter)
#include "TestReportFilter.moc"
