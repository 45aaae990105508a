#include "readers/AdslStatusReader.h"
#include "readers/GoldenFile.h"
#include "support/TestRegistry.h"

#include <QTest>

class TestAdslStatusReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void goldenPages_data();
    void goldenPages();
    void formatLineValues_data();
    void formatLineValues();
    void lineSelection_data();
    void lineSelection();
    void appendsAfterEarlierReportText();
};

void TestAdslStatusReader::goldenPages_data()
{
    GoldenFile::AddRows(QStringLiteral(QUORVANE_TEST_DATA_DIR "/readers/adsl_status"), QStringLiteral("txt"));
}

void TestAdslStatusReader::goldenPages()
{
    QFETCH(QString, input);
    QString strBody;
    ReadAdslStatus(GoldenFile::ReadUtf8(input), strBody);
    QUORVANE_COMPARE_GOLDEN(input, strBody);
}

void TestAdslStatusReader::formatLineValues_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("margin");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("lineAfter");

    QTest::newRow("two one-decimal values") << "SNR Margin12.511.0dB" << true << "SNR Margin: 12.5dB DOWN, 11.0dB UP"
                                            << "12.511.0";
    QTest::newRow("two whole numbers") << "Line Attenuation3117dB" << false << "Line Attenuation: 31dB DOWN, 17dB UP"
                                       << "3117";
    QTest::newRow("downstream has no value") << "SNR MarginNaN11.0dB" << true << "SNR Margin: NaNdB DOWN, 11.0dB UP"
                                             << "NaN11.0";
    QTest::newRow("upstream has no value") << "SNR Margin12.5NaNdB" << true << "SNR Margin: 12.5dB DOWN, NaNdB UP"
                                           << "12.5NaN";
    QTest::newRow("no value in either direction")
        << "Line AttenuationNaNNaNdB" << false << "Line Attenuation: NaNdB DOWN, NaNdB UP"
        << "NaNNaN";
    QTest::newRow("lower-case label is written in its own case")
        << "snr margin12.511.0dB" << true << "SNR Margin: 12.5dB DOWN, 11.0dB UP"
        << "12.511.0";
    QTest::newRow("cut-off NaN in front") << "SNR MarginNa11.0dB" << true << "SNR Margin: Na1dB DOWN, 1.0dB UP"
                                          << "Na11.0";
    QTest::newRow("three dots without NaN") << "SNR Margin1.2.3.4dB" << true << "SNR Margin: 1.2.dB DOWN, 3.4dB UP"
                                            << "1.2.3.4";
    QTest::newRow("odd width whole numbers")
        << "Line Attenuation123dB" << false << "Line Attenuation: 1dB DOWN, 23dB UP"
        << "123";
    // Lines too short for their values still give a line, with the values that are there.
    QTest::newRow("label and unit only") << "SNR MargindB" << true << "SNR Margin: dB DOWN, dB UP"
                                         << "";
    QTest::newRow("shorter than the label") << "SNR Mar" << true << "SNR Margin: dB DOWN, dB UP"
                                            << "";
    QTest::newRow("empty line") << "" << false << "Line Attenuation: dB DOWN, dB UP"
                                << "";
    QTest::newRow("one-dot remainder shorter than 3") << "SNR Margin1.dB" << true << "SNR Margin: dB DOWN, 1.dB UP"
                                                      << "1.";
    QTest::newRow("cut-off NaN with a dot only") << "SNR MarginNa.dB" << true << "SNR Margin: Na.dB DOWN, dB UP"
                                                 << "Na.";
    QTest::newRow("remainder of two letters is halved") << "SNR MarginNadB" << true << "SNR Margin: NdB DOWN, adB UP"
                                                        << "Na";
}

void TestAdslStatusReader::formatLineValues()
{
    QFETCH(QString, line);
    QFETCH(bool, margin);
    QFETCH(QString, expected);
    QFETCH(QString, lineAfter);
    QCOMPARE(FormatLineValues(line, margin), expected);
    QCOMPARE(line, lineAfter);
}

void TestAdslStatusReader::lineSelection_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("headings, buttons and short lines are dropped")
        << "ADSL Status\r\nRestart Stop\r\nDownstreamUpstream\r\nabc\r\n\r\nabcd\r\nx"
        << "\r\n\r\nabcd\r\n";
    QTest::newRow("dropping tests respect letter case") << "adsl status page\r\nrestart stop"
                                                        << "\r\n\r\nadsl status page\r\nrestart stop";
    QTest::newRow("heading inside a longer line drops it") << "Modem ADSL Status: up\r\nkept"
                                                           << "\r\n\r\nkept";
    QTest::newRow("measurement labels matched in any case")
        << "snr margin12.511.0dB\r\nLINE ATTENUATION3117dB"
        << "\r\n\r\nSNR Margin: 12.5dB DOWN, 11.0dB UP\r\nLine Attenuation: 31dB DOWN, 17dB UP";
    QTest::newRow("last page line gets no line break") << "Line StateShowtime"
                                                       << "\r\n\r\nLine StateShowtime";
    QTest::newRow("error page stops the reading") << "Line StateShowtime\r\nAction canceled\r\nSNR Margin12.511.0dB"
                                                  << "\r\n\r\nLine StateShowtime\r\nADSL status cannot be found\r\n";
    QTest::newRow("error page text respects letter case") << "action canceled"
                                                          << "\r\n\r\naction canceled";
    QTest::newRow("empty page") << ""
                                << "\r\n\r\n";
}

void TestAdslStatusReader::lineSelection()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QString strBody;
    ReadAdslStatus(text, strBody);
    QCOMPARE(strBody, expected);
}

void TestAdslStatusReader::appendsAfterEarlierReportText()
{
    QString strBody = QStringLiteral("Encapsulation = PPPoA VC-Mux");
    ReadAdslStatus(QStringLiteral("Line StateShowtime\r\n"), strBody);
    QCOMPARE(strBody, QStringLiteral("Encapsulation = PPPoA VC-Mux\r\n\r\nLine StateShowtime\r\n"));
}

QUORVANE_REGISTER_TEST(TestAdslStatusReader)
#include "TestAdslStatusReader.moc"
