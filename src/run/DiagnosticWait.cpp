// The wait for the router's own diagnostic test: its page reloads itself until the result marker
// appears, and both the elapsed time at each load and the 30-second timer bound the wait.
#include "config/RouterProfile.h"
#include "readers/TextHelpers.h"
#include "run/DiagnosticRun.h"

namespace
{
const QString CRLF = QStringLiteral("\r\n");
const QString strWaiting = QStringLiteral("Waiting for diagnostics to complete");

QString WaitingStatus(int intSeconds)
{
    return strWaiting + QStringLiteral(" : ") + QString::number(intSeconds) + QStringLiteral(" second(s)");
}
} // namespace

void DiagnosticRun::StartDiagnosticWait()
{
    Host().SetStatus(QStringLiteral("Getting diagnostic results"));
    Host().RepaintStatus();
    dtDiagStart = Host().Now();
    intDiagTicks = 0;
    Host().StartTimer(RunTimer::Diagnostic, intDiagTimerMs, true);
    intNextPage = 4;
    NavigateRun(Profile().strDiagTestPage);
}

void DiagnosticRun::HandleDiagnosticPage(const QString& strText)
{
    ++intDiagLoads;
    const QString& strMarker = Profile().strDiagnosticID;
    if (strMarker.isEmpty() || strText.contains(strMarker)) {
        Host().StopTimer(RunTimer::Diagnostic);
        strReportBody += CRLF;
        Host().SetStatus(QStringLiteral("Reading diagnostic results"));
        const QStringList lines = SplitPieces(strText, CRLF, Qt::CaseSensitive);
        for (int i = 0; i < lines.size(); ++i) {
            const QString& strLine = lines.at(i);
            if (strLine.contains(QStringLiteral("Action canceled"))) {
                strReportBody += QStringLiteral("Diagnostic page cannot be found - action cancelled") + CRLF;
                break;
            }
            if (!strLine.contains(QStringLiteral("Results")) && strLine.length() > 3) {
                strReportBody += strLine;
                if (i < lines.size() - 1)
                    strReportBody += CRLF;
            }
        }
        if (blnLoggedIn)
            GoToPage(6);
        else
            FinishReport();
        return;
    }

    // The elapsed time is kept as the 16-bit count of seconds that the status line shows.
    const qint64 lngElapsed = dtDiagStart.secsTo(Host().Now());
    const int intElapsed = static_cast<qint16>(lngElapsed);
    Host().SetStatus(intDiagLoads == 1 ? strWaiting : WaitingStatus(intElapsed));
    Host().RepaintStatus();
    Host().ProcessEvents();

    if (strText.contains(QStringLiteral("errorText")))
        EndAbnormally(QStringLiteral("Diagnostic page cannot be found - error"));
    if (intElapsed > 120)
        EndAbnormally(QStringLiteral("Diagnostic page timed out"));
}

void DiagnosticRun::OnTimerTick()
{
    ++intDiagTicks;
    if (intDiagLoads == 1)
        Host().SetStatus(WaitingStatus(intDiagTicks * 30));
    if (intDiagTicks > 5) {
        intDiagTicks = 0;
        EndAbnormally(QStringLiteral("Diagnostic page timed out with no refresh"));
    }
}
