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
    void firmwareLines_data();
    void firmwareLines();
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
    // Addresses are matched whole: a longer number that begins with one is another address.
    QTest::newRow("longer number that begins with a candidate") << "peer 81.2.3.4 up\r\nPing 81.2.3.45 = PASS"
                                                                << "peer <censored> up\r\nPing 81.2.3.45 = PASS";
    // Overlapping candidates hide their whole stretch, whatever order they came in.
    QTest::newRow("shorter candidate is the front of a longer one") << "remote 81.2.3.4\r\nWAN IP 81.2.3.45 up"
                                                                    << "remote <censored>\r\nWAN IP <censored> up";
    QTest::newRow("shorter candidate is the end of a longer one") << "build 9 1.2.3.4 ok\r\nWAN IP 81.2.3.4 up"
                                                                  << "build 9 <censored> ok\r\nWAN IP <censored> up";
    QTest::newRow("run of numbers holding a candidate as four groups")
        << "peer 81.2.3.4.192.168.1.1 x\r\nremote 81.2.3.4 y"
        << "peer <censored> x\r\nremote <censored> y";
    QTest::newRow("run of numbers holding a candidate off its groups")
        << "peer 81.2.3.45.192.168.1.1 x\r\nremote 81.2.3.4 y"
        << "peer 81.2.3.45.192.168.1.1 x\r\nremote <censored> y";
    QTest::newRow("overlapping candidates on an exempt line") << "a 1.2.3.45 b\r\nc 3.45.6.7 d\r\nPing 1.2.3.45.6.7.8"
                                                              << "a <censored> b\r\nc <censored> d\r\nPing <censored>";
    QTest::newRow("digits glued to a candidate make another number") << "a 1.2.3.4 b\r\nPing 1.2.3.41.2.3.4"
                                                                     << "a <censored> b\r\nPing 1.2.3.41.2.3.4";
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
    // A version word keeps only the number right after it.
    QTest::newRow("version word labels the next number only") << "Firmware from 81.2.3.4\r\nPing 81.2.3.4"
                                                              << "Firmware from <censored>\r\nPing <censored>";
    QTest::newRow("address from elsewhere hidden on a version line") << "Firmware from 81.2.3.4\r\nWAN 81.2.3.4 up"
                                                                     << "Firmware from <censored>\r\nWAN <censored> up";
    QTest::newRow("version stays whole around a candidate") << "Firmware 13.60.2.14.\r\nWAN 3.60.2.1 up"
                                                            << "Firmware 13.60.2.14.\r\nWAN <censored> up";
    QTest::newRow("version that is the WAN address elsewhere") << "Firmware 3.60.2.1.\r\nWAN IP 3.60.2.1 up"
                                                               << "Firmware <censored>.\r\nWAN IP <censored> up";
    QTest::newRow("version named unmarked elsewhere stays") << "Firmware Version: 3.60.2.1\r\nboot 3.60.2.1 ok"
                                                            << "Firmware Version: 3.60.2.1\r\nboot 3.60.2.1 ok";
    // What a hidden value or name said is gone: censoring the censored report again reads the same.
    QTest::newRow("version label inside a hidden value exempts nothing")
        << "SSID\r\nFirmware Version: 3.60.2.1\r\nboot 3.60.2.1 ok"
        << "SSID\r\n<SSID censored>\r\nboot <censored> ok";
    QTest::newRow("label hidden as a name exempts nothing") << "SSID: DNS\r\nDNS 198.51.100.53 ok"
                                                            << "SSID: <SSID censored>\r\n<censored> <censored> ok";
    QTest::newRow("hidden address keeps its place in a list")
        << "WAN IP 81.2.3.4\r\nPrimary DNS server: 81.2.3.4, 198.51.100.53, 198.51.100.54"
        << "WAN IP <censored>\r\nPrimary DNS server: <censored>, 198.51.100.53, 198.51.100.54";
    QTest::newRow("all-zero address inside a hidden value spares no line")
        << "Physical Address . . : serial: 00-00-00-00-00-00"
        << "        Physical Address . . . . . . . . . . . : X.X.X.X";
    QTest::newRow("address glued to a host name is a word of its own")
        << "ddns: updated a.dyndns.example81.2.3.4\r\nnote 81.2.3.4abc"
        << "ddns: updated <censored><censored>\r\nnote <censored>abc";
    QTest::newRow("label never reaches over a line break or a glued address")
        << "boot3.60.2.1 oot\nKey 1<b>  x\r\nnote boot3.60.2.1 Key 1<b>  y"
        << "boot<censored> oot\nKey 1<b>  <censored>\r\nnote boot<censored> Key 1<b>  <censored>";
    QTest::newRow("label glued to a number after its dot")
        << "up 3.60.2.1.SSID: Home Net  ch 6\r\nassoc Home Net"
        << "up <censored>.SSID: <SSID censored>  ch 6\r\nassoc <censored>";
    QTest::newRow("full stop after an address") << "Assigned 81.2.3.4.\r\nPing 81.2.3.4 = PASS"
                                                << "Assigned <censored>.\r\nPing <censored> = PASS";
    QTest::newRow("three groups are no address") << "code 1.2.3. end\r\nPing 1.2.3.9"
                                                 << "code 1.2.3. end\r\nPing 1.2.3.9";
    QTest::newRow("group above 255 is no address") << "peer 81.2.3.256 up"
                                                   << "peer 81.2.3.256 up";
    QTest::newRow("masks are never hidden") << "LAN 0.0.0.0 up\r\nLAN Subnet 10.0.0.0/8 mask 255.255.255.0"
                                            << "LAN 0.0.0.0 up\r\nLAN Subnet 10.0.0.0/8 mask 255.255.255.0";
    QTest::newRow("address partly taken by a DUID mask") << "DHCPv6 Client DUID. . : 0.0.2.1.\r\nPing 0.0.2.1"
                                                         << "DHCPv6 Client DUID. . : <censored>.\r\n"
                                                            "Ping <censored>";
    // Hexadecimal letters that begin a word are no DUID.
    QTest::newRow("DUID label before a word") << "DHCPv6 Client DUID: Firmware 9.1.2.3"
                                              << "DHCPv6 Client DUID: Firmware 9.1.2.3";
    // Whose address a gateway or a link names is not known: it is hidden.
    QTest::newRow("Default Gateway") << "Default Gateway 81.2.3.4 ok"
                                     << "Default Gateway <censored> ok";
    QTest::newRow("remote management link") << "see http://81.2.3.4:8080/status.htm"
                                            << "see http://<censored>:8080/status.htm";
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
    // Censoring a censored report changes nothing.
    QCOMPARE(FilterReport(expected, 1), expected);
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
    QTest::newRow("DHCP Server") << "DHCP Server 81.2.3.4 ok";
    QTest::newRow("name server") << "Name server: 81.2.3.4";
    QTest::newRow("nameserver") << "nameserver 81.2.3.4";
    QTest::newRow("list of name servers") << "DNS servers 81.2.3.4, 81.2.3.5";
    QTest::newRow("ping target after a host name") << "PING host.example (81.2.3.4): 56 data bytes";
    QTest::newRow("IP configuration address line") << "   IP Address. . . . . . . . . . . . : 81.2.3.4 x";
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
    QTest::newRow("all-zero address after a label stays") << "MAC: 000000000000"
                                                          << "MAC: 000000000000";
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

