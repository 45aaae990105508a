#pragma once

#include "run/RunHost.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>

class PageTable;
class PageTrace;
class RouterProfile;
class VendorTable;

// How a run (or data dump) ended; the command-line front end turns it into its exit status.
enum class RunOutcome {
    Finished, // ended through FinishReport, or the data dump completed
    Abnormal // no answer from the router, hit limit, "DNS Error", diagnostic time-outs or error, no page for too long
};

// One diagnostic run at a time: the Go command, the page sequencer driven by the browser's
// document-complete notifications, the diagnostic-test wait and the end of the run. The run state
// is public, as the window-level variables it models; the window and tests read it.
class DiagnosticRun
{
public:
    // How long a run waits for the router to deliver any known page after a navigation.
    static constexpr int intPageWatchdogMs = 60000;
    static constexpr int intDiagTimerMs = 30000;
    static constexpr int intLoginPauseMs = 3000;

    DiagnosticRun(
        RunHost& host, RouterProfile& profile, PageTable& pages, PageTrace& trace, const VendorTable& vendors);

    // The Go command: report head, IP configuration, router ping, first navigation.
    void Go();
    // The Data Dump command: logs in like a run; the dump itself is taken over by the handler.
    void StartDataDump();
    void SetDataDumpHandler(std::function<void()> handler) { m_dataDumpHandler = std::move(handler); }

    // Document-complete notification of the run's browser instance.
    void OnPageLoaded(const QString& strUrl);
    // Timer callbacks from the host.
    void OnTimer(RunTimer timer);
    void OnTimerTick();

    void ShowReport();
    void FinishReport();
    void ReportLoginFailure();
    void StartDiagnosticWait();

    // Fetches a URL through the file downloader, polling once a second while events run.
    QString DownloadText(const QString& strUrl);

    // Called once for every ending of a run or dump.
    void SetRunEndedHandler(std::function<void(RunOutcome)> handler) { m_runEnded = std::move(handler); }
    void EndRun(RunOutcome outcome);
    bool RunActive() const { return m_blnActive; }
    // Stops the run's timers and detaches it from its browser (the window is closing).
    void Abort();

    RunHost& Host() const { return m_host; }
    RouterProfile& Profile() const { return m_profile; }
    void NavigateRun(const QString& strPath);

    static bool LoginAccepted(const QString& strPageText);
    static QString TidyPageText(const QString& strText, const QString& strHeading);
    // "Quorvane | site - v1.3.3 - dd/mm/yyyy hh:nn:ss", without a line break.
    static QString HeaderLine(const QDateTime& dtNow);

    // Run state.
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
    int intNextPage = 0;
    int intDiagTicks = 0;
    int intDiagLoads = 0;
    QDateTime dtDiagStart;
    QString strPppLink;

private:
    void OpenBrowser();
    void GoToPage(int intPage);
    void EndAbnormally(const QString& strLine);
    void NavigateBlank();

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
    std::shared_ptr<RouterBrowser> m_browser;
    std::function<void()> m_dataDumpHandler;
    std::function<void(RunOutcome)> m_runEnded;
    bool m_blnActive = false;
};
