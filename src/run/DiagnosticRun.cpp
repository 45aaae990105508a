#include "run/DiagnosticRun.h"

#include "config/AppInfo.h"
#include "config/PageTable.h"
#include "config/PageTrace.h"
#include "config/RouterProfile.h"
#include "net/IpConfigCapture.h"
#include "privacy/ReportFilter.h"
#include "readers/AdslStatusReader.h"
#include "readers/FirmwareReader.h"
#include "readers/PppSettingsReader.h"
#include "readers/StatusTableReader.h"
#include "readers/TextHelpers.h"
#include "readers/VendorTable.h"
#include "run/Navigation.h"
#include "run/RunPages.h"

namespace
{
const QString CRLF = QStringLiteral("\r\n");
const QString strAboutBlank = QStringLiteral("about:blank");

// The IP configuration listing as the report holds it: its lines end in CR LF like every other
// line of the report (the capture's CR CR LF would give some forum editors an empty line each).
QString ReportListing(const QString& strIpConfig)
{
    QString strListing = strIpConfig;
    return strListing.replace(QStringLiteral("\r\r\n"), CRLF);
}
} // namespace

QString DiagnosticRun::NoPageLine()
{
    return QStringLiteral("The router sent no page for 60 seconds");
}

QString DiagnosticRun::CancelledLine()
{
    return QStringLiteral("Cancelled by the user");
}

QString DiagnosticRun::NoAnswerLine(const QString& strAddress, const QString& strPort)
{
    return QStringLiteral("The router did not answer at ") + strAddress + QStringLiteral(" port ") + strPort;
}

bool DiagnosticRun::LoadFailed(const QString& strPageText)
{
    // The error document opens with its heading and says that the page could not be loaded; a
    // router page that merely mentions the words does not open with them.
    const QString strText = strPageText.trimmed();
    return (strText.startsWith(QStringLiteral("Action canceled")) || strText.startsWith(QStringLiteral("DNS Error")))
        && strText.contains(QStringLiteral("The page could not be loaded"));
}

DiagnosticRun::DiagnosticRun(
    RunHost& host, RouterProfile& profile, PageTable& pages, PageTrace& trace, const VendorTable& vendors)
    : m_host(host)
    , m_profile(profile)
    , m_pages(pages)
    , m_trace(trace)
    , m_vendors(vendors)
{ }

QString DiagnosticRun::HeaderLine(const QDateTime& dtNow)
{
    return QStringLiteral("Quorvane | ") + AppInfo::SupportSite() + QStringLiteral(" - v") + AppInfo::VersionText()
        + QStringLiteral(" - ") + dtNow.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
}

bool DiagnosticRun::LoginAccepted(const QString& strPageText)
{
    return !strPageText.contains(QStringLiteral("Please log in to continue"), Qt::CaseInsensitive);
}

QString DiagnosticRun::TidyPageText(const QString& strText, const QString& strHeading)
{
    QString strResult = strText;
    if (!strHeading.isEmpty())
        strResult.remove(strHeading, Qt::CaseInsensitive);
    strResult = CollapseBlankLines(strResult);
    if (strResult.startsWith(CRLF))
        strResult.remove(0, 2);
    if (strResult.endsWith(CRLF))
        strResult.chop(2);
    return strResult;
}

void DiagnosticRun::OpenBrowser()
{
    // The previous run's instance is discarded here; a handler still on the stack keeps its own
    // reference until it returns.
    m_browser = m_host.CreateBrowser();
    // The run talks to the router the user named and to nothing else, whatever its pages ask for.
    m_browser->SetAllowedHost(m_host.FieldText(RunField::Address));
    RouterBrowser* raw = m_browser.get();
    m_browser->SetDocumentCompleteHandler([this, raw](const QString& strUrl) {
        if (m_browser.get() == raw)
            OnPageLoaded(strUrl);
    });
}

void DiagnosticRun::ArmNoPageBound()
{
    // Only a step that moves the run on - a navigation or a download - gives the router the whole
    // bound again; pages that leave the run where it was do not. The diagnostic wait is bounded by
    // its own timer.
    m_blnNoPageBoundPassed = false;
    if (m_blnActive && !m_host.TimerActive(RunTimer::Diagnostic))
        m_host.StartTimer(RunTimer::PageWatchdog, intPageWatchdogMs, false);
}

