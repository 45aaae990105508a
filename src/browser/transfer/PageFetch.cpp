#include "browser/transfer/PageFetch.h"

#include "browser/transfer/BoundedCookieJar.h"
#include "browser/transfer/ContentDecoder.h"
#include "browser/transfer/FetchSession.h"
#include "browser/transfer/ResponseHead.h"
#include "config/AppInfo.h"

#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QSocketNotifier>
#include <algorithm>
#include <curl/curl.h>
#include <mutex>

namespace
{
void InitCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

const QString kTooLarge = QStringLiteral("the response is too large");
const QString kBrokenOff = QStringLiteral("the transfer broke off");
const QString kUndecodable = QStringLiteral("the response could not be decoded");
const QString kTooSlow = QStringLiteral("the server did not answer in time");
const QString kOtherHost = QStringLiteral("the address is on another host than the router");

QString DescribeError(CURLcode code)
{
    switch (code) {
    case CURLE_COULDNT_CONNECT:
        return QStringLiteral("the connection was refused");
    case CURLE_COULDNT_RESOLVE_HOST:
        return QStringLiteral("the server name could not be resolved");
    case CURLE_OPERATION_TIMEDOUT:
        return kTooSlow;
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
        return kBrokenOff;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_UNSUPPORTED_PROTOCOL:
        return QStringLiteral("the server's answer is not HTTP");
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
        return QStringLiteral("the secure connection failed");
    default:
        return QStringLiteral("the connection failed");
    }
}
} // namespace

// A socket that libcurl wants watched.
struct PageFetch::SocketWatch
{
    std::unique_ptr<QSocketNotifier> read;
    std::unique_ptr<QSocketNotifier> write;
};

// libcurl calls back into the fetch through these; the fetch is the user data of every one.
struct CurlGlue
{
    static size_t HeaderLine(char* data, size_t lngSize, size_t lngCount, void* userdata)
    {
        auto* fetch = static_cast<PageFetch*>(userdata);
        const size_t lngBytes = lngSize * lngCount;
        switch (fetch->m_head.TakeLine(QByteArrayView(data, static_cast<qsizetype>(lngBytes)))) {
        case ResponseHead::Line::Status:
            // A new answer begins: a challenge or an interim answer is replaced by it.
            fetch->StartResponse();
            break;
        case ResponseHead::Line::End:
            if ((fetch->m_head.Status() == 401 || fetch->m_head.Status() == 407)
                && ++fetch->m_intChallenges > fetch->m_limits.intMaxAuthRounds) {
                fetch->m_strBodyError = QStringLiteral("the server asked for the login again and again");
                return 0;
            }
            if (fetch->m_head.Status() >= 200 && !fetch->HeadersComplete())
                return 0; // refused: the transfer stops here
            break;
        default:
            break;
        }
        return lngBytes;
    }

    static size_t BodyPiece(char* data, size_t lngSize, size_t lngCount, void* userdata)
    {
        const size_t lngBytes = lngSize * lngCount;
        auto* fetch = static_cast<PageFetch*>(userdata);
        return fetch->TakeBodyPiece(data, static_cast<qint64>(lngBytes)) ? lngBytes : 0;
    }

    static int RequestReady(void* userdata, char*, char*, int, int)
    {
        // Connected: the request goes out now and the answer has its own time-out.
        auto* fetch = static_cast<PageFetch*>(userdata);
        fetch->ArmTimeout(fetch->m_limits.intResponseTimeoutMs);
        return CURL_PREREQFUNC_OK;
    }

    static int SocketChange(CURL*, curl_socket_t socket, int intWhat, void* userdata, void*)
    {
        static_cast<PageFetch*>(userdata)->WatchSocket(static_cast<qintptr>(socket), intWhat);
        return 0;
    }

    static int TimerChange(CURLM*, long lngMs, void* userdata)
    {
        auto* fetch = static_cast<PageFetch*>(userdata);
        if (lngMs < 0)
            fetch->m_curlTimer.stop();
        else
            fetch->m_curlTimer.start(static_cast<int>(std::min<long>(lngMs, 24L * 3600 * 1000)));
        return 0;
    }
};

QString UserAgent()
{
    return AppInfo::AppTitle() + QLatin1Char('/') + AppInfo::VersionText();
}

