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

bool ClassIIDump::AppendListedPages(QString& strDump, bool& blnLoginRefused)
{
    RunHost& host = m_run.Host();
    const QString strListFile = m_run.Profile().strAppFolder + QStringLiteral("ClassIIDump.txt");
    if (!QFileInfo(strListFile).isFile())
        return true;
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
        if (m_run.NoPageBoundPassed()) {
            strDump += DiagnosticRun::NoPageLine();
            return false;
        }
        host.ProcessEvents();
        if (strText.isEmpty())
            continue;
        if (!DiagnosticRun::LoginAccepted(strText)) {
            strDump += QStringLiteral("Could not log in. Please check your router's username and password.");
            blnLoginRefused = true;
            break;
        }
        strDump += strText.replace(QStringLiteral("\n"), CRLF) + CRLF;
    }
    return true;
}

void ClassIIDump::RunDataDump()
{
    RunHost& host = m_run.Host();
    host.SetControlsEnabled(false);
    host.SetStatus(QStringLiteral("Data dump started - please wait"));

    QString strDump = DiagnosticRun::HeaderLine(host.Now()) + CRLF + QStringLiteral("Class II Dump") + CRLF + CRLF;
    bool blnLoginRefused = false;
    const bool blnComplete = AppendListedPages(strDump, blnLoginRefused);
    // The pages hold what a run's report holds and more: with "Censor data" checked they pass the
    // same filter before anyone sees them.
    strDump = FilterReport(strDump, host.CheckValue(RunCheck::Censor));

    host.SetReportText(strDump);
    if (blnComplete) {
        host.SetStatus(QStringLiteral("Data dump complete"));
        const bool blnCopied = host.SetClipboardText(host.ReportText());
        if (!blnCopied)
            host.SetStatus(QStringLiteral("Data dump complete - the dump could not be copied to the clipboard"));
        // A refused login is told in the dump itself.
        if (!blnLoginRefused)
            host.ShowMessage(MessageIcon::Information, m_run.ClosingMessage(blnCopied));
    } else {
        // Like the abnormal endings of a run: shown, but not put on the clipboard.
        host.SetStatus(QStringLiteral("Data dump stopped - the router sent no page for 60 seconds"));
    }
    host.SetControlsEnabled(true);
    m_run.EndDataDump(strDump, blnComplete ? RunOutcome::Finished : RunOutcome::Abnormal);
}
