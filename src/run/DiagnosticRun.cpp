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

namespace
{
const QString CRLF = QStringLiteral("\r\n");
const QString strAboutBlank = QStringLiteral("about:blank");
} // namespace

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
    RouterBrowser* raw = m_browser.get();
    m_browser->SetDocumentCompleteHandler([this, raw](const QString& strUrl) {
        if (m_browser.get() == raw)
            OnPageLoaded(strUrl);
    });
}

void DiagnosticRun::NavigateRun(const QString& strPath)
{
    if (!m_browser)
        return;
    const RouterLogin login { m_host.FieldText(RunField::Admin), m_host.FieldText(RunField::Password),
        m_host.FieldText(RunField::Address), m_host.FieldText(RunField::Port) };
    // A run that waits for a page of the table is bounded; the diagnostic wait has its own timer.
    if (m_blnActive && !m_host.TimerActive(RunTimer::Diagnostic))
        m_host.StartTimer(RunTimer::PageWatchdog, intPageWatchdogMs, false);
    NavigateTo(*m_browser, m_trace, login, blnUrlLogin, strPath);
}

void DiagnosticRun::NavigateBlank()
{
    if (m_browser)
        m_browser->Navigate(strAboutBlank);
}

void DiagnosticRun::GoToPage(int intPage)
{
    intNextPage = intPage;
    QString strPath;
    switch (intPage) {
    case 1:
        strPath = m_profile.strLoginPage;
        break;
    case 2:
        strPath = m_profile.strSystemLogPage;
        break;
    case 3:
        strPath = m_profile.strAdslPage;
        break;
    case 4:
        strPath = m_profile.strDiagTestPage;
        break;
    case 5:
        strPath = m_profile.strPppPage;
        break;
    case 6:
        strPath = m_profile.strLogoutPage;
        break;
    case 7:
        strPath = strPppLink;
        break;
    case 8:
        strPath = m_profile.strProductInfoPage;
        break;
    case 9:
        strPath = m_profile.strModemStatusPage;
        break;
    case 10:
        strPath = m_profile.strHomePage;
        break;
    default:
        break;
    }
    NavigateRun(strPath);
}

void DiagnosticRun::Go()
{
    m_host.SetControlsEnabled(false);
    m_host.ShowMessage(MessageIcon::Information,
        QStringLiteral("Please wait while a report is generated on your network,\r\n"
                       "It may take SEVERAL MINUTES to complete - please be patient.\r\n"
                       "Make sure this program is given permission in your firewall\r\n"
                       "to access the network."));
    m_blnActive = true;
    m_host.SetCheckValue(RunCheck::HidePassword, 1);
    m_host.SetReportToolTip(QStringLiteral("Diagnostic report"));
    strReportHead = HeaderLine(m_host.Now()) + CRLF;

    m_host.SetReportText(QString());
    strReportBody.clear();
    intDiagLoads = 0;
    m_pages.ResetPageHits();
    blnFinished = false;

    if (m_host.FieldText(RunField::Admin).isEmpty())
        strReportHead += CRLF + QStringLiteral("Username is missing") + CRLF;
    if (m_host.FieldText(RunField::Password).isEmpty())
        strReportHead += CRLF + QStringLiteral("Password is missing") + CRLF;

    if (m_host.CheckValue(RunCheck::IPConfig) == 0) {
        m_host.SetStatus(QStringLiteral("Skipping ipconfig test"));
        strReportHead += CRLF + QStringLiteral("Skipping ipconfig test") + CRLF;
    } else {
        m_host.SetStatus(QStringLiteral("Getting network data"));
        const QString strCapture = m_host.CaptureIpConfig();
        strIpConfig = m_host.CheckValue(RunCheck::Censor) == 1 ? CensorMacAddresses(strCapture) : strCapture;
        strGateway = FindDefaultGateway(strIpConfig);
        if (!strGateway.isEmpty() && m_host.FieldText(RunField::Address).isEmpty())
            m_host.SetFieldText(RunField::Address, strGateway);
    }

    m_host.SetStatus(QStringLiteral("Pinging gateway"));
    const QString strAddress = m_host.FieldText(RunField::Address);
    bool blnPass = false;
    m_host.PingWithStatus(strAddress, strPingReply, blnPass);

    if (blnPass) {
        strReportHead += CRLF + QStringLiteral("Ping ") + strAddress + QStringLiteral(" = PASS");
        strReportHead += CRLF + strIpConfig + CRLF;
        OpenBrowser();
        if (m_profile.intRouterClass == 1) {
            blnUrlLogin = true;
            m_host.SetStatus(QStringLiteral("Getting system log"));
            GoToPage(2);
        } else {
            blnUrlLogin = false;
            m_host.SetStatus(QStringLiteral("Logging in..."));
            GoToPage(1);
        }
    } else {
        strReportHead += CRLF + QStringLiteral("Ping ") + strAddress + QStringLiteral(" = FAIL") + strPingReply;
        strReportHead += CRLF + strIpConfig;
        ShowReport();
        m_host.SetStatus(QStringLiteral("No response from router"));
        EndRun(RunOutcome::Abnormal);
    }
}

