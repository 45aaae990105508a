#pragma once

#include "run/StandardRunHost.h"

#include <memory>

class FileDownloader;
class Form1;
class ViewedBrowser;

// The run host of the main window: fields, check boxes, status line, report box and locking act on
// the window's widgets, message boxes go through MessageDialog, the report goes to the system
// clipboard, and each run gets a fresh browser engine whose pages are rendered into the window's
// browser area.
//
// When the window closes during a run the host is told so: waits end at once, message boxes,
// probes, downloads and navigations are skipped, so the run winds down without touching the
// network or the closed window again.
class WindowRunHost : public StandardRunHost
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WindowRunHost)

public:
    explicit WindowRunHost(Form1& form, QObject* parent = nullptr);
    ~WindowRunHost() override;

    QString FieldText(RunField field) const override;
    void SetFieldText(RunField field, const QString& strText) override;
    int CheckValue(RunCheck check) const override;
    void SetCheckValue(RunCheck check, int intValue) override;

    void SetStatus(const QString& strText) override;
    void RepaintStatus() override;
    void SetReportText(const QString& strText) override;
    QString ReportText() const override { return m_strReport; }
    void SetReportToolTip(const QString& strText) override;
    void SetControlsEnabled(bool blnEnabled) override;
    void ShowPageProgress(int intPage, int intPages) override;

    void ShowMessageBox(MessageIcon icon, const QString& strTitle, const QString& strText) override;
    bool SetClipboardText(const QString& strText) override;

    std::shared_ptr<RouterBrowser> CreateBrowser() override;
    FileDownload& Downloader() override;

    void Pause(int intMilliseconds) override;
    // Nothing is captured when no folder can be written to: the listing's one line says so instead.
    QString CaptureIpConfig() override;
    static QString IpConfigNotCapturedLine()
    {
        return QStringLiteral("IP configuration not captured - no folder can be written to");
    }
    void PingWithStatus(const QString& strAddress, QString& strStatus, bool& blnPass) override;
    QString PingHostByName(const QString& strHost) override;

    // The window is closing: ends the waits under way and lets nothing more happen.
    void SetClosing();
    bool Closing() const { return m_blnClosing; }
    // The run's current browser instance (null before the first run).
    ViewedBrowser* CurrentBrowser() const { return m_currentBrowser.lock().get(); }
    FileDownloader& FileDownloader1() const { return *m_downloader; }

private:
    class WindowDownload;

    Form1& m_form;
    QString m_strReport;
    FileDownloader* m_downloader;
    std::unique_ptr<WindowDownload> m_download;
    std::weak_ptr<ViewedBrowser> m_currentBrowser;
    bool m_blnClosing = false;
};
