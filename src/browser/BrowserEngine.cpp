#include "browser/BrowserEngine.h"

#include "browser/BodyTextLayout.h"
#include "browser/DocumentBuilder.h"
#include "browser/FetchSession.h"
#include "browser/FormSubmission.h"
#include "browser/HtmlDocument.h"
#include "browser/HtmlSerializer.h"
#include "browser/PageCharset.h"
#include "browser/PageFetch.h"
#include "browser/RefreshDirective.h"
#include "browser/UrlCredentials.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QPointer>
#include <algorithm>

namespace
{
const QString kBlankUrl = QStringLiteral("about:blank");

bool IsBlankAddress(const QString& strUrl)
{
    return strUrl.trimmed().startsWith(QLatin1String("about:"), Qt::CaseInsensitive);
}

bool IsWebUrl(const QUrl& url)
{
    const QString strScheme = url.scheme().toLower();
    return url.isValid() && (strScheme == QLatin1String("http") || strScheme == QLatin1String("https"));
}

QString EscapeText(const QString& strText)
{
    return strText.toHtmlEscaped();
}

// The page that stands in for a document that could not be loaded. Its text starts with the
// words that the run looks for.
QString ErrorPageHtml(bool blnNameNotResolved, const QString& strReason)
{
    const QString strHeading = blnNameNotResolved ? QStringLiteral("DNS Error") : QStringLiteral("Action canceled");
    return QStringLiteral("<html><head><title>%1</title></head><body><h1>%1</h1>"
                          "<p>The page could not be loaded: %2.</p></body></html>")
        .arg(strHeading, EscapeText(strReason));
}

std::shared_ptr<HtmlDocument> ParsePage(const QString& strHtml)
{
    return std::make_shared<HtmlDocument>(BuildHtmlDocument(strHtml));
}
} // namespace

BrowserEngine::BrowserEngine(QNetworkAccessManager* manager, QObject* parent)
    : QObject(parent)
    , m_manager(manager)
    , m_blnOwnsManager(manager == nullptr)
{
    if (m_blnOwnsManager) {
        m_manager = new QNetworkAccessManager(this);
        // The router sits on the local network: no proxy may stand in between.
        m_manager->setProxy(QNetworkProxy::NoProxy);
    }
    // Shared with the downloader through the manager.
    m_credentials = FetchSession::Of(m_manager)->Credentials();
    m_refreshTimer.setSingleShot(true);
    // Never early: the minimum delay is a floor.
    m_refreshTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_refreshTimer, &QTimer::timeout, this, [this] {
        const QUrl target = m_refreshTarget;
        CancelActivity();
        FetchRequest request;
        request.url = target;
        StartTopLoad(request, ShownUrl(target));
    });
}

BrowserEngine::~BrowserEngine()
{
    CancelActivity();
    if (m_blnOwnsManager)
        delete m_manager;
}

QNetworkAccessManager* BrowserEngine::NetworkManager() const
{
    return m_manager;
}

void BrowserEngine::SetLimits(const BrowserLimits& limits)
{
    m_limits = limits;
}

void BrowserEngine::CancelActivity()
{
    ++m_lngGeneration;
    m_refreshTimer.stop();
    for (LoadNode& node : m_loads) {
        if (!node.fetch)
            continue;
        node.fetch->disconnect(this);
        node.fetch->Abort();
        node.fetch->deleteLater();
    }
    m_loads.clear();
    m_waiting.clear();
    m_intActiveLoads = 0;
}

void BrowserEngine::Navigate(const QString& strUrl)
{
    CancelActivity();
    if (IsBlankAddress(strUrl)) {
        LoadedPage blank;
        blank.url = QUrl(kBlankUrl);
        blank.strUrl = kBlankUrl;
        blank.charset = QByteArrayLiteral("UTF-8");
        blank.document = ParsePage(QString());
        m_top = blank;
        m_frames.clear();
        QueueCompletion(kBlankUrl, true);
        return;
    }
    const SplitUrl split = SplitUserInfo(strUrl);
    m_credentials->Remember(split.url, split.credentials);
    FetchRequest request;
    request.url = split.url;
    StartTopLoad(request, split.strShown);
}

