#include "dump/ClassIIDump.h"
#include "run/RunFixture.h"
#include "support/TestRegistry.h"

#include <QFile>
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

    QTemporaryDir dir;
    ClassIIDump dump;
};
} // namespace

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
        f.dump.Start();
        QVERIFY(f.run.State().blnDataDump);
        f.Browser().Load(
            RunFixture::Base() + strCgi + QStringLiteral("../html/login.html"), QStringLiteral("DNS Error"));
        QVERIFY(!f.run.State().blnDataDump);
        // A later Go is therefore a diagnostic run, not a dump.
        f.run.Go();
        f.Load(strCgi + QStringLiteral("../html/login.html"), QStringLiteral("Log in"));
        QCOMPARE(f.run.State().intNextPage, RouterPage::ProductInfo);
    }
};

QUORVANE_REGISTER_TEST(TestClassIIDump)
#include "TestClassIIDump.moc"
