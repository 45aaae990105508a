#include "dump/ClassIIDump.h"
#include "run/RunFixture.h"
#include "support/TestRegistry.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

namespace
{
const QString strCgi = QStringLiteral("/cgi-bin/webcm?getpage=");

struct DumpFixture : RunFixture
{
    DumpFixture()
        : RunFixture(2)
        , dump(run)
    {
        profile.strAppFolder = dir.path() + QStringLiteral("/");
    }
    void WriteList(const QByteArray& list)
    {
        QFile file(dir.filePath(QStringLiteral("ClassIIDump.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(list);
    }
    void Answer(const QString& strPage, const QString& strText)
    {
        host.downloader.answers.insert(RunFixture::Base() + strCgi + strPage, strText);
    }
    // Starts the command and completes the login page; the dump runs inside that completion.
    void RunThroughLogin()
    {
        dump.Start();
        Load(strCgi + QStringLiteral("../html/login.html"), QStringLiteral("Log in"));
    }
    QString Title() const { return QStringLiteral("Quorvane | www.quorvane.example - v1.3.3 - 07/12/2026 06:05:12"); }
    // Two pages with text and one that fails.
    void ListThreePages()
    {
        WriteList("A\r\nB\r\nC");
        Answer(QStringLiteral("A"), QStringLiteral("line1\nline2"));
        Answer(QStringLiteral("B"), QStringLiteral("x"));
        Answer(QStringLiteral("C"), QStringLiteral("cc"));
    }
    // A dump's text after its title line, which carries the time.
    static QString AfterTitle(const QString& strDump) { return strDump.mid(strDump.indexOf(QStringLiteral("\r\n"))); }

    QTemporaryDir dir;
    ClassIIDump dump;
};
// The endings of a run that leave its login behind: it never reached the log-out page.
enum class Ending { DiagTimedOut, DiagNoRefresh, DiagError, HitLimit, NoPage };

// A Go that logs in and then ends by ending.
void EndAfterTheLogin(RunFixture& f, Ending ending)
{
    f.run.Go();
    const QString strHtml = QStringLiteral("/cgi-bin/webcm?getpage=../html/");
    f.Load(strHtml + QStringLiteral("login.html"), QStringLiteral("Log in"));
    const QString strDiag = strHtml + QStringLiteral("tools/diagnostics.html");
    switch (ending) {
    case Ending::DiagTimedOut:
        f.run.StartDiagnosticWait();
        f.Load(strDiag, QStringLiteral("Testing..."));
        f.host.dtNow = f.host.dtNow.addSecs(121);
        f.Load(strDiag, QStringLiteral("Testing..."));
        break;
    case Ending::DiagNoRefresh:
        f.run.StartDiagnosticWait();
        f.Load(strDiag, QStringLiteral("Testing..."));
        f.host.AdvanceTime(6 * DiagnosticRun::intDiagTimerMs);
        break;
    case Ending::DiagError:
        f.run.StartDiagnosticWait();
        f.Load(strDiag, QStringLiteral("errorText"));
        break;
    case Ending::HitLimit:
        for (int i = 0; i < 11; ++i)
            f.Load(strHtml + QStringLiteral("status/product.html"), QStringLiteral("Product Information"));
        break;
    case Ending::NoPage:
        f.host.AdvanceTime(DiagnosticRun::intPageWatchdogMs);
        break;
    }
}
} // namespace

Q_DECLARE_METATYPE(Ending)

// The Class II data dump: login through the run, then the listed pages through the downloader.
class TestClassIIDump : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void dumpCollectsTheListedPagesInOrder()
    {
        DumpFixture f;
        f.WriteList("A\r\n\r\n  B  \r\n");
        f.Answer(QStringLiteral("A"), QStringLiteral("line1\nline2"));
        f.Answer(QStringLiteral("B"), QStringLiteral("x\r\ny"));
        RunOutcome outcome = RunOutcome::Abnormal;
        f.run.SetRunEndedHandler([&](RunOutcome o) { outcome = o; });
        f.RunThroughLogin();
        const QString strExpected
            = f.Title() + QStringLiteral("\r\nClass II Dump\r\n\r\n\r\nA\r\nline1\r\nline2\r\n\r\nB\r\nx\r\r\ny\r\n");
        QCOMPARE(f.host.strReport, strExpected);
        QCOMPARE(f.host.strClipboard, strExpected);
        QCOMPARE(f.host.statuses.last(), QStringLiteral("Data dump complete"));
        QCOMPARE(outcome, RunOutcome::Finished);
        QVERIFY(!f.run.State().blnDataDump);
        QVERIFY(!f.run.State().blnLoggedIn);
        QCOMPARE(f.host.controlStates.first(), false);
        QCOMPARE(f.host.controlStates.last(), true);
        QCOMPARE(f.host.strReportToolTip, QStringLiteral("Data dump"));
        QVERIFY(f.host.downloader.requests.contains(RunFixture::Base() + strCgi + QStringLiteral("B")));
    }

    // With "Censor data" checked the dump passes the report filter before it is shown or copied, and
    // the closing message says which it was; any other value leaves the pages raw.
    void dumpIsCensoredWhenAsked_data()
    {
        QTest::addColumn<int>("censor");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("closingLine");
        const QString strRaw
            = QStringLiteral("<td><b>WAN IP Address:</b> 81.2.3.4</td>\r\n<td>SSID</td><td>Home-42</td>\r\n"
                             "<td><b>Serial Number:</b> RS22-0045871</td>\r\nmac 02:1A:3F:4B:7E:01\r\n"
                             "<td><b>Primary DNS:</b> 198.51.100.53</td>\r\n");
        QTest::newRow("checked") << 1
                                 << QStringLiteral("<td><b>WAN IP Address:</b> <censored></td>\r\n"
                                                   "<td>SSID</td><td><SSID censored></td>\r\n"
                                                   "<td><b>Serial Number:</b> <censored></td>\r\nmac X-X-X-X-X-X\r\n"
                                                   "<td><b>Primary DNS:</b> 198.51.100.53</td>\r\n")
                                 << QStringLiteral("Any sensitive information has been censored for your privacy.");
        QTest::newRow("unchecked") << 0 << strRaw << QStringLiteral("Any sensitive information has NOT been censored.");
        QTest::newRow("greyed") << 2 << strRaw << QStringLiteral("Any sensitive information has NOT been censored.");
    }

    void dumpIsCensoredWhenAsked()
    {
        QFETCH(int, censor);
        QFETCH(QString, expected);
        QFETCH(QString, closingLine);
        DumpFixture f;
        f.host.SetCheckValue(RunCheck::Censor, censor);
        f.WriteList("status");
        f.Answer(QStringLiteral("status"),
            QStringLiteral("<td><b>WAN IP Address:</b> 81.2.3.4</td>\n<td>SSID</td><td>Home-42</td>\n"
                           "<td><b>Serial Number:</b> RS22-0045871</td>\nmac 02:1A:3F:4B:7E:01\n"
                           "<td><b>Primary DNS:</b> 198.51.100.53</td>"));
        f.RunThroughLogin();
        QCOMPARE(f.AfterTitle(f.host.strReport), QStringLiteral("\r\nClass II Dump\r\n\r\n\r\nstatus\r\n") + expected);
        QCOMPARE(f.host.strClipboard, f.host.strReport);
        QCOMPARE(f.run.State().strReportHead, f.host.strReport);
        QCOMPARE(f.host.messages.size(), size_t(1));
        QVERIFY2(f.host.messages.back().strText.endsWith(closingLine), qPrintable(f.host.messages.back().strText));
    }

    // The list is a file users edit, with whatever editor they have.
    void listIsReadInTheEncodingsAndLineEndsOfEditors_data()
    {
        QTest::addColumn<QByteArray>("bytList");
        const QString strText = QStringLiteral(" A \r\n\r\nB\u00e9\r\n");
        QTest::newRow("CR LF, single-byte") << QByteArray(" A \r\n\r\nB\xe9\r\n");
        QTest::newRow("LF only") << QByteArray(" A \n\nB\xe9");
        QTest::newRow("CR only, mixed") << QByteArray(" A \r\r\nB\xe9\n");
        QTest::newRow("UTF-8") << strText.toUtf8();
        QTest::newRow("UTF-8 with mark") << QByteArray("\xEF\xBB\xBF") + strText.toUtf8();
        QStringEncoder le(QStringConverter::Utf16LE);
        QStringEncoder be(QStringConverter::Utf16BE);
        QTest::newRow("UTF-16 LE with mark") << QByteArray("\xFF\xFE") + QByteArray(le(strText));
        QTest::newRow("UTF-16 BE with mark") << QByteArray("\xFE\xFF") + QByteArray(be(strText));
        QTest::newRow("UTF-16 LE without mark") << QByteArray(le(strText));
    }
    void listIsReadInTheEncodingsAndLineEndsOfEditors()
    {
        QFETCH(QByteArray, bytList);
        QCOMPARE(ClassIIDump::ListedPages(bytList), QStringList({ QStringLiteral("A"), QStringLiteral("B\u00e9") }));
        DumpFixture f;
        f.WriteList(bytList);
        f.Answer(QStringLiteral("A"), QStringLiteral("aa"));
        f.RunThroughLogin();
        QCOMPARE(f.host.downloader.requests.size(), 2);
        QVERIFY(f.host.strReport.endsWith(QStringLiteral("\r\nA\r\naa\r\n\r\nB\u00e9\r\n")));
    }

    // A list of 10,000 names ends at the page bound, or at the time bound when pages are slow, and
    // the dump says which.
    void longListStopsAtItsBounds_data()
    {
        QTest::addColumn<int>("intSecondsPerPage");
        QTest::addColumn<int>("intFetched");
        QTest::addColumn<QString>("strNote");
        QTest::newRow("fast pages") << 1 << ClassIIDump::intMaxPages
                                    << QStringLiteral(
                                           "Data dump stopped after 500 pages: the 9500 further pages of the "
                                           "list were not fetched.");
        // Three seconds a page: the 200th page starts at 597 s, the 201st at 600 s.
        QTest::newRow("slow pages") << 3 << 200
                                    << QStringLiteral("Data dump stopped after 10 minutes: the 9800 further pages of "
                                                      "the list were not fetched.");
    }
    void longListStopsAtItsBounds()
    {
        QFETCH(int, intSecondsPerPage);
        QFETCH(int, intFetched);
        QFETCH(QString, strNote);
        DumpFixture f;
        QByteArray bytList;
        for (int intLine = 1; intLine <= 10000; ++intLine)
            bytList += "page" + QByteArray::number(intLine) + "\n";
        f.WriteList(bytList);
        // The pages' events run once after each page.
        f.host.onProcessEvents = [&] { f.host.dtNow = f.host.dtNow.addSecs(intSecondsPerPage); };
        RunOutcome outcome = RunOutcome::Abnormal;
        f.run.SetRunEndedHandler([&](RunOutcome o) { outcome = o; });
        f.RunThroughLogin();
        QCOMPARE(f.host.downloader.requests.size(), intFetched);
        QVERIFY(f.host.downloader.requests.last().endsWith(QStringLiteral("=page%1").arg(intFetched)));
        QVERIFY2(f.host.strReport.endsWith(
                     QStringLiteral("\r\npage%1\r\n\r\n").arg(intFetched) + strNote + QStringLiteral("\r\n")),
            qPrintable(f.host.strReport.right(300)));
        QCOMPARE(outcome, RunOutcome::Finished);
        QCOMPARE(f.host.strClipboard, f.host.strReport);
    }

    void failedPageLeavesItsNameLineAlone()
    {
        DumpFixture f;
        f.WriteList("A\r\nB");
        f.Answer(QStringLiteral("A"), QStringLiteral("x")); // a single byte counts as a failed download
        f.Answer(QStringLiteral("B"), QStringLiteral("bb"));
        f.RunThroughLogin();
        QVERIFY(f.host.strReport.endsWith(QStringLiteral("\r\n\r\nA\r\n\r\nB\r\nbb\r\n")));
    }

    void loginPromptStopsTheDump()
    {
        DumpFixture f;
        f.WriteList("A\r\nB");
        f.Answer(QStringLiteral("A"), QStringLiteral("Please log in to continue"));
        f.Answer(QStringLiteral("B"), QStringLiteral("never"));
        f.RunThroughLogin();
        QVERIFY(f.host.strReport.endsWith(
            QStringLiteral("\r\nA\r\nCould not log in. Please check your router's username and password.")));
        QCOMPARE(f.host.downloader.requests.size(), 1);
        QCOMPARE(f.host.statuses.last(), QStringLiteral("Data dump complete"));
        QVERIFY(!f.run.RunActive());
        // The dump itself tells of the refused login; no message box is shown.
        QVERIFY(f.host.messages.empty());
    }

    // A cancel while a page is fetched keeps the pages before it, logs out and says so; neither the
    // page under way nor the clipboard gets anything.
    void cancelKeepsThePagesSoFarAndLogsOut()
    {
        DumpFixture f;
        f.ListThreePages();
        QList<RunOutcome> outcomes;
        f.run.SetRunEndedHandler([&](RunOutcome o) { outcomes << o; });
        f.host.onPause = [&] {
            if (f.host.downloader.requests.size() == 3)
                f.run.Cancel();
        };
        f.RunThroughLogin();
        f.host.onPause = {};
        QVERIFY(outcomes.isEmpty());
        QCOMPARE(f.host.downloader.requests.size(), 3);
        QCOMPARE(f.Browser().LastNavigation(), RunFixture::Base() + strCgi + QStringLiteral("../html/logout.html"));
        f.Load(strCgi + QStringLiteral("../html/logout.html"), QStringLiteral("Logged out"));

        QCOMPARE(outcomes, QList<RunOutcome>({ RunOutcome::Cancelled }));
        QCOMPARE(DumpFixture::AfterTitle(f.host.strReport),
            QStringLiteral("\r\nClass II Dump\r\n\r\n\r\nA\r\nline1\r\nline2\r\n\r\nB\r\n\r\n")
                + DiagnosticRun::CancelledLine());
        QCOMPARE(f.host.statuses.last(), QStringLiteral("Data dump cancelled"));
        QCOMPARE(f.host.intClipboardWrites, 0);
        QVERIFY(!f.run.State().blnLoggedIn);
        QVERIFY(!f.run.State().blnDataDump);
        QCOMPARE(f.host.controlStates.last(), true);
    }

    void missingListGivesTheTitleLinesOnly()
    {
        DumpFixture f;
        f.RunThroughLogin();
        QCOMPARE(f.host.strReport, f.Title() + QStringLiteral("\r\nClass II Dump\r\n\r\n"));
        QCOMPARE(f.host.strClipboard, f.host.strReport);
    }

    void abnormalEndingBeforeTheLoginClearsDumpMode()
    {
        DumpFixture f;
        f.run.Go();
        f.run.FinishReport();
        f.dump.Start();
        QVERIFY(f.run.State().blnDataDump);
        const QString strUrl = RunFixture::Base() + strCgi + QStringLiteral("../html/login.html");
        f.Browser().Load(strUrl, QStringLiteral("DNS Error"));
        QVERIFY(!f.run.State().blnDataDump);
        // The report box shows the dump's title lines, not the report of the run before.
        QCOMPARE(f.host.strReport,
            QStringLiteral("Quorvane | www.quorvane.example - v1.3.3 - 07/12/2026 06:05:09\r\nClass II Dump\r\n\r\n"
                           "Unable to login: ")
                + strUrl);
        // A later Go is therefore a diagnostic run, not a dump.
        f.run.Go();
        f.Load(strCgi + QStringLiteral("../html/login.html"), QStringLiteral("Log in"));
        QCOMPARE(f.run.State().intNextPage, RouterPage::ProductInfo);
    }

    void downloadThatNeverEndsStopsTheDumpAfterTheBound()
    {
        DumpFixture f;
        f.ListThreePages();
        f.host.downloader.hanging << RunFixture::Base() + strCgi + QStringLiteral("B");
        RunOutcome outcome = RunOutcome::Finished;
        QDateTime dtEnded;
        f.run.SetRunEndedHandler([&](RunOutcome o) {
            outcome = o;
            dtEnded = f.host.dtNow;
        });
        QDateTime dtAsked;
        f.host.onPause = [&] {
            if (!dtAsked.isValid() && f.host.downloader.requests.size() == 2)
                dtAsked = f.host.dtNow.addSecs(-1); // the first poll's second has passed
        };
        f.RunThroughLogin();
        QCOMPARE(outcome, RunOutcome::Abnormal);
        QCOMPARE(dtAsked.secsTo(dtEnded), DiagnosticRun::intPageWatchdogMs / 1000);
        QVERIFY2(f.host.strReport.endsWith(
                     QStringLiteral("\r\nA\r\nline1\r\nline2\r\n\r\nB\r\n") + DiagnosticRun::NoPageLine()),
            qPrintable(f.host.strReport));
        QCOMPARE(f.host.downloader.requests.size(), 2);
        QCOMPARE(f.host.downloader.intCancels, 1);
        QCOMPARE(f.host.intClipboardWrites, 0);
        QCOMPARE(f.host.statuses.last(), QStringLiteral("Data dump stopped - the router sent no page for 60 seconds"));
        QCOMPARE(f.host.controlStates.last(), true);
        QVERIFY(!f.run.RunActive());
        QVERIFY(f.host.timers.isEmpty());
    }

    void everyCommandCompletesAfterAnEndingThatLeftTheLogin_data()
    {
        QTest::addColumn<Ending>("ending");
        QTest::newRow("diagnostic page timed out") << Ending::DiagTimedOut;
        QTest::newRow("diagnostic page without refresh") << Ending::DiagNoRefresh;
        QTest::newRow("diagnostic page error") << Ending::DiagError;
        QTest::newRow("page hit limit") << Ending::HitLimit;
        QTest::newRow("no page for a minute") << Ending::NoPage;
    }
    void everyCommandCompletesAfterAnEndingThatLeftTheLogin()
    {
        QFETCH(Ending, ending);
        // What a dump and a run give in a window that has done nothing before.
        DumpFixture fresh;
        fresh.ListThreePages();
        fresh.RunThroughLogin();
        const QString strFreshDump = fresh.host.strReport;
        fresh.run.Go();
        fresh.PlayClassIIRun();
        const QString strFreshBody = fresh.run.State().strReportBody;
        QVERIFY(strFreshBody.contains(QStringLiteral("Query DNS: PASS")));

        DumpFixture f;
        f.ListThreePages();
        QList<RunOutcome> outcomes;
        f.run.SetRunEndedHandler([&](RunOutcome o) { outcomes << o; });
        EndAfterTheLogin(f, ending);
        QVERIFY(!f.run.RunActive());
        QVERIFY(f.run.State().blnLoggedIn);
        QCOMPARE(outcomes.size(), 1);

        // The dump logs in afresh instead of taking its login page for a log-out.
        f.dump.Start();
        f.Load(strCgi + QStringLiteral("../html/login.html"), QStringLiteral("Log in"));
        QCOMPARE(f.Browser().submittedForms, QStringList(QStringLiteral("uiPostForm")));
        QCOMPARE(outcomes.last(), RunOutcome::Finished);
        QCOMPARE(DumpFixture::AfterTitle(f.host.strReport), DumpFixture::AfterTitle(strFreshDump));
        QCOMPARE(f.host.strClipboard, f.host.strReport);
        QCOMPARE(f.host.statuses.last(), QStringLiteral("Data dump complete"));
        QVERIFY(!f.run.RunActive());

        // So does the next Go after the same ending: the whole report, not just its head.
        EndAfterTheLogin(f, ending);
        QVERIFY(f.run.State().blnLoggedIn);
        const int intClipboardWrites = f.host.intClipboardWrites;
        f.run.Go();
        f.PlayClassIIRun();
        QCOMPARE(outcomes.last(), RunOutcome::Finished);
        QCOMPARE(outcomes.size(), 4);
        QCOMPARE(f.run.State().strReportBody, strFreshBody);
        QCOMPARE(f.host.strReport, f.run.State().strReportHead + strFreshBody);
        QCOMPARE(f.host.intClipboardWrites, intClipboardWrites + 1);
        QVERIFY(f.host.messages.back().strText.startsWith(QStringLiteral("A report has been created")));
        QVERIFY(!f.run.RunActive());
    }
};

QUORVANE_REGISTER_TEST(TestClassIIDump)
#include "TestClassIIDump.moc"
