#include "readers/FirmwareReader.h"
#include "readers/GoldenFile.h"
#include "readers/VendorTable.h"
#include "support/TestRegistry.h"

#include <QTest>

namespace
{
const QString strStatsFolder = QStringLiteral(QUORVANE_TEST_DATA_DIR "/readers/isp_hardware/");
}

class TestFirmwareReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void goldenHomePages_data();
    void goldenHomePages();
    void firmwareVersion_data();
    void firmwareVersion();
    void goldenStatistics_data();
    void goldenStatistics();
    void decodeHexPairs_data();
    void decodeHexPairs();
    void ispHardwareAppendsToTheBody();
    void ispHardwareCodeVariants_data();
    void ispHardwareCodeVariants();

private:
    VendorTable m_vendors;
};

void TestFirmwareReader::initTestCase()
{
    m_vendors.LoadVendorTable(strStatsFolder);
    QCOMPARE(m_vendors.Count(), 2);
}

void TestFirmwareReader::goldenHomePages_data()
{
    GoldenFile::AddRows(QStringLiteral(QUORVANE_TEST_DATA_DIR "/readers/firmware"), QStringLiteral("html"));
}

void TestFirmwareReader::goldenHomePages()
{
    QFETCH(QString, input);
    QUORVANE_COMPARE_GOLDEN(input, ReadFirmwareVersion(GoldenFile::ReadUtf8(input)));
}

void TestFirmwareReader::firmwareVersion_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("expected");

    QTest::newRow("bold value cell")
        << "<TR><TD>Firmware version</TD><TD class=v><B>3.7.1</B></TD></TR><TR><TD>System Uptime</TD>"
        << "Firmware: 3.7.1";
    QTest::newRow("plain value cell") << "<td>Firmware version</td><td>2.01</td><td>System Uptime</td>"
                                      << "Firmware: 2.01";
    QTest::newRow("no firmware label") << "<TD>Version</TD><TD>3.7.1</TD><TD>System Uptime</TD>"
                                       << "";
    QTest::newRow("uptime label only before the firmware label")
        << "<TD>System Uptime</TD><TD>Firmware version</TD><TD>3.7.1</TD>"
        << "";
    QTest::newRow("empty value cell") << "<TD>Firmware version</TD><TD></TD><TD>System Uptime</TD>"
                                      << "";
    QTest::newRow("value of spaces only") << "<TD>Firmware version</TD><TD>   </TD><TD>System Uptime</TD>"
                                          << "";
    QTest::newRow("empty page") << ""
                                << "";
}

void TestFirmwareReader::firmwareVersion()
{
    QFETCH(QString, html);
    QFETCH(QString, expected);
    QCOMPARE(ReadFirmwareVersion(html), expected);
}

void TestFirmwareReader::goldenStatistics_data()
{
    GoldenFile::AddRows(strStatsFolder, QStringLiteral("stats"));
}

void TestFirmwareReader::goldenStatistics()
{
    QFETCH(QString, input);
    QString strBody;
    ReadIspHardware(GoldenFile::ReadUtf8(input), m_vendors, strBody);
    QUORVANE_COMPARE_GOLDEN(input, strBody);
}

void TestFirmwareReader::decodeHexPairs_data()
{
    QTest::addColumn<QString>("hex");
    QTest::addColumn<QString>("expected");

    QTest::newRow("upper-case digits") << "5A4E5456"
                                       << "ZNTV";
    QTest::newRow("lower-case digits") << "7a6e7476"
                                       << "zntv";
    QTest::newRow("odd length decodes the last digit alone") << "5A4" << QStringLiteral("Z\x04");
    QTest::newRow("space inside a pair is skipped") << "5A 4E" << QStringLiteral("Z\x04\x0E");
    QTest::newRow("line feed inside a pair is skipped") << "5\nA" << QStringLiteral("\x05\x0A");
    QTest::newRow("reading stops at another character") << "5GA1" << QStringLiteral("\x05\xA1");
    QTest::newRow("pair without a digit is character 0") << "\r\n41" << QString(QChar(0)) + QStringLiteral("A");
    QTest::newRow("highest code") << "FF" << QString(QChar(0xFF));
    QTest::newRow("empty") << ""
                           << "";
}

void TestFirmwareReader::decodeHexPairs()
{
    QFETCH(QString, hex);
    QFETCH(QString, expected);
    QCOMPARE(DecodeHexPairs(hex), expected);
}

void TestFirmwareReader::ispHardwareAppendsToTheBody()
{
    QString strBody = QStringLiteral("earlier lines\r\n");
    ReadIspHardware(QStringLiteral("ATUC Vendor Code:\t514C4D4B\tATUC Revision:\t1"), m_vendors, strBody);
    QCOMPARE(strBody, QStringLiteral("earlier lines\r\nISP Hardware = Quillmark Devices\r\n\r\n"));
}

void TestFirmwareReader::ispHardwareCodeVariants_data()
{
    QTest::addColumn<QString>("stats");
    QTest::addColumn<QString>("expected");

    QTest::newRow("tabs between pairs do no harm") << "ATUC Vendor Code:\t5A\t4E\t54\t56 ATUC Revision:"
                                                   << "ISP Hardware = Zentrova Silicon\r\n\r\n";
    QTest::newRow("labels matched in any case") << "atuc vendor code: 5A4E5456 atuc revision: 1"
                                                << "ISP Hardware = Zentrova Silicon\r\n\r\n";
    QTest::newRow("lower-case decoded code found in the table") << "ATUC Vendor Code: 7a6e7476 ATUC Revision:"
                                                                << "ISP Hardware = Zentrova Silicon\r\n\r\n";
    QTest::newRow("space between pairs shifts the pairs after it") << "ATUC Vendor Code: 5A4E 5456 ATUC Revision:"
                                                                   << QStringLiteral("ISP Hardware = ZN\x05"
                                                                                     "E\x06 [unknown]\r\n\r\n");
    QTest::newRow("no vendor code label") << "Line State: Showtime"
                                          << "ISP Hardware =  [unknown]\r\n\r\n";
    QTest::newRow("no revision label after the code") << "ATUC Vendor Code: 5A4E5456"
                                                      << "ISP Hardware =  [unknown]\r\n\r\n";
    // The line break after the code stays in it; its character 0 is shown as "?" so that the report
    // is not cut short where it is handled as a NUL-terminated text (the clipboard).
    QTest::newRow("labels on two lines") << "ATUC Vendor Code:\t5A4E5456\r\nATUC Revision:\t1"
                                         << "ISP Hardware = ZNTV? [unknown]\r\n\r\n";
}

void TestFirmwareReader::ispHardwareCodeVariants()
{
    QFETCH(QString, stats);
    QFETCH(QString, expected);
    QString strBody;
    ReadIspHardware(stats, m_vendors, strBody);
    QCOMPARE(strBody, expected);
    QVERIFY(!strBody.contains(QChar(0)));
}

QUORVANE_REGISTER_TEST(TestFirmwareReader)
#include "TestFirmwareReader.moc"