void DiagnosticRun::StartDataDump()
{
    blnDataDump = true;
    m_blnActive = true;
    m_host.SetReportToolTip(QStringLiteral("Data dump"));
    OpenBrowser();
    blnUrlLogin = false;
    m_host.SetStatus(QStringLiteral("Logging in..."));
    m_pages.ResetPageHits();
    GoToPage(1);
}

void DiagnosticRun::ShowReport()
{
    m_host.SetReportText(strReportHead + FilterReport(strReportBody, m_host.CheckValue(RunCheck::Censor)));
    m_host.SetControlsEnabled(true);
}

void DiagnosticRun::EndRun(RunOutcome outcome)
{
    // No timer of a run that has ended may add to its report later.
    m_host.StopTimer(RunTimer::PageWatchdog);
    m_host.StopTimer(RunTimer::Diagnostic);
    // Every ending of the data dump command clears its mode, so that a later Go is not taken over.
    blnDataDump = false;
    m_blnActive = false;
    if (m_runEnded)
        m_runEnded(outcome);
}

void DiagnosticRun::Abort()
{
    m_host.StopTimer(RunTimer::PageWatchdog);
    m_host.StopTimer(RunTimer::Diagnostic);
    m_blnActive = false;
    if (m_browser)
        m_browser->SetDocumentCompleteHandler({});
}

void DiagnosticRun::EndAbnormally(const QString& strLine)
{
    m_host.StopTimer(RunTimer::Diagnostic);
    strReportBody += CRLF + strLine;
    ShowReport();
    blnFinished = true;
    m_host.SetStatus(QStringLiteral("Finished report"));
    NavigateBlank();
    EndRun(RunOutcome::Abnormal);
}

void DiagnosticRun::FinishReport()
{
    intNextPage = 0;
    if (blnFinished)
        return;
    NavigateBlank();
    blnFinished = true;
    ShowReport();
    m_host.SetStatus(QStringLiteral("Finished report"));
    const bool blnCopied = m_host.SetClipboardText(m_host.ReportText());
    if (!blnCopied)
        m_host.SetStatus(QStringLiteral("Finished report - the report could not be copied to the clipboard"));
    const QString strCensorLine = m_host.CheckValue(RunCheck::Censor) == 1
        ? QStringLiteral("Any sensitive information has been censored for your privacy.")
        : QStringLiteral("Any sensitive information has NOT been censored.");
    const QString strFirstLine = blnCopied
        ? QStringLiteral("A report has been created and copied into the clipboard.")
        : QStringLiteral("A report has been created but could not be copied into the clipboard.");
    m_host.ShowMessage(MessageIcon::Information,
        strFirstLine + CRLF + QStringLiteral("You may now paste the report into your post on the forum.") + CRLF
            + strCensorLine);
    EndRun(RunOutcome::Finished);
}

void DiagnosticRun::ReportLoginFailure()
{
    const QString strText = QStringLiteral("Could not log in. Please check your router's username and password.");
    m_host.ShowMessage(MessageIcon::Exclamation, strText);
    strReportBody += CRLF + strText;
    blnLoggedIn = false;
    FinishReport();
}

void DiagnosticRun::OnTimer(RunTimer timer)
{
    if (timer == RunTimer::Diagnostic) {
        OnTimerTick();
        return;
    }
    if (m_blnActive && !blnBusy)
        EndAbnormally(QStringLiteral("The router sent no page for 60 seconds"));
}

