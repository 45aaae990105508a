// The history window over a stored history: gaps cut a value's line without adding legend
// entries, resyncs are marked, the range buttons narrow the plot, the export writes the plot.
#include "config/PageTable.h"
#include "config/PageTrace.h"
#include "config/RouterProfile.h"
#include "history/HistorySummary.h"
#include "history/view/HistoryWindow.h"
#include "support/ProcessRunner.h"
#include "support/TestRegistry.h"

#ifdef QUORVANE_HISTORY_PLOT
#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#else
#include <QPlainTextEdit>
#include <QRegularExpression>
#endif
#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

class TestHistoryWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void plotShowsGapsResyncsAndRanges()
    {
        QTemporaryDir dir;
        const RouterKey key { 2, QStringLiteral("127.0.0.1") };
        const QDateTime dtNow = QDateTime::currentDateTimeUtc();
        {
            HistoryStore store;
            QVERIFY(store.Open(dir.filePath(HistoryStore::FileName())));
            // Two days at 30 minutes; the router silent for two hours a day ago, a resync 20
            // minutes ago and another three days ago, outside the last week's plot but in "all".
            for (int i = 96; i >= 0; --i) {
                if (i >= 46 && i < 50)
                    continue;
                LineSample sample;
                sample.dtTime = dtNow.addSecs(-1800LL * i - 60);
                sample.strLineState = QStringLiteral("Showtime");
                sample.dblSnrDown = 9.0 + (i % 5) * 0.2;
                sample.dblSnrUp = 11.0;
                sample.dblAttenuationDown = 31.0;
                sample.dblRateDown = i > 0 ? 8128 : 7616;
                if (i % 10 != 3)
                    sample.dblRateUp = 448; // not shown now and then: a gap in that line only
                QCOMPARE(store.AddSample(key, sample), HistoryStore::WriteResult::Stored);
            }
            QCOMPARE(store.AddEvent(key, { dtNow.addSecs(-1800 * 47), HistoryEventKind::NoAnswer, QString() }),
                HistoryStore::WriteResult::Stored);
            QCOMPARE(store.AddEvent(key, { dtNow.addSecs(-1200), HistoryEventKind::Resync, QStringLiteral("rate") }),
                HistoryStore::WriteResult::Stored);
            QCOMPARE(store.AddEvent(key, { dtNow.addDays(-8), HistoryEventKind::Resync, QStringLiteral("old") }),
                HistoryStore::WriteResult::Stored);
        }
        RouterProfile profile;
        profile.intRouterClass = 2;
        PageTable pages;
        PageTrace trace;
        QString strAddress = QStringLiteral("127.0.0.1");
        QString strPort = QStringLiteral("80");
        HistoryWindow window(
            { dir.path(), &profile, &pages, &trace, [&] {
                 return RouterLogin { QStringLiteral("admin"), QStringLiteral("secret"), strAddress, strPort };
             } });
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

#ifdef QUORVANE_HISTORY_PLOT
        const auto pieces = [&window](const QString& strName) {
            int intPieces = 0;
            int intMarkers = 0;
            int intPoints = 0;
            for (QAbstractSeries* series : window.ChartView()->chart()->series()) {
                if (series->name() != strName)
                    continue;
                ++intPieces;
                intPoints += static_cast<QXYSeries*>(series)->count();
                for (QLegendMarker* marker : window.ChartView()->chart()->legend()->markers(series))
                    intMarkers += marker->isVisible() ? 1 : 0;
            }
            return QList<int> { intPieces, intMarkers, intPoints };
        };
#endif
        auto* optWeek = window.findChild<QRadioButton*>(QStringLiteral("optWeek"));
        auto* optHour = window.findChild<QRadioButton*>(QStringLiteral("optHour"));
        auto* optAll = window.findChild<QRadioButton*>(QStringLiteral("optAll"));
        QVERIFY(optWeek && optHour && optAll);
        // Two days of samples: the window opens on the last week, the shortest range that holds them.
        QVERIFY(optWeek->isChecked());
        optWeek->setChecked(true);
#ifndef QUORVANE_HISTORY_PLOT
        // Without the plot: the summary, then the samples newest first.
        QStringList lines = window.TextView()->toPlainText().split(QLatin1Char('\n'));
        QVERIFY2(lines.contains(QStringLiteral("Samples: 93, gaps: 1")), qPrintable(lines.join('\n')));
        const qsizetype lngHeading = lines.indexOf(QRegularExpression(QStringLiteral("time \\(UTC\\).*")));
        QVERIFY(lngHeading > 0);
        QVERIFY(lines.at(lngHeading + 1) > lines.at(lngHeading + 2)); // the times sort as text
        optHour->setChecked(true);
        QVERIFY(window.TextView()->toPlainText().contains(QStringLiteral("Samples: 2,")));
#endif
#ifdef QUORVANE_HISTORY_PLOT
        QCOMPARE(pieces(QStringLiteral("SNR margin down")), (QList<int> { 2, 1, 93 }));
        // The upstream rate is also cut where the page did not show it.
        QCOMPARE(pieces(QStringLiteral("Rate up (kbps)")).at(1), 1);
        QVERIFY(pieces(QStringLiteral("Rate up (kbps)")).at(0) > 5);
        QCOMPARE(pieces(QStringLiteral("Resync")), (QList<int> { 1, 1, 1 }));
        optAll->setChecked(true);
        QCOMPARE(pieces(QStringLiteral("Resync")).at(2), 2);
        optHour->setChecked(true);
        QCOMPARE(pieces(QStringLiteral("SNR margin down")), (QList<int> { 1, 1, 2 }));
        // The last hour is drawn whole, up to now, though its samples are 60 and 30 minutes old.
        auto* axisTime = qobject_cast<QDateTimeAxis*>(window.ChartView()->chart()->axes(Qt::Horizontal).value(0));
        QVERIFY(axisTime);
        QVERIFY(qAbs(axisTime->min().secsTo(axisTime->max()) - 3600) < 60);
        QVERIFY(axisTime->max() >= dtNow);

#endif
        // The check box that adds the summary to the reports is the option in Settings.ini.
        profile.SetAppFolder(dir.path());
        QVERIFY(!HistoryInReport(profile.strSettingsFile));
        window.findChild<QCheckBox*>(QStringLiteral("chkInReport"))->setChecked(true);
        QVERIFY(HistoryInReport(profile.strSettingsFile));
        QVERIFY(ReportHistoryBlock(dir.path(), key, 1).startsWith(QStringLiteral("\r\n\r\nLine history\r\n")));

        auto* cmdWatch = window.findChild<QPushButton*>(QStringLiteral("cmdWatch"));
        QVERIFY(cmdWatch && cmdWatch->isEnabled());
        QCOMPARE(cmdWatch->text(), QStringLiteral("&Start watching"));
        // Fields a run would refuse start no watch; nor does an empty address, which a run would
        // take as the default gateway's.
        auto* lblHistory = window.findChild<QLabel*>(QStringLiteral("lblHistory"));
        for (const auto& [strRowAddress, strRowPort, strReason] :
            { std::tuple { QString(), QStringLiteral("80"), QStringLiteral("IP address") },
                std::tuple { QStringLiteral("127.0.0.1/x"), QStringLiteral("80"), QStringLiteral("not an IP") },
                std::tuple { QStringLiteral("127.0.0.1"), QStringLiteral("0"), QStringLiteral("port") } }) {
            strAddress = strRowAddress;
            strPort = strRowPort;
            cmdWatch->click();
            QVERIFY(!window.Watching());
            QVERIFY2(lblHistory->text().contains(strReason), qPrintable(lblHistory->text()));
        }

#ifdef QUORVANE_HISTORY_PLOT
        const QString strPng = dir.filePath(QStringLiteral("plot.png"));
        window.SetExportFileChooser([strPng] { return strPng; });
        window.findChild<QPushButton*>(QStringLiteral("cmdExport"))->click();
        const QImage image(strPng);
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), window.ChartView()->grab().size());
        QVERIFY(!window.Export(dir.filePath(QStringLiteral("missing/plot.png"))));
