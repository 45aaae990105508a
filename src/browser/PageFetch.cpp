#include "browser/PageFetch.h"

#include <QAuthenticator>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace
{
bool IsWebScheme(const QUrl& url)
{
    const QString strScheme = url.scheme().toLower();
    return strScheme == QLatin1String("http") || strScheme == QLatin1String("https");
}

QString DescribeError(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("the connection was refused");
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("the server closed the connection");
    case QNetworkReply::TimeoutError:
        return QStringLiteral("the server did not answer in time");
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("the secure connection failed");
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("the server name could not be resolved");
    default:
        return QStringLiteral("the connection failed");
    }
}
} // namespace

PageFetch::PageFetch(QNetworkAccessManager* manager, const BrowserLimits& limits,
    std::shared_ptr<CredentialStore> credentials, QObject* parent)
    : QObject(parent)
    , m_manager(manager)
    , m_limits(limits)
    , m_credentials(std::move(credentials))
{
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this,
        [this] { Fail(FetchResult::Outcome::Canceled, QStringLiteral("the server did not answer in time")); });
    connect(m_manager, &QNetworkAccessManager::authenticationRequired, this, &PageFetch::OnChallenge);
    // The manager belongs to a browser instance that may be discarded while a download runs:
    // the transfer then ends as failed instead of never ending.
    connect(m_manager, &QObject::destroyed, this, [this] {
        m_manager = nullptr;
        Fail(FetchResult::Outcome::Canceled, QStringLiteral("the browser instance was closed"));
    });
}

PageFetch::~PageFetch()
{
    DropReply();
}

void PageFetch::Start(const FetchRequest& request)
{
    m_request = request;
    m_intRedirects = 0;
    m_blnDone = false;
    if (!m_request.url.isValid() || !IsWebScheme(m_request.url) || m_request.url.host().isEmpty()) {
        // Reported from the event loop like every other ending.
        QTimer::singleShot(
            0, this, [this] { Fail(FetchResult::Outcome::Canceled, QStringLiteral("the address cannot be loaded")); });
        return;
    }
    SendRequest();
}

void PageFetch::Abort()
{
    m_blnDone = true;
    m_timeout.stop();
    DropReply();
}

void PageFetch::SendRequest()
{
    m_body.clear();
    if (!m_manager) {
        QTimer::singleShot(0, this,
            [this] { Fail(FetchResult::Outcome::Canceled, QStringLiteral("the browser instance was closed")); });
        return;
    }
    QNetworkRequest request(m_request.url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setHeader(QNetworkRequest::UserAgentHeader,
        QStringLiteral("Quorvane/%1.%2.%3")
            .arg(QUORVANE_VERSION_MAJOR)
            .arg(QUORVANE_VERSION_MINOR)
            .arg(QUORVANE_VERSION_PATCH));
    request.setRawHeader("Accept", "*/*");
    if (m_blnBypassCache) {
        request.setRawHeader("Cache-Control", "no-cache");
        request.setRawHeader("Pragma", "no-cache");
    }
    if (m_request.referrer.isValid() && IsWebScheme(m_request.referrer))
        request.setRawHeader("Referer", m_request.referrer.toEncoded(QUrl::RemoveUserInfo | QUrl::RemoveFragment));

    if (m_request.verb == "POST") {
        request.setHeader(QNetworkRequest::ContentTypeHeader, m_request.contentType);
        m_reply = m_manager->post(request, m_request.body);
    } else {
        m_reply = m_manager->get(request);
    }
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &PageFetch::OnMetaDataChanged);
    connect(m_reply, &QNetworkReply::readyRead, this, &PageFetch::OnReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &PageFetch::OnReplyFinished);
    connect(m_reply, &QNetworkReply::requestSent, this, [this] { m_timeout.start(m_limits.intResponseTimeoutMs); });
    m_timeout.start(m_limits.intConnectTimeoutMs);
}

void PageFetch::OnMetaDataChanged()
{
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > m_limits.lngMaxResponseBytes)
        Fail(FetchResult::Outcome::Canceled, QStringLiteral("the response is too large"));
}

void PageFetch::OnReadyRead()
{
    m_body += m_reply->readAll();
    if (m_body.size() > m_limits.lngMaxResponseBytes)
        Fail(FetchResult::Outcome::Canceled, QStringLiteral("the response is too large"));
}

void PageFetch::OnChallenge(QNetworkReply* reply, QAuthenticator* authenticator)
{
    if (reply == m_reply && m_credentials)
        m_credentials->AnswerChallenge(reply, authenticator);
}

void PageFetch::OnReplyFinished()
{
    if (m_blnDone || !m_reply)
        return;
    m_body += m_reply->readAll();
    if (m_body.size() > m_limits.lngMaxResponseBytes) {
        Fail(FetchResult::Outcome::Canceled, QStringLiteral("the response is too large"));
        return;
    }
    const int intStatus = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (intStatus == 0) {
        const QNetworkReply::NetworkError error = m_reply->error();
        Fail(error == QNetworkReply::HostNotFoundError ? FetchResult::Outcome::NameNotResolved
                                                       : FetchResult::Outcome::Canceled,
            DescribeError(error));
        return;
    }

    const QByteArray location = m_reply->rawHeader("Location");
    const bool blnRedirect
        = (intStatus == 301 || intStatus == 302 || intStatus == 303 || intStatus == 307 || intStatus == 308)
        && !location.isEmpty();
    if (blnRedirect) {
        if (++m_intRedirects > m_limits.intMaxRedirects) {
            Fail(FetchResult::Outcome::Canceled, QStringLiteral("the server redirected too many times"));
            return;
        }
        const SplitUrl target = SplitUserInfo(m_request.url.resolved(QUrl::fromEncoded(location.trimmed())));
        if (!target.url.isValid() || !IsWebScheme(target.url)) {
            Fail(FetchResult::Outcome::Canceled,
                QStringLiteral("the server redirected to an address that cannot be loaded"));
            return;
        }
        if (m_credentials)
            m_credentials->Remember(target.url, target.credentials);
        // As browsers do: 303, and 301/302 after a POST, continue with a GET.
        if (intStatus == 303 || ((intStatus == 301 || intStatus == 302) && m_request.verb == "POST")) {
            m_request.verb = QByteArrayLiteral("GET");
            m_request.body.clear();
            m_request.contentType.clear();
        }
        m_request.url = target.url;
        DropReply();
        SendRequest();
        return;
    }

    FetchResult result;
    result.outcome = FetchResult::Outcome::Response;
    result.url = m_request.url;
    result.intStatus = intStatus;
    result.body = m_body;
    result.contentType = m_reply->rawHeader("Content-Type");
    result.refresh = m_reply->rawHeader("Refresh");
    Finish(std::move(result));
}

void PageFetch::Fail(FetchResult::Outcome outcome, const QString& strReason)
{
    FetchResult result;
    result.outcome = outcome;
    result.url = m_request.url;
    result.strReason = strReason;
    Finish(std::move(result));
}

void PageFetch::Finish(FetchResult result)
{
    if (m_blnDone)
        return;
    m_blnDone = true;
    m_timeout.stop();
    DropReply();
    m_body.clear();
    Q_EMIT Finished(result);
}

void PageFetch::DropReply()
{
    if (!m_reply)
        return;
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    disconnect(reply, nullptr, this, nullptr);
    reply->abort();
    reply->deleteLater();
}
