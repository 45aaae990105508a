#include "browser/engine/FileDownloader.h"

#include "browser/transfer/FetchSession.h"
#include "browser/transfer/PageFetch.h"
#include "browser/transfer/UrlCredentials.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>

#ifdef Q_OS_WIN
#include <QStringDecoder>
#include <array>
#endif

namespace
{
constexpr int kControlSizePx = 32;
} // namespace

FileDownloader::FileDownloader(QObject* parent)
    : QObject(parent)
{ }

FileDownloader::~FileDownloader()
{
    DiscardFetch();
}

void FileDownloader::SetNetworkManager(QNetworkAccessManager* manager)
{
    m_manager = manager;
}

void FileDownloader::SetLimits(const BrowserLimits& limits)
{
    m_limits = limits;
}

void FileDownloader::BeginDownload(const QString& strURL, const QString& strFilename)
{
    DiscardFetch();
    strFileContents.clear();
    blnDownloadComplete = false;
    blnDownloadError = false;
    m_blnNoAnswer = false;
    m_strFilename = strFilename;

    const SplitUrl split = SplitUserInfo(strURL);
    if (!IsWebUrl(split.url) || split.url.host().isEmpty()) {
        // The download cannot even start: it ends at once, failed.
        blnDownloadError = true;
        blnDownloadComplete = true;
        return;
    }

    if (!m_manager) {
        if (!m_ownManager) {
            m_ownManager = new QNetworkAccessManager(this);
            m_ownManager->setProxy(QNetworkProxy::NoProxy);
        }
        m_manager = m_ownManager;
    }
    // The browser's login goes along: its credentials are the manager's.
    const std::shared_ptr<CredentialStore> credentials = FetchSession::Of(m_manager)->Credentials();
    credentials->Remember(split.url, split.credentials);
    m_fetch = new PageFetch(m_manager, m_limits, credentials);
    m_fetch->SetBypassCache(true);
    connect(m_fetch, &PageFetch::Finished, this, &FileDownloader::OnFinished);
    FetchRequest request;
    request.url = split.url;
    request.deadline = QDeadlineTimer(m_limits.intNavigationTimeoutMs);
    m_fetch->Start(request);
}

void FileDownloader::CancelDownload()
{
    if (blnDownloadComplete)
        return;
    DiscardFetch();
    strFileContents.clear();
    blnDownloadError = true;
    blnDownloadComplete = true;
}

void FileDownloader::OnFinished(const FetchResult& result)
{
    m_fetch->deleteLater();
    m_fetch = nullptr;
    // A server's answer is content whatever its status says; judging it is the caller's task.
    m_blnNoAnswer = result.outcome != FetchResult::Outcome::Response;
    if (m_blnNoAnswer || result.body.size() < 2)
        blnDownloadError = true;
    else
        strFileContents = BytesToText(result.body);
    blnDownloadComplete = true;
}

void FileDownloader::DiscardFetch()
{
    if (m_fetch)
        m_fetch->Discard();
    m_fetch = nullptr;
}

QSize FileDownloader::SizeIt()
{
    return QSize(kControlSizePx, kControlSizePx);
}

QString FileDownloader::BytesToText(const QByteArray& bytes)
{
#ifdef Q_OS_WIN
    // One character per byte through the ANSI code page; a byte that the code page does not
    // map on its own (a lead byte of a double-byte code page) keeps its Latin-1 meaning.
    static const std::array<QChar, 256> codePage = [] {
        std::array<QChar, 256> table {};
        for (int intByte = 0; intByte < 256; ++intByte) {
            QStringDecoder decoder(QStringConverter::System);
            const char chr = static_cast<char>(intByte);
            const QString strOne = decoder.decode(QByteArrayView(&chr, 1));
            table[static_cast<size_t>(intByte)]
                = (strOne.size() == 1 && !decoder.hasError()) ? strOne.at(0) : QChar(static_cast<char16_t>(intByte));
        }
        return table;
    }();
    QString strText(bytes.size(), Qt::Uninitialized);
    for (qsizetype lngAt = 0; lngAt < bytes.size(); ++lngAt)
        strText[lngAt] = codePage[static_cast<unsigned char>(bytes.at(lngAt))];
#else
    QString strText = QString::fromLatin1(bytes);
#endif
    strText.replace(QChar(u'\0'), QLatin1Char('\n'));
    return strText;
}
