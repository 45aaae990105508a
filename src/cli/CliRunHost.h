#pragma once

#include "run/StandardRunHost.h"

#include <QMap>
#include <functional>

class BrowserEngine;
class FileDownloader;

// Run host without a window: the fields are plain values, status and message-box texts go to a
// line sink (standard error), one line of the sink for each line of a text, message boxes never wait, and the clipboard
// is never touched: the report goes to standard output instead, and the messages say so.
class CliRunHost : public StandardRunHost
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CliRunHost)

public:
    explicit CliRunHost(std::function<void(const QString&)> lineSink, QObject* parent = nullptr);
    ~CliRunHost() override;

    QString FieldText(RunField field) const override;
    void SetFieldText(RunField field, const QString& strText) override;
    int CheckValue(RunCheck check) const override;
    void SetCheckValue(RunCheck check, int intValue) override;

    // Quiet: the status lines are left out; messages and warnings still go to the line sink.
    void SetQuiet(bool blnQuiet) { m_blnQuiet = blnQuiet; }
    // The file that the report is written to; empty for standard output.
    void SetReportFile(const QString& strFile) { m_strReportFile = strFile; }
    void SetStatus(const QString& strText) override;
    void SetReportText(const QString& strText) override { m_strReport = strText; }
    QString ReportText() const override { return m_strReport; }
    void SetReportToolTip(const QString&) override { }
    void SetControlsEnabled(bool) override { }

    void ShowMessageBox(MessageIcon icon, const QString& strTitle, const QString& strText) override;
    bool SetClipboardText(const QString&) override { return true; }
    QString ReportCopiedLine() const override;

    std::shared_ptr<RouterBrowser> CreateBrowser() override;
    FileDownload& Downloader() override;

private:
    void WriteLines(const QString& strPrefix, const QString& strText);

    std::function<void(const QString&)> m_lineSink;
    QMap<RunField, QString> m_fields;
    QMap<RunCheck, int> m_checks;
    QString m_strReport;
    FileDownloader* m_downloader;
    QString m_strReportFile;
    bool m_blnQuiet = false;
};
