#pragma once

#include "config/PageTable.h"
#include "run/RunHost.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>

class PageTrace;
class RouterProfile;
class VendorTable;

// How a run (or data dump) ended; the command-line front end turns it into its exit status.
enum class RunOutcome {
    Finished, // ended through FinishReport, or the data dump completed
    Abnormal, // no answer from the router, hit limit, "DNS Error", diagnostic time-outs or error, no page for too long
    LoginFailed, // the router refused the login; the report (or dump) says so and was finished all the same
    Cancelled // cancelled by the user (Esc, the Cancel command, an interrupt signal); shows what was gathered
};

// The state of the run under way (or of the last one), as the window keeps it between two page
// completions.
struct RunState
{
    QString strReportHead;
    QString strReportBody;
    QString strIpConfig;
    QString strGateway;
    QString strPingReply;
    bool blnFinished = false;
    bool blnLoggedIn = false;
    bool blnUrlLogin = false;
    bool blnBusy = false;
    bool blnDataDump = false;
    RouterPage intNextPage = RouterPage::None;
    int intDiagTicks = 0;
    int intDiagLoads = 0;
    QDateTime dtDiagStart;
    QString strPppLink;
};

// One diagnostic run at a time: the Go command, the page sequencer driven by the browser's
// document-complete notifications, the diagnostic-test wait and the end of the run. The run state
// is its own; the window, the command-line front end and tests read it through State().
class DiagnosticRun
{
public:
    // How long a run or dump waits for the router to deliver a page of the table (or a download)
    // before it ends.
    static constexpr int intPageWatchdogMs = 60000;
    static constexpr int intDiagTimerMs = 30000;
    static constexpr int intWaitClockMs = 1000;
    static constexpr int intLoginPauseMs = 3000;
    // How long a cancelled run waits for the router's log-out page before it ends all the same.
    static constexpr int intCancelLogoutMs = 5000;

    DiagnosticRun(
        RunHost& host, RouterProfile& profile, PageTable& pages, PageTrace& trace, const VendorTable& vendors);

    // The Go command: report head, IP configuration, router ping, first navigation.
    void Go();
    // The Data Dump command: logs in like a run; the dump itself is taken over by the handler.
    void StartDataDump();
    void SetDataDumpHandler(std::function<void()> handler) { m_dataDumpHandler = std::move(handler); }
    // The end of the dump: its text becomes the report head, the login and the dump mode are over.
    void EndDataDump(const QString& strDumpText, RunOutcome outcome);

    // Document-complete notification of the run's browser instance.
    void OnPageLoaded(const QString& strUrl);
    // Timer callbacks from the host.
    void OnTimer(RunTimer timer);
    void OnTimerTick();
    // The wait's second hand: the status line counts the seconds of the diagnostic wait.
    void OnWaitSecond();

    void ShowReport();
    // The normal end of a run; a refused login ends it the same way, as RunOutcome::LoginFailed.
    void FinishReport(RunOutcome outcome = RunOutcome::Finished);
    void ReportLoginFailure();
    void StartDiagnosticWait();

    // Fetches a URL through the file downloader, polling once a second while events run. The
    // download counts as a page for the no-page bound; when the bound passes first it returns ""
    // and NoPageBoundPassed() is true.
    QString DownloadText(const QString& strUrl);
    bool NoPageBoundPassed() const { return m_blnNoPageBoundPassed; }
    // The last DownloadText got no answer at all from the router.
    bool DownloadUnanswered() const { return m_blnDownloadUnanswered; }

    // Called once for every ending of a run or dump.
    void SetRunEndedHandler(std::function<void(RunOutcome)> handler) { m_runEnded = std::move(handler); }
    // Text that every report of a run ends with, asked for when the report is shown, already
    // censored as the report is ("" adds nothing); a dump's report never gets it.
    void SetReportAppendix(std::function<QString()> appendix) { m_reportAppendix = std::move(appendix); }
    bool RunActive() const { return m_blnActive; }
    // Stops the run's timers and detaches it from its browser (the window is closing).
    void Abort();
    // Cancels the run or dump under way: its waits end, it logs out of the router when logged in
    // (for intCancelLogoutMs at most) and then ends with strLine as the last line of what it has
    // gathered so far (a dump: the pages fetched so far). A handler that is busy finishes its step
    // first. Does nothing when no run is under way or one is already being cancelled.
    void Cancel(const QString& strLine = CancelledLine());
    bool CancelRequested() const { return m_blnCancelRequested; }

