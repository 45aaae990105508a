// Reading samples from the three classes' pages, the time spans of the command line, and the
// summary and CSV of a fixed history against their golden files.
#include "history/HistorySummary.h"
#include "history/LineSampleReader.h"
#include "readers/GoldenFile.h"
#include "support/TestRegistry.h"

#include <QTest>

namespace
{
const QDateTime dtBase = QDateTime(QDate(2026, 12, 8), QTime(18, 0), Qt::UTC);

// Four hours at 10 minutes, the margin falling in the evening, a resync with a rate drop, the
// router silent for half an hour, and samples whose upstream margin the page did not show.
LineHistory FixedHistory()
{
    LineHistory history;
    history.events.push_back({ dtBase.addSecs(-5), HistoryEventKind::WatchStart, QStringLiteral("every 600 s") });
    for (int i = 0; i < 25; ++i) {
        if (i >= 12 && i < 15)
            continue; // silent
        LineSample sample;
        sample.dtTime = dtBase.addSecs(600LL * i);
        sample.strLineState = i == 8 ? QStringLiteral("Training") : QStringLiteral("Showtime");
        sample.strModulation = QStringLiteral("G.992.5 Annex A");
        if (i != 8) {
            sample.dblRateDown = i < 8 ? 8128 : 7616;
            sample.dblRateUp = 448;
            sample.dblSnrDown = 12.5 - 0.3 * i;
            if (i % 5 != 4)
                sample.dblSnrUp = 11.0 + 0.1 * (i % 3);
        }
        sample.dblAttenuationDown = 31.0 + 0.5 * (i % 2);
        sample.dblAttenuationUp = 17.0;
        history.samples.push_back(sample);
    }
    history.events.push_back({ dtBase.addSecs(4800), HistoryEventKind::Resync, QStringLiteral("line state Training") });
    history.events.push_back({ dtBase.addSecs(7300), HistoryEventKind::NoAnswer, QStringLiteral("no page for 600 s") });
    history.events.push_back({ dtBase.addSecs(9000), HistoryEventKind::Answering, QString() });
    history.events.push_back(
        { dtBase.addSecs(13800), HistoryEventKind::Resync, QStringLiteral("uptime went back to 40 s") });
    return history;
}
} // namespace

class TestHistorySummary : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void samplesAreReadFromEachClassPage_data()
    {
        QTest::addColumn<int>("intClass");
        QTest::addColumn<QString>("strText");
        QTest::addColumn<QString>("strHtml");
        QTest::addColumn<QString>("strExpected"); // state|down rate|snr down|snr up|att down|att up|uptime|crc
        QTest::newRow("Class I") << 1
                                 << QStringLiteral("ADSL Status\r\nLine state: Showtime\r\nDownstreamUpstream\r\nSNR "
                                                   "Margin12.511.0dB\r\nLine Attenuation3117dB\r\nData rate: 8128 "
                                                   "kbps down, 448 kbps up\r\nRestart Stop")
                                 << QString() << QStringLiteral("Showtime|8128|12.5|11|31|17|-|-");
        QTest::newRow("Class V, no value downstream")
            << 3
            << QStringLiteral("ADSL Status\r\nLine status: Showtime\r\nSNR MarginNaN12.0dB\r\nLine "
                              "Attenuation42.524.0dB\r\nConnection time: 1d 02:03:04\r\nCRC errors: 12 down, 3 up")
            << QString() << QStringLiteral("Showtime|-|-|12|42.5|24|93784|15");
        QTest::newRow("Class II table")
            << 2 << QStringLiteral("ADSL")
            << QStringLiteral("<table><tr><td>Description</td><td>Line State</td><td>Down Rate (kbps)</td><td>Up "
                              "SNR Margin (dB)</td><td>Down Attenuation (dB)</td><td>Uptime</td></tr><tr><td>Current</"
                              "td><td>Showtime</td><td>8128</td><td>12.0</td><td>28.5</td><td>2 days 3 "
                              "hours</td></tr></table>")
            << QStringLiteral("Showtime|8128|-|12|28.5|-|183600|-");
        QTest::newRow("browser error page") << 1 << QStringLiteral("Action canceled") << QString() << QString();
        QTest::newRow("page without values")
            << 3 << QStringLiteral("Welcome\r\nNothing here") << QString() << QString();
    }

    void samplesAreReadFromEachClassPage()
    {
        QFETCH(int, intClass);
        QFETCH(QString, strText);
        QFETCH(QString, strHtml);
        QFETCH(QString, strExpected);
        const std::optional<LineSample> sample = ReadLineSample(intClass, strText, strHtml, dtBase);
        if (strExpected.isEmpty()) {
            QVERIFY(!sample);
            return;
        }
        QVERIFY(sample);
        const auto text = [](const auto& value) { return value ? QString::number(*value) : QStringLiteral("-"); };
        const QString strActual = QStringList { sample->strLineState, text(sample->dblRateDown),
            text(sample->dblSnrDown), text(sample->dblSnrUp), text(sample->dblAttenuationDown),
            text(sample->dblAttenuationUp), text(sample->lngUptime), text(sample->lngCrcErrors) }
                                      .join(QLatin1Char('|'));
        QCOMPARE(strActual, strExpected);
        QCOMPARE(sample->dtTime, dtBase);
    }

    void timeSpansOfTheCommandLine_data()
    {
        QTest::addColumn<QString>("strSpan");
        QTest::addColumn<qint64>("lngSeconds"); // -1: refused
        QTest::newRow("seconds") << "90" << qint64(90);
        QTest::newRow("hours") << "24h" << qint64(86400);
        QTest::newRow("combined") << "1h30m" << qint64(5400);
        QTest::newRow("week") << "2W" << qint64(14 * 86400);
        QTest::newRow("unknown unit") << "3y" << qint64(-1);
        QTest::newRow("negative") << "-5m" << qint64(-1);
        QTest::newRow("empty") << "" << qint64(-1);
        QTest::newRow("unit alone") << "h" << qint64(-1);
    }

    void timeSpansOfTheCommandLine()
    {
        QFETCH(QString, strSpan);
        QFETCH(qint64, lngSeconds);
        QCOMPARE(ParseTimeSpan(strSpan).value_or(-1), lngSeconds);
    }

    void summaryAndCsvMatchTheirGoldens_data()
    {
        QTest::addColumn<QString>("strName");
        QTest::newRow("summary") << "summary.txt";
        QTest::newRow("csv") << "samples.csv";
    }

    void summaryAndCsvMatchTheirGoldens()
    {
        QFETCH(QString, strName);
        const LineHistory history = FixedHistory();
        const QString strActual = strName.endsWith(QLatin1String(".csv"))
            ? FormatHistory(history, { 1, QStringLiteral("127.0.0.1") }, QStringLiteral("csv"))
            : SummariseHistory(history);
        QVERIFY2(GoldenFile::Matches(QStringLiteral(QUORVANE_TEST_DATA_DIR "/history/") + strName, strActual),
            qPrintable(strActual));
    }

    void emptyHistorySaysSo()
    {
        QCOMPARE(SummariseHistory({}), QStringLiteral("Line history\r\nNo samples recorded for this router."));
        QVERIFY(HistoryGaps({}).empty());
    }
};

QUORVANE_REGISTER_TEST(TestHistorySummary)
#include "TestHistorySummary.moc"