void BrowserEngine::StartTopLoad(const FetchRequest& request, const QString& strReportedUrl)
{
    m_deadline = QDeadlineTimer(m_limits.intNavigationTimeoutMs);
    m_intFramesLoaded = 0;
    LoadNode top;
    top.request = request;
    top.strReportedUrl = strReportedUrl;
    m_loads.push_back(std::move(top));
    m_waiting.push_back(0);
    StartWaitingLoads();
}

void BrowserEngine::StartWaitingLoads()
{
    while (!m_waiting.empty() && m_intActiveLoads < std::max(1, m_limits.intMaxParallelLoads)) {
        const int intNode = m_waiting.front();
        m_waiting.pop_front();
        LoadNode& node = m_loads[static_cast<size_t>(intNode)];
        node.request.deadline = m_deadline;
        node.fetch = new PageFetch(m_manager, m_limits, m_credentials);
        ++m_intActiveLoads;
        const quint64 lngGeneration = m_lngGeneration;
        connect(node.fetch, &PageFetch::Finished, this, [this, lngGeneration, intNode](const FetchResult& result) {
            if (lngGeneration == m_lngGeneration)
                OnLoaded(intNode, result);
        });
        node.fetch->Start(node.request);
    }
}

void BrowserEngine::OnLoaded(int intNode, const FetchResult& result)
{
    LoadNode& node = m_loads[static_cast<size_t>(intNode)];
    node.fetch->deleteLater();
    node.fetch = nullptr;
    --m_intActiveLoads;
    node.page = BuildPage(result, node.strReportedUrl);
    node.blnLoaded = true;
    if (intNode == 0) {
        m_top = node.page;
        m_frames.assign(m_top.document->FrameElements().size(), LoadedPage());
    } else if (node.intTopFrame >= 0 && node.intTopFrame < static_cast<int>(m_frames.size())) {
        m_frames[static_cast<size_t>(node.intTopFrame)] = node.page;
    }
    AddFrameLoads(intNode);
    StartWaitingLoads();
    if (ReportReady(0)) {
        // Everything is reported: the pages live on in m_top and m_frames.
        m_loads.clear();
        m_waiting.clear();
    }
}

BrowserEngine::LoadedPage BrowserEngine::BuildPage(const FetchResult& result, const QString& strReportedUrl) const
{
    LoadedPage page;
    if (result.outcome != FetchResult::Outcome::Response) {
        // An error document keeps the address that failed, so the run still knows the page.
        page.url = result.url;
        page.strUrl = strReportedUrl;
        page.charset = QByteArrayLiteral("UTF-8");
        page.document
            = ParsePage(ErrorPageHtml(result.outcome == FetchResult::Outcome::NameNotResolved, result.strReason));
        return page;
    }
    page.url = result.url;
    page.strUrl = ShownUrl(result.url);
    page.charset = ChoosePageCharset(result.body, result.contentType);
    page.refresh = result.refresh;
    QByteArray source = DecodePageToUtf8(result.body, page.charset);
    // Plain text is shown as it is, as browsers do: in a <pre> (whose first line break the
    // parser drops, hence the one added).
    if (result.contentType.split(';').constFirst().trimmed().toLower() == "text/plain")
        source = "<html><head></head><body><pre>\n" + QString::fromUtf8(source).toHtmlEscaped().toUtf8()
            + "</pre></body></html>";
    auto document = std::make_shared<HtmlDocument>();
    if (!BuildHtmlDocument(source, document.get())) {
        // A page beyond what the parser may spend on it cannot be shown: it fails as a whole
        // rather than showing as an empty page.
        page.charset = QByteArrayLiteral("UTF-8");
        page.refresh.clear();
        page.document = ParsePage(ErrorPageHtml(false, QStringLiteral("the page is too large to show")));
        return page;
    }
    page.document = std::move(document);
    return page;
}