PageFetch::PageFetch(QNetworkAccessManager* manager, const BrowserLimits& limits,
    std::shared_ptr<CredentialStore> credentials, QObject* parent)
    : QObject(parent)
    , m_manager(manager)
    , m_limits(limits)
    , m_credentials(std::move(credentials))
{
    InitCurlOnce();
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, [this] { Fail(FetchResult::Outcome::Canceled, kTooSlow); });
    m_curlTimer.setSingleShot(true);
    connect(&m_curlTimer, &QTimer::timeout, this, [this] { Drive(CURL_SOCKET_TIMEOUT, 0); });
    // The manager belongs to a browser instance that may be discarded while a download runs:
    // the transfer then ends as failed instead of never ending.
    if (manager) {
        connect(manager, &QObject::destroyed, this,
            [this] { Fail(FetchResult::Outcome::Canceled, QStringLiteral("the browser instance was closed")); });
    }
}

PageFetch::~PageFetch()
{
    DropTransfer();
}

void PageFetch::Start(const FetchRequest& request)
{
    m_request = request;
    m_intRedirects = 0;
    m_blnDone = false;
    if (!IsWebUrl(m_request.url) || m_request.url.host().isEmpty()) {
        // Reported from the event loop like every other ending.
        QTimer::singleShot(
            0, this, [this] { Fail(FetchResult::Outcome::Canceled, QStringLiteral("the address cannot be loaded")); });
        return;
    }
    SendRequest();
}

void PageFetch::Discard()
{
    m_blnDone = true;
    m_timeout.stop();
    DropTransfer();
    deleteLater();
}

void PageFetch::ArmTimeout(int intMs)
{
    const qint64 lngLeft = m_request.deadline.remainingTime();
    m_timeout.start(lngLeft < 0 ? intMs : static_cast<int>(std::min<qint64>(intMs, lngLeft)));
}

void PageFetch::SendRequest()
{
    if (!m_manager) {
        QTimer::singleShot(0, this,
            [this] { Fail(FetchResult::Outcome::Canceled, QStringLiteral("the browser instance was closed")); });
        return;
    }
    const QUrl& url = m_request.url;
    // A session with a lookup of its own (tests) decides every host, numeric ones included, so
    // that no resolver is asked and no address it refuses is connected to; libcurl then connects
    // to the address a name was given.
    curl_slist_free_all(m_resolveList);
    m_resolveList = nullptr;
    const QString strHost = url.host();
    const FetchSession* session = FetchSession::Of(m_manager);
    // Only the router is reached: a request for another host fails like a refused connection,
    // before its name is looked up. Every request passes here, each redirect's too.
    if (!session->Allows(url)) {
        QTimer::singleShot(0, this, [this] { Fail(FetchResult::Outcome::Canceled, kOtherHost); });
        return;
    }
    const FetchSession::HostLookup& lookup = session->Lookup();
    QList<QHostAddress> addresses;
    if (lookup && (!lookup(strHost, &addresses) || addresses.isEmpty())) {
        QTimer::singleShot(0, this, [this] {
            Fail(FetchResult::Outcome::NameNotResolved, QStringLiteral("the server name could not be resolved"));
        });
        return;
    }
    if (lookup && QHostAddress(strHost).isNull()) {
        QByteArray entry = url.host(QUrl::FullyEncoded).toLatin1() + ':'
            + QByteArray::number(url.port(url.scheme().toLower() == QLatin1String("https") ? 443 : 80)) + ':';
        for (qsizetype lngAt = 0; lngAt < addresses.size(); ++lngAt)
            entry += (lngAt > 0 ? "," : "") + addresses.at(lngAt).toString().toLatin1();
        m_resolveList = curl_slist_append(nullptr, entry.constData());
    }

    if (!m_multi) {
        m_multi = curl_multi_init();
        curl_multi_setopt(m_multi, CURLMOPT_SOCKETFUNCTION, &CurlGlue::SocketChange);
        curl_multi_setopt(m_multi, CURLMOPT_SOCKETDATA, this);
        curl_multi_setopt(m_multi, CURLMOPT_TIMERFUNCTION, &CurlGlue::TimerChange);
        curl_multi_setopt(m_multi, CURLMOPT_TIMERDATA, this);
    }
    if (!m_easy)
        m_easy = curl_easy_init();
    else
        curl_easy_reset(m_easy);
    CURL* easy = m_easy;
    m_intChallenges = 0;
    m_head = ResponseHead();
    StartResponse();

    const QByteArray address = url.toEncoded(QUrl::RemoveUserInfo | QUrl::RemoveFragment);
    curl_easy_setopt(easy, CURLOPT_URL, address.constData());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    // The router sits on the local network: no proxy may stand in between.
    curl_easy_setopt(easy, CURLOPT_PROXY, "");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    // Redirects are followed here; what libcurl follows itself is a challenge's answer, bounded
    // here and by the count of challenges in HeaderLine.
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, static_cast<long>(m_limits.intMaxAuthRounds));
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &CurlGlue::HeaderLine);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CurlGlue::BodyPiece);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, &CurlGlue::RequestReady);
    curl_easy_setopt(easy, CURLOPT_PREREQDATA, this);
    if (m_resolveList)
        curl_easy_setopt(easy, CURLOPT_RESOLVE, m_resolveList);
    const QByteArray agent = UserAgent().toLatin1();
    curl_easy_setopt(easy, CURLOPT_USERAGENT, agent.constData());

    UrlCredentials credentials;
    if (m_credentials && m_credentials->Lookup(url, &credentials)) {
        // A challenge is answered once: a refusal of the answer ends the request with it.
        curl_easy_setopt(easy, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC | CURLAUTH_DIGEST));
        curl_easy_setopt(easy, CURLOPT_USERNAME, AnsiBytes(credentials.strUser).constData());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, AnsiBytes(credentials.strPassword).constData());
    }

    curl_slist_free_all(m_headers);
    m_headers = nullptr;
    QList<QByteArray> headers { "Accept: */*",
        // Compressed answers reach us as they are and are undone within the cap.
        "Accept-Encoding: gzip, deflate",
        // No interim answer is waited for before a form's data is sent.
        "Expect:" };
    if (m_blnBypassCache)
        headers << "Cache-Control: no-cache"
                << "Pragma: no-cache";
    if (IsWebUrl(m_request.referrer))
        headers << "Referer: " + m_request.referrer.toEncoded(QUrl::RemoveUserInfo | QUrl::RemoveFragment);
    if (QNetworkCookieJar* jar = m_manager->cookieJar()) {
        const QByteArray cookies = BoundedCookieJar::CookieHeader(*jar, url);
        if (!cookies.isEmpty())
            headers << "Cookie: " + cookies;
    }
    if (m_request.verb == "POST") {
        headers << "Content-Type: " + m_request.contentType;
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(m_request.body.size()));
        curl_easy_setopt(easy, CURLOPT_COPYPOSTFIELDS, m_request.body.constData());
    }
    for (const QByteArray& header : headers)
        m_headers = curl_slist_append(m_headers, header.constData());
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, m_headers);

    ArmTimeout(m_limits.intConnectTimeoutMs);
    curl_multi_add_handle(m_multi, easy);
}

