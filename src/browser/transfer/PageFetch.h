#pragma once

#include "browser/transfer/BrowserLimits.h"
#include "browser/transfer/ResponseHead.h"
#include "browser/transfer/UrlCredentials.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <map>
#include <memory>

class ContentDecoder;
class QNetworkAccessManager;
class QSocketNotifier;

struct FetchRequest
{
    QUrl url; // without user-info
    QByteArray verb = QByteArrayLiteral("GET");
    QByteArray body;
    QByteArray contentType;
    QUrl referrer;
    // The fetch fails when it has not finished by then (a navigation's total bound), whatever
    // its own time-outs would still allow.
    QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever);
};

struct FetchResult
{
    enum class Outcome {
        Response, // the server answered (any status)
        Canceled, // refused, reset, broken off, timed out, too many redirects, too large, bad address
        NameNotResolved // the host name does not resolve
    };

    Outcome outcome = Outcome::Canceled;
    QUrl url; // the address that answered, after redirects
    int intStatus = 0;
    QByteArray body; // with its Content-Encoding undone
    QByteArray contentType;
    QByteArray refresh; // the Refresh header, if any
    QString strReason; // why the fetch was canceled
};

// What the browser's requests carry as their User-Agent, and what its pages' scripts read.
QString UserAgent();

// One HTTP request with the redirects it leads to, bounded by BrowserLimits: a connect and a
// response time-out, the request's deadline, a size cap and a redirect cap. Redirects are
// followed here (so they can be counted and kept to http and https); a Basic or Digest
// challenge is answered once with the credentials kept for the server. Cookies go to and come
// from the manager's cookie jar; names are looked up through the manager's FetchSession.
//
// The transfer runs on the event loop through libcurl, which reads HTTP strictly: only a
// complete answer is a Response, and a transfer that breaks off (a reset, a body shorter than
// its Content-Length, a cut or malformed chunk) fails like a refused connection. The body is
// taken in as it arrives, its content encoding undone on the way, and the size cap holds for
// the decoded body before more of it is read.
//
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
    // Stops the transfer and deletes the fetch from the event loop; Finished is not emitted any more.
    void Discard();

Q_SIGNALS:
    void Finished(const FetchResult& result);

private:
    struct SocketWatch;
    friend struct CurlGlue; // libcurl's callbacks

    void SendRequest();
    void Drive(qintptr intSocket, int intEvents);
    void CollectResults();
    void OnTransferDone(int intCode);
    void StartResponse();
    bool HeadersComplete();
    bool TakeBodyPiece(const char* data, qint64 lngSize);
    void WatchSocket(qintptr intSocket, int intWhat);
    void ArmTimeout(int intMs);
    void Fail(FetchResult::Outcome outcome, const QString& strReason);
    void Finish(FetchResult result);
    void DropTransfer();

    QPointer<QNetworkAccessManager> m_manager;
    BrowserLimits m_limits;
    std::shared_ptr<CredentialStore> m_credentials;
    bool m_blnBypassCache = false;
    FetchRequest m_request;
    int m_intRedirects = 0;
    int m_intChallenges = 0; // 401 and 407 answers to the request being sent
    bool m_blnDone = false;

    void* m_multi = nullptr;
    void* m_easy = nullptr;
    struct curl_slist* m_headers = nullptr;
    struct curl_slist* m_resolveList = nullptr; // "host:port:address" when the session looked the name up
    std::map<qintptr, std::unique_ptr<SocketWatch>> m_sockets;
    QTimer m_curlTimer;
    QTimer m_timeout;

    // The answer being read (an interim or refused answer is replaced by the next one).
    ResponseHead m_head;
    std::unique_ptr<ContentDecoder> m_decoder;
    qint64 m_lngRawBytes = 0;
    QString m_strBodyError; // why the body was refused while it arrived
};