void DiagnosticRun::NavigateRun(const QString& strPath)
{
    if (!m_browser)
        return;
    const RouterLogin login { m_host.FieldText(RunField::Admin), m_host.FieldText(RunField::Password),
        m_host.FieldText(RunField::Address), m_host.FieldText(RunField::Port) };
    ArmNoPageBound();
    const PageProgress progress = m_state.blnDataDump ? PageProgress() : ProgressOfPage(m_profile, m_state.intNextPage);
    m_host.ShowPageProgress(progress.intPage, progress.intPages);
    NavigateTo(*m_browser, m_trace, login, m_state.blnUrlLogin, strPath);
}

void DiagnosticRun::NavigateBlank()
{
    if (m_browser)
        m_browser->Navigate(strAboutBlank);
}

void DiagnosticRun::GoToPage(RouterPage page)
{
    m_state.intNextPage = page;
    QString strPath;
    switch (page) {
    case RouterPage::Login:
        strPath = m_profile.strLoginPage;
        break;
    case RouterPage::SystemLog:
        strPath = m_profile.strSystemLogPage;
        break;
    case RouterPage::Adsl:
        strPath = m_profile.strAdslPage;
        break;
    case RouterPage::DiagTest:
        strPath = m_profile.strDiagTestPage;
        break;
    case RouterPage::Ppp:
        strPath = m_profile.strPppPage;
        break;
    case RouterPage::Logout:
        strPath = m_profile.strLogoutPage;
        break;
    case RouterPage::PppLink:
        strPath = m_state.strPppLink;
        break;
    case RouterPage::ProductInfo:
        strPath = m_profile.strProductInfoPage;
        break;
    case RouterPage::ModemStatus:
        strPath = m_profile.strModemStatusPage;
        break;
    case RouterPage::Home:
        strPath = m_profile.strHomePage;
        break;
    case RouterPage::None:
        break;
    }
    NavigateRun(strPath);
}

void DiagnosticRun::BeginCommand(bool blnDataDump)
{
    // What a run knows of the router belongs to that run: each command gets a fresh browser, so a
    // login or diagnostic wait that an earlier run left behind means nothing to it.
    m_blnActive = true;
    m_blnNoPageBoundPassed = false;
    m_blnCancelRequested = false;
    m_blnCancelLogout = false;
    m_blnFirstPage = true;
    m_state.blnDataDump = blnDataDump;
    m_state.strReportBody.clear();
    m_state.intDiagLoads = 0;
    m_pages.ResetPageHits();
    m_state.blnFinished = false;
    m_state.blnLoggedIn = false;
    m_state.intDiagTicks = 0;
    m_state.dtDiagStart = QDateTime();
}

