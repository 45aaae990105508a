#include "config/AppInfo.h"
#include "config/IniFile.h"
#include "e2e/EndToEnd.h"
#include "support/SkipTest.h"
#include "support/TestRegistry.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QTest>

Q_DECLARE_METATYPE(EndToEndCase)

namespace
{
void RunCase(const QString& strGolden, const EndToEndCase& testCase, int intExpectedExit, int intTimeoutMs)
{
#ifndef Q_OS_UNIX
    // Skipped before the run: uninterrupted, it would wait out the router's endless test.
    if (!testCase.bytInterruptAt.isEmpty())
        QSKIP("the run is interrupted with SIGINT; a console Ctrl-C reaches only a program that shares the "
              "sender's console, and the test starts quorvane-cli without one");
#endif
    EndToEndRunner runner;
    QString strError;
    QVERIFY2(runner.Prepare(testCase, strError), qPrintable(strError));
    QElapsedTimer tmrRun;
    tmrRun.start();
    const ProcessResult result = runner.RunCli(testCase, intTimeoutMs);
    QVERIFY2(!result.blnTimedOut, "quorvane-cli did not finish in time");
    if (!testCase.bytInterruptAt.isEmpty())
        QVERIFY2(result.blnInterrupted, result.stdErr.constData());
    if (!testCase.bytStopRouterAt.isEmpty())
        QVERIFY2(result.blnInterrupted, result.stdErr.constData());
    // A router that does not answer at all, or stops answering, ends the run at once, not after
    // the pages' bounds or the diagnostic wait.
    if (testCase.blnNoRouter || !testCase.bytStopRouterAt.isEmpty())
        QVERIFY2(tmrRun.elapsed() < 15000, qPrintable(QString::number(tmrRun.elapsed())));
    if (!testCase.bytRequestSeen.isEmpty())
        QVERIFY2(runner.RouterRequests().contains(testCase.bytRequestSeen), runner.RouterRequests().constData());
    QVERIFY2(result.intExitCode == intExpectedExit,
        qPrintable(
            QStringLiteral("exit %1, stderr:\n%2").arg(result.intExitCode).arg(QString::fromUtf8(result.stdErr))));
    // The password of the test profiles never reaches the output.
    QVERIFY(!result.stdOut.contains("secret"));
    QVERIFY(!result.stdErr.contains("secret"));
    // Nothing claims a clipboard that the command line never touches.
    QVERIFY2(!result.stdErr.contains("clipboard"), result.stdErr.constData());
    if (result.stdErr.contains("A report has been created"))
        QVERIFY(result.stdErr.contains("A report has been created and written to standard output."));
    const QString strReport = QString::fromUtf8(result.stdOut);
    QVERIFY2(!strReport.isEmpty(), qPrintable(QString::fromUtf8(result.stdErr)));
    // Every line break of the report is CR LF.
    QCOMPARE(strReport.count(QLatin1Char('\n')), strReport.count(QStringLiteral("\r\n")));
    QString strMessage;
    QVERIFY2(EndToEndRunner::MatchesGolden(
                 strGolden, EndToEndRunner::MaskReport(strReport, runner.RouterPort()), strMessage),
        qPrintable(strMessage));
}
} // namespace

