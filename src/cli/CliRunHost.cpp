#include "cli/CliRunHost.h"

#include "browser/engine/BrowserEngine.h"
#include "browser/engine/FileDownloader.h"

CliRunHost::CliRunHost(std::function<void(const QString&)> lineSink, QObject* parent)
    : StandardRunHost(parent)
    , m_lineSink(std::move(lineSink))
    , m_downloader(new FileDownloader(this))
{ }

CliRunHost::~CliRunHost() = default;

QString CliRunHost::FieldText(RunField field) const
{
    return m_fields.value(field);
}

void CliRunHost::SetFieldText(RunField field, const QString& strText)
{
    m_fields.insert(field, strText);
}

int CliRunHost::CheckValue(RunCheck check) const
{
    return m_checks.value(check, 0);
}

void CliRunHost::SetCheckValue(RunCheck check, int intValue)
{
    m_checks.insert(check, intValue);
}

void CliRunHost::WriteLines(const QString& strPrefix, const QString& strText)
{
    // A message box's lines stay lines, each with the kind of message in front, so that a script
    // can pick them out; empty lines are left out.
    if (!m_lineSink)
        return;
    QString strLines = strText;
    strLines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (const QString& strLine : strLines.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        m_lineSink(strPrefix + strLine);
}

void CliRunHost::SetStatus(const QString& strText)
{
    if (!m_blnQuiet)
        WriteLines(QStringLiteral("status: "), strText);
}

void CliRunHost::ShowMessageBox(MessageIcon icon, const QString& strTitle, const QString& strText)
{
    const QString strKind = icon == MessageIcon::Exclamation ? QStringLiteral("warning") : QStringLiteral("message");
    WriteLines(
        strKind + QStringLiteral(": ") + (strTitle.isEmpty() ? QString() : strTitle + QStringLiteral(": ")), strText);
}

QString CliRunHost::ReportCopiedLine() const
{
    // The window puts the finished report on the clipboard; here it goes to standard output.
    return QStringLiteral("A report has been created and written to ")
        + (m_strReportFile.isEmpty() ? QStringLiteral("standard output") : m_strReportFile) + QLatin1Char('.');
}

std::shared_ptr<RouterBrowser> CliRunHost::CreateBrowser()
{
    auto browser = std::make_shared<BrowserEngine>();
    m_downloader->SetNetworkManager(browser->NetworkManager());
    return browser;
}

FileDownload& CliRunHost::Downloader()
{
    return *m_downloader;
}
