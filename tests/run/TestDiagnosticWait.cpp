#include "run/RunFixture.h"
#include "support/TestRegistry.h"

#include <QTest>

// The wait for the router's diagnostic test, with a clock and timer that only the test moves.
class TestDiagnosticWait : public QObject
{
    Q_OBJECT

    static void StartWait(RunFixture& f)
    {
        f.run.Go();
        f.run.StartDiagnosticWait();
    }
    static void LoadDiag(RunFixture& f, const QString& strText)
    {
        f.Load(QStringLiteral("/doc/diagtest.htm"), strText);
    }

private Q_SLOTS:
    void resultOnTheFirstLoadStopsTheTimerAndFinishes()
    {
        RunFixture f(1);
        StartWait(f);
        QCOMPARE(f.host.timers.value(RunTimer::Diagnostic), 30000);
        QVERIFY(f.host.timerRepeats.value(RunTimer::Diagnostic));
        LoadDiag(f, QStringLiteral("Diagnostic Results\r\nabc\r\nPing ISP: PASS\r\nQuery DNS: PASS"));
        QVERIFY(!f.host.timers.contains(RunTimer::Diagnostic));
        QVERIFY(!f.host.statuses.contains(QStringLiteral("Waiting for diagnostics to complete")));
        QVERIFY(f.host.statuses.contains(QStringLiteral("Reading diagnostic results")));
        QCOMPARE(f.run.State().strReportBody, QStringLiteral("\r\nPing ISP: PASS\r\nQuery DNS: PASS"));
        QVERIFY(f.run.State().blnFinished);
    }

    void resultWhileLoggedInGoesToTheLogOutPage()
    {
        RunFixture f(3);
        f.run.Go();
        f.Load(QStringLiteral("/login.htm"), QStringLiteral("Password"));
        f.run.StartDiagnosticWait();
        f.Load(QStringLiteral("/diag/diagtest.htm"), QStringLiteral("Query DNS: PASS"));
        QCOMPARE(f.run.State().intNextPage, RouterPage::Logout);
        QCOMPARE(f.Browser().LastNavigation(), QStringLiteral("http://127.0.0.1:80/logout.htm"));
        QCOMPARE(f.host.statuses.last(), QStringLiteral("Reading diagnostic results"));
        QVERIFY(!f.run.State().blnFinished);
    }

    void actionCanceledAmongTheResultsStopsTheWalk()
    {
        RunFixture f(1);
        StartWait(f);
        LoadDiag(f, QStringLiteral("Query DNS\r\nAction canceled\r\nnever"));
        QCOMPARE(f.run.State().strReportBody,
            QStringLiteral("\r\nQuery DNS\r\nDiagnostic page cannot be found - action cancelled\r\n"));
    }

    void emptyMarkerCountsEveryLoadAsFinished()
    {
        RunFixture f(1);
        f.profile.strDiagnosticID.clear();
        StartWait(f);
        LoadDiag(f, QStringLiteral("still running"));
        QVERIFY(f.run.State().blnFinished);
    }

    // Whole seconds between the two clock readings: a reading 0.2 s after x.9 s is a second later.
    void waitingStatusesShowTheElapsedSeconds_data()
    {
        QTest::addColumn<int>("intStartMs");
        QTest::addColumn<int>("intLaterMs");
        QTest::addColumn<int>("intShown");
        QTest::newRow("14 seconds") << 0 << 14000 << 14;
        QTest::newRow("across a second boundary") << 900 << 200 << 1;
        QTest::newRow("within one second") << 100 << 800 << 0;
        QTest::newRow("just over a second, across two") << 999 << 1002 << 2;
    }
    void waitingStatusesShowTheElapsedSeconds()
    {
        QFETCH(int, intStartMs);
        QFETCH(int, intLaterMs);
        QFETCH(int, intShown);
        RunFixture f(1);
        f.host.dtNow = f.host.dtNow.addMSecs(intStartMs);
        StartWait(f);
        LoadDiag(f, QStringLiteral("Testing..."));
        QCOMPARE(f.host.statuses.last(), QStringLiteral("Waiting for diagnostics to complete"));
        f.host.dtNow = f.host.dtNow.addMSecs(intLaterMs);
        LoadDiag(f, QStringLiteral("Testing..."));
        QCOMPARE(
            f.host.statuses.last(), QStringLiteral("Waiting for diagnostics to complete : %1 second(s)").arg(intShown));
    }

    void eachRunOfAWindowTimesItsOwnWait()
    {
        RunFixture f(1);
        StartWait(f);
        f.host.dtNow = f.host.dtNow.addSecs(100);
        LoadDiag(f, QStringLiteral("Testing..."));
        LoadDiag(f, QStringLiteral("Query DNS: PASS"));
        QVERIFY(f.run.State().blnFinished);

        // Much later, the next run: the diagnostic page shows up before its wait has begun.
        f.host.dtNow = f.host.dtNow.addSecs(1000);
        f.run.Go();
        LoadDiag(f, QStringLiteral("Testing..."));
        QVERIFY(f.run.RunActive());
        QVERIFY(!f.run.State().blnFinished);
        f.run.StartDiagnosticWait();
        f.host.dtNow = f.host.dtNow.addSecs(14);
        LoadDiag(f, QStringLiteral("Testing..."));
        QCOMPARE(f.host.statuses.last(), QStringLiteral("Waiting for diagnostics to complete : 14 second(s)"));
        f.host.dtNow = f.host.dtNow.addSecs(100);
        LoadDiag(f, QStringLiteral("Query DNS: PASS"));
        QVERIFY(f.run.State().blnFinished);
        QCOMPARE(f.run.State().strReportBody, QStringLiteral("\r\nQuery DNS: PASS"));
        QVERIFY(f.host.messages.back().strText.startsWith(QStringLiteral("A report has been created")));
    }

