#include "dump/ClassIIDump.h"

#include "config/RouterProfile.h"
#include "privacy/ReportFilter.h"
#include "readers/TextHelpers.h"
#include "run/DiagnosticRun.h"

#include <QFileInfo>

namespace
{
const QString CRLF = QStringLiteral("\r\n");

} // namespace

ClassIIDump::ClassIIDump(DiagnosticRun& run)
    : m_run(run)
{
    m_run.SetDataDumpHandler([this] { RunDataDump(); });
}

void ClassIIDump::Start()
{
    m_run.StartDataDump();
}

RunOutcome ClassIIDump::AppendListedPages(QString& strDump)
{
    RunHost& host = m_run.Host();
    const QString strListFile = m_run.Profile().strAppFolder + QStringLiteral("ClassIIDump.txt");
    if (!QFileInfo(strListFile).isFile())
        return RunOutcome::Finished;
    const QString strBase = QStringLiteral("http://") + host.FieldText(RunField::Address) + QStringLiteral(":")
        + host.FieldText(RunField::Port);
    const QString strList = ReadWholeFile(strListFile);
    for (const QString& strLine : SplitPieces(strList, CRLF, Qt::CaseSensitive)) {
        const QString strPage = TrimSpaces(strLine);
        if (strPage.isEmpty())
            continue;
        host.SetStatus(strPage);
        strDump += CRLF + strPage + CRLF;
        QString strText = m_run.DownloadText(strBase + QStringLiteral("/cgi-bin/webcm?getpage=") + strPage);
        // A cancelled dump keeps the pages fetched so far; the page under way is left out.
        if (m_run.CancelRequested()) {
            strDump.chop(strPage.size() + 2 * CRLF.size());
            return RunOutcome::Cancelled;
        }
        if (m_run.NoPageBoundPassed()) {
            strDump += DiagnosticRun::NoPageLine();
            return RunOutcome::Abnormal;
        }
        host.ProcessEvents();
        if (m_run.CancelRequested())
            return RunOutcome::Cancelled;
        if (strText.isEmpty())
            continue;
        if (!DiagnosticRun::LoginAccepted(strText)) {
            strDump += QStringLiteral("Could not log in. Please check your router's username and password.");
            return RunOutcome::LoginFailed;
        }
        strDump += strText.replace(QStringLiteral("\n"), CRLF) + CRLF;
    }
    return RunOutcome::Finished;
}

void ClassIIDump::RunDataDump()
{
    RunHost& host = m_run.Host();
    host.SetControlsEnabled(false);
    host.SetStatus(QStringLiteral("Data dump started - please wait"));

    QString strDump = DiagnosticRun::HeaderLine(host.Now()) + CRLF + QStringLiteral("Class II Dump") + CRLF + CRLF;
    const RunOutcome outcome = AppendListedPages(strDump);
    // The pages hold what a run's report holds and more: with "Censor data" checked they pass the
    // same filter before anyone sees them, also when the dump was cut short.
    strDump = FilterReport(strDump, host.CheckValue(RunCheck::Censor));
    if (outcome == RunOutcome::Cancelled) {
        // The run's cancel ending shows the pages so far once it has logged out.
        m_run.EndDataDump(strDump, outcome);
        return;
    }

    host.SetReportText(strDump);
    const bool blnComplete = outcome != RunOutcome::Abnormal;
    if (blnComplete) {
        host.SetStatus(QStringLiteral("Data dump complete"));
        const bool blnCopied = host.SetClipboardText(host.ReportText());
        if (!blnCopied)
            host.SetStatus(QStringLiteral("Data dump complete - the dump could not be copied to the clipboard"));
        // A refused login is told in the dump itself.
        if (outcome != RunOutcome::LoginFailed)
            host.ShowMessage(MessageIcon::Information, m_run.ClosingMessage(blnCopied));
    } else {
        // Like the abnormal endings of a run: shown, but not put on the clipboard.
        host.SetStatus(QStringLiteral("Data dump stopped - the router sent no page for 60 seconds"));
    }
    host.SetControlsEnabled(true);
    m_run.EndDataDump(strDump, outcome);
}