void DiagnosticRun::Go()
{
    m_host.SetControlsEnabled(false);
    m_host.ShowMessage(MessageIcon::Information,
        QStringLiteral("Please wait while a report is generated on your network,\r\n"
                       "It may take SEVERAL MINUTES to complete - please be patient.\r\n"
                       "Make sure this program is given permission in your firewall\r\n"
                       "to access the network."));
    BeginCommand(false);
    // A cancel that comes while the capture or a ping runs takes effect once they return.
    m_blnStarting = true;
    m_host.SetCheckValue(RunCheck::HidePassword, 1);
    m_host.SetReportToolTip(QStringLiteral("Diagnostic report"));
    m_state.strReportHead = HeaderLine(m_host.Now()) + CRLF;

    m_host.SetReportText(QString());

    if (m_host.FieldText(RunField::Admin).isEmpty())
        m_state.strReportHead += CRLF + QStringLiteral("Username is missing") + CRLF;
    if (m_host.FieldText(RunField::Password).isEmpty())
        m_state.strReportHead += CRLF + QStringLiteral("Password is missing") + CRLF;

    if (m_host.CheckValue(RunCheck::IPConfig) == 0) {
        m_host.SetStatus(QStringLiteral("Skipping ipconfig test"));
        m_state.strReportHead += CRLF + QStringLiteral("Skipping ipconfig test") + CRLF;
    } else {
        m_host.SetStatus(QStringLiteral("Getting network data"));
        const QString strCapture = m_host.CaptureIpConfig();
        m_state.strIpConfig = m_host.CheckValue(RunCheck::Censor) == 1 ? CensorMacAddresses(strCapture) : strCapture;
        m_state.strGateway = FindDefaultGateway(m_state.strIpConfig);
        if (!m_state.strGateway.isEmpty() && m_host.FieldText(RunField::Address).isEmpty())
            m_host.SetFieldText(RunField::Address, m_state.strGateway);
    }
    if (m_blnCancelRequested) {
        m_blnStarting = false;
        FinishCancelled();
        return;
    }

    m_host.SetStatus(QStringLiteral("Pinging gateway"));
    const QString strAddress = m_host.FieldText(RunField::Address);
    bool blnPass = false;
    m_host.PingWithStatus(strAddress, m_state.strPingReply, blnPass);

    if (blnPass) {
        m_state.strReportHead += CRLF + QStringLiteral("Ping ") + strAddress + QStringLiteral(" = PASS");
        m_state.strReportHead += CRLF + ReportListing(m_state.strIpConfig) + CRLF;
        OpenBrowser();
        if (m_profile.intRouterClass == 1) {
            m_state.blnUrlLogin = true;
            m_host.SetStatus(QStringLiteral("Getting system log"));
            GoToPage(RouterPage::SystemLog);
        } else {
            m_state.blnUrlLogin = false;
            m_host.SetStatus(QStringLiteral("Logging in..."));
            GoToPage(RouterPage::Login);
        }
    } else {
        m_state.strReportHead
            += CRLF + QStringLiteral("Ping ") + strAddress + QStringLiteral(" = FAIL") + m_state.strPingReply;
        m_state.strReportHead += CRLF + ReportListing(m_state.strIpConfig);
        ShowReport();
        m_host.SetStatus(QStringLiteral("No response from router"));
        m_blnStarting = false;
        EndRun(RunOutcome::Abnormal);
        return;
    }
    m_blnStarting = false;
    if (m_blnCancelRequested && m_blnActive)
        EndCancelled();
}

void DiagnosticRun::StartDataDump()
{
    BeginCommand(true);
    // An ending before the login shows the dump's title lines rather than an earlier report.
    m_state.strReportHead = HeaderLine(m_host.Now()) + CRLF + QStringLiteral("Class II Dump") + CRLF + CRLF;
    m_host.SetReportToolTip(QStringLiteral("Data dump"));
    OpenBrowser();
    m_state.blnUrlLogin = false;
    m_host.SetStatus(QStringLiteral("Logging in..."));
    GoToPage(RouterPage::Login);
}

void DiagnosticRun::EndDataDump(const QString& strDumpText, RunOutcome outcome)
{
    m_state.strReportHead = strDumpText;
    m_state.strReportBody.clear();
    // A cancelled dump still holds its login: the cancel's ending logs out once the login page's
    // handler, which the dump runs in, has returned.
    if (outcome == RunOutcome::Cancelled)
        return;
    m_state.blnLoggedIn = false;
    m_state.blnDataDump = false;
    m_state.blnFinished = true;
    EndRun(outcome);
}

void DiagnosticRun::ShowReport()
{
    const QString strAppendix = m_reportAppendix && !m_state.blnDataDump ? m_reportAppendix() : QString();
    m_host.SetReportText(
        m_state.strReportHead + FilterReport(m_state.strReportBody, m_host.CheckValue(RunCheck::Censor)) + strAppendix);
    m_host.SetControlsEnabled(true);
}

void DiagnosticRun::EndRun(RunOutcome outcome)
{
    // No timer of a run that has ended may add to its report later.
    m_host.StopTimer(RunTimer::PageWatchdog);
    m_host.StopTimer(RunTimer::Diagnostic);
    m_host.StopTimer(RunTimer::WaitClock);
    // Every ending of the data dump command clears its mode, so that a later Go is not taken over.
    m_state.blnDataDump = false;
    m_blnActive = false;
    m_blnNoPageBoundPassed = false;
    m_blnCancelRequested = false;
    m_blnCancelLogout = false;
    if (m_runEnded)
        m_runEnded(outcome);
}

