#include "app/WindowRunHost.h"

#include "app/Form1.h"
#include "app/MessageDialog.h"
#include "app/PageView.h"
#include "app/ValueCheckBox.h"
#include "app/ViewedBrowser.h"
#include "browser/engine/BrowserEngine.h"
#include "browser/engine/FileDownloader.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTimer>

namespace
{
// The report keeps the line ends it was built with (CR LF, and CR CR LF in the IP configuration
// listing); on screen each of them is one line break.
QString DisplayText(const QString& strText)
{
    QString strShown = strText;
    strShown.replace(QStringLiteral("\r\r\n"), QStringLiteral("\n"));
    strShown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    strShown.remove(QLatin1Char('\r'));
    return strShown;
}
} // namespace

// The file downloader as the run sees it; once the window is closing every download ends at once,
// failed, without a request being made.
class WindowRunHost::WindowDownload : public FileDownload
{
public:
    explicit WindowDownload(WindowRunHost& host)
        : m_host(host)
    { }

    void BeginDownload(const QString& strURL, const QString& strFilename) override
    {
        m_blnRefused = m_host.Closing();
        if (!m_blnRefused)
            m_host.FileDownloader1().BeginDownload(strURL, strFilename);
    }
    void CancelDownload() override { m_host.FileDownloader1().CancelDownload(); }
    bool DownloadComplete() const override { return Refused() || m_host.FileDownloader1().DownloadComplete(); }
    bool DownloadError() const override { return Refused() || m_host.FileDownloader1().DownloadError(); }
    QString FileContents() const override { return Refused() ? QString() : m_host.FileDownloader1().FileContents(); }
    bool NoAnswer() const override { return !Refused() && m_host.FileDownloader1().NoAnswer(); }

private:
    bool Refused() const { return m_blnRefused || m_host.Closing(); }

    WindowRunHost& m_host;
    bool m_blnRefused = false;
};

WindowRunHost::WindowRunHost(Form1& form, QObject* parent)
    : StandardRunHost(parent)
    , m_form(form)
    , m_downloader(new FileDownloader(this))
    , m_download(std::make_unique<WindowDownload>(*this))
{ }

WindowRunHost::~WindowRunHost() = default;

QString WindowRunHost::FieldText(RunField field) const
{
    return m_form.FieldBox(field)->text();
}

void WindowRunHost::SetFieldText(RunField field, const QString& strText)
{
    m_form.FieldBox(field)->setText(strText);
}

int WindowRunHost::CheckValue(RunCheck check) const
{
    return m_form.CheckBox(check)->Value();
}

void WindowRunHost::SetCheckValue(RunCheck check, int intValue)
{
    // The password box follows "Hide password?" through the box's own change signal.
    m_form.CheckBox(check)->SetValue(intValue);
}

void WindowRunHost::SetStatus(const QString& strText)
{
    m_form.StatusLabel()->setText(strText);
}

void WindowRunHost::RepaintStatus()
{
    m_form.StatusLabel()->repaint();
}

void WindowRunHost::SetReportText(const QString& strText)
{
    m_strReport = strText;
    m_form.ReportBox()->setPlainText(DisplayText(strText));
}

void WindowRunHost::SetReportToolTip(const QString& strText)
{
    m_form.ReportBox()->setToolTip(strText);
}

void WindowRunHost::SetControlsEnabled(bool blnEnabled)
{
    m_form.SetControlsEnabled(blnEnabled);
}

void WindowRunHost::ShowPageProgress(int intPage, int intPages)
{
    m_form.ShowPageProgress(intPage, intPages);
}

void WindowRunHost::ShowMessageBox(MessageIcon icon, const QString& strTitle, const QString& strText)
{
    if (m_blnClosing)
        return;
    const MessageDialog::Icon boxIcon
        = icon == MessageIcon::Exclamation ? MessageDialog::Exclamation : MessageDialog::Information;
    MessageDialog::Show(&m_form, boxIcon, strTitle, strText, MessageDialog::Ok);
}

bool WindowRunHost::SetClipboardText(const QString& strText)
{
    QClipboard* pClipboard = QGuiApplication::clipboard();
    if (m_blnClosing || !pClipboard)
        return false;
    pClipboard->clear();
    pClipboard->setText(strText);
    // Some platforms store line ends their own way; what matters is that the text arrived.
    QString strBack = pClipboard->text();
    QString strSent = strText;
    return strBack.remove(QLatin1Char('\r')) == strSent.remove(QLatin1Char('\r'));
}

std::shared_ptr<RouterBrowser> WindowRunHost::CreateBrowser()
{
    if (const std::shared_ptr<ViewedBrowser> previous = m_currentBrowser.lock())
        previous->Detach();
    auto engine = std::make_shared<BrowserEngine>();
    m_downloader->SetNetworkManager(engine->NetworkManager());

    // The new instance covers the browser area and starts blank.
    QPointer<PageView> pView = m_form.BrowserView();
    pView->ClearPage();
    pView->setGeometry(m_form.BrowserArea()->geometry());
    pView->show();
    pView->raise();

    // Pages are rendered only while the debug view uncovers the area; the view catches up with
    // the current page when it is switched on.
    Form1* pForm = &m_form;
    auto browser = std::make_shared<ViewedBrowser>(engine, [pView, pForm](const RouterBrowser& shown) {
        if (pView && pForm->DebugView())
            pView->ShowPage(shown);
    });
    if (m_blnClosing)
        browser->Detach();
    m_currentBrowser = browser;
    return browser;
}

FileDownload& WindowRunHost::Downloader()
{
    return *m_download;
}

void WindowRunHost::Pause(int intMilliseconds)
{
    if (!m_blnClosing)
        StandardRunHost::Pause(intMilliseconds);
}

QString WindowRunHost::CaptureIpConfig()
{
    if (m_blnClosing)
        return QString();
    // The capture script writes its listing into the data folder; where it cannot, waiting for it
    // would only leave the listing out without a word.
    if (!m_form.Folder().blnWritable)
        return IpConfigNotCapturedLine();
    return StandardRunHost::CaptureIpConfig();
}

void WindowRunHost::PingWithStatus(const QString& strAddress, QString& strStatus, bool& blnPass)
{
    if (m_blnClosing) {
        blnPass = false;
        strStatus.clear();
        return;
    }
    StandardRunHost::PingWithStatus(strAddress, strStatus, blnPass);
}

QString WindowRunHost::PingHostByName(const QString& strHost)
{
    return m_blnClosing ? QString() : StandardRunHost::PingHostByName(strHost);
}

void WindowRunHost::SetClosing()
{
    m_blnClosing = true;
    if (const std::shared_ptr<ViewedBrowser> browser = m_currentBrowser.lock())
        browser->Detach();
    InterruptWaits();
}
