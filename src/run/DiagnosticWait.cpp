// The wait for the router's own diagnostic test: its page reloads itself until the result marker
// appears, and both the elapsed time at each load and the 30-second timer bound the wait.
#include "config/RouterProfile.h"
#include "readers/TextHelpers.h"
#include "run/DiagnosticRun.h"

namespace
{
const QString CRLF = QStringLiteral("\r\n");
const QString strWaiting = QStringLiteral("Waiting for diagnostics to complete");

// Whole seconds between two clock readings, each taken to the second as the clock shows it (a
// reading 0.2 s after x.9 s is a second later), as the 16-bit count that the status line shows.
// A diagnostic page that loads before this run has started its wait has waited no time.
int ElapsedSeconds(const QDateTime& dtStart, const QDateTime& dtNow)
{
    if (!dtStart.isValid())
        return 0;
    return static_cast<qint16>(dtNow.toSecsSinceEpoch() - dtStart.toSecsSinceEpoch());
}

QString WaitingStatus(int intSeconds)
{
    return strWaiting + QStringLiteral(" : ") + QString::number(intSeconds) + QStringLiteral(" second(s)");
}
} // namespace

void DiagnosticRun::StartDiagnosticWait()
{
    Host().SetStatus(QStringLiteral("Getting diagnostic results"));
    Host().RepaintStatus();
    m_state.dtDiagStart = Host().Now();
    m_state.intDiagTicks = 0;
    // The wait's own timer bounds it from here on.
    Host().StopTimer(RunTimer::PageWatchdog);
    Host().StartTimer(RunTimer::Diagnostic, intDiagTimerMs, true);
    Host().StartTimer(RunTimer::WaitClock, intWaitClockMs, true);
    m_state.intNextPage = RouterPage::DiagTest;
    NavigateRun(Profile().strDiagTestPage);
}

void DiagnosticRun::HandleDiagnosticPage(const QString& strText)
{
    ++m_state.intDiagLoads;
    const QString& strMarker = Profile().strDiagnosticID;
    if (strMarker.isEmpty() || strText.contains(strMarker)) {
        Host().StopTimer(RunTimer::Diagnostic);
        Host().StopTimer(RunTimer::WaitClock);
        m_state.strReportBody += CRLF;
        Host().SetStatus(QStringLiteral("Reading diagnostic results"));
        const QStringList lines = SplitPieces(strText, CRLF, Qt::CaseSensitive);
        for (int i = 0; i < lines.size(); ++i) {
            const QString& strLine = lines.at(i);
            if (strLine.contains(QStringLiteral("Action canceled"))) {
                m_state.strReportBody += QStringLiteral("Diagnostic page cannot be found - action cancelled") + CRLF;
                break;
            }
            if (!strLine.contains(QStringLiteral("Results")) && strLine.length() > 3) {
                m_state.strReportBody += strLine;
                if (i < lines.size() - 1)
                    m_state.strReportBody += CRLF;
            }
        }
        if (m_state.blnLoggedIn)
            GoToPage(RouterPage::Logout);
        else
            FinishReport();
        return;
    }

    const int intElapsed = ElapsedSeconds(m_state.dtDiagStart, Host().Now());
    Host().SetStatus(m_state.intDiagLoads == 1 ? strWaiting : WaitingStatus(intElapsed));
    Host().RepaintStatus();
    Host().ProcessEvents();

    if (strText.contains(QStringLiteral("errorText")))
        EndAbnormally(QStringLiteral("Diagnostic page cannot be found - error"));
    if (intElapsed > 120)
        EndAbnormally(QStringLiteral("Diagnostic page timed out"));
}

void DiagnosticRun::OnWaitSecond()
{
    // Every ending of the wait stops Timer1; the second hand stops with it.
    if (!m_blnActive || !Host().TimerActive(RunTimer::Diagnostic)) {
        Host().StopTimer(RunTimer::WaitClock);
        return;
    }
    // Before the page's first load the status still says that the results are being fetched.
    if (m_state.intDiagLoads == 0)
        return;
    Host().SetStatus(WaitingStatus(ElapsedSeconds(m_state.dtDiagStart, Host().Now())));
    Host().RepaintStatus();
}

void DiagnosticRun::OnTimerTick()
{
    ++m_state.intDiagTicks;
    if (m_state.intDiagLoads == 1)
        Host().SetStatus(WaitingStatus(m_state.intDiagTicks * 30));
    if (m_state.intDiagTicks > 5) {
        m_state.intDiagTicks = 0;
        EndAbnormally(QStringLiteral("Diagnostic page timed out with no refresh"));
    }
}