// Complete runs of each router class and scenario, compared with saved reports.
class TestEndToEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reportsMatchTheSavedOnes_data()
    {
        QTest::addColumn<EndToEndCase>("testCase");
        QTest::addColumn<int>("intExit");
        const QStringList noCensor { QStringLiteral("--no-censor") };
        const QStringList dump { QStringLiteral("--dump") };
        const QStringList dumpCensored { QStringLiteral("--dump"), QStringLiteral("--censor") };
        const QStringList dumpUncensored { QStringLiteral("--dump"), QStringLiteral("--no-censor") };
        QTest::newRow("classI-normal") << EndToEndCase { QStringLiteral("I"), QStringLiteral("normal"), {}, {} } << 0;
        QTest::newRow("classI-normal-uncensored")
            << EndToEndCase { QStringLiteral("I"), QStringLiteral("normal"), noCensor, {} } << 0;
        QTest::newRow("classI-digest") << EndToEndCase { QStringLiteral("I"), QStringLiteral("digest"), {}, {} } << 0;
        QTest::newRow("classI-diag-error")
            << EndToEndCase { QStringLiteral("I"), QStringLiteral("diag-error"), {}, {} } << 3;
        QTest::newRow("classI-reload-forever")
            << EndToEndCase { QStringLiteral("I"), QStringLiteral("reload-forever"), {}, {} } << 3;
        QTest::newRow("classII-normal") << EndToEndCase { QStringLiteral("II"), QStringLiteral("normal"), {}, {} } << 0;
        QTest::newRow("classII-normal-uncensored")
            << EndToEndCase { QStringLiteral("II"), QStringLiteral("normal"), noCensor, {} } << 0;
        QTest::newRow("classII-login-refused")
            << EndToEndCase { QStringLiteral("II"), QStringLiteral("login-refused"), {}, {} } << 4;
        QTest::newRow("classII-no-ppp-link")
            << EndToEndCase { QStringLiteral("II"), QStringLiteral("no-ppp-link"), {}, {} } << 0;
        QTest::newRow("classII-proc-diag") << EndToEndCase { QStringLiteral("II"), QStringLiteral("proc-diag"), {},
            QStringLiteral("ClassII-proc.ini") }
                                           << 0;
        // A login form that would send the password to another host is not submitted.
        QTest::newRow("classII-login-elsewhere")
            << EndToEndCase { QStringLiteral("II"), QStringLiteral("login-elsewhere"), {}, {} } << 3;
        QTest::newRow("classII-dump") << EndToEndCase { QStringLiteral("II"), QStringLiteral("normal"), dumpCensored,
            {} } << 0;
        QTest::newRow("classII-dump-uncensored")
            << EndToEndCase { QStringLiteral("II"), QStringLiteral("normal"), dumpUncensored, {} } << 0;
        QTest::newRow("classII-dump-login-refused")
            << EndToEndCase { QStringLiteral("II"), QStringLiteral("login-refused"), dump, {} } << 4;
        QTest::newRow("classV-normal") << EndToEndCase { QStringLiteral("V"), QStringLiteral("normal"), {}, {} } << 0;
        QTest::newRow("classV-login-refused")
            << EndToEndCase { QStringLiteral("V"), QStringLiteral("login-refused"), {}, {} } << 4;
        QTest::newRow("classV-no-router")
            << EndToEndCase { QStringLiteral("V"), QStringLiteral("normal"), {}, {}, true } << 3;
        QTest::newRow("classI-no-router")
            << EndToEndCase { QStringLiteral("I"), QStringLiteral("normal"), {}, {}, true } << 3;
        // Ctrl-C while the router's own test runs: the pages so far, and the router logged out.
        QTest::newRow("classV-interrupted") << EndToEndCase { QStringLiteral("V"), QStringLiteral("diag-never"), {}, {},
            false, "status: Waiting for diagnostics to complete", "GET /logout.htm 200" }
                                            << 130;
        // The router goes away while its own test runs: what was read, and the line, at once.
        QTest::newRow("classV-router-stops") << EndToEndCase { QStringLiteral("V"), QStringLiteral("diag-never"), {},
            {}, false, {}, {}, "status: Waiting for diagnostics to complete" }
                                             << 3;
        QTest::newRow("classI-router-stops") << EndToEndCase { QStringLiteral("I"), QStringLiteral("diag-never"), {},
            {}, false, {}, {}, "status: Waiting for diagnostics to complete" }
                                             << 3;
        QTest::newRow("classII-no-router")
            << EndToEndCase { QStringLiteral("II"), QStringLiteral("normal"), {}, {}, true } << 3;
        QTest::newRow("classII-dump-no-router")
            << EndToEndCase { QStringLiteral("II"), QStringLiteral("normal"), dump, {}, true } << 3;
        // Ctrl-C in the middle of the dump: the pages fetched so far, and the router logged out.
        QTest::newRow("classII-dump-interrupted")
            << EndToEndCase { QStringLiteral("II"), QStringLiteral("normal"), dumpCensored, {}, false,
                   "status: ../html/status/adsl.html", "GET /cgi-bin/webcm?getpage=../html/logout.html 200" }
            << 130;
    }
    void reportsMatchTheSavedOnes()
    {
        QFETCH(EndToEndCase, testCase);
        QFETCH(int, intExit);
#ifdef Q_OS_WIN
        // The Windows libcurl answers Digest through the system's security package (SSPI); under
        // Wine that login fails. Not yet tried on Windows itself.
        if (testCase.strScenario == QLatin1String("digest"))
            QSKIP("Digest login through the system's security package fails under Wine");
#endif
        RunCase(QString::fromLatin1(QTest::currentDataTag()), testCase, intExit, 90000);
    }

    // Routers whose pages put their values on with scripts give the report of the same values
    // served as plain markup.
    void scriptedPagesGiveTheSameReport_data()
    {
        QTest::addColumn<QString>("strClass");
        QTest::newRow("classI-normal") << QStringLiteral("I");
        QTest::newRow("classII-normal") << QStringLiteral("II");
        QTest::newRow("classV-normal") << QStringLiteral("V");
    }
    void scriptedPagesGiveTheSameReport()
    {
        QFETCH(QString, strClass);
        RunCase(QString::fromLatin1(QTest::currentDataTag()),
            EndToEndCase { strClass, QStringLiteral("scripted"), {}, {} }, 0, 90000);
    }

    void traceFileNeverHoldsThePassword()
    {
        EndToEndRunner runner;
        QString strError;
        const EndToEndCase testCase { QStringLiteral("I"), QStringLiteral("normal"), { QStringLiteral("--trace") },
            {} };
        QVERIFY2(runner.Prepare(testCase, strError), qPrintable(strError));
        const ProcessResult result = runner.RunCli(testCase, 90000);
        QCOMPARE(result.intExitCode, 0);
        QFile log(runner.AppFolder() + QStringLiteral("/log.txt"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray trace = log.readAll();
        QVERIFY(trace.contains("<<Page 2>>"));
        QVERIFY(trace.contains("Moving to /doc/wan_adv.htm"));
        QVERIFY(!trace.contains("secret"));
    }

    // --output gets the report that standard output would get, --quiet leaves the status lines out,
    // and the closing message comes as lines.
    void outputFileTakesTheReportQuietly()
    {
        EndToEndRunner runner;
        QString strError;
        const QString strFile = runner.AppFolder() + QStringLiteral("/report.txt");
        const EndToEndCase testCase { QStringLiteral("I"), QStringLiteral("normal"),
            { QStringLiteral("--output"), strFile, QStringLiteral("--quiet") }, {} };
        QVERIFY2(runner.Prepare(testCase, strError), qPrintable(strError));
        const ProcessResult result = runner.RunCli(testCase, 90000);
        QCOMPARE(result.intExitCode, 0);
        QVERIFY(result.stdOut.isEmpty());
        QVERIFY2(!result.stdErr.contains("status:"), result.stdErr.constData());
        QVERIFY2(result.stdErr.contains("\nmessage: You may now paste the report into your post on the forum.\n"),
            result.stdErr.constData());
        QVERIFY(result.stdErr.contains(("message: A report has been created and written to " + strFile).toUtf8()));
        QFile report(strFile);
        QVERIFY(report.open(QIODevice::ReadOnly));
        QString strMessage;
        QVERIFY2(EndToEndRunner::MatchesGolden(QStringLiteral("classI-normal"),
                     EndToEndRunner::MaskReport(QString::fromUtf8(report.readAll()), runner.RouterPort()), strMessage),
            qPrintable(strMessage));

        // A file that cannot be written loses nothing: the report goes to standard output.
        const EndToEndCase unwritable { QStringLiteral("I"), QStringLiteral("normal"),
            { QStringLiteral("--output"), runner.AppFolder() + QStringLiteral("/no-such-folder/report.txt") }, {} };
        const ProcessResult fallback = runner.RunCli(unwritable, 90000);
        QCOMPARE(fallback.intExitCode, 1);
        QVERIFY(fallback.stdOut.startsWith("Quorvane | "));
        QVERIFY2(fallback.stdErr.contains("Cannot write the report to"), fallback.stdErr.constData());
    }

#ifdef QUORVANE_HISTORY
    // A watch of the drifting line: one log-in, a sample at the start and one an interval later,
    // the log-out when the duration ends; the history and its summary then hold just those.
    void watchRecordsTheLineAndLogsOut_data()
    {
        QTest::addColumn<QString>("strClass");
        QTest::addColumn<QByteArray>("bytLastRequest");
        QTest::addColumn<int>("intRequests");
        // The log-in page and its form, the ADSL page once per sample, the log-out page.
        QTest::newRow("Class II") << QStringLiteral("II")
                                  << QByteArray("GET /cgi-bin/webcm?getpage=../html/logout.html 200") << 5;
        QTest::newRow("Class V, a frameset log-in") << QStringLiteral("V") << QByteArray("GET /logout.htm 200") << 7;
    }
    void watchRecordsTheLineAndLogsOut()
    {
        QFETCH(QString, strClass);
        QFETCH(QByteArray, bytLastRequest);
        QFETCH(int, intRequests);
        EndToEndRunner runner;
        QString strError;
        const EndToEndCase watch { strClass, QStringLiteral("drift"),
            { QStringLiteral("--watch"), QStringLiteral("--interval"), QStringLiteral("10"),
                QStringLiteral("--duration"), QStringLiteral("15s") },
            {} };
        QVERIFY2(runner.Prepare(watch, strError), qPrintable(strError));
        const ProcessResult result = runner.RunCli(watch, 60000);
        QVERIFY2(result.intExitCode == 0, result.stdErr.constData());
        // Under Wine the last lines that a program writes to a pipe before it ends are now and then
        // lost to the reader; the history itself is read back below all the same.
        if (!RunsUnderWine()) {
            QVERIFY2(result.stdErr.contains("Watching ended after 2 samples"), result.stdErr.constData());
            QList<QByteArray> requests;
            for (const QByteArray& bytLine : runner.RouterRequests().split('\n')) {
                if (bytLine.startsWith("GET ") || bytLine.startsWith("POST "))
                    requests << bytLine;
            }
            QVERIFY2(requests.size() == intRequests && requests.last().trimmed() == bytLastRequest,
                runner.RouterRequests().constData());
        }
        QVERIFY(!result.stdOut.contains("secret") && !result.stdErr.contains("secret"));

        const ProcessResult csv = runner.RunCli(
            { strClass, {}, { QStringLiteral("--history"), QStringLiteral("--format"), QStringLiteral("csv") }, {} },
            30000);
        QCOMPARE(csv.intExitCode, 0);
        QCOMPARE(csv.stdOut.count("Showtime"), 2);
        const ProcessResult summary
            = runner.RunCli({ strClass, {}, { QStringLiteral("--history-summary") }, {} }, 30000);
        QVERIFY2(summary.stdOut.contains("Samples: 2, gaps: 0"), summary.stdOut.constData());
    }
#endif

    // The page reader against the simulator's Class I router, whose pages ask for HTTP
    // authentication: the credentials come as a run takes them.
    void readPagePrintsWhatTheReadersSee_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("bytPasswordEnv");
        QTest::addColumn<int>("intExit");
        QTest::addColumn<QByteArray>("bytShown");
        QTest::newRow("text") << QStringList { QStringLiteral("--user"), QStringLiteral("admin") }
                              << QByteArray("secret") << 0 << QByteArray("User name\r\nMRU\r\nMTU\r\n");
        QTest::newRow("html") << QStringList { QStringLiteral("--user"), QStringLiteral("admin"),
            QStringLiteral("--html") }
                              << QByteArray("secret") << 0
                              << QByteArray("value=\"subscriber@isp.example\" name=ppp_username");
        QTest::newRow("wrong password") << QStringList { QStringLiteral("--user"), QStringLiteral("admin") }
                                        << QByteArray("not-it") << 3 << QByteArray("401 Unauthorized");
        QTest::newRow("no credentials") << QStringList {} << QByteArray() << 3 << QByteArray("401 Unauthorized");
    }
    void readPagePrintsWhatTheReadersSee()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, bytPasswordEnv);
        QFETCH(int, intExit);
        QFETCH(QByteArray, bytShown);
        EndToEndRunner runner;
        QString strError;
        QVERIFY2(
            runner.Prepare({ QStringLiteral("I"), QStringLiteral("normal"), {}, {} }, strError), qPrintable(strError));
        if (!bytPasswordEnv.isEmpty())
            qputenv("QUORVANE_PASSWORD", bytPasswordEnv);
        const QString strUrl = QStringLiteral("http://127.0.0.1:%1/doc/wan_adv.htm").arg(runner.RouterPort());
        const ProcessResult result = RunProgram(EndToEndRunner::ProgramPath(QStringLiteral("quorvane-cli")),
            arguments + QStringList { QStringLiteral("--read-page"), strUrl }, 60000);
        qunsetenv("QUORVANE_PASSWORD");
        QCOMPARE(result.intExitCode, intExit);
        QVERIFY2(result.stdOut.contains(bytShown), result.stdOut.constData());
        QVERIFY(!result.stdOut.contains("secret") && !result.stdErr.contains("secret"));
        if (intExit != 0)
            QVERIFY2(result.stdErr.contains(strUrl.toUtf8()), result.stdErr.constData());
    }

    void dumpOfAnotherClassIsAUsageError()
    {
        EndToEndRunner runner;
        QString strError;
        const EndToEndCase testCase { QStringLiteral("I"), QStringLiteral("normal"), { QStringLiteral("--dump") }, {} };
        QVERIFY2(runner.Prepare(testCase, strError), qPrintable(strError));
        const ProcessResult result = runner.RunCli(testCase, 30000);
        QCOMPARE(result.intExitCode, 2);
        QVERIFY(result.stdOut.isEmpty());
        QVERIFY(result.stdErr.contains("--dump"));
    }

    void usageErrorExitsWithTwo_data()
    {
        QTest::addColumn<QString>("strProgram");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("bytLine");
        QTest::newRow("cli, unknown option")
            << "quorvane-cli" << QStringList { QStringLiteral("--bogus") }
            << QByteArray("quorvane-cli: Unknown option 'bogus'. See quorvane-cli --help.\n");
        QTest::newRow("cli, port out of range")
            << "quorvane-cli" << QStringList { QStringLiteral("--port"), QStringLiteral("65536") }
            << QByteArray(
                   "quorvane-cli: The port \"65536\" is not a number from 1 to 65535. See quorvane-cli --help.\n");
        QTest::newRow("window, unknown option")
            << "quorvane" << QStringList { QStringLiteral("--bogus") }
            << QByteArray("quorvane: Unknown option 'bogus'. See quorvane --help.\n");
        QTest::newRow("window, argument")
            << "quorvane" << QStringList { QStringLiteral("ClassI.ini") }
            << QByteArray("quorvane: Unexpected argument 'ClassI.ini'. See quorvane --help.\n");
    }
    void usageErrorExitsWithTwo()
    {
        QFETCH(QString, strProgram);
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, bytLine);
        // The window reads its command line once its toolkit is up, which needs a screen.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        const ProcessResult result = RunProgram(EndToEndRunner::ProgramPath(strProgram), arguments, 30000);
        QCOMPARE(result.intExitCode, 2);
        QVERIFY(result.stdOut.isEmpty());
        // One line of its own (the toolkit may have spoken before it).
        QVERIFY2(result.stdErr.endsWith(bytLine) && result.stdErr.count(bytLine.left(bytLine.indexOf(':') + 1)) == 1,
            result.stdErr.constData());
    }

    void windowWithoutADisplaySaysWhereToTurn_data()
    {
        QTest::addColumn<QByteArray>("bytDisplay"); // what DISPLAY names, or nothing
        QTest::addColumn<QByteArray>("bytLine");
        QTest::newRow("nothing named") << QByteArray()
                                       << QByteArray("quorvane: no display was found. quorvane-cli runs the same "
                                                     "diagnostic without a window.\n");
        // A display that nobody serves (a local one: its socket is looked for, no other host).
        int intFree = 9000;
        while (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(intFree)))
            ++intFree;
        const QByteArray bytFree = ':' + QByteArray::number(intFree);
        QTest::newRow("a display nobody serves") << bytFree
                                                 << "quorvane: no display was found at " + bytFree
                + ". quorvane-cli runs the same diagnostic without a window.\n";
    }
    void windowWithoutADisplaySaysWhereToTurn()
    {
#if defined(Q_OS_LINUX)
        QFETCH(QByteArray, bytDisplay);
        QFETCH(QByteArray, bytLine);
        // Nothing names a platform, and a display only as the row says: one line of the window's
        // own, no toolkit abort.
        QMap<QByteArray, QByteArray> saved;
        for (const char* strVariable : { "QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY" }) {
            if (qEnvironmentVariableIsSet(strVariable))
                saved.insert(strVariable, qgetenv(strVariable));
            qunsetenv(strVariable);
        }
        if (!bytDisplay.isEmpty())
            qputenv("DISPLAY", bytDisplay);
        const ProcessResult result = RunProgram(EndToEndRunner::ProgramPath(QStringLiteral("quorvane")), {}, 30000);
        qunsetenv("DISPLAY");
        for (auto it = saved.cbegin(); it != saved.cend(); ++it)
            qputenv(it.key().constData(), it.value());
        QCOMPARE(result.intExitCode, 1);
        QVERIFY(result.stdOut.isEmpty());
        QCOMPARE(result.stdErr, bytLine);
#else
        QSKIP("the display is named by the environment on Linux only");
#endif
    }

    void helpAndVersionGoToStandardOutput_data()
    {
        QTest::addColumn<QString>("strProgram");
        QTest::newRow("cli") << "quorvane-cli";
        QTest::newRow("window") << "quorvane";
    }
    void helpAndVersionGoToStandardOutput()
    {
        QFETCH(QString, strProgram);
        const ProcessResult help
            = RunProgram(EndToEndRunner::ProgramPath(strProgram), { QStringLiteral("--help") }, 30000);
        QCOMPARE(help.intExitCode, 0);
        QVERIFY2(help.stdOut.startsWith("Usage: " + strProgram.toUtf8() + " [options]\n"), help.stdOut.constData());
        QVERIFY(help.stdErr.isEmpty());
        const ProcessResult version
            = RunProgram(EndToEndRunner::ProgramPath(strProgram), { QStringLiteral("-v") }, 30000);
        QCOMPARE(version.intExitCode, 0);
        QCOMPARE(version.stdOut, (strProgram + QLatin1Char(' ') + AppInfo::VersionText() + QLatin1Char('\n')).toUtf8());
    }

    void passwordFromTheEnvironmentOverridesTheProfile()
    {
        EndToEndRunner runner;
        QString strError;
        const EndToEndCase testCase { QStringLiteral("II"), QStringLiteral("normal"), {}, {} };
        QVERIFY2(runner.Prepare(testCase, strError), qPrintable(strError));
        qputenv("QUORVANE_PASSWORD", "not-the-password");
        const ProcessResult result = runner.RunCli(testCase, 90000);
        qunsetenv("QUORVANE_PASSWORD");
        QCOMPARE(result.intExitCode, 4);
        QVERIFY2(result.stdOut.contains("Could not log in"), result.stdOut.constData());
    }

    void portOfTheProfileThatIsNotOneSendsNothing()
    {
        EndToEndRunner runner;
        QString strError;
        const EndToEndCase testCase { QStringLiteral("I"), QStringLiteral("normal"), {}, {} };
        QVERIFY2(runner.Prepare(testCase, strError), qPrintable(strError));
        // The test profiles name port 0; without --port that is what the run would use.
        const ProcessResult result = RunProgram(EndToEndRunner::ProgramPath(QStringLiteral("quorvane-cli")),
            { QStringLiteral("--app-dir"), runner.AppFolder(), QStringLiteral("--class"), QStringLiteral("I"),
                QStringLiteral("--ping-host"), QStringLiteral("localhost"), QStringLiteral("--ping-ip"),
                QStringLiteral("127.0.0.1") },
            30000);
        QCOMPARE(result.intExitCode, 2);
        QVERIFY(result.stdOut.isEmpty());
        QVERIFY2(result.stdErr.startsWith("quorvane-cli: The port \"0\""), result.stdErr.constData());
        // Not even the status of a first step.
        QVERIFY(!result.stdErr.contains("status:"));
    }

    // A shared profile whose page path names another host is refused before anything is sent.
    void pagePathOfAnotherHostSendsNothing_data()
    {
        QTest::addColumn<QString>("strClass");
        QTest::addColumn<QString>("strKey");
        QTest::addColumn<QStringList>("extraArgs");
        QTest::newRow("Class I system log") << "I"
                                            << "System log" << QStringList();
        QTest::newRow("Class II log-in, dump") << "II"
                                               << "Log in" << QStringList { QStringLiteral("--dump") };
    }
    void pagePathOfAnotherHostSendsNothing()
    {
        QFETCH(QString, strClass);
        QFETCH(QString, strKey);
        QFETCH(QStringList, extraArgs);
        EndToEndRunner runner;
        QString strError;
        const EndToEndCase testCase { strClass, QStringLiteral("normal"), extraArgs, {} };
        QVERIFY2(runner.Prepare(testCase, strError), qPrintable(strError));
        const QString strProfile = runner.AppFolder() + QStringLiteral("/Class") + strClass + QStringLiteral(".ini");
        QVERIFY(WriteIni(QStringLiteral("URLs"), strKey,
            QStringLiteral("@127.0.0.2:%1/doc/syslog.htm").arg(runner.RouterPort()), strProfile));
        const ProcessResult result = runner.RunCli(testCase, 30000);
        QCOMPARE(result.intExitCode, 2);
        QVERIFY(result.stdOut.isEmpty());
        const QByteArray bytWanted = ("quorvane-cli: The page path \"@127.0.0.2:"
            + QByteArray::number(runner.RouterPort()) + "/doc/syslog.htm\" of \"" + strKey.toUtf8() + "\" in "
            + QDir::toNativeSeparators(strProfile).toUtf8() + " is not a path");
        QVERIFY2(result.stdErr.startsWith(bytWanted), result.stdErr.constData());
        QVERIFY(!result.stdErr.contains("status:"));
    }
};

// The diagnostic page that never shows its result ends the run after 120 seconds of real time.
class TestEndToEndSlow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void diagnosticThatNeverFinishesTimesOut()
    {
        RunCase(QStringLiteral("classI-diag-never"),
            EndToEndCase { QStringLiteral("I"), QStringLiteral("diag-never"), {}, {} }, 3, 200000);
    }
};

QUORVANE_REGISTER_TEST(TestEndToEnd)
QUORVANE_REGISTER_TEST(TestEndToEndSlow)
#include "TestEndToEnd.moc"