void DiagnosticRun::Abort()
{
    m_host.StopTimer(RunTimer::PageWatchdog);
    m_host.StopTimer(RunTimer::Diagnostic);
    m_host.StopTimer(RunTimer::WaitClock);
    m_blnActive = false;
    if (m_browser)
        m_browser->SetDocumentCompleteHandler({});
}

void DiagnosticRun::Cancel(const QString& strLine)
{
    if (!m_blnActive || m_blnCancelRequested)
        return;
    m_blnCancelRequested = true;
    m_strCancelLine = strLine;
    m_host.InterruptWaits();
    // A handler on the stack ends its step first; the run ends once it has returned.
    if (m_state.blnBusy || m_blnStarting)
        return;
    EndCancelled();
}

void DiagnosticRun::EndCancelled()
{
    m_host.StopTimer(RunTimer::Diagnostic);
    m_host.StopTimer(RunTimer::PageWatchdog);
    if (m_state.blnLoggedIn && m_browser && !m_profile.strLogoutPage.isEmpty()) {
        // The router is not left with a login open; it gets a few seconds to show its log-out page.
        m_blnCancelLogout = true;
        m_host.SetStatus(QStringLiteral("Logging out"));
        m_state.intNextPage = RouterPage::Logout;
        NavigateRun(m_profile.strLogoutPage);
        m_host.StartTimer(RunTimer::PageWatchdog, intCancelLogoutMs, false);
        return;
    }
    FinishCancelled();
}

void DiagnosticRun::FinishCancelled()
{
    m_host.StopTimer(RunTimer::PageWatchdog);
    m_state.intNextPage = RouterPage::None;
    if (m_blnCancelLogout && m_state.blnLoggedIn)
        m_state.strReportBody += CRLF + QStringLiteral("The router sent no log-out page within ")
            + QString::number(intCancelLogoutMs / 1000) + QStringLiteral(" seconds");
    m_blnCancelLogout = false;
    m_state.strReportBody += CRLF + m_strCancelLine;
    ShowReport();
    m_state.blnFinished = true;
    m_host.SetStatus(m_state.blnDataDump ? QStringLiteral("Data dump cancelled") : QStringLiteral("Run cancelled"));
    NavigateBlank();
    EndRun(RunOutcome::Cancelled);
}

void DiagnosticRun::EndNoAnswer()
{
    const QString strLine = NoAnswerLine(m_host.FieldText(RunField::Address), m_host.FieldText(RunField::Port));
    // In the head, beside the ping of the same address, which the report filter leaves alone too.
    m_state.strReportHead += strLine;
    EndWithLine(strLine);
}

QString DiagnosticRun::StoppedAnsweringLine(const QString& strUrl)
{
    // The path alone: a Class I address carries the credentials.
    const qsizetype lngAuthority = strUrl.indexOf(QStringLiteral("://"));
    const qsizetype lngPath = strUrl.indexOf(QLatin1Char('/'), lngAuthority < 0 ? 0 : lngAuthority + 3);
    return QStringLiteral("The router did not answer for ") + (lngPath < 0 ? QString() : strUrl.mid(lngPath));
}

void DiagnosticRun::EndStoppedAnswering(const QString& strUrl)
{
    const QString strLine = StoppedAnsweringLine(strUrl);
    // As the other endings: a line break first (the head already ends with one).
    m_state.strReportBody += (m_state.strReportBody.isEmpty() ? QString() : CRLF) + strLine;
    EndWithLine(strLine);
}

void DiagnosticRun::EndWithLine(const QString& strStatus)
{
    m_host.StopTimer(RunTimer::Diagnostic);
    ShowReport();
    m_state.blnFinished = true;
    m_state.intNextPage = RouterPage::None;
    m_host.SetStatus(strStatus);
    NavigateBlank();
    EndRun(RunOutcome::Abnormal);
}

void DiagnosticRun::EndUnableToLogin(const QString& strWhy)
{
    // A login page that comes back later in the run finds lines before it: it starts a line.
    if (!m_state.strReportBody.isEmpty() && !m_state.strReportBody.endsWith(CRLF))
        m_state.strReportBody += CRLF;
    m_state.strReportBody += QStringLiteral("Unable to login: ") + strWhy;
    ShowReport();
    m_host.SetStatus(QStringLiteral("Finished report"));
    m_state.blnFinished = true;
    NavigateBlank();
    EndRun(RunOutcome::Abnormal);
}

