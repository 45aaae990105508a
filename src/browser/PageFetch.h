#pragma once

#include "browser/BrowserLimits.h"
#include "browser/UrlCredentials.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <memory>

class QAuthenticator;
class QNetworkAccessManager;
class QNetworkReply;

struct FetchRequest
{
    QUrl url; // without user-info
    QByteArray verb = QByteArrayLiteral("GET");
    QByteArray body;
    QByteArray contentType;
    QUrl referrer;
};

struct FetchResult
{
    enum class Outcome {
        Response, // the server answered (any status)
        Canceled, // refused, reset, timed out, too many redirects, too large, bad address
        NameNotResolved // the host name does not resolve
    };

    Outcome outcome = Outcome::Canceled;
    QUrl url; // the address that answered, after redirects
    int intStatus = 0;
    QByteArray body;
    QByteArray contentType;
    QByteArray refresh; // the Refresh header, if any
    QString strReason; // why the fetch was canceled
};

// One HTTP request with the redirects it leads to, bounded by BrowserLimits: a connect and a
// response time-out, a size cap and a redirect cap. Redirects are followed here (so they can be
// counted and kept to http and https); a challenge is answered from the credential store once.
// Finished is emitted exactly once, always from the event loop; the receiver may deleteLater()
// the fetch but must not delete it inside the signal.
class PageFetch : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PageFetch)

public:
    PageFetch(QNetworkAccessManager* manager, const BrowserLimits& limits, std::shared_ptr<CredentialStore> credentials,
        QObject* parent = nullptr);
    ~PageFetch() override;

    // Ask servers and proxies for a fresh copy as well (downloads).
    void SetBypassCache(bool blnBypass) { m_blnBypassCache = blnBypass; }

    void Start(const FetchRequest& request);
    // Stops the transfer; Finished is not emitted any more.
    void Abort();

Q_SIGNALS:
    void Finished(const FetchResult& result);

private:
    void SendRequest();
    void OnMetaDataChanged();
    void OnReadyRead();
    void OnReplyFinished();
    void OnChallenge(QNetworkReply* reply, QAuthenticator* authenticator);
    void Fail(FetchResult::Outcome outcome, const QString& strReason);
    void Finish(FetchResult result);
    void DropReply();

    QNetworkAccessManager* m_manager;
    BrowserLimits m_limits;
    std::shared_ptr<CredentialStore> m_credentials;
    bool m_blnBypassCache = false;
    FetchRequest m_request;
    QPointer<QNetworkReply> m_reply;
    QByteArray m_body;
    QTimer m_timeout;
    int m_intRedirects = 0;
    bool m_blnDone = false;
};
