#include "history/LineSampler.h"

#include "config/PageTable.h"
#include "config/PageTrace.h"
#include "config/RouterProfile.h"
#include "history/LineSampleReader.h"
#include "run/DiagnosticRun.h"
#include "run/Navigation.h"

LineSampler::LineSampler(
    RunHost& host, const RouterProfile& profile, const PageTable& pages, const PageTrace& trace, HistoryStore& store)
    : m_host(host)
    , m_profile(profile)
    , m_pages(pages)
    , m_trace(trace)
    , m_store(store)
{ }

LineSampler::~LineSampler()
{
    if (m_browser)
        m_browser->SetDocumentCompleteHandler({});
}

QString LineSampler::LoginRefusedText()
{
    return QStringLiteral("Could not log in. Please check your router's username and password.");
}

RouterKey LineSampler::Key() const
{
    return { m_profile.intRouterClass, m_host.FieldText(RunField::Address) };
}

void LineSampler::Start(int intIntervalSeconds, qint64 lngDurationSeconds)
{
    if (m_blnActive)
        return;
    m_intIntervalSeconds = std::max(intIntervalSeconds, intMinIntervalSeconds);
    m_dtEnd = lngDurationSeconds > 0 ? m_host.Now().addSecs(lngDurationSeconds) : QDateTime();
    m_blnActive = true;
    m_blnStopping = false;
    m_blnAnswering = true;
    m_blnAwaiting = false;
    m_blnLoginSent = false;
    m_intSamples = 0;
    m_intNavigations = 0;
    m_previous.reset();
    // The last sample kept for this router tells whether the line resynced while nobody watched.
    const LineHistory last = m_store.Load(Key(), m_host.Now().toUTC().addDays(-1));
    if (!last.samples.empty())
        m_previous = last.samples.back();

    m_browser = m_host.CreateBrowser();
    // The watch, like a run, talks to the router the user named and to nothing else.
    m_browser->SetAllowedHost(m_host.FieldText(RunField::Address));
    RouterBrowser* raw = m_browser.get();
    m_browser->SetDocumentCompleteHandler([this, raw](const QString& strUrl) {
        if (m_browser.get() == raw)
            OnPageLoaded(strUrl);
    });
    RecordEvent(HistoryEventKind::WatchStart, QStringLiteral("every %1 s").arg(m_intIntervalSeconds));
    // Class I takes the credentials in every address and has no session to keep.
    m_blnUrlLogin = m_profile.intRouterClass == 1;
    m_blnLoggedIn = m_blnUrlLogin;
    m_host.SetStatus(QStringLiteral("Watching the line every %1 seconds").arg(m_intIntervalSeconds));
    m_host.StartTimer(RunTimer::Diagnostic, m_intIntervalSeconds * 1000, true);
    TakeSample();
}

void LineSampler::Navigate(const QString& strPath)
{
    if (!m_browser)
        return;
    const RouterLogin login { m_host.FieldText(RunField::Admin), m_host.FieldText(RunField::Password),
        m_host.FieldText(RunField::Address), m_host.FieldText(RunField::Port) };
    ++m_intNavigations;
    m_blnAwaiting = true;
    NavigateTo(*m_browser, m_trace, login, m_blnUrlLogin, strPath);
}

void LineSampler::TakeSample()
{
    if (m_blnLoggedIn || m_profile.strLoginPage.isEmpty())
        Navigate(m_profile.strAdslPage);
    else
        Navigate(m_profile.strLoginPage);
}

void LineSampler::RecordEvent(HistoryEventKind kind, const QString& strDetail)
{
    CheckStore(m_store.AddEvent(Key(), { m_host.Now().toUTC(), kind, strDetail }));
}

void LineSampler::CheckStore(HistoryStore::WriteResult result)
{
    if (result == HistoryStore::WriteResult::Stopped && m_warningHandler)
        m_warningHandler(m_store.StopWarning());
}

void LineSampler::NoAnswer(const QString& strDetail)
{
    if (!m_blnAnswering)
        return;
    m_blnAnswering = false;
    m_host.SetStatus(
        QStringLiteral("The router does not answer - trying again every %1 seconds").arg(m_intIntervalSeconds));
    RecordEvent(HistoryEventKind::NoAnswer, strDetail);
}

void LineSampler::OnTimer(RunTimer timer)
{
    if (!m_blnActive)
        return;
    if (timer == RunTimer::PageWatchdog) {
        if (m_blnStopping)
            Finish(QString());
        return;
    }
    if (m_blnStopping || m_blnBusy)
        return;
    if (m_dtEnd.isValid() && m_host.Now() >= m_dtEnd) {
        Stop();
        return;
    }
    if (m_blnAwaiting)
        NoAnswer(QStringLiteral("no page for %1 s").arg(m_intIntervalSeconds));
    TakeSample();
}