    void loadAt120SecondsWaitsOnAndAt121Ends()
    {
        RunFixture f(1);
        RunOutcome outcome = RunOutcome::Finished;
        f.run.SetRunEndedHandler([&](RunOutcome o) { outcome = o; });
        StartWait(f);
        f.host.dtNow = f.host.dtNow.addSecs(120);
        LoadDiag(f, QStringLiteral("Testing..."));
        QVERIFY(!f.run.State().blnFinished);
        f.host.dtNow = f.host.dtNow.addSecs(1);
        LoadDiag(f, QStringLiteral("Testing..."));
        QVERIFY(f.run.State().blnFinished);
        QCOMPARE(outcome, RunOutcome::Abnormal);
        QCOMPARE(f.run.State().strReportBody, QStringLiteral("\r\nDiagnostic page timed out"));
        QVERIFY(!f.host.timers.contains(RunTimer::Diagnostic));
        QCOMPARE(f.host.intClipboardWrites, 0);
        QCOMPARE(f.Browser().LastNavigation(), QStringLiteral("about:blank"));
    }

    void errorTextAndTimeOutCanBothEndOneLoad()
    {
        RunFixture f(1);
        StartWait(f);
        f.host.dtNow = f.host.dtNow.addSecs(200);
        const int intWrites = f.host.intReportWrites;
        LoadDiag(f, QStringLiteral("errorText"));
        QCOMPARE(f.run.State().strReportBody,
            QStringLiteral("\r\nDiagnostic page cannot be found - error\r\nDiagnostic page timed out"));
        QCOMPARE(f.host.intReportWrites, intWrites + 2);
        QCOMPARE(f.host.strReport, f.run.State().strReportHead + f.run.State().strReportBody);
    }

    void timerTicksCountThirtySecondsAndTheSixthEnds()
    {
        RunFixture f(1);
        StartWait(f);
        LoadDiag(f, QStringLiteral("Testing..."));
        for (int i = 1; i <= 5; ++i) {
            f.run.OnTimer(RunTimer::Diagnostic);
            QCOMPARE(f.host.statuses.last(),
                QStringLiteral("Waiting for diagnostics to complete : %1 second(s)").arg(i * 30));
            QVERIFY(!f.run.State().blnFinished);
        }
        f.run.OnTimer(RunTimer::Diagnostic);
        QVERIFY(f.run.State().blnFinished);
        QCOMPARE(f.run.State().intDiagTicks, 0);
        QCOMPARE(f.run.State().strReportBody, QStringLiteral("\r\nDiagnostic page timed out with no refresh"));
        QCOMPARE(f.host.statuses.last(), QStringLiteral("Finished report"));
        QVERIFY(!f.host.timers.contains(RunTimer::Diagnostic));
    }

    void waitClockCountsEverySecond()
    {
        RunFixture f(1);
        StartWait(f);
        QCOMPARE(f.host.timers.value(RunTimer::WaitClock), 1000);
        // Before the page's first load the status still says the results are being fetched.
        f.host.AdvanceTime(1000);
        QCOMPARE(f.host.statuses.last(), QStringLiteral("Getting diagnostic results"));
        LoadDiag(f, QStringLiteral("Testing..."));
        const int intBefore = int(f.host.statuses.size());
        f.host.AdvanceTime(3000);
        QCOMPARE(f.host.statuses.mid(intBefore),
            QStringList({ QStringLiteral("Waiting for diagnostics to complete : 2 second(s)"),
                QStringLiteral("Waiting for diagnostics to complete : 3 second(s)"),
                QStringLiteral("Waiting for diagnostics to complete : 4 second(s)") }));
        // The result stops the second hand with Timer1.
        LoadDiag(f, QStringLiteral("Query DNS: PASS"));
        QVERIFY(!f.host.timers.contains(RunTimer::WaitClock));
        QVERIFY(f.run.State().blnFinished);
        // A second hand left over from an earlier wait stops at its next tick and shows nothing.
        f.host.StartTimer(RunTimer::WaitClock, 1000, true);
        const int intAfter = int(f.host.statuses.size());
        f.host.AdvanceTime(2000);
        QCOMPARE(int(f.host.statuses.size()), intAfter);
        QVERIFY(!f.host.timers.contains(RunTimer::WaitClock));
    }

    void ticksAfterSeveralLoadsLeaveTheStatusAlone()
    {
        RunFixture f(1);
        StartWait(f);
        LoadDiag(f, QStringLiteral("Testing..."));
        LoadDiag(f, QStringLiteral("Testing..."));
        const QString strBefore = f.host.statuses.last();
        f.run.OnTimer(RunTimer::Diagnostic);
        QCOMPARE(f.host.statuses.last(), strBefore);
    }
};

QUORVANE_REGISTER_TEST(TestDiagnosticWait)
#include "TestDiagnosticWait.moc"