void DiagnosticRun::EndAbnormally(const QString& strLine)
{
    m_host.StopTimer(RunTimer::Diagnostic);
    m_state.strReportBody += CRLF + strLine;
    ShowReport();
    m_state.blnFinished = true;
    m_host.SetStatus(QStringLiteral("Finished report"));
    NavigateBlank();
    EndRun(RunOutcome::Abnormal);
}

void DiagnosticRun::FinishReport(RunOutcome outcome)
{
    m_state.intNextPage = RouterPage::None;
    if (m_state.blnFinished)
        return;
    // No page is awaited any more, also while the closing message waits for the user.
    m_host.StopTimer(RunTimer::PageWatchdog);
    NavigateBlank();
    m_state.blnFinished = true;
    ShowReport();
    m_host.SetStatus(QStringLiteral("Finished report"));
    const bool blnCopied = m_host.SetClipboardText(m_host.ReportText());
    if (!blnCopied)
        m_host.SetStatus(QStringLiteral("Finished report - the report could not be copied to the clipboard"));
    m_host.ShowMessage(MessageIcon::Information, ClosingMessage(blnCopied));
    EndRun(outcome);
}

QString DiagnosticRun::ClosingMessage(bool blnCopied) const
{
    const QString strCensorLine = m_host.CheckValue(RunCheck::Censor) == 1
        ? QStringLiteral("Any sensitive information has been censored for your privacy.")
        : QStringLiteral("Any sensitive information has NOT been censored.");
    const QString strFirstLine = blnCopied
        ? m_host.ReportCopiedLine()
        : QStringLiteral("A report has been created but could not be copied into the clipboard.");
    return strFirstLine + CRLF + QStringLiteral("You may now paste the report into your post on the forum.") + CRLF
        + strCensorLine;
}

void DiagnosticRun::ReportLoginFailure()
{
    const QString strText = QStringLiteral("Could not log in. Please check your router's username and password.");
    m_host.ShowMessage(MessageIcon::Exclamation, strText);
    m_state.strReportBody += CRLF + strText;
    m_state.blnLoggedIn = false;
    FinishReport(RunOutcome::LoginFailed);
}

void DiagnosticRun::OnTimer(RunTimer timer)
{
    if (timer == RunTimer::WaitClock) {
        OnWaitSecond();
        return;
    }
    if (!m_blnActive)
        return;
    if (timer == RunTimer::Diagnostic) {
        OnTimerTick();
        return;
    }
    // The log-out of a cancelled run took too long: it ends without it.
    if (m_blnCancelLogout) {
        FinishCancelled();
        return;
    }
    // A handler that is still busy - waiting for a download, or letting events run - stops its
    // wait and the run ends once it returns; otherwise the run ends here.
    if (m_state.blnBusy)
        m_blnNoPageBoundPassed = true;
    else
        EndAbnormally(NoPageLine());
}