void LineSampler::LogIn()
{
    m_host.SetStatus(QStringLiteral("Login page found - trying to log in..."));
    SubmitLogin(
        *m_browser, m_profile.intRouterClass, m_host.FieldText(RunField::Admin), m_host.FieldText(RunField::Password));
    m_blnBusy = true;
    m_host.ProcessEvents();
    m_host.Pause(intLoginPauseMs);
    m_blnBusy = false;
    if (!m_blnActive)
        return;
    m_blnLoginSent = true;
    m_blnLoggedIn = true;
    m_host.SetStatus(QStringLiteral("Watching the line every %1 seconds").arg(m_intIntervalSeconds));
    // The interval counts from the sample that follows the login, so that two samples are never
    // closer than the interval.
    m_host.StartTimer(RunTimer::Diagnostic, m_intIntervalSeconds * 1000, true);
    Navigate(m_profile.strAdslPage);
}

void LineSampler::OnPageLoaded(const QString& strUrl)
{
    if (!m_blnActive || m_blnBusy || !m_browser)
        return;
    const std::shared_ptr<RouterBrowser> browser = m_browser;
    const RouterPage page = m_pages.FindPage(strUrl);
    if (m_blnStopping) {
        if (page == RouterPage::Logout || page == RouterPage::Login || page == RouterPage::None)
            Finish(QString());
        return;
    }
    if (page == RouterPage::None)
        return;
    const QString strText = browser->BodyText();
    m_trace.WriteTrace(strUrl, false);
    m_blnAwaiting = false;
    if (strText.contains(QStringLiteral("Action canceled")) || strText.contains(QStringLiteral("DNS Error"))) {
        NoAnswer(QStringLiteral("no answer from the router"));
        return;
    }
    if (!m_blnAnswering) {
        m_blnAnswering = true;
        m_host.SetStatus(QStringLiteral("Watching the line every %1 seconds").arg(m_intIntervalSeconds));
        RecordEvent(HistoryEventKind::Answering, QString());
    }
    if (page == RouterPage::Login || !DiagnosticRun::LoginAccepted(strText)) {
        // The login page again right after a login, or on a router that takes its login in the
        // address: the credentials are refused, and asking again would not change that.
        if (m_blnUrlLogin || m_blnLoginSent) {
            m_host.StopTimer(RunTimer::Diagnostic);
            RecordEvent(HistoryEventKind::WatchEnd, QStringLiteral("login refused"));
            Finish(LoginRefusedText());
            return;
        }
        m_blnLoggedIn = false;
        // The session has ended. The login form is asked for at its own address: in another page's
        // place a router may send only a part of it (a frame of its frameset, or no form at all).
        if (page != RouterPage::Login && !m_profile.strLoginPage.isEmpty()) {
            m_host.SetStatus(QStringLiteral("The router's session has ended - logging in again"));
            Navigate(m_profile.strLoginPage);
            return;
        }
        LogIn();
        return;
    }
    if (page == RouterPage::Adsl)
        HandleAdslPage(strText, browser->BodyHtml());
}

void LineSampler::HandleAdslPage(const QString& strText, const QString& strHtml)
{
    m_blnLoginSent = false;
    const std::optional<LineSample> sample
        = ReadLineSample(m_profile.intRouterClass, strText, strHtml, m_host.Now().toUTC());
    if (!sample)
        return;
    const std::optional<HistoryEvent> resync = m_previous ? DetectResync(*m_previous, *sample) : std::nullopt;
    Store(*sample, resync);
}

void LineSampler::Store(const LineSample& sample, const std::optional<HistoryEvent>& resync)
{
    std::vector<HistoryEvent> events;
    if (resync)
        events.push_back(*resync);
    CheckStore(m_store.AddSample(Key(), sample, events));
    m_previous = sample;
    ++m_intSamples;
    if (m_sampleHandler)
        m_sampleHandler(sample, resync);
}

void LineSampler::Stop()
{
    if (!m_blnActive || m_blnStopping)
        return;
    m_host.StopTimer(RunTimer::Diagnostic);
    RecordEvent(HistoryEventKind::WatchEnd, QString());
    if (m_blnLoggedIn && !m_blnUrlLogin && !m_profile.strLogoutPage.isEmpty() && m_blnAnswering) {
        m_blnStopping = true;
        m_host.SetStatus(QStringLiteral("Logging out"));
        m_host.StartTimer(RunTimer::PageWatchdog, intLogoutWaitMs, false);
        Navigate(m_profile.strLogoutPage);
        return;
    }
    Finish(QString());
}

void LineSampler::Finish(const QString& strReason)
{
    if (!m_blnActive)
        return;
    m_blnActive = false;
    m_blnStopping = false;
    m_blnLoggedIn = false;
    m_host.StopTimer(RunTimer::Diagnostic);
    m_host.StopTimer(RunTimer::PageWatchdog);
    if (m_browser) {
        m_browser->SetDocumentCompleteHandler({});
        m_browser->Navigate(QStringLiteral("about:blank"));
    }
    m_host.SetStatus(QStringLiteral("Watching ended after %1 samples").arg(m_intSamples));
    if (m_endedHandler)
        m_endedHandler(strReason);
}
