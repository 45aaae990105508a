#include "run/RunFixture.h"
#include "support/TestRegistry.h"

#include <QTest>

// The normal end of a run: report shown, clipboard written, closing message.
class TestFinishReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void closingMessageSaysWhetherTheReportWasCensored_data()
    {
        QTest::addColumn<int>("intCensor");
        QTest::addColumn<QString>("strLastLine");
        QTest::newRow("checked") << 1
                                 << QStringLiteral("Any sensitive information has been censored for your privacy.");
        QTest::newRow("unchecked") << 0 << QStringLiteral("Any sensitive information has NOT been censored.");
        QTest::newRow("greyed") << 2 << QStringLiteral("Any sensitive information has NOT been censored.");
    }
    void closingMessageSaysWhetherTheReportWasCensored()
    {
        QFETCH(int, intCensor);
        QFETCH(QString, strLastLine);
        RunFixture f(1);
        f.host.checks[RunCheck::Censor] = intCensor;
        f.run.Go();
        f.run.FinishReport();
        QCOMPARE(f.host.messages.back().icon, MessageIcon::Information);
        QCOMPARE(f.host.messages.back().strText,
            QStringLiteral("A report has been created and copied into the clipboard.\r\n"
                           "You may now paste the report into your post on the forum.\r\n")
                + strLastLine);
    }

    void clipboardHoldsExactlyTheReportBoxWithTheBodyFiltered()
    {
        RunFixture f(1);
        f.host.checks[RunCheck::Censor] = 1;
        f.run.Go();
        f.Load(QStringLiteral("/doc/syslog.htm"), QStringLiteral("WAN IP 81.2.3.4 connected"));
        f.run.FinishReport();
        QCOMPARE(f.host.strClipboard, f.host.strReport);
        QVERIFY(!f.host.strReport.contains(QStringLiteral("81.2.3.4")));
        QVERIFY(f.host.strReport.startsWith(f.run.State().strReportHead));
        // The body itself stays uncensored; each showing censors it afresh.
        QVERIFY(f.run.State().strReportBody.contains(QStringLiteral("81.2.3.4")));

        // A report appendix (the line history's summary) ends the report box and the clipboard alike.
        RunFixture g(1);
        g.run.SetReportAppendix([] { return QStringLiteral("\r\n\r\nLine history\r\nSamples: 3, gaps: 0"); });
        g.run.Go();
        g.run.FinishReport();
        QVERIFY(g.host.strReport.endsWith(QStringLiteral("\r\n\r\nLine history\r\nSamples: 3, gaps: 0")));
        QCOMPARE(g.host.strClipboard, g.host.strReport);
    }

    void secondFinishOnlyResetsTheExpectedPage()
    {
        RunFixture f(1);
        f.run.Go();
        f.run.FinishReport();
        const size_t intMessages = f.host.messages.size();
        // A late page is handled and expects the next one.
        f.Load(QStringLiteral("/doc/syslog.htm"), QStringLiteral("System Log"));
        QCOMPARE(f.run.State().intNextPage, RouterPage::Ppp);
        f.run.FinishReport();
        QCOMPARE(f.run.State().intNextPage, RouterPage::None);
        QCOMPARE(f.host.messages.size(), intMessages);
        QCOMPARE(f.host.intClipboardWrites, 1);
    }

    void lateLogOutPageAfterTheEndIsHandledButNotFinishedTwice()
    {
        RunFixture f(2);
        f.run.Go();
        f.run.FinishReport();
        f.Load(QStringLiteral("/cgi-bin/webcm?getpage=../html/logout.html"), QStringLiteral("bye"));
        QCOMPARE(f.host.intClipboardWrites, 1);
        QCOMPARE(f.run.State().intNextPage, RouterPage::None);
    }

    void clipboardFailureIsToldAndTheReportStaysShown()
    {
        RunFixture f(1);
        f.host.blnClipboardWorks = false;
        f.run.Go();
        f.run.FinishReport();
        QCOMPARE(f.host.strReport, f.run.State().strReportHead);
        QVERIFY(f.host.statuses.last().contains(QStringLiteral("clipboard")));
        QVERIFY(f.host.messages.back().strText.startsWith(
            QStringLiteral("A report has been created but could not be copied into the clipboard.")));
    }

    void loginAcceptedLooksForThePromptInAnyCase()
    {
        QVERIFY(DiagnosticRun::LoginAccepted(QStringLiteral("System Log")));
        QVERIFY(DiagnosticRun::LoginAccepted(QString()));
        QVERIFY(!DiagnosticRun::LoginAccepted(QStringLiteral("x please log in to continue y")));
        QVERIFY(!DiagnosticRun::LoginAccepted(QStringLiteral("PLEASE LOG IN TO CONTINUE")));
    }
};

QUORVANE_REGISTER_TEST(TestFinishReport)
#include "TestFinishReport.moc"
