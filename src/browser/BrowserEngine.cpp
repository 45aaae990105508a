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
    m_levels.clear();
    if (m_fetch) {
        m_fetch->disconnect(this);
        m_fetch->Abort();
        m_fetch->deleteLater();
        m_fetch = nullptr;
    }
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
    const quint64 lngGeneration = m_lngGeneration;
    StartFetch(request);
    connect(m_fetch, &PageFetch::Finished, this, [this, lngGeneration, strReportedUrl](const FetchResult& result) {
        if (lngGeneration != m_lngGeneration)
            return;
        LoadedPage page = BuildPage(result, strReportedUrl);
        m_fetch->deleteLater();
        m_fetch = nullptr;
        m_top = page;
        m_frames.assign(page.document->FrameElements().size(), LoadedPage());
        m_intFramesLoaded = 0;
        PushLevel(std::move(page), -1);
        ContinueFrames();
    });
}

void BrowserEngine::StartFetch(const FetchRequest& request)
{
    m_fetch = new PageFetch(m_manager, m_limits, m_credentials);
    m_fetch->Start(request);
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
    QString strSource = DecodePage(result.body, page.charset);
    // Plain text is shown as it is, as browsers do: in a <pre> (whose first line break the
    // parser drops, hence the one added).
    if (result.contentType.split(';').constFirst().trimmed().toLower() == "text/plain")
        strSource = QStringLiteral("<html><head></head><body><pre>\n") + strSource.toHtmlEscaped()
            + QStringLiteral("</pre></body></html>");
    page.document = ParsePage(strSource);
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

void BrowserEngine::PushLevel(LoadedPage page, int intTopFrame)
{
    FrameLevel level;
    // Frames inside frames are loaded down to a fixed depth only.
    if (static_cast<int>(m_levels.size()) < m_limits.intMaxFrameDepth)
        level.frameUrls = FrameUrls(page);
    level.page = std::move(page);
    level.intTopFrame = intTopFrame;
    m_levels.push_back(std::move(level));
}

bool BrowserEngine::IsAncestorUrl(const QUrl& url) const
{
    const QUrl target = url.adjusted(QUrl::RemoveFragment);
    for (const FrameLevel& level : m_levels) {
        if (level.page.url.adjusted(QUrl::RemoveFragment) == target)
            return true;
    }
    return false;
}

void BrowserEngine::ContinueFrames()
{
    while (!m_levels.empty()) {
        FrameLevel& level = m_levels.back();
        while (level.lngNextFrame < level.frameUrls.size()) {
            const size_t lngFrame = level.lngNextFrame++;
            const QUrl url = level.frameUrls[lngFrame];
            // A frame that would load a page holding it is not loaded again.
            if (!url.isValid() || IsAncestorUrl(url) || m_intFramesLoaded >= m_limits.intMaxFramesPerPage)
                continue;
            ++m_intFramesLoaded;
            const int intTopFrame = m_levels.size() == 1 ? static_cast<int>(lngFrame) : -1;
            const quint64 lngGeneration = m_lngGeneration;
            const QString strReportedUrl = ShownUrl(url);
            FetchRequest request;
            request.url = url;
            request.referrer = level.page.url;
            StartFetch(request);
            connect(m_fetch, &PageFetch::Finished, this,
                [this, lngGeneration, intTopFrame, strReportedUrl](const FetchResult& result) {
                    if (lngGeneration == m_lngGeneration)
                        OnFrameFetched(result, intTopFrame, strReportedUrl);
                });
            return;
        }
        const QString strUrl = level.page.strUrl;
        m_levels.pop_back();
        QueueCompletion(strUrl, m_levels.empty());
    }
}

void BrowserEngine::OnFrameFetched(const FetchResult& result, int intTopFrame, const QString& strReportedUrl)
{
    m_fetch->deleteLater();
    m_fetch = nullptr;
    LoadedPage page = BuildPage(result, strReportedUrl);
    if (intTopFrame >= 0 && intTopFrame < static_cast<int>(m_frames.size()))
        m_frames[static_cast<size_t>(intTopFrame)] = page;
    PushLevel(std::move(page), intTopFrame);
    ContinueFrames();
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
    return m_fetch != nullptr || !m_levels.empty();
}