void DiagnosticRun::OnPageLoaded(const QString& strUrl)
{
    if (blnBusy)
        return;
    int intPage = m_pages.FindPage(strUrl);
    if (intPage == 0)
        return;
    // Keep our own reference: a handler that lets events run may see the instance replaced.
    const std::shared_ptr<RouterBrowser> browser = m_browser;
    if (!browser)
        return;
    m_host.StopTimer(RunTimer::PageWatchdog);

    if (intPage != intNextPage)
        m_trace.WriteTrace(QStringLiteral("! Unexpected page !"), false);
    m_trace.WriteTrace(QStringLiteral("<<Page ") + QString::number(intPage) + QStringLiteral(">>"), true);

    if (intPage != 4) {
        int& intHits = m_pages.intPageHits[static_cast<size_t>(intPage)];
        ++intHits;
        if (intHits > 10) {
            strReportBody += CRLF + QStringLiteral("Number of page hits exceeded for ") + QString::number(intPage);
            ShowReport();
            blnFinished = true;
            m_host.SetStatus(QStringLiteral("Finished report"));
            NavigateBlank();
            EndRun(RunOutcome::Abnormal);
            intPage = 0;
        }
    }

    const QString strText = browser->BodyText();
    const QString strHtml = browser->BodyHtml();
    m_trace.WriteTrace(strUrl, false);
    m_trace.WriteTrace(strText, false);

    blnBusy = true;
    switch (intPage) {
    case 1:
        HandleLoginPage(strUrl, strText);
        break;
    case 2:
        HandleSystemLog(strText);
        break;
    case 3:
        HandleAdslStatus(strText, strHtml);
        break;
    case 4:
        HandleDiagnosticPage(strText);
        break;
    case 5:
        HandlePppSettings(strHtml);
        break;
    case 6:
        m_host.SetStatus(QStringLiteral("Logging out"));
        blnLoggedIn = false;
        FinishReport();
        break;
    case 7:
        HandleClassIIPppPage();
        break;
    case 8:
        HandleProductInfo(strText);
        break;
    case 9:
        strReportBody += TidyPageText(strText, QStringLiteral("Modem Status")) + CRLF + CRLF;
        m_host.SetStatus(QStringLiteral("Getting firmware version"));
        GoToPage(10);
        break;
    case 10:
        strReportBody += ReadFirmwareVersion(strHtml) + CRLF + CRLF;
        m_host.SetStatus(QStringLiteral("Getting system log"));
        GoToPage(2);
        break;
    default:
        break;
    }
    blnBusy = false;
}

void DiagnosticRun::HandleLoginPage(const QString& strUrl, const QString& strText)
{
    if (strText.contains(QStringLiteral("DNS Error"))) {
        strReportBody += QStringLiteral("Unable to login: ") + strUrl;
        ShowReport();
        m_host.SetStatus(QStringLiteral("Finished report"));
        blnFinished = true;
        NavigateBlank();
        EndRun(RunOutcome::Abnormal);
        return;
    }
    if (blnLoggedIn) {
        m_host.SetStatus(QStringLiteral("Logging out"));
        m_browser->SubmitFrameForm(1);
        m_host.ProcessEvents();
        blnLoggedIn = false;
        FinishReport();
        return;
    }
    m_host.SetStatus(QStringLiteral("Login page found - trying to log in..."));
    if (m_profile.intRouterClass == 2) {
        m_browser->SetElementValue(QStringLiteral("uiPostUserName"), m_host.FieldText(RunField::Admin));
        m_browser->SetElementValue(QStringLiteral("uiPostPassword"), m_host.FieldText(RunField::Password));
        m_browser->SubmitForm(QStringLiteral("uiPostForm"));
    } else if (m_profile.intRouterClass == 3) {
        m_browser->SetElementValue(QStringLiteral("PS"), m_host.FieldText(RunField::Password));
        m_browser->SubmitFrameForm(1);
    }
    m_host.ProcessEvents();
    m_host.Pause(intLoginPauseMs);
    blnLoggedIn = true;
    if (blnDataDump) {
        if (m_dataDumpHandler)
            m_dataDumpHandler();
    } else if (!m_profile.strProductInfoPage.isEmpty()) {
        m_host.SetStatus(QStringLiteral("Getting product information"));
        GoToPage(8);
    } else {
        m_host.SetStatus(QStringLiteral("Getting system log"));
        GoToPage(2);
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
                strReportBody += QStringLiteral("System log cannot be found") + CRLF;
                break;
            }
            if (!strLine.contains(QStringLiteral("If you would")) && !strLine.contains(QStringLiteral("System Log"))
                && !strLine.contains(QStringLiteral("Current Time:")) && strLine.length() > 3) {
                strReportBody += strLine;
                if (i < lines.size() - 1)
                    strReportBody += CRLF;
            }
        }
    } else {
        strReportBody += QStringLiteral("System log page cannot be found");
    }

    m_host.SetStatus(QStringLiteral("Pinging google"));
    bool blnPass = false;
    m_host.PingWithStatus(m_profile.strPingIP, strPingReply, blnPass);
    if (blnPass)
        strReportBody += CRLF + QStringLiteral("Ping ") + m_profile.strPingIP + QStringLiteral(" = PASS");
    else
        strReportBody
            += CRLF + QStringLiteral("Ping ") + m_profile.strPingIP + QStringLiteral(" = FAIL") + strPingReply;
    strReportBody += CRLF + m_host.PingHostByName(m_profile.strPingHost);

    m_host.SetStatus(QStringLiteral("Getting PPP settings"));
    GoToPage(5);
}