#else
        const QString strCsv = dir.filePath(QStringLiteral("history.csv"));
        window.SetExportFileChooser([strCsv] { return strCsv; });
        window.findChild<QPushButton*>(QStringLiteral("cmdExport"))->click();
        QFile csv(strCsv);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QCOMPARE(csv.readAll().count('\n'), 3); // the heading and the last hour's two samples
        QVERIFY(!window.Export(dir.filePath(QStringLiteral("missing/history.csv"))));
#endif
    }

    // A watch of the simulated Class V router, ended by closing the history window or the main
    // window it belongs to: the log-out reaches the router before the window is gone.
    void closingTheWindowLogsOut_data()
    {
        QTest::addColumn<bool>("blnMainWindow");
        QTest::newRow("history window closed") << false;
        QTest::newRow("main window closed") << true;
    }
    void closingTheWindowLogsOut()
    {
        QFETCH(bool, blnMainWindow);
        QTemporaryDir dir;
        QVERIFY(QFile::copy(QStringLiteral(QUORVANE_SOURCE_DIR "/tools/routersim/profiles/ClassV.ini"),
            dir.filePath(QStringLiteral("ClassV.ini"))));
        SimulatedRouter router;
        QVERIFY(router.Start(QStringLiteral(QUORVANE_APP_DIR "/quorvane-routersim" QUORVANE_EXE_SUFFIX),
            { QStringLiteral("--class"), QStringLiteral("V"), QStringLiteral("--scenario"), QStringLiteral("drift"),
                QStringLiteral("--verbose") }));
        RouterProfile profile;
        profile.SetAppFolder(dir.path());
        PageTable pages;
        profile.SwitchClass(2, pages);
        PageTrace trace;
        const RouterLogin login { QStringLiteral("admin"), QStringLiteral("secret"), QStringLiteral("127.0.0.1"),
            QString::number(router.Port()) };
        QWidget mainWindow;
        AttachHistoryWindow(&mainWindow, nullptr, [&] {
            return HistoryWindowSetup { dir.path(), &profile, &pages, &trace, [login] { return login; } };
        });
        mainWindow.show();
        auto* actHistory = mainWindow.findChild<QAction*>(QStringLiteral("actHistory"));
        QVERIFY(actHistory);
        actHistory->trigger();
        QPointer<HistoryWindow> window = mainWindow.findChild<HistoryWindow*>();
        QVERIFY(window);
        window->StartWatching();
        QTRY_VERIFY_WITH_TIMEOUT(router.Requests().contains("GET /status/adsl.htm 200"), 20000);
        QVERIFY(window->Watching());
        if (blnMainWindow)
            mainWindow.close();
        else
            window->close();
        // Nothing more is waited for: the log-out was over when close() came back.
        QVERIFY2(router.Requests().contains("GET /logout.htm 200"), router.Requests().constData());
    }
};

QUORVANE_REGISTER_TEST(TestHistoryWindow)
#include "TestHistoryWindow.moc"
