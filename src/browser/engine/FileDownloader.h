#pragma once

#include "browser/transfer/BrowserLimits.h"
#include "run/FileDownload.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>

class PageFetch;
class QNetworkAccessManager;
struct FetchResult;

// Fetches the content of an address into memory while the event loop runs. The caller starts a
// download and polls the flags; the text is in strFileContents once blnDownloadComplete is set.
// Content is always fetched from the server, never from a cache, through the network manager
// of the current browser instance so that the login's cookies and credentials go along. Fewer
// than two bytes, or a transfer that fails, end the download with blnDownloadError set. The
// completion arrives through the event loop. A download is bounded by the same time-outs and
// size cap as the browser's loads, so a caller that polls without a limit of its own cannot
// wait forever.
class FileDownloader : public QObject, public FileDownload
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FileDownloader)

public:
    explicit FileDownloader(QObject* parent = nullptr);
    ~FileDownloader() override;

    // The current browser's manager (login state). Without one the downloader makes its own.
    void SetNetworkManager(QNetworkAccessManager* manager);
    void SetLimits(const BrowserLimits& limits);

    // Resets the fields and starts the download; returns at once. strFilename only names the
    // download. A download still in flight is abandoned: only the latest one completes.
    void BeginDownload(const QString& strURL, const QString& strFilename) override;
    void CancelDownload() override;

    bool DownloadComplete() const override { return blnDownloadComplete; }
    bool DownloadError() const override { return blnDownloadError; }
    QString FileContents() const override { return strFileContents; }
    bool NoAnswer() const override { return m_blnNoAnswer; }

    // The control's fixed size in pixels, 32 x 32 (applied by the window's control).
    QSize SizeIt();

    // Each byte becomes one character of the single-byte code page (the ANSI code page where
    // the platform has one, Latin-1 elsewhere); every NUL becomes a line feed.
    static QString BytesToText(const QByteArray& bytes);

    bool blnDownloadComplete = false;
    QString strFileContents;
    bool blnDownloadError = false;

private:
    bool m_blnNoAnswer = false;
    void OnFinished(const FetchResult& result);
    void DiscardFetch();

    QPointer<QNetworkAccessManager> m_manager; // a browser's manager goes away with its browser
    QNetworkAccessManager* m_ownManager = nullptr;
    BrowserLimits m_limits;
    PageFetch* m_fetch = nullptr;
    QString m_strFilename;
};