void DiagnosticRun::HandleAdslStatus(const QString& strText, const QString& strHtml)
{
    m_host.SetStatus(QStringLiteral("Reading ADSL status"));
    if (m_profile.intRouterClass != 2) {
        ReadAdslStatus(strText, strReportBody);
        StartDiagnosticWait();
        return;
    }
    strReportBody += CRLF + ReadStatusTable(strHtml) + CRLF + CRLF;
    if (!m_profile.strDiagTestPage.contains(QStringLiteral("/proc/"), Qt::CaseInsensitive)) {
        StartDiagnosticWait();
        return;
    }
    // The modem statistics are a plain file on this router family: fetch it instead of waiting.
    const QString strUrl = QStringLiteral("http://") + m_host.FieldText(RunField::Address) + QStringLiteral(":")
        + m_host.FieldText(RunField::Port) + m_profile.strDiagTestPage;
    QString strStats = DownloadText(strUrl);
    strStats.replace(QStringLiteral("\n"), CRLF);
    strStats = TidyPageText(strStats, QString());
    ReadIspHardware(strStats, m_vendors, strReportBody);
    strReportBody += strStats;
    if (blnLoggedIn)
        GoToPage(6);
    else
        FinishReport();
}

void DiagnosticRun::HandlePppSettings(const QString& strHtml)
{
    m_host.SetStatus(QStringLiteral("Reading PPP settings"));
    if (m_profile.intRouterClass != 2) {
        strReportBody += CRLF + CRLF + ReadPppSettings(strHtml);
        m_host.SetStatus(QStringLiteral("Getting ADSL status"));
        GoToPage(3);
        return;
    }
    strPppLink = FindPppSettingsLink(strHtml, strReportBody);
    if (strPppLink.isEmpty()) {
        strReportBody += CRLF + QStringLiteral("Could not find link to PPP settings") + CRLF;
        m_host.SetStatus(QStringLiteral("Getting ADSL status"));
        GoToPage(3);
        return;
    }
    m_pages.RegisterPage(strPppLink, 7);
    m_pages.SortPages();
    GoToPage(7);
}

void DiagnosticRun::HandleClassIIPppPage()
{
    if (m_profile.intRouterClass == 2) {
        strReportBody += CRLF + CRLF + QStringLiteral("Encapsulation = ")
            + m_browser->ElementValue(QStringLiteral("uiPostEncapsType")) + QStringLiteral(", MRU = ")
            + m_browser->ElementValue(QStringLiteral("uiPostPppMRU")) + QStringLiteral(", VPI = ")
            + m_browser->ElementValue(QStringLiteral("uiPostPvcVpi")) + QStringLiteral(", VCI = ")
            + m_browser->ElementValue(QStringLiteral("uiPostPvcVci")) + CRLF;
    }
    m_host.SetStatus(QStringLiteral("Getting ADSL status"));
    GoToPage(3);
}

void DiagnosticRun::HandleProductInfo(const QString& strText)
{
    if (!LoginAccepted(strText)) {
        ReportLoginFailure();
        return;
    }
    strReportBody += TidyPageText(strText, QStringLiteral("Product Information")) + CRLF + CRLF;
    if (!m_profile.strModemStatusPage.isEmpty()) {
        m_host.SetStatus(QStringLiteral("Getting modem status page"));
        GoToPage(9);
    } else {
        m_host.SetStatus(QStringLiteral("Getting system log"));
        GoToPage(2);
    }
}

QString DiagnosticRun::DownloadText(const QString& strUrl)
{
    FileDownload& downloader = m_host.Downloader();
    downloader.BeginDownload(strUrl, strUrl);
    while (!downloader.DownloadComplete() && !downloader.DownloadError()) {
        m_host.Pause(1000);
        m_host.ProcessEvents();
    }
    return downloader.FileContents();
}