std::vector<QUrl> BrowserEngine::FrameUrls(const LoadedPage& page)
{
    std::vector<QUrl> urls;
    const QUrl base = DocumentBaseUrl(*page.document, page.url);
    for (int intFrame : page.document->FrameElements()) {
        const QString strSource = page.document->AttributeValue(intFrame, QStringLiteral("src")).trimmed();
        if (strSource.isEmpty() || IsBlankAddress(strSource)) {
            urls.emplace_back();
            continue;
        }
        const SplitUrl split = SplitUserInfo(base.resolved(QUrl(strSource)));
        m_credentials->Remember(split.url, split.credentials);
        urls.push_back(IsWebUrl(split.url) ? split.url : QUrl());
    }
    return urls;
}

void BrowserEngine::AddFrameLoads(int intNode)
{
    // Frames inside frames are loaded down to a fixed depth only.
    if (m_loads[static_cast<size_t>(intNode)].intDepth >= m_limits.intMaxFrameDepth)
        return;
    const std::vector<QUrl> urls = FrameUrls(m_loads[static_cast<size_t>(intNode)].page);
    for (size_t lngFrame = 0; lngFrame < urls.size(); ++lngFrame) {
        const QUrl& url = urls[lngFrame];
        // A frame that would load a page holding it is not loaded again.
        if (!url.isValid() || IsAncestorUrl(intNode, url) || m_intFramesLoaded >= m_limits.intMaxFramesPerPage)
            continue;
        ++m_intFramesLoaded;
        const LoadNode& parent = m_loads[static_cast<size_t>(intNode)];
        LoadNode child;
        child.request.url = url;
        child.request.referrer = parent.page.url;
        child.strReportedUrl = ShownUrl(url);
        child.intParent = intNode;
        child.intTopFrame = intNode == 0 ? static_cast<int>(lngFrame) : -1;
        child.intDepth = parent.intDepth + 1;
        const int intChild = static_cast<int>(m_loads.size());
        m_loads.push_back(std::move(child));
        m_loads[static_cast<size_t>(intNode)].children.push_back(intChild);
        m_waiting.push_back(intChild);
    }
}

bool BrowserEngine::IsAncestorUrl(int intNode, const QUrl& url) const
{
    const QUrl target = url.adjusted(QUrl::RemoveFragment);
    for (int intAt = intNode; intAt >= 0; intAt = m_loads[static_cast<size_t>(intAt)].intParent) {
        if (m_loads[static_cast<size_t>(intAt)].page.url.adjusted(QUrl::RemoveFragment) == target)
            return true;
    }
    return false;
}

// Reports, in document order, every document of the subtree whose own frames have all been
// reported; true when the whole subtree is.
bool BrowserEngine::ReportReady(int intNode)
{
    LoadNode& node = m_loads[static_cast<size_t>(intNode)];
    if (node.blnReported)
        return true;
    for (int intChild : node.children) {
        if (!ReportReady(intChild))
            return false;
    }
    if (!m_loads[static_cast<size_t>(intNode)].blnLoaded)
        return false;
    m_loads[static_cast<size_t>(intNode)].blnReported = true;
    QueueCompletion(m_loads[static_cast<size_t>(intNode)].page.strUrl, intNode == 0);
    return true;
}

void BrowserEngine::QueueCompletion(const QString& strUrl, bool blnTopLevel)
{
    const quint64 lngGeneration = m_lngGeneration;
    QMetaObject::invokeMethod(
        this,
        [this, lngGeneration, strUrl, blnTopLevel] {
            // A navigation started since then has replaced this document.
            if (lngGeneration != m_lngGeneration)
                return;
            const QPointer<BrowserEngine> self(this);
            NotifyDocumentComplete(strUrl);
            // The handler may have discarded this instance or navigated elsewhere.
            if (!self || lngGeneration != m_lngGeneration)
                return;
            Q_EMIT DocumentCompleted(strUrl);
            // The refresh is armed only after the handler has seen the page, so that even a
            // zero delay reports every load before the next one starts.
            if (blnTopLevel && lngGeneration == m_lngGeneration)
                ScheduleRefresh();
        },
        Qt::QueuedConnection);
}

