#include "app/AppFixture.h"
#include "app/PageView.h"
#include "app/RouterSim.h"
#include "app/ValueCheckBox.h"
#include "app/WindowRunHost.h"
#include "config/IniFile.h"
#include "controls/OrloSimpleButton.h"
#include "run/DiagnosticRun.h"
#include "support/TestRegistry.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace
{
constexpr int intRunLimitMs = 180000;

const QString strProfilesDir = QStringLiteral(QUORVANE_SOURCE_DIR "/tools/routersim/profiles/");

// The PC's IP configuration as the capture script would list it, with the loopback router as the
// default gateway.
const QByteArray bytNetworkInfo = "#!/bin/sh\n"
                                  "cd \"$(dirname \"$0\")\" || exit 1\n"
                                  "printf 'IP Configuration\\r\\n\\r\\n"
                                  "Ethernet adapter Local Area Connection:\\r\\n\\r\\n"
                                  "        Physical Address. . . . . . . : 00-11-22-33-44-55\\r\\n"
                                  "        IP Address. . . . . . . . . . : 127.0.0.1\\r\\n"
                                  "        Subnet Mask . . . . . . . . . : 255.0.0.0\\r\\n"
                                  "        Default Gateway . . . . . . . : 127.0.0.1\\r\\n' > ipcon.txt\n";
#ifdef Q_OS_WIN
// The same listing through a batch file, as the capture runs it on Windows (whose own ipconfig,
// and Wine's, would list this PC instead).
const QByteArray bytNetworkInfoBat = "@echo off\r\n"
                                     "> \"%~dp0ipcon.tmp\" echo IP Configuration\r\n"
                                     ">> \"%~dp0ipcon.tmp\" echo.\r\n"
                                     ">> \"%~dp0ipcon.tmp\" echo Ethernet adapter Local Area Connection:\r\n"
                                     ">> \"%~dp0ipcon.tmp\" echo.\r\n"
                                     ">> \"%~dp0ipcon.tmp\" echo         Physical Address. . . . . . . : "
                                     "00-11-22-33-44-55\r\n"
                                     ">> \"%~dp0ipcon.tmp\" echo         IP Address. . . . . . . . . . : 127.0.0.1\r\n"
                                     ">> \"%~dp0ipcon.tmp\" echo         Subnet Mask . . . . . . . . . : 255.0.0.0\r\n"
                                     ">> \"%~dp0ipcon.tmp\" echo         Default Gateway . . . . . . . : 127.0.0.1\r\n"
                                     "move /y \"%~dp0ipcon.tmp\" \"%~dp0ipcon.txt\" > nul\r\n";
#endif

QByteArray ReadSource(const QString& strPath)
{
    QFile file(strPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The application folder for a run against the simulator on intPort: the class's shipped test
// profile pointed at that port, the settings choosing it, the capture script and the data files.
bool PrepareFolder(AppFixture& f, const QString& strSourceProfile, const QString& strProfileName, int intPort)
{
    QByteArray bytProfile = ReadSource(strProfilesDir + strSourceProfile);
    if (bytProfile.isEmpty() || !bytProfile.contains("Port=0"))
        return false;
    bytProfile.replace("Port=0", "Port=" + QByteArray::number(intPort));
    return f.WriteFile(strProfileName, bytProfile)
        && f.WriteFile(QStringLiteral("Settings.ini"), "[Options]\r\nRouter INI=" + strProfileName.toLatin1() + "\r\n")
        && f.WriteFile(QStringLiteral("NetworkInfo.sh"), bytNetworkInfo, true)
#ifdef Q_OS_WIN
        && f.WriteFile(QStringLiteral("NetworkInfo.bat"), bytNetworkInfoBat)
#endif
        && f.WriteFile(
            QStringLiteral("ClassIIDump.txt"), ReadSource(strProfilesDir + QStringLiteral("ClassIIDump.txt")))
        && f.WriteFile(
            QStringLiteral("vendors.txt"), ReadSource(QStringLiteral(QUORVANE_SOURCE_DIR "/dist/vendors.txt")));
}

struct LockState
{
    bool blnSeen = false;
    bool blnTextBoxesReadOnly = false;
    bool blnTextBoxesEnabled = false;
    bool blnOthersDisabled = false;
    // The Go button is the run's cancel command: enabled, captioned "Cancel".
    bool blnGoCancels = false;
};

LockState ReadLockState(AppFixture& f)
{
    LockState state;
    state.blnSeen = true;
    state.blnTextBoxesReadOnly = true;
    state.blnTextBoxesEnabled = true;
    for (const char* strName : { "txtAdmin", "txtPass", "txtIP", "txtPort" }) {
        state.blnTextBoxesReadOnly &= f.Find<QLineEdit>(strName)->isReadOnly();
        state.blnTextBoxesEnabled &= f.Find<QLineEdit>(strName)->isEnabled();
    }
    state.blnOthersDisabled = true;
    for (const char* strName :
        { "optClass0", "optClass1", "optClass2", "chkMask", "chkPass", "chkIPConfig", "chkCensor", "txtLog" })
        state.blnOthersDisabled &= !f.Find<QWidget>(strName)->isEnabled();
    for (const char* strName : { "cmdClassIIDump", "cmdOpen" })
        state.blnOthersDisabled &= !f.Find<OrloSimpleButton>(strName)->Enable();
    auto* pGo = f.Find<OrloSimpleButton>("cmdGo");
    state.blnGoCancels
        = pGo->Enable() && pGo->Caption() == Form1::CancelCaption() && pGo->PaintedCaption() == Form1::CancelCaption();
    return state;
}

bool AllUnlocked(AppFixture& f)
{
    for (const char* strName : { "txtAdmin", "txtPass", "txtIP", "txtPort" }) {
        if (f.Find<QLineEdit>(strName)->isReadOnly())
            return false;
    }
    for (const char* strName :
        { "optClass0", "optClass1", "optClass2", "chkMask", "chkPass", "chkIPConfig", "chkCensor", "txtLog" }) {
        if (!f.Find<QWidget>(strName)->isEnabled())
            return false;
    }
    auto* pGo = f.Find<OrloSimpleButton>("cmdGo");
    return pGo->Enable() && pGo->Caption() == QLatin1String("Go") && pGo->PaintedCaption() == QLatin1String("Go")
        && f.Find<OrloSimpleButton>("cmdOpen")->Enable();
}

void ClickButton(AppFixture& f, const char* strName)
{
    auto* pButton = f.Find<OrloSimpleButton>(strName);
    QTest::mouseClick(pButton, Qt::LeftButton, {}, pButton->rect().center());
}
} // namespace

// Whole runs of the window against the simulated router on the loopback interface.
class TestForm1Run : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fullRunEndsWithReportClipboardAndClosingMessage()
    {
        RouterSim sim;
        QVERIFY2(sim.Start(QStringLiteral("I")), qPrintable(sim.Error()));
        AppFixture f;
        QVERIFY(PrepareFolder(f, QStringLiteral("ClassI.ini"), QStringLiteral("ClassI.ini"), sim.intPort));
        Form1& form = f.Open();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QSignalSpy spyEnded(&form, &Form1::RunEnded);
        MessageDialog::ClearShown();
        QGuiApplication::clipboard()->setText(QStringLiteral("before the run"));

        // The debug view is on for this run: the trace is written and the pages are shown.
        QTest::mouseDClick(f.Find<QLabel>("lblStat"), Qt::LeftButton);
        QVERIFY(form.DebugView());

        // The status line's page count, as it moves through the run.
        QStringList lstPagesShown;
        QObject::connect(&form, &Form1::PageProgressShown, &form, [&] {
            const QString strCount = form.PageCountLabel()->text();
            if (!strCount.isEmpty() && !lstPagesShown.contains(strCount))
                lstPagesShown << strCount;
        });

        LockState atPleaseWait;
        bool blnClosingSeen = false;
        bool blnUnlockedAtClosing = false;
        MessageDialog::SetAnswerHandler([&](const MessageDialog::Record& record) {
            if (record.strText.startsWith(QLatin1String("Please wait")))
                atPleaseWait = ReadLockState(f);
            // Behind the closing message the run is over: Go reads Go again, on its face too.
            if (record.strText.startsWith(QLatin1String("A report has been created"))) {
                blnClosingSeen = true;
                blnUnlockedAtClosing = AllUnlocked(f);
            }
            return int(MessageDialog::Ok);
        });
        ClickButton(f, "cmdGo");
        QVERIFY(atPleaseWait.blnSeen);
        QVERIFY(atPleaseWait.blnTextBoxesReadOnly);
        QVERIFY(atPleaseWait.blnTextBoxesEnabled);
        QVERIFY(atPleaseWait.blnOthersDisabled);
        QVERIFY(atPleaseWait.blnGoCancels);

        if (spyEnded.isEmpty()) {
            // While the run waits for pages the window is still locked, and a second Go is refused.
            const LockState during = ReadLockState(f);
            QVERIFY(during.blnTextBoxesReadOnly && during.blnOthersDisabled && during.blnGoCancels);
            const int intBoxes = MessageDialog::Shown().size();
            form.StartRun();
            QCOMPARE(MessageDialog::Shown().size(), intBoxes);
        }
        QTRY_COMPARE_WITH_TIMEOUT(spyEnded.size(), 1, intRunLimitMs);
        QCOMPARE(spyEnded.at(0).at(0).value<RunOutcome>(), RunOutcome::Finished);
        QVERIFY(blnClosingSeen);
        QVERIFY(blnUnlockedAtClosing);
        // Class I reads four pages: system log, PPP settings, ADSL status and the diagnostic test.
        QCOMPARE(lstPagesShown, QStringList({ "1 of 4", "2 of 4", "3 of 4", "4 of 4" }));
        QVERIFY(form.PageCountLabel()->text().isEmpty());

        const QString strReport = form.Host().ReportText();
        QVERIFY(strReport.startsWith(QLatin1String("Quorvane | www.quorvane.example - v1.3.3 - ")));
        QVERIFY2(strReport.contains(QLatin1String("Ping 127.0.0.1 = PASS")), qPrintable(strReport));
        QVERIFY2(strReport.contains(QLatin1String("Default Gateway")), qPrintable(strReport));
        QVERIFY2(!strReport.contains(QLatin1String("00-11-22-33-44-55")), qPrintable(strReport));
        QVERIFY2(strReport.contains(QLatin1String("localhost")), qPrintable(strReport));
        QCOMPARE(f.Find<QPlainTextEdit>("txtLog")->toPlainText(),
            QString(strReport)
                .replace(QLatin1String("\r\r\n"), QLatin1String("\n"))
                .replace(QLatin1String("\r\n"), QLatin1String("\n")));
        QCOMPARE(QGuiApplication::clipboard()->text().remove(QLatin1Char('\r')),
            QString(strReport).remove(QLatin1Char('\r')));
        QCOMPARE(f.Find<QLabel>("lblStat")->text(), QStringLiteral("Finished report"));
        QCOMPARE(f.Find<QPlainTextEdit>("txtLog")->toolTip(), QStringLiteral("Diagnostic report"));

        const MessageDialog::Record last = MessageDialog::Shown().last();
        QCOMPARE(last.icon, MessageDialog::Information);
        QCOMPARE(last.strTitle, QStringLiteral("Quorvane"));
        QCOMPARE(last.strText,
            QStringLiteral("A report has been created and copied into the clipboard.\r\n"
                           "You may now paste the report into your post on the forum.\r\n"
                           "Any sensitive information has been censored for your privacy."));
        QVERIFY(AllUnlocked(f));
        QCOMPARE(f.Find<QLineEdit>("txtPass")->echoMode(), QLineEdit::Password);

        // The browser area showed the pages of the run and the trace recorded them.
        PageView* pView = form.BrowserView();
        QVERIFY(!pView->isHidden());
        QCOMPARE(pView->geometry(), f.Find<QWidget>("WebBrowser0")->geometry());
        QVERIFY(pView->PagesShown() >= 4);
        const QString strTrace = QString::fromLatin1(ReadSource(f.FilePath(QStringLiteral("log.txt"))));
        QVERIFY2(strTrace.contains(QLatin1String("<<Page 2>>")), qPrintable(strTrace.left(400)));
        QVERIFY(!strTrace.contains(QLatin1String("secret@")));

        SaveScreenshotWhenAsked(form);
    }

    void refusedLoginIsReportedAndUnlocks()
    {
        RouterSim sim;
        QVERIFY2(sim.Start(QStringLiteral("V"), QStringLiteral("login-refused")), qPrintable(sim.Error()));
        AppFixture f;
        QVERIFY(PrepareFolder(f, QStringLiteral("ClassV.ini"), QStringLiteral("ClassV.ini"), sim.intPort));
        Form1& form = f.Open();
        QVERIFY(f.Find<QRadioButton>("optClass2")->isChecked());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QSignalSpy spyEnded(&form, &Form1::RunEnded);
        MessageDialog::ClearShown();

        // Started from the keyboard: the focus goes back to Go, and no text is left selected for
        // the next key to overwrite.
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        auto* pGo = f.Find<OrloSimpleButton>("cmdGo");
        f.Find<QLineEdit>("txtPass")->setText(QStringLiteral("secret"));
        pGo->setFocus(Qt::TabFocusReason);
        QTest::keyClick(pGo, Qt::Key_Space);
        QVERIFY(QApplication::focusWidget() != f.Find<QLineEdit>("txtPass"));
        QTRY_COMPARE_WITH_TIMEOUT(spyEnded.size(), 1, intRunLimitMs);
        QCOMPARE(QApplication::focusWidget(), pGo);
        for (const char* strField : { "txtAdmin", "txtPass", "txtIP", "txtPort" })
            QVERIFY2(!f.Find<QLineEdit>(strField)->hasSelectedText(), strField);
        QCOMPARE(f.Find<QLineEdit>("txtPass")->text(), QStringLiteral("secret"));

        const QString strRefused
            = QStringLiteral("Could not log in. Please check your router's username and password.");
        bool blnWarned = false;
        for (const MessageDialog::Record& record : MessageDialog::Shown()) {
            if (record.strText == strRefused) {
                blnWarned = true;
                QCOMPARE(record.icon, MessageDialog::Exclamation);
                QCOMPARE(record.strTitle, QStringLiteral("Quorvane"));
            }
        }
        QVERIFY(blnWarned);
        QVERIFY2(form.Host().ReportText().contains(strRefused), qPrintable(form.Host().ReportText()));
        QVERIFY(MessageDialog::Shown().last().strText.startsWith(QLatin1String("A report has been created")));
        QVERIFY(AllUnlocked(f));

        // With the debug view off nothing was rendered; switching it on shows the current page.
        PageView* pView = form.BrowserView();
        QCOMPARE(pView->PagesShown(), 0);
        QVERIFY(!pView->isHidden());
        form.ToggleDebugView();
        QCOMPARE(pView->PagesShown(), 1);
        QCOMPARE(pView->ShownUrl(), QStringLiteral("about:blank"));
    }

    void unansweredRouterEndsAtThePingWithTheHeadOnly()
    {
        AppFixture f;
        QVERIFY(f.WriteFile(QStringLiteral("NetworkInfo.sh"), bytNetworkInfo, true));
        Form1& form = f.Open();
        // Nothing listens there, and the capture is skipped: an address that cannot answer.
        f.Find<QLineEdit>("txtIP")->setText(QStringLiteral("not-an-address"));
        f.Find<ValueCheckBox>("chkIPConfig")->SetValue(0);
        QSignalSpy spyEnded(&form, &Form1::RunEnded);
        MessageDialog::ClearShown();
        // Enter in the address box presses Go; the focus stays in the box, nothing selected.
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        auto* pAddress = f.Find<QLineEdit>("txtIP");
        pAddress->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(pAddress, Qt::Key_Return);
        QCOMPARE(spyEnded.size(), 1);
        QCOMPARE(QApplication::focusWidget(), pAddress);
        QVERIFY(!pAddress->hasSelectedText());
        QCOMPARE(spyEnded.at(0).at(0).value<RunOutcome>(), RunOutcome::Abnormal);
        QCOMPARE(f.Find<QLabel>("lblStat")->text(), QStringLiteral("No response from router"));
        QVERIFY(form.Host().ReportText().contains(QLatin1String("Ping not-an-address = FAIL")));
        QVERIFY(form.BrowserView()->isHidden());
        QCOMPARE(MessageDialog::Shown().size(), 1); // only the please-wait box
        QVERIFY(AllUnlocked(f));
    }

    void closingDuringARunEndsItAndSaves()
    {
        RouterSim sim;
        QVERIFY2(sim.Start(QStringLiteral("V")), qPrintable(sim.Error()));
        AppFixture f;
        QVERIFY(PrepareFolder(f, QStringLiteral("ClassV.ini"), QStringLiteral("ClassV.ini"), sim.intPort));
        Form1& form = f.Open();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        f.Find<QLineEdit>("txtAdmin")->setText(QStringLiteral("closer"));
        QSignalSpy spyEnded(&form, &Form1::RunEnded);
        MessageDialog::ClearShown();

        // Close while the run sits in its pause after submitting the login form.
        int intBoxesAtClose = -1;
        QElapsedTimer tmrClosed;
        QTimer tmrWatch;
        tmrWatch.setInterval(20);
        QObject::connect(&tmrWatch, &QTimer::timeout, &form, [&] {
            if (f.Find<QLabel>("lblStat")->text() != QLatin1String("Login page found - trying to log in..."))
                return;
            tmrWatch.stop();
            intBoxesAtClose = MessageDialog::Shown().size();
            QVERIFY(form.RunCodeRunning());
            tmrClosed.start();
            form.close();
        });
        tmrWatch.start();
        ClickButton(f, "cmdGo");
        QTRY_VERIFY_WITH_TIMEOUT(intBoxesAtClose >= 0, intRunLimitMs);
        QTRY_VERIFY_WITH_TIMEOUT(!form.RunCodeRunning(), 5000);
        // The pause ended at once instead of running its three seconds.
        QVERIFY2(tmrClosed.elapsed() < 2500, qPrintable(QString::number(tmrClosed.elapsed())));
        QVERIFY(!form.isVisible());
        QVERIFY(!form.Run().RunActive());

        // Nothing more happens: no box, no page, no ending message.
        QTest::qWait(1500);
        QCOMPARE(MessageDialog::Shown().size(), intBoxesAtClose);
        QVERIFY(!form.Run().RunActive());
        QCOMPARE(
            ReadIni(QStringLiteral("Options"), QStringLiteral("Admin name"), f.FilePath(QStringLiteral("ClassV.ini"))),
            QStringLiteral("closer"));
        QCOMPARE(ReadIni(QStringLiteral("Options"), QStringLiteral("Router INI"),
                     f.FilePath(QStringLiteral("Settings.ini"))),
            QStringLiteral("ClassV.ini"));
        f.form.reset();
    }

    void dataDumpFillsTheReportBoxAndClipboard()
    {
        RouterSim sim;
        QVERIFY2(sim.Start(QStringLiteral("II")), qPrintable(sim.Error()));
        AppFixture f;
        QVERIFY(PrepareFolder(f, QStringLiteral("ClassII.ini"), QStringLiteral("ClassII.ini"), sim.intPort));
        Form1& form = f.Open();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(f.Find<OrloSimpleButton>("cmdClassIIDump")->isVisible());
        QSignalSpy spyEnded(&form, &Form1::RunEnded);

        ClickButton(f, "cmdClassIIDump");
        // While it logs in a Go is refused: one run or dump at a time.
        if (spyEnded.isEmpty()) {
            MessageDialog::ClearShown();
            form.StartRun();
            QVERIFY(MessageDialog::Shown().isEmpty());
            // The refusal is told on the status line.
            QCOMPARE(f.Find<QLabel>("lblStat")->text(), Form1::BusyStatus());
        }
        QTRY_COMPARE_WITH_TIMEOUT(spyEnded.size(), 1, intRunLimitMs);
        const QString strDump = form.Host().ReportText();
        QVERIFY2(strDump.contains(QLatin1String("\r\nClass II Dump\r\n")), qPrintable(strDump));
        QVERIFY2(strDump.contains(QLatin1String("../html/status/product.html")), qPrintable(strDump));
        QCOMPARE(f.Find<QLabel>("lblStat")->text(), QStringLiteral("Data dump complete"));
        QCOMPARE(f.Find<QPlainTextEdit>("txtLog")->toolTip(), QStringLiteral("Data dump"));
        QCOMPARE(
            QGuiApplication::clipboard()->text().remove(QLatin1Char('\r')), QString(strDump).remove(QLatin1Char('\r')));
        QVERIFY(AllUnlocked(f));
    }

    void everyCommandWorksAfterADiagnosticTimeOut()
    {
        RouterSim sim;
        QVERIFY2(sim.Start(QStringLiteral("II")), qPrintable(sim.Error()));
        // The runs' clock leaps three minutes ahead once the diagnostic page has asked the run to
        // wait, so that the page's next reload finds the wait timed out. The run ends there without
        // logging out of the router.
        qint64 lngLeapMs = 0;
        QLabel* pStatus = nullptr;
        AppFixture f;
        f.clock = [&] {
            if (lngLeapMs == 0 && pStatus && pStatus->text() == QLatin1String("Waiting for diagnostics to complete"))
                lngLeapMs = 180000;
            return QDateTime::currentDateTime().addMSecs(lngLeapMs);
        };
        QVERIFY(PrepareFolder(f, QStringLiteral("ClassII.ini"), QStringLiteral("ClassII.ini"), sim.intPort));
        Form1& form = f.Open();
        pStatus = f.Find<QLabel>("lblStat");
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QSignalSpy spyEnded(&form, &Form1::RunEnded);

        ClickButton(f, "cmdGo");
        QTRY_COMPARE_WITH_TIMEOUT(spyEnded.size(), 1, intRunLimitMs);
        QCOMPARE(spyEnded.at(0).at(0).value<RunOutcome>(), RunOutcome::Abnormal);
        const QString strTimedOut = form.Host().ReportText();
        QVERIFY2(strTimedOut.endsWith(QLatin1String("\r\nDiagnostic page timed out")), qPrintable(strTimedOut));
        QVERIFY(form.Run().State().blnLoggedIn);
        QVERIFY(AllUnlocked(f));

        MessageDialog::ClearShown();
        ClickButton(f, "cmdClassIIDump");
        QTRY_COMPARE_WITH_TIMEOUT(spyEnded.size(), 2, intRunLimitMs);
        QCOMPARE(spyEnded.at(1).at(0).value<RunOutcome>(), RunOutcome::Finished);
        const QString strDump = form.Host().ReportText();
        QVERIFY2(strDump.contains(QLatin1String("\r\nClass II Dump\r\n")), qPrintable(strDump));
        const QStringList pages = QString::fromLatin1(ReadSource(strProfilesDir + QStringLiteral("ClassIIDump.txt")))
                                      .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QVERIFY(pages.size() >= 3);
        for (const QString& strPage : pages)
            QVERIFY2(strDump.contains(QStringLiteral("\r\n") + strPage + QStringLiteral("\r\n<")), qPrintable(strPage));
        QVERIFY(strDump.contains(QLatin1String("RS-2200")));
        QVERIFY(!strDump.contains(QLatin1String("Could not log in")));
        QCOMPARE(pStatus->text(), QStringLiteral("Data dump complete"));
        QCOMPARE(
            QGuiApplication::clipboard()->text().remove(QLatin1Char('\r')), QString(strDump).remove(QLatin1Char('\r')));
        // Only the closing message, which says whether the dump was censored.
        QCOMPARE(MessageDialog::Shown().size(), 1);
        QCOMPARE(MessageDialog::Shown().at(0).icon, MessageDialog::Information);
        QVERIFY2(MessageDialog::Shown().at(0).strText.contains(QLatin1String("Any sensitive information has")),
            qPrintable(MessageDialog::Shown().at(0).strText));
        QVERIFY(AllUnlocked(f));

        ClickButton(f, "cmdGo");
        QTRY_COMPARE_WITH_TIMEOUT(spyEnded.size(), 3, intRunLimitMs);
        QCOMPARE(spyEnded.at(2).at(0).value<RunOutcome>(), RunOutcome::Finished);
        const QString strReport = form.Host().ReportText();
        // The whole report: the pages before the wait, the test's result and the log-out.
        for (const char* strPart : { "Model: RS-2200", "Encapsulation = ", "Query DNS: PASS" })
            QVERIFY2(strReport.contains(QLatin1String(strPart)), qPrintable(strReport));
        QVERIFY(!strReport.contains(QLatin1String("timed out")));
        QVERIFY(!form.Run().State().blnLoggedIn);
        QCOMPARE(pStatus->text(), QStringLiteral("Finished report"));
        QVERIFY(MessageDialog::Shown().last().strText.startsWith(
            QLatin1String("A report has been created and copied into the clipboard.")));
        QVERIFY(AllUnlocked(f));
    }

    // Esc, or the Go button while it reads "Cancel", ends a run or dump under way within a few
    // seconds: logged out of the router, with what was gathered and a line that says so.
    void cancelEndsTheRunWithWhatWasGathered_data()
    {
        QTest::addColumn<QString>("strClass");
        QTest::addColumn<QString>("strScenario");
        QTest::addColumn<bool>("blnDump");
        QTest::addColumn<bool>("blnByKey");
        QTest::addColumn<QString>("strCancelAt");
        QTest::addColumn<QString>("strGathered");
        QTest::addColumn<QByteArray>("bytLogout");
        QTest::newRow("run, Esc in the diagnostic wait")
            << QStringLiteral("V") << QStringLiteral("diag-never") << false << true
            << QStringLiteral("Waiting for diagnostics to complete") << QStringLiteral("Ping 127.0.0.1 = PASS")
            << QByteArray("GET /logout.htm 200");
        QTest::newRow("dump, Cancel button at the second page")
            << QStringLiteral("II") << QStringLiteral("normal") << true << false
            << QStringLiteral("../html/status/modem.html") << QStringLiteral("\r\n../html/status/product.html\r\n<")
            << QByteArray(); // every page of this router is one path: the run's state tells
    }
    void cancelEndsTheRunWithWhatWasGathered()
    {
        QFETCH(QString, strClass);
        QFETCH(QString, strScenario);
        QFETCH(bool, blnDump);
        QFETCH(bool, blnByKey);
        QFETCH(QString, strCancelAt);
        QFETCH(QString, strGathered);
        QFETCH(QByteArray, bytLogout);
        RouterSim sim;
        QVERIFY2(sim.Start(strClass, strScenario), qPrintable(sim.Error()));
        AppFixture f;
        const QString strProfile = QStringLiteral("Class%1.ini").arg(strClass);
        QVERIFY(PrepareFolder(f, strProfile, strProfile, sim.intPort));
        Form1& form = f.Open();
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QSignalSpy spyEnded(&form, &Form1::RunEnded);
        auto* pGo = f.Find<OrloSimpleButton>("cmdGo");
        QLabel* pStatus = f.Find<QLabel>("lblStat");

        QElapsedTimer tmrCancelled;
        QByteArray bytRequestsAtCancel;
        QTimer tmrWatch;
        tmrWatch.setInterval(20);
        QObject::connect(&tmrWatch, &QTimer::timeout, &form, [&] {
            if (!pStatus->text().startsWith(strCancelAt))
                return;
            tmrWatch.stop();
            QCOMPARE(pGo->Caption(), Form1::CancelCaption());
            // On the button's face too, not only in its property.
            QCOMPARE(pGo->PaintedCaption(), Form1::CancelCaption());
            // Enter presses the default button, which a cancel caption never is.
            QTest::keyClick(&form, Qt::Key_Return);
            QVERIFY(!form.Run().CancelRequested());
            bytRequestsAtCancel = sim.Requests();
            tmrCancelled.start();
            if (blnByKey)
                QTest::keyClick(&form, Qt::Key_Escape);
            else
                ClickButton(f, "cmdGo");
        });
        tmrWatch.start();
        ClickButton(f, blnDump ? "cmdClassIIDump" : "cmdGo");
        QTRY_COMPARE_WITH_TIMEOUT(spyEnded.size(), 1, intRunLimitMs);
        QVERIFY(tmrCancelled.isValid());
        QVERIFY2(tmrCancelled.elapsed() < 8000, qPrintable(QString::number(tmrCancelled.elapsed())));
        QCOMPARE(spyEnded.at(0).at(0).value<RunOutcome>(), RunOutcome::Cancelled);

        const QString strReport = form.Host().ReportText();
        QVERIFY2(strReport.endsWith(QStringLiteral("\r\n") + DiagnosticRun::CancelledLine()), qPrintable(strReport));
        QVERIFY2(strReport.contains(strGathered), qPrintable(strReport));
        QVERIFY2(!strReport.contains(strCancelAt + QStringLiteral("\r\n")), qPrintable(strReport));
        QCOMPARE(pStatus->text(), blnDump ? QStringLiteral("Data dump cancelled") : QStringLiteral("Run cancelled"));
        // The router saw the log-out after the cancel, and the run knows it is logged out.
        if (!bytLogout.isEmpty())
            QVERIFY2(sim.Requests().mid(bytRequestsAtCancel.size()).contains(bytLogout), sim.Requests().constData());
        QVERIFY(!form.Run().State().blnLoggedIn);
        QVERIFY(AllUnlocked(f));
    }

private:
    // Under a display server, QUORVANE_SCREENSHOT names a PNG file that receives the window as it
    // looks after the run.
    static void SaveScreenshotWhenAsked(Form1& form)
    {
        const QString strTarget = qEnvironmentVariable("QUORVANE_SCREENSHOT");
        if (strTarget.isEmpty())
            return;
        // The collapsed window is what a user sees after a run.
        if (form.DebugView())
            form.ToggleDebugView();
        QTest::qWait(200);
        QVERIFY(form.grab().save(strTarget, "PNG"));
    }
};

QUORVANE_REGISTER_TEST(TestForm1Run)
#include "TestForm1Run.moc"