void DiagnosticRun::OnPageLoaded(const QString& strUrl)
{
    if (m_state.blnBusy)
        return;
    RouterPage page = m_pages.FindPage(strUrl);
    // Keep our own reference: a handler that lets events run may see the instance replaced.
    const std::shared_ptr<RouterBrowser> browser = m_browser;
    if (page == RouterPage::None || !browser)
        return;
    if (m_blnCancelLogout) {
        // The cancelled run waits for the log-out alone (some routers answer it with their login
        // page); a log-out that could not be loaded ends the wait as well.
        if (page == RouterPage::Logout || page == RouterPage::Login || LoadFailed(browser->BodyText())) {
            if (!LoadFailed(browser->BodyText()))
                m_state.blnLoggedIn = false;
            m_trace.WriteTrace(
                QStringLiteral("<<Page ") + QString::number(PageNumber(page)) + QStringLiteral(">>"), true);
            FinishCancelled();
        }
        return;
    }

    if (page != m_state.intNextPage)
        m_trace.WriteTrace(QStringLiteral("! Unexpected page !"), false);
    m_trace.WriteTrace(QStringLiteral("<<Page ") + QString::number(PageNumber(page)) + QStringLiteral(">>"), true);

    // A page that could not be loaded is the router not answering, whatever page was asked for;
    // when the run's first page cannot be loaded at all there is nobody to ask for the others.
    const bool blnFirstPage = m_blnFirstPage;
    m_blnFirstPage = false;
    const QString strPageText = browser->BodyText();
    if (LoadFailed(strPageText)) {
        // The load that the run's own ending broke off (a cancel, a bound) tells nothing more.
        if (!m_blnActive)
            return;
        const bool blnLoginDnsError = page == RouterPage::Login && strPageText.contains(QStringLiteral("DNS Error"));
        if (blnFirstPage && !blnLoginDnsError) {
            m_trace.WriteTrace(strUrl, false);
            m_trace.WriteTrace(strPageText, false);
            EndNoAnswer();
            return;
        }
        // A router that answered before and stops now (switched off, restarting, unplugged): what
        // was gathered is shown at once, rather than every further page and the diagnostic wait
        // running their course against nobody. Its log-out could not be loaded either.
        if (!blnLoginDnsError) {
            m_trace.WriteTrace(strUrl, false);
            m_trace.WriteTrace(strPageText, false);
            EndStoppedAnswering(strUrl);
            return;
        }
    }

    if (page != RouterPage::DiagTest) {
        int& intHits = m_pages.PageHits(page);
        ++intHits;
        if (intHits > 10) {
            m_state.strReportBody
                += CRLF + QStringLiteral("Number of page hits exceeded for ") + QString::number(PageNumber(page));
            ShowReport();
            m_state.blnFinished = true;
            m_host.SetStatus(QStringLiteral("Finished report"));
            NavigateBlank();
            EndRun(RunOutcome::Abnormal);
            page = RouterPage::None;
        }
    }

    const QString strText = browser->BodyText();
    const QString strHtml = browser->BodyHtml();
    m_trace.WriteTrace(strUrl, false);
    m_trace.WriteTrace(strText, false);

    m_state.blnBusy = true;
    HandlePage(page, strUrl, strText, strHtml);
    m_state.blnBusy = false;

    // A cancel that came while the page was handled ends the run now.
    if (m_blnCancelRequested && m_blnActive && !m_blnCancelLogout) {
        EndCancelled();
        return;
    }
    // The bound passed while the page was handled, and the page did not move the run on.
    if (m_blnNoPageBoundPassed && m_blnActive)
        EndAbnormally(NoPageLine());
}

void DiagnosticRun::HandlePage(RouterPage page, const QString& strUrl, const QString& strText, const QString& strHtml)
{
    switch (page) {
    case RouterPage::Login:
        HandleLoginPage(strUrl, strText);
        break;
    case RouterPage::SystemLog:
        HandleSystemLog(strText);
        break;
    case RouterPage::Adsl:
        HandleAdslStatus(strText, strHtml);
        break;
    case RouterPage::DiagTest:
        HandleDiagnosticPage(strText);
        break;
    case RouterPage::Ppp:
        HandlePppSettings(strHtml);
        break;
    case RouterPage::Logout:
        m_host.SetStatus(QStringLiteral("Logging out"));
        m_state.blnLoggedIn = false;
        FinishReport();
        break;
    case RouterPage::PppLink:
        HandleClassIIPppPage();
        break;
    case RouterPage::ProductInfo:
        HandleProductInfo(strText);
        break;
    case RouterPage::ModemStatus:
        m_state.strReportBody += TidyPageText(strText, QStringLiteral("Modem Status")) + CRLF + CRLF;
        m_host.SetStatus(QStringLiteral("Getting firmware version"));
        GoToPage(RouterPage::Home);
        break;
    case RouterPage::Home:
        m_state.strReportBody += ReadFirmwareVersion(strHtml) + CRLF + CRLF;
        m_host.SetStatus(QStringLiteral("Getting system log"));
        GoToPage(RouterPage::SystemLog);
        break;
    case RouterPage::None:
        break;
    }
}