void BrowserEngine::ScheduleRefresh()
{
    if (!m_top.document || !IsWebUrl(m_top.url))
        return;
    QString strContent;
    if (!m_top.refresh.isEmpty())
        strContent = QString::fromLatin1(m_top.refresh);
    else if (!m_top.document->MetaRefresh(&strContent))
        return;
    const RefreshDirective directive = ParseRefresh(strContent);
    if (!directive.blnValid)
        return;
    QUrl target = m_top.url;
    if (!directive.strUrl.isEmpty()) {
        const SplitUrl split
            = SplitUserInfo(DocumentBaseUrl(*m_top.document, m_top.url).resolved(QUrl(directive.strUrl)));
        m_credentials->Remember(split.url, split.credentials);
        target = split.url;
    }
    if (!IsWebUrl(target))
        return;
    m_refreshTarget = target;
    m_refreshTimer.start(std::max(directive.intDelaySeconds * 1000, m_limits.intMinRefreshDelayMs));
}

bool BrowserEngine::Submit(const LoadedPage& page, int intForm)
{
    if (!page.document || intForm < 0)
        return false;
    FormRequest form;
    if (!BuildFormRequest(*page.document, intForm, page.url, page.charset, &form))
        return false;
    const SplitUrl split = SplitUserInfo(form.url);
    m_credentials->Remember(split.url, split.credentials);
    FetchRequest request;
    request.url = split.url;
    request.verb = form.verb;
    request.body = form.body;
    request.contentType = form.contentType;
    request.referrer = page.url;
    CancelActivity();
    StartTopLoad(request, split.strShown);
    return true;
}

QString BrowserEngine::ElementValue(const QString& strId) const
{
    if (!m_top.document)
        return QString();
    const int intElement = m_top.document->ElementById(strId);
    return intElement < 0 ? QString() : m_top.document->ControlValue(intElement);
}

void BrowserEngine::SetElementValue(const QString& strId, const QString& strValue)
{
    if (!m_top.document)
        return;
    const int intElement = m_top.document->ElementById(strId);
    if (intElement >= 0)
        m_top.document->SetControlValue(intElement, strValue);
}

bool BrowserEngine::SubmitForm(const QString& strNameOrId)
{
    if (!m_top.document)
        return false;
    return Submit(m_top, m_top.document->FormByNameOrId(strNameOrId));
}

bool BrowserEngine::SubmitFrameForm(int intFrame)
{
    if (intFrame < 0 || intFrame >= static_cast<int>(m_frames.size()))
        return false;
    const LoadedPage& frame = m_frames[static_cast<size_t>(intFrame)];
    if (!frame.document)
        return false;
    const std::vector<int> forms = frame.document->ElementsByTag("form");
    if (forms.empty())
        return false;
    // The response replaces the top-level document, as when a form is submitted by name: the
    // run reads every later page from the top-level document.
    return Submit(frame, forms.front());
}

QString BrowserEngine::BodyText() const
{
    return m_top.document ? LayOutBodyText(*m_top.document) : QString();
}

QString BrowserEngine::BodyHtml() const
{
    return m_top.document ? SerializeBodyHtml(*m_top.document) : QString();
}

QString BrowserEngine::CurrentUrl() const
{
    return m_top.strUrl;
}

QString BrowserEngine::DocumentHtml() const
{
    return m_top.document ? SerializeDocument(*m_top.document) : QString();
}

bool BrowserEngine::IsLoading() const
{
    return !m_loads.empty();
}