// Lines as routers of several firmware styles print them: a syslog with program tags, a status
// page laid out as one line, key=value settings, label and value on lines of their own, and raw
// pages of the web interface.
void TestReportFilter::firmwareLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    // Keywords are words, and exempt only the value they label.
    QTest::newRow("firewall log: Dropping is no ping")
        << "kernel: Dropping packet IN=ppp0 SRC=5.6.7.8 DST=81.2.3.4"
        << "kernel: Dropping packet IN=ppp0 SRC=<censored> DST=<censored>";
    QTest::newRow("port mapping") << "upnp: port mapping added for 81.2.3.4:5000"
                                  << "upnp: port mapping added for <censored>:5000";
    QTest::newRow("IPCP: own addresses hidden, name server kept")
        << "IPCP up: local 81.2.3.4 remote 81.2.3.1, primary DNS 62.24.128.1"
        << "IPCP up: local <censored> remote <censored>, primary DNS 62.24.128.1";
    QTest::newRow("status table on one line")
        << "WAN IP 81.2.3.4   Subnet Mask 255.255.255.255   Default Gateway 81.2.3.1   DNS 62.24.128.1"
        << "WAN IP <censored>   Subnet Mask 255.255.255.255   Default Gateway <censored>   DNS 62.24.128.1";
    QTest::newRow("name server that is the own address elsewhere") << "nameserver 81.2.3.4\r\nWAN IP 81.2.3.4"
                                                                   << "nameserver <censored>\r\nWAN IP <censored>";
    // Versions: the number after a version word stays, nothing else on its line.
    QTest::newRow("IP version beside the WAN address") << "IP Version: IPv4   WAN IP: 81.2.3.4"
                                                       << "IP Version: IPv4   WAN IP: <censored>";
    QTest::newRow("firmware in a log line with an address") << "firmware 3.60.2.1 running, WAN IP 81.2.3.4 up"
                                                            << "firmware 3.60.2.1 running, WAN IP <censored> up";
    QTest::newRow("version words") << "Build 3.60.2.1\r\nFW: 1.0.4.2\r\nSW ver 2.1.0.9\r\nBootloader 1.0.0.3\r\n"
                                      "Image: 4.2.1.7\r\nModem code 13.60.2.14\r\nv5.1.0.2 started"
                                   << "Build 3.60.2.1\r\nFW: 1.0.4.2\r\nSW ver 2.1.0.9\r\nBootloader 1.0.0.3\r\n"
                                      "Image: 4.2.1.7\r\nModem code 13.60.2.14\r\nv5.1.0.2 started";
    // Wireless names and keys, in every layout.
    QTest::newRow("a value is no label") << "SSID = qhQLSn51  ch 6"
                                         << "SSID = <SSID censored>  ch 6";
    QTest::newRow("a value is no part of a later label") << "wl0_wpa_psk=\"s3cret\"Key 1 =er x"
                                                         << "wl0_wpa_psk=\"<censored>\"Key 1 =<censored> x";
    QTest::newRow("a hidden name makes a label of what follows")
        << "wl0_wpa_psk=\"s3cret\"\r\nto 71.sk=\"s3cret\"Key 1 =er x"
        << "wl0_wpa_psk=\"<censored>\"\r\nto 71.sk=\"<censored>\"Key 1 =<censored> x";
    QTest::newRow("network name of several words hidden where it stands as words")
        << "SSID: Home Net 5\r\nassoc Home Net 5, ok (Home Net 5)"
        << "SSID: <SSID censored>\r\nassoc <censored>, ok (<censored>)";
    QTest::newRow("SSID after a colon") << "SSID: Home Net 5G"
                                        << "SSID: <SSID censored>";
    QTest::newRow("SSID with blanks round the equals sign") << "SSID = HomeNet  channel 6"
                                                            << "SSID = <SSID censored>  channel 6";
    QTest::newRow("quoted ESSID") << "wlan0     IEEE 802.11  ESSID:\"HomeNet\"  Mode:Master"
                                  << "wlan0     IEEE 802.11  ESSID:\"<SSID censored>\"  Mode:Master";
    QTest::newRow("network name cell pair") << "Network Name\tHomeNet\tChannel\t6"
                                            << "Network Name\t<SSID censored>\tChannel\t6";
    QTest::newRow("label and value on consecutive lines") << "SSID\r\nHomeNet\r\nChannel\r\n6"
                                                          << "SSID\r\n<SSID censored>\r\nChannel\r\n6";
    QTest::newRow("access point log names the network")
        << "SSID: HomeNet\r\nhostapd: wlan0 AP-ENABLED on HomeNet"
        << "SSID: <SSID censored>\r\nhostapd: wlan0 AP-ENABLED on <censored>";
    QTest::newRow("keys and passphrases") << "WPA Pre-Shared Key: s3cret-phrase\r\nwl0_wpa_psk=s3cret-phrase\r\n"
                                             "WEP Key 1 = 0123456789\r\nPassphrase\t\"tiger lily\""
                                          << "WPA Pre-Shared Key: <censored>\r\nwl0_wpa_psk=<censored>\r\n"
                                             "WEP Key 1 = <censored>\r\nPassphrase\t\"<censored>\"";
    // Hardware addresses in other notations.
    QTest::newRow("hardware address in groups of four") << "arp: 001a.2b3c.4d5e on br0"
                                                        << "arp: X-X-X-X-X-X on br0";
    QTest::newRow("twelve digits after a MAC label") << "MAC Address: 001A2B3C4D5E\r\nlearnt 001A2B3C4D5E"
                                                     << "MAC Address: X-X-X-X-X-X\r\nlearnt <censored>";
    QTest::newRow("pairs joined by blanks after a label") << "HWaddr 00 1A 2B 3C 4D 5E up"
                                                          << "HWaddr X-X-X-X-X-X up";
    QTest::newRow("pairs joined by dots or underscores") << "sta 00.1a.2b.3c.4d.5e and 00_1a_2b_3c_4d_5f"
                                                         << "sta X-X-X-X-X-X and X-X-X-X-X-X";
    QTest::newRow("two notations glued") << "001a.2b3c.4d5e:0:1a:2b:3c:4d:5e"
                                         << "X-X-X-X-X-X:X-X-X-X-X-X";
    QTest::newRow("unpadded groups") << "assoc 0:1a:2b:3c:4d:5e ok"
                                     << "assoc X-X-X-X-X-X ok";
    QTest::newRow("twelve digits without a label stay") << "session 001A2B3C4D5E"
                                                        << "session 001A2B3C4D5E";
    // IPv6 glued to its label.
    QTest::newRow("IPv6 glued to a label") << "WAN IPv6:2001:db8:1234:5600::1"
                                           << "WAN IPv6:X:X:X:X:X:X:X:X";
    // Identifying values a page prints.
    QTest::newRow("PPP user name, in the log too") << "Username: smith@isp.example\r\n"
                                                      "pppd[312]: PAP authentication for smith@isp.example ok"
                                                   << "Username: <censored>\r\n"
                                                      "pppd[312]: PAP authentication for <censored> ok";
    QTest::newRow("user name without a domain") << "PPP User Name = jsmith01\r\nLCP: peer refused jsmith01"
                                                << "PPP User Name = <censored>\r\nLCP: peer refused <censored>";
    QTest::newRow("printed password") << "Password: hunter22 (shown)"
                                      << "Password: <censored> (shown)";
    QTest::newRow("serial number") << "Serial Number: RS22-0045871\r\nS/N: QX7781230"
                                   << "Serial Number: <censored>\r\nS/N: <censored>";
    QTest::newRow("DHCP client name after its hardware address")
        << "dnsmasq-dhcp: DHCPACK(br0) 192.168.1.23 00:11:22:33:44:55 johns-laptop\r\nHost Name: johns-laptop"
        << "dnsmasq-dhcp: DHCPACK(br0) <censored> X-X-X-X-X-X <censored>\r\nHost Name: <censored>";
    QTest::newRow("DHCP client name at the end of a long lease message")
        << "DHCPACK(br0) 192.168.1.23 " + QString(90, u'#') + "00:11:22:33:44:55 laptop"
        << "DHCPACK(br0) <censored> " + QString(90, u'#') + "X-X-X-X-X-X <censored>";
    QTest::newRow("dynamic DNS host name") << "ddns: updated smith.dyndns.example to 81.2.3.4"
                                           << "ddns: updated <censored> to <censored>";
    QTest::newRow("dynamic DNS host name cut out by a mask") << "ddns: updated ::ffff:192.myhost to 81.2.3.4"
                                                             << "ddns: updated X:X:X:X:X:X:X:<censored> to <censored>";
    QTest::newRow("host name that embeds the address") << "PPP IP 81.2.3.4\r\nreverse host-81-2-3-4.isp.example"
                                                       << "PPP IP <censored>\r\nreverse <censored>";
    // Raw pages, as the data dump fetches them.
    QTest::newRow("HTML table cells")
        << "<tr><td><b>Serial Number:</b> RS22-0045871</td></tr><tr><td>SSID</td><td>HomeNet</td></tr>"
        << "<tr><td><b>Serial Number:</b> <censored></td></tr><tr><td>SSID</td><td><SSID censored></td></tr>";
    QTest::newRow("script variables") << "var wan_ip = \"81.2.3.4\"; var ssid = \"HomeNet\";"
                                      << "var wan_ip = \"<censored>\"; var ssid = \"<SSID censored>\";";
    // Client tables: the name beside a client's address and hardware address, in any layout.
    QTest::newRow("client table in HTML")
        << "<tr><td>johns-laptop</td><td>192.168.1.23</td><td>00:1A:2B:3C:4D:5E</td><td>23:59:59</td></tr>"
           "<tr><td>Kitchen TV</td><td>192.168.1.24</td><td>00:1A:2B:3C:4D:5F</td><td>Forever</td></tr>\r\n"
           "log: Kitchen TV and johns-laptop seen"
        << "<tr><td><censored></td><td><censored></td><td>X-X-X-X-X-X</td><td>23:59:59</td></tr>"
           "<tr><td><censored></td><td><censored></td><td>X-X-X-X-X-X</td><td>Forever</td></tr>\r\n"
           "log: <censored> and <censored> seen";
    QTest::newRow("client table row over several lines")
        << "<tr>\r\n  <td>Dynamic</td>\r\n  <td>192.168.1.23</td>\r\n  <td>00-1a-2b-3c-4d-5e</td>\r\n"
           "  <td>desk_pc</td>\r\n</tr>\r\nDynamic desk_pc"
        << "<tr>\r\n  <td>Dynamic</td>\r\n  <td><censored></td>\r\n  <td>X-X-X-X-X-X</td>\r\n"
           "  <td><censored></td>\r\n</tr>\r\nDynamic <censored>";
    QTest::newRow("client table in a script array")
        << "var clients = "
           "[['anna-phone','192.168.1.30','02:1a:3f:00:11:22'],['eth0','192.168.1.31','02:1a:3f:00:11:23']];"
        << "var clients = [['<censored>','<censored>','X-X-X-X-X-X'],['eth0','<censored>','X-X-X-X-X-X']];";
    QTest::newRow("client table as text columns")
        << "192.168.1.23    00:1a:2b:3c:4d:5e    johns-laptop    1 day\r\n192.168.1.24\t00:1a:2b:3c:4d:60\tLAN"
        << "<censored>    X-X-X-X-X-X    <censored>    1 day\r\n<censored>\tX-X-X-X-X-X\tLAN";
    QTest::newRow("client table header names nobody")
        << "<tr><th>Host Name</th><th>IP Address</th><th>MAC Address</th></tr>\r\nHost Name"
        << "<tr><th>Host Name</th><th>IP Address</th><th>MAC Address</th></tr>\r\nHost Name";
    QTest::newRow("log line with both addresses is no table row")
        << "arp: 192.168.1.23 at 00:1a:2b:3c:4d:5e on br0, seen"
        << "arp: <censored> at X-X-X-X-X-X on br0, seen";
    QTest::newRow("lease time beside the addresses is no name")
        << "<tr><td>192.168.1.23</td><td>00:1a:2b:3c:4d:5e</td><td>2 days</td></tr>\r\nin 2 days"
        << "<tr><td><censored></td><td>X-X-X-X-X-X</td><td>2 days</td></tr>\r\nin 2 days";
    QTest::newRow("DHCP server range kept") << "<b>DHCP Server:</b> Enabled, 192.168.1.64 to 192.168.1.253"
                                            << "<b>DHCP Server:</b> Enabled, 192.168.1.64 to 192.168.1.253";
    // What a helper needs stays readable.
    QTest::newRow("line figures stay")
        << "SNR Margin: 9.5 dB\tAttenuation: 28.5 dB\tRate: 8128/448 kbps\tVPI/VCI: 0/38\tModulation: G.992.5"
        << "SNR Margin: 9.5 dB\tAttenuation: 28.5 dB\tRate: 8128/448 kbps\tVPI/VCI: 0/38\tModulation: G.992.5";
    QTest::newRow("ping target by name") << "Pinging www.example.com [192.0.2.80] with 32 bytes of data"
                                         << "Pinging www.example.com [192.0.2.80] with 32 bytes of data";
    QTest::newRow("login failure line") << "Could not log in. Please check your router's username and password."
                                        << "Could not log in. Please check your router's username and password.";
}

void TestReportFilter::firmwareLines()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const QString strFiltered = FilterReport(text, 1);
    QCOMPARE(strFiltered, expected);
    // Censoring what is censored changes nothing.
    QCOMPARE(FilterReport(strFiltered, 1), strFiltered);
}

void TestReportFilter::linesAreSplitAtCrLfOnly()
{
    // A bare LF does not end a line: the wireless network name label replaces the whole piece.
    QCOMPARE(FilterReport(QStringLiteral("SSID=Home\nWAN 81.2.3.4 up"), 1), strSsidLine);
    // Nor does it separate a bare label from its value.
    QCOMPARE(
        FilterReport(QStringLiteral("Serial Number\nRS22-0045871"), 1), QStringLiteral("Serial Number\nRS22-0045871"));
}

QUORVANE_REGISTER_TEST(TestReportFilter)
#include "TestReportFilter.moc"