    const RunState& State() const { return m_state; }
    RunHost& Host() const { return m_host; }
    RouterProfile& Profile() const { return m_profile; }

    static bool LoginAccepted(const QString& strPageText);
    static QString TidyPageText(const QString& strText, const QString& strHeading);
    // "Quorvane | site - v1.3.3 - dd/mm/yyyy hh:nn:ss", without a line break.
    static QString HeaderLine(const QDateTime& dtNow);
    // The report line of a run or dump that the router left without a page for the whole bound.
    static QString NoPageLine();
    // The report line of a run or dump cancelled from the window.
    static QString CancelledLine();
    // The report line and status of a run whose first page could not be loaded at all.
    static QString NoAnswerLine(const QString& strAddress, const QString& strPort);
    // True for the browser's error document, which stands in for a page that could not be loaded.
    static bool LoadFailed(const QString& strPageText);
    // "The router did not answer for " and the path of strUrl (never its credentials).
    static QString StoppedAnsweringLine(const QString& strUrl);
    // The message that ends a finished report or dump: where it went, and whether it was censored.
    QString ClosingMessage(bool blnCopied) const;

private:
    // The start of a run or dump: a fresh state, the page hits counted anew.
    void BeginCommand(bool blnDataDump);
    void OpenBrowser();
    void GoToPage(RouterPage page);
    void NavigateRun(const QString& strPath);
    void ArmNoPageBound();
    void EndRun(RunOutcome outcome);
    void EndAbnormally(const QString& strLine);
    // The login page could not be used ("Unable to login: " and why); the run ends there.
    void EndUnableToLogin(const QString& strWhy);
    void NavigateBlank();
    // The ending of a cancelled run: the log-out when logged in, then FinishCancelled.
    void EndCancelled();
    void FinishCancelled();
    void EndNoAnswer();
    // A page or download of a router that answered before failed: the report so far and the line.
    void EndStoppedAnswering(const QString& strUrl);
    // Shows the report as it stands and ends the run abnormally with strStatus on the status line.
    void EndWithLine(const QString& strStatus);

    void HandlePage(RouterPage page, const QString& strUrl, const QString& strText, const QString& strHtml);
    void HandleLoginPage(const QString& strUrl, const QString& strText);
    void HandleSystemLog(const QString& strText);
    void HandleAdslStatus(const QString& strText, const QString& strHtml);
    void HandleDiagnosticPage(const QString& strText);
    void HandlePppSettings(const QString& strHtml);
    void HandleClassIIPppPage();
    void HandleProductInfo(const QString& strText);

    RunHost& m_host;
    RouterProfile& m_profile;
    PageTable& m_pages;
    PageTrace& m_trace;
    const VendorTable& m_vendors;
    RunState m_state;
    std::shared_ptr<RouterBrowser> m_browser;
    std::function<void()> m_dataDumpHandler;
    std::function<void(RunOutcome)> m_runEnded;
    std::function<QString()> m_reportAppendix;
    bool m_blnActive = false;
    // The no-page bound passed while a handler was busy (waiting for a download, or in the event
    // loop); the handler stops waiting and the run ends unless it has moved on meanwhile.
    bool m_blnNoPageBoundPassed = false;
    bool m_blnDownloadUnanswered = false;
    // Cancel was asked for; set until the run has ended.
    bool m_blnCancelRequested = false;
    // The cancelled run waits for its log-out page.
    bool m_blnCancelLogout = false;
    QString m_strCancelLine;
    // The Go command is still running (capture, pings): a cancel waits for it to return.
    bool m_blnStarting = false;
    // No page of this run has been loaded yet.
    bool m_blnFirstPage = false;
};