void DiagnosticRun::HandleLoginPage(const QString& strUrl, const QString& strText)
{
    if (strText.contains(QStringLiteral("DNS Error"))) {
        EndUnableToLogin(strUrl);
        return;
    }
    if (m_state.blnLoggedIn) {
        m_host.SetStatus(QStringLiteral("Logging out"));
        m_browser->SubmitFrameForm(1);
        m_host.ProcessEvents();
        m_state.blnLoggedIn = false;
        FinishReport();
        return;
    }
    m_host.SetStatus(QStringLiteral("Login page found - trying to log in..."));
    SubmitLogin(
        *m_browser, m_profile.intRouterClass, m_host.FieldText(RunField::Admin), m_host.FieldText(RunField::Password));
    // A login form that would send the password to another host is not submitted: the run ends
    // here and says why.
    const QString strRefusedHost = m_browser->RefusedFormHost();
    if (!strRefusedHost.isEmpty()) {
        EndUnableToLogin(QStringLiteral("the login form sends the password to ") + strRefusedHost
            + QStringLiteral(", not to the router"));
        return;
    }
    m_host.ProcessEvents();
    if (!m_blnCancelRequested)
        m_host.Pause(intLoginPauseMs);
    m_state.blnLoggedIn = true;
    // Cancelled meanwhile: the login stands and is undone by the cancel's ending.
    if (m_blnCancelRequested)
        return;
    if (m_state.blnDataDump) {
        if (m_dataDumpHandler)
            m_dataDumpHandler();
    } else if (!m_profile.strProductInfoPage.isEmpty()) {
        m_host.SetStatus(QStringLiteral("Getting product information"));
        GoToPage(RouterPage::ProductInfo);
    } else {
        m_host.SetStatus(QStringLiteral("Getting system log"));
        GoToPage(RouterPage::SystemLog);
    }
}

void DiagnosticRun::HandleSystemLog(const QString& strText)
{
    m_host.SetStatus(QStringLiteral("Reading system log"));
    if (!LoginAccepted(strText)) {
        ReportLoginFailure();
        return;
    }
    if (!strText.contains(QStringLiteral("errorText"))) {
        const QStringList lines = SplitPieces(strText, CRLF, Qt::CaseSensitive);
        for (int i = 0; i < lines.size(); ++i) {
            const QString& strLine = lines.at(i);
            if (strLine.contains(QStringLiteral("Action canceled"))) {
                m_state.strReportBody += QStringLiteral("System log cannot be found") + CRLF;
                break;
            }
            if (!strLine.contains(QStringLiteral("If you would")) && !strLine.contains(QStringLiteral("System Log"))
                && !strLine.contains(QStringLiteral("Current Time:")) && strLine.length() > 3) {
                m_state.strReportBody += strLine;
                if (i < lines.size() - 1)
                    m_state.strReportBody += CRLF;
            }
        }
    } else {
        m_state.strReportBody += QStringLiteral("System log page cannot be found");
    }

    m_host.SetStatus(QStringLiteral("Pinging google"));
    bool blnPass = false;
    m_host.PingWithStatus(m_profile.strPingIP, m_state.strPingReply, blnPass);
    if (blnPass)
        m_state.strReportBody += CRLF + QStringLiteral("Ping ") + m_profile.strPingIP + QStringLiteral(" = PASS");
    else
        m_state.strReportBody
            += CRLF + QStringLiteral("Ping ") + m_profile.strPingIP + QStringLiteral(" = FAIL") + m_state.strPingReply;
    m_state.strReportBody += CRLF + m_host.PingHostByName(m_profile.strPingHost);

    m_host.SetStatus(QStringLiteral("Getting PPP settings"));
    GoToPage(RouterPage::Ppp);
}

void DiagnosticRun::HandleAdslStatus(const QString& strText, const QString& strHtml)
{
    m_host.SetStatus(QStringLiteral("Reading ADSL status"));
    if (m_profile.intRouterClass != 2) {
        ReadAdslStatus(strText, m_state.strReportBody);
        StartDiagnosticWait();
        return;
    }
    m_state.strReportBody += CRLF + ReadStatusTable(strHtml) + CRLF + CRLF;
    if (!m_profile.strDiagTestPage.contains(QStringLiteral("/proc/"), Qt::CaseInsensitive)) {
        StartDiagnosticWait();
        return;
    }
    // The modem statistics are a plain file on this router family: fetch it instead of waiting.
    const QString strUrl = QStringLiteral("http://") + m_host.FieldText(RunField::Address) + QStringLiteral(":")
        + m_host.FieldText(RunField::Port) + m_profile.strDiagTestPage;
    QString strStats = DownloadText(strUrl);
    if (m_blnNoPageBoundPassed || m_blnCancelRequested)
        return;
    if (m_blnDownloadUnanswered) {
        EndStoppedAnswering(strUrl);
        return;
    }
    strStats.replace(QStringLiteral("\n"), CRLF);
    strStats = TidyPageText(strStats, QString());
    ReadIspHardware(strStats, m_vendors, m_state.strReportBody);
    m_state.strReportBody += strStats;
    if (m_state.blnLoggedIn)
        GoToPage(RouterPage::Logout);
    else
        FinishReport();
}

