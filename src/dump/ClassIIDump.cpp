#include "dump/ClassIIDump.h"

#include "config/RouterProfile.h"
#include "privacy/ReportFilter.h"
#include "readers/TextHelpers.h"
#include "run/DiagnosticRun.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <optional>

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

QStringList ClassIIDump::ListedPages(const QByteArray& bytList)
{
    std::optional<QStringConverter::Encoding> encoding;
    qsizetype lngSkip = 0;
    if (bytList.startsWith("\xFF\xFE")) {
        encoding = QStringConverter::Utf16LE;
        lngSkip = 2;
    } else if (bytList.startsWith("\xFE\xFF")) {
        encoding = QStringConverter::Utf16BE;
        lngSkip = 2;
    } else if (bytList.size() >= 2 && bytList.at(0) != '\0' && bytList.at(1) == '\0') {
        encoding = QStringConverter::Utf16LE;
    } else if (bytList.size() >= 2 && bytList.at(0) == '\0' && bytList.at(1) != '\0') {
        encoding = QStringConverter::Utf16BE;
    } else if (bytList.startsWith("\xEF\xBB\xBF")) {
        encoding = QStringConverter::Utf8;
        lngSkip = 3;
    } else {
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const QString strIgnored = utf8(bytList);
        if (!utf8.hasError())
            encoding = QStringConverter::Utf8;
    }
    QString strList;
    if (encoding) {
        QStringDecoder decoder(*encoding, QStringConverter::Flag::Stateless);
        strList = decoder(bytList.mid(lngSkip));
    } else {
        strList = DecodeEightBit(bytList);
    }

    QStringList arrPages;
    strList.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    strList.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (const QString& strLine : strList.split(QLatin1Char('\n'))) {
        const QString strPage = TrimSpaces(strLine);
        if (!strPage.isEmpty())
            arrPages.append(strPage);
    }
    return arrPages;
}

RunOutcome ClassIIDump::AppendListedPages(QString& strDump, const QDateTime& dtStart)
{
    RunHost& host = m_run.Host();
    const QString strListFile = m_run.Profile().strAppFolder + QStringLiteral("ClassIIDump.txt");
    if (!QFileInfo(strListFile).isFile())
        return RunOutcome::Finished;
    const QString strBase = QStringLiteral("http://") + host.FieldText(RunField::Address) + QStringLiteral(":")
        + host.FieldText(RunField::Port);
    QFile file(strListFile);
    const QStringList arrPages = file.open(QIODevice::ReadOnly) ? ListedPages(file.readAll()) : QStringList();
    for (qsizetype lngPage = 0; lngPage < arrPages.size(); ++lngPage) {
        const qsizetype lngLeft = arrPages.size() - lngPage;
        if (lngPage == intMaxPages) {
            strDump += CRLF
                + QStringLiteral("Data dump stopped after %1 pages: the %2 further pages of the list were not fetched.")
                      .arg(intMaxPages)
                      .arg(lngLeft)
                + CRLF;
            break;
        }
        if (dtStart.msecsTo(host.Now()) >= lngTimeLimitMs) {
            strDump += CRLF
                + QStringLiteral(
                    "Data dump stopped after %1 minutes: the %2 further pages of the list were not fetched.")
                      .arg(lngTimeLimitMs / 60000)
                      .arg(lngLeft)
                + CRLF;
            break;
        }
        const QString& strPage = arrPages.at(lngPage);
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
        // A router that stops answering would only make every further page wait for nothing.
        if (m_run.DownloadUnanswered()) {
            strDump
                += DiagnosticRun::StoppedAnsweringLine(strBase + QStringLiteral("/cgi-bin/webcm?getpage=") + strPage);
            m_blnUnanswered = true;
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

    const QDateTime dtStart = host.Now();
    m_blnUnanswered = false;
    QString strDump = DiagnosticRun::HeaderLine(dtStart) + CRLF + QStringLiteral("Class II Dump") + CRLF + CRLF;
    const RunOutcome outcome = AppendListedPages(strDump, dtStart);
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
        host.SetStatus(m_blnUnanswered ? QStringLiteral("Data dump stopped - the router did not answer")
                                       : QStringLiteral("Data dump stopped - the router sent no page for 60 seconds"));
    }
    host.SetControlsEnabled(true);
    m_run.EndDataDump(strDump, outcome);
}