void PageFetch::WatchSocket(qintptr intSocket, int intWhat)
{
    if (intWhat == CURL_POLL_REMOVE) {
        const auto it = m_sockets.find(intSocket);
        if (it == m_sockets.end())
            return;
        // The notifier may be the one whose signal is being delivered.
        for (auto* notifier : { it->second->read.release(), it->second->write.release() }) {
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
        m_sockets.erase(it);
        return;
    }
    std::unique_ptr<SocketWatch>& watch = m_sockets[intSocket];
    if (!watch) {
        watch = std::make_unique<SocketWatch>();
        watch->read = std::make_unique<QSocketNotifier>(intSocket, QSocketNotifier::Read);
        watch->write = std::make_unique<QSocketNotifier>(intSocket, QSocketNotifier::Write);
        connect(watch->read.get(), &QSocketNotifier::activated, this,
            [this, intSocket] { Drive(intSocket, CURL_CSELECT_IN); });
        connect(watch->write.get(), &QSocketNotifier::activated, this,
            [this, intSocket] { Drive(intSocket, CURL_CSELECT_OUT); });
    }
    watch->read->setEnabled(intWhat == CURL_POLL_IN || intWhat == CURL_POLL_INOUT);
    watch->write->setEnabled(intWhat == CURL_POLL_OUT || intWhat == CURL_POLL_INOUT);
}

void PageFetch::Drive(qintptr intSocket, int intEvents)
{
    if (!m_multi)
        return;
    int intRunning = 0;
    curl_multi_socket_action(m_multi, static_cast<curl_socket_t>(intSocket), intEvents, &intRunning);
    CollectResults();
}

void PageFetch::CollectResults()
{
    int intQueued = 0;
    while (m_multi) {
        CURLMsg* message = curl_multi_info_read(m_multi, &intQueued);
        if (!message)
            return;
        if (message->msg == CURLMSG_DONE && message->easy_handle == m_easy) {
            OnTransferDone(static_cast<int>(message->data.result));
            return;
        }
    }
}

void PageFetch::StartResponse()
{
    // Until its head names an encoding, an answer's body is taken as it comes.
    m_decoder = std::make_unique<ContentDecoder>(QByteArray(), m_limits.lngMaxResponseBytes);
    m_lngRawBytes = 0;
    m_strBodyError.clear();
}

// The head of an answer has arrived: its cookies are kept and its body is prepared for.
bool PageFetch::HeadersComplete()
{
    if (m_manager && m_manager->cookieJar()) {
        QList<QNetworkCookie> cookies;
        for (const QByteArray& value : m_head.Headers("Set-Cookie"))
            cookies += QNetworkCookie::parseCookies(value);
        if (!cookies.isEmpty())
            m_manager->cookieJar()->setCookiesFromUrl(cookies, m_request.url);
    }
    if (m_head.ContentLength() > m_limits.lngMaxResponseBytes) {
        m_strBodyError = kTooLarge;
        return false;
    }
    m_decoder = std::make_unique<ContentDecoder>(m_head.Header("Content-Encoding"), m_limits.lngMaxResponseBytes);
    return true;
}

bool PageFetch::TakeBodyPiece(const char* data, qint64 lngSize)
{
    m_lngRawBytes += lngSize;
    const ContentDecoder::Status status = m_decoder->Feed(QByteArrayView(data, lngSize));
    if (m_lngRawBytes > m_limits.lngMaxResponseBytes || status == ContentDecoder::Status::TooLarge)
        m_strBodyError = kTooLarge;
    else if (status == ContentDecoder::Status::Corrupt)
        m_strBodyError = kUndecodable;
    return m_strBodyError.isEmpty();
}

void PageFetch::OnTransferDone(int intCode)
{
    const auto code = static_cast<CURLcode>(intCode);
    if (!m_strBodyError.isEmpty()) {
        Fail(FetchResult::Outcome::Canceled, m_strBodyError);
        return;
    }
    if (code != CURLE_OK) {
        Fail(
            code == CURLE_COULDNT_RESOLVE_HOST ? FetchResult::Outcome::NameNotResolved : FetchResult::Outcome::Canceled,
            DescribeError(code));
        return;
    }
    const int intStatus = m_head.Status();
    const QByteArray location = m_head.Header("Location");
    const bool blnRedirect
        = (intStatus == 301 || intStatus == 302 || intStatus == 303 || intStatus == 307 || intStatus == 308)
        && !location.isEmpty();
    if (blnRedirect) {
        if (++m_intRedirects > m_limits.intMaxRedirects) {
            Fail(FetchResult::Outcome::Canceled, QStringLiteral("the server redirected too many times"));
            return;
        }
        const SplitUrl target = SplitUserInfo(m_request.url.resolved(QUrl::fromEncoded(location.trimmed())));
        if (!IsWebUrl(target.url)) {
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
        curl_multi_remove_handle(m_multi, m_easy);
        SendRequest();
        return;
    }
    if (m_decoder->Finish() != ContentDecoder::Status::Ok) {
        Fail(FetchResult::Outcome::Canceled, kUndecodable);
        return;
    }
    FetchResult result;
    result.outcome = FetchResult::Outcome::Response;
    result.url = m_request.url;
    result.intStatus = intStatus;
    result.body = m_decoder->TakeBody();
    result.contentType = m_head.Header("Content-Type");
    result.refresh = m_head.Header("Refresh");
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
    DropTransfer();
    Q_EMIT Finished(result);
}

void PageFetch::DropTransfer()
{
    m_curlTimer.stop();
    if (m_multi && m_easy)
        curl_multi_remove_handle(m_multi, m_easy);
    if (m_easy)
        curl_easy_cleanup(m_easy);
    m_easy = nullptr;
    if (m_multi)
        curl_multi_cleanup(m_multi);
    m_multi = nullptr;
    curl_slist_free_all(m_headers);
    m_headers = nullptr;
    curl_slist_free_all(m_resolveList);
    m_resolveList = nullptr;
    for (auto& [intSocket, watch] : m_sockets) {
        for (auto* notifier : { watch->read.release(), watch->write.release() }) {
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
    }
    m_sockets.clear();
    m_decoder.reset();
}