void DiagnosticRun::HandlePppSettings(const QString& strHtml)
{
    m_host.SetStatus(QStringLiteral("Reading PPP settings"));
    if (m_profile.intRouterClass != 2) {
        m_state.strReportBody += CRLF + CRLF + ReadPppSettings(strHtml);
        m_host.SetStatus(QStringLiteral("Getting ADSL status"));
        GoToPage(RouterPage::Adsl);
        return;
    }
    // The link finder's own line goes on a line of its own.
    const qsizetype lngBodyBefore = m_state.strReportBody.size();
    m_state.strPppLink = FindPppSettingsLink(strHtml, m_state.strReportBody);
    if (m_state.strReportBody.size() > lngBodyBefore && lngBodyBefore > 0
        && !m_state.strReportBody.left(lngBodyBefore).endsWith(CRLF))
        m_state.strReportBody.insert(lngBodyBefore, CRLF);
    if (m_state.strPppLink.isEmpty()) {
        m_state.strReportBody += CRLF + QStringLiteral("Could not find link to PPP settings") + CRLF;
        m_host.SetStatus(QStringLiteral("Getting ADSL status"));
        GoToPage(RouterPage::Adsl);
        return;
    }
    m_pages.RegisterPage(m_state.strPppLink, RouterPage::PppLink);
    m_pages.SortPages();
    GoToPage(RouterPage::PppLink);
}

void DiagnosticRun::HandleClassIIPppPage()
{
    if (m_profile.intRouterClass == 2) {
        m_state.strReportBody += CRLF + CRLF + QStringLiteral("Encapsulation = ")
            + m_browser->ElementValue(QStringLiteral("uiPostEncapsType")) + QStringLiteral(", MRU = ")
            + m_browser->ElementValue(QStringLiteral("uiPostPppMRU")) + QStringLiteral(", VPI = ")
            + m_browser->ElementValue(QStringLiteral("uiPostPvcVpi")) + QStringLiteral(", VCI = ")
            + m_browser->ElementValue(QStringLiteral("uiPostPvcVci")) + CRLF;
    }
    m_host.SetStatus(QStringLiteral("Getting ADSL status"));
    GoToPage(RouterPage::Adsl);
}

void DiagnosticRun::HandleProductInfo(const QString& strText)
{
    if (!LoginAccepted(strText)) {
        ReportLoginFailure();
        return;
    }
    m_state.strReportBody += TidyPageText(strText, QStringLiteral("Product Information")) + CRLF + CRLF;
    if (!m_profile.strModemStatusPage.isEmpty()) {
        m_host.SetStatus(QStringLiteral("Getting modem status page"));
        GoToPage(RouterPage::ModemStatus);
    } else {
        m_host.SetStatus(QStringLiteral("Getting system log"));
        GoToPage(RouterPage::SystemLog);
    }
}

QString DiagnosticRun::DownloadText(const QString& strUrl)
{
    // A download is a page for the no-page bound: it gets the whole bound, and no more.
    ArmNoPageBound();
    m_blnDownloadUnanswered = false;
    FileDownload& downloader = m_host.Downloader();
    downloader.BeginDownload(strUrl, strUrl);
    while (!downloader.DownloadComplete() && !downloader.DownloadError()) {
        if (m_blnNoPageBoundPassed || m_blnCancelRequested) {
            downloader.CancelDownload();
            return QString();
        }
        m_host.Pause(1000);
        m_host.ProcessEvents();
    }
    // The download arrived; a bound that passed during the same wait came too late to matter.
    m_blnNoPageBoundPassed = false;
    m_blnDownloadUnanswered = downloader.NoAnswer();
    return downloader.FileContents();
}
