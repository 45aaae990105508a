#pragma once

#include "history/HistoryStore.h"
#include "history/LineSample.h"
#include "run/RunHost.h"

#include <functional>
#include <memory>
#include <optional>

class PageTable;
class PageTrace;
class RouterProfile;

// Watches the line: logs in once as a run does, then reads the class's ADSL status page every
// interval, one navigation per sample, and keeps each sample in the store. It logs in again only
// when the router's login page comes back (its session ended), and logs out when the watch ends.
// A router that does not answer gives one "no-answer" event and a gap, and is tried again at each
// interval; the watch itself goes on. It never runs the diagnostic test.
//
// It borrows the run host's two timers: Diagnostic ticks the interval, PageWatchdog bounds the wait
// for the log-out page.
class LineSampler
{
public:
    static constexpr int intDefaultIntervalSeconds = 60;
    static constexpr int intMinIntervalSeconds = 10;
    static constexpr int intLogoutWaitMs = 5000;
    static constexpr int intLoginPauseMs = 3000;

    LineSampler(RunHost& host, const RouterProfile& profile, const PageTable& pages, const PageTrace& trace,
        HistoryStore& store);
    ~LineSampler();
    LineSampler(const LineSampler&) = delete;
    LineSampler& operator=(const LineSampler&) = delete;

    // Starts watching every intIntervalSeconds (at least intMinIntervalSeconds), for lngDurationSeconds
    // when that is above 0, else until Stop().
    void Start(int intIntervalSeconds = intDefaultIntervalSeconds, qint64 lngDurationSeconds = 0);
    // Ends the watch: logs out when logged in, then calls the ended handler.
    void Stop();
    bool Active() const { return m_blnActive; }

    void OnPageLoaded(const QString& strUrl);
    void OnTimer(RunTimer timer);

    RouterKey Key() const;
    int IntervalSeconds() const { return m_intIntervalSeconds; }
    int SampleCount() const { return m_intSamples; }
    int NavigationCount() const { return m_intNavigations; }

    // A sample stored, with the resync it showed, if any.
    void SetSampleHandler(std::function<void(const LineSample&, const std::optional<HistoryEvent>&)> handler)
    {
        m_sampleHandler = std::move(handler);
    }
    // A warning for the user, given once: the store stopped recording.
    void SetWarningHandler(std::function<void(const QString&)> handler) { m_warningHandler = std::move(handler); }
    // The watch has ended; strReason is empty for a normal end (Stop, the duration), else why it
    // ended (the login was refused).
    void SetEndedHandler(std::function<void(const QString& strReason)> handler) { m_endedHandler = std::move(handler); }

    static QString LoginRefusedText();

private:
    void Navigate(const QString& strPath);
    void TakeSample();
    void RecordEvent(HistoryEventKind kind, const QString& strDetail);
    void NoAnswer(const QString& strDetail);
    void LogIn();
    void HandleAdslPage(const QString& strText, const QString& strHtml);
    void Store(const LineSample& sample, const std::optional<HistoryEvent>& resync);
    void CheckStore(HistoryStore::WriteResult result);
    void Finish(const QString& strReason);

    RunHost& m_host;
    const RouterProfile& m_profile;
    const PageTable& m_pages;
    const PageTrace& m_trace;
    HistoryStore& m_store;
    std::shared_ptr<RouterBrowser> m_browser;
    std::function<void(const LineSample&, const std::optional<HistoryEvent>&)> m_sampleHandler;
    std::function<void(const QString&)> m_warningHandler;
    std::function<void(const QString&)> m_endedHandler;
    std::optional<LineSample> m_previous;
    QDateTime m_dtEnd;
    int m_intIntervalSeconds = intDefaultIntervalSeconds;
    int m_intSamples = 0;
    int m_intNavigations = 0;
    bool m_blnActive = false;
    bool m_blnBusy = false;
    bool m_blnUrlLogin = false;
    bool m_blnLoggedIn = false;
    bool m_blnLoginSent = false; // a login was submitted and no ADSL page has come since
    bool m_blnAwaiting = false; // a navigation is out and its page has not come
    bool m_blnAnswering = true;
    bool m_blnStopping = false;
};
