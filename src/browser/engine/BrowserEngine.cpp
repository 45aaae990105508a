#include "browser/engine/BrowserEngine.h"

#include "browser/document/BodyTextLayout.h"
#include "browser/document/DocumentBuilder.h"
#include "browser/document/FormSubmission.h"
#include "browser/document/HtmlDocument.h"
#include "browser/document/HtmlSerializer.h"
#include "browser/document/PageCharset.h"
#include "browser/engine/RefreshDirective.h"
#include "browser/scripts/ScriptEngine.h"
#include "browser/scripts/ScriptedDocument.h"
#include "browser/transfer/FetchSession.h"
#include "browser/transfer/PageFetch.h"
#include "browser/transfer/UrlCredentials.h"

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
        m_deadline = QDeadlineTimer(m_limits.intNavigationTimeoutMs);
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
    m_scriptedPages.clear();
    m_intScriptPhases = 0;
    m_blnScriptNavigation = false;
    for (PageFetch* fetch : m_scriptFetches)
        fetch->Discard();
    m_scriptFetches.clear();
    for (const std::shared_ptr<Prefetch>& prefetch : m_prefetches) {
        if (prefetch->fetch)
            prefetch->fetch->Discard();
        prefetch->fetch = nullptr;
    }
    m_prefetches.clear();
    m_waitingPrefetches.clear();
    m_intActivePrefetches = 0;
    m_awaited.reset();
    if (m_fetch)
        m_fetch->Discard();
    m_fetch = nullptr;
}

void BrowserEngine::Navigate(const QString& strUrl)
{
    CancelActivity();
    ReleaseScripts();
    m_intScriptNavigations = 0;
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
    m_deadline = QDeadlineTimer(m_limits.intNavigationTimeoutMs);
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
        // Every top-level page gets a script heap of its own, shared by its frames.
        ReleaseScripts();
        RunPageScripts(std::move(page), nullptr, [this](LoadedPage loaded) {
            m_top = loaded;
            m_frames.assign(loaded.document->FrameElements().size(), LoadedPage());
            m_intFramesLoaded = 0;
            PushLevel(std::move(loaded), FrameSlot());
            ContinueFrames();
        });
    });
}

void BrowserEngine::ReleaseScripts()
{
    m_top.scripted.reset();
    for (LoadedPage& frame : m_frames)
        frame.scripted.reset();
    m_scriptedPages.clear();
    m_scripts.reset();
}

std::shared_ptr<ScriptedDocument> BrowserEngine::MakeScripted(const LoadedPage& page)
{
    if (!m_scripts) {
        // The scripts' time counts against the navigation's bound like the loads' time does.
        ScriptLimits limits;
        limits.deadline = m_deadline;
        m_scripts = std::make_shared<ScriptEngine>(limits);
    }
    ScriptHost host;
    const quint64 lngGeneration = m_lngGeneration;
    host.fetch = [this, lngGeneration](const FetchRequest& request, ScriptHost::FetchDone done) {
        if (lngGeneration != m_lngGeneration)
            return;
        auto* fetch = new PageFetch(m_manager, m_limits, m_credentials);
        m_scriptFetches.push_back(fetch);
        FetchRequest bounded = request;
        bounded.deadline = m_deadline;
        connect(fetch, &PageFetch::Finished, this, [this, fetch, lngGeneration, done](const FetchResult& result) {
            m_scriptFetches.erase(
                std::remove(m_scriptFetches.begin(), m_scriptFetches.end(), fetch), m_scriptFetches.end());
            fetch->deleteLater();
            if (lngGeneration == m_lngGeneration)
                done(result);
        });
        fetch->Start(bounded);
    };
    host.navigate = [this, lngGeneration](ScriptedDocument* document, const FetchRequest& request) {
        // Taken up once the document's scripts have run (FollowScriptNavigation); the first one counts.
        if (lngGeneration != m_lngGeneration || m_blnScriptNavigation)
            return;
        m_blnScriptNavigation = true;
        m_scriptNavigation = request;
        m_scriptNavigationFrom = document;
    };
    host.cookies = m_manager->cookieJar();
    host.strUserAgent = UserAgent();
    // Released from the event loop: the last owner may let go while the document emits a signal.
    std::shared_ptr<ScriptedDocument> scripted(new ScriptedDocument(m_scripts, host, page.url, page.charset),
        [](ScriptedDocument* document) { document->deleteLater(); });
    // Every document of the page stays reachable by the others' scripts until the page completes.
    m_scriptedPages.push_back(scripted);
    return scripted;
}

ScriptedDocument* BrowserEngine::ScriptedLevel(size_t lngLevel)
{
    // A document without scripts of its own still gets a window when a frame's scripts need
    // it as their parent.
    FrameLevel& level = m_levels[lngLevel];
    if (!level.page.scripted) {
        level.page.scripted = MakeScripted(level.page);
        if (lngLevel > 0)
            level.page.scripted->SetParent(
                ScriptedLevel(lngLevel - 1), level.slot.intFrameInParent, level.slot.strName);
        level.page.scripted->Adopt(level.page.document);
    }
    return level.page.scripted.get();
}

void BrowserEngine::RunPageScripts(
    LoadedPage page, const FrameSlot* slot, std::function<void(LoadedPage page)> continuation)
{
    if (page.parsedSource.isEmpty()) {
        continuation(std::move(page));
        return;
    }
    std::shared_ptr<ScriptedDocument> scripted = MakeScripted(page);
    if (slot && !m_levels.empty())
        scripted->SetParent(ScriptedLevel(m_levels.size() - 1), slot->intFrameInParent, slot->strName);
    const quint64 lngGeneration = m_lngGeneration;
    ++m_intScriptPhases;
    auto state = std::make_shared<LoadedPage>(std::move(page));
    state->scripted = scripted;
    const std::shared_ptr<FrameSlot> frame = slot ? std::make_shared<FrameSlot>(*slot) : nullptr;
    connect(
        scripted.get(), &ScriptedDocument::Parsed, this,
        [this, lngGeneration, state, continuation, frame] {
            if (lngGeneration != m_lngGeneration)
                return;
            --m_intScriptPhases;
            state->document = state->scripted->Document();
            state->parsedSource.clear();
            if (FollowScriptNavigation(state->scripted.get(), frame.get()))
                return;
            continuation(*state);
        },
        Qt::SingleShotConnection);
    HtmlDocument parsed = std::move(*state->document);
    state->document = scripted->Document();
    QByteArray source = std::move(state->parsedSource);
    scripted->Load(std::move(parsed), std::move(source));
}

bool BrowserEngine::FollowScriptNavigation(const ScriptedDocument* frameDocument, const FrameSlot* slot)
{
    if (!m_blnScriptNavigation)
        return false;
    m_blnScriptNavigation = false;
    // Like redirects, navigations by scripts are bounded: past the limit the page completes as is.
    if (++m_intScriptNavigations > m_limits.intMaxRedirects)
        return false;
    const FetchRequest request = m_scriptNavigation;
    if (slot && frameDocument && m_scriptNavigationFrom == frameDocument && !m_levels.empty()) {
        StartFrameFetch(request, *slot);
        return true;
    }
    CancelActivity();
    StartTopLoad(request, ShownUrl(request.url));
    return true;
}

void BrowserEngine::StartFrameFetch(const FetchRequest& request, const FrameSlot& slot)
{
    const quint64 lngGeneration = m_lngGeneration;
    const QString strReportedUrl = ShownUrl(request.url);
    StartFetch(request);
    connect(
        m_fetch, &PageFetch::Finished, this, [this, lngGeneration, strReportedUrl, slot](const FetchResult& result) {
            if (lngGeneration != m_lngGeneration)
                return;
            m_fetch->deleteLater();
            m_fetch = nullptr;
            OnFrameFetched(result, strReportedUrl, slot);
        });
}

void BrowserEngine::StartFetch(const FetchRequest& request)
{
    FetchRequest bounded = request;
    bounded.deadline = m_deadline;
    m_fetch = new PageFetch(m_manager, m_limits, m_credentials);
    m_fetch->Start(bounded);
}

void BrowserEngine::StartPrefetches()
{
    while (!m_waitingPrefetches.empty() && m_intActivePrefetches < std::max(1, m_limits.intMaxParallelLoads)) {
        const std::shared_ptr<Prefetch> prefetch = m_waitingPrefetches.front();
        m_waitingPrefetches.pop_front();
        ++m_intActivePrefetches;
        prefetch->request.deadline = m_deadline;
        prefetch->fetch = new PageFetch(m_manager, m_limits, m_credentials);
        const quint64 lngGeneration = m_lngGeneration;
        const std::weak_ptr<Prefetch> weak = prefetch;
        connect(prefetch->fetch, &PageFetch::Finished, this, [this, lngGeneration, weak](const FetchResult& result) {
            const std::shared_ptr<Prefetch> done = weak.lock();
            if (lngGeneration != m_lngGeneration || !done)
                return;
            done->fetch->deleteLater();
            done->fetch = nullptr;
            done->result = result;
            done->blnDone = true;
            --m_intActivePrefetches;
            StartPrefetches();
            if (m_awaited == done) {
                m_awaited.reset();
                OnFrameFetched(done->result, done->strReportedUrl, m_awaitedSlot);
            }
        });
        prefetch->fetch->Start(prefetch->request);
    }
}

// The frame to be handled next: at once (from the event loop) when it has arrived, else when it
// arrives.
void BrowserEngine::AwaitFrame(const std::shared_ptr<Prefetch>& prefetch, const FrameSlot& slot)
{
    if (!prefetch->blnDone) {
        m_awaited = prefetch;
        m_awaitedSlot = slot;
        return;
    }
    const quint64 lngGeneration = m_lngGeneration;
    QMetaObject::invokeMethod(
        this,
        [this, lngGeneration, prefetch, slot] {
            if (lngGeneration == m_lngGeneration)
                OnFrameFetched(prefetch->result, prefetch->strReportedUrl, slot);
        },
        Qt::QueuedConnection);
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
    page.intStatus = result.intStatus;
    QByteArray source = DecodePageToUtf8(result.body, page.charset);
    // Plain text is shown as it is, as browsers do: in a <pre> (whose first line break the
    // parser drops, hence the one added).
    const bool blnPlainText = result.contentType.split(';').constFirst().trimmed().toLower() == "text/plain";
    if (blnPlainText)
        source = "<html><head></head><body><pre>\n" + QString::fromUtf8(source).toHtmlEscaped().toUtf8()
            + "</pre></body></html>";
    auto document = std::make_shared<HtmlDocument>();
    QByteArray parsed;
    if (!BuildHtmlDocument(source, document.get(), &parsed)) {
        // A page beyond what the parser may spend on it cannot be shown: it fails as a whole
        // rather than showing as an empty page.
        page.charset = QByteArrayLiteral("UTF-8");
        page.refresh.clear();
        page.intStatus = 0;
        page.document = ParsePage(ErrorPageHtml(false, QStringLiteral("the page is too large to show")));
        return page;
    }
    page.document = std::move(document);
    // The bytes are kept only for a page whose scripts are to run on them.
    if (!blnPlainText && ScriptedDocument::HasScripts(*page.document))
        page.parsedSource = std::move(parsed);
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

void BrowserEngine::PushLevel(LoadedPage page, const FrameSlot& slot)
{
    FrameLevel level;
    level.slot = slot;
    // Frames inside frames are loaded down to a fixed depth only.
    if (static_cast<int>(m_levels.size()) < m_limits.intMaxFrameDepth)
        level.frameUrls = FrameUrls(page);
    level.page = std::move(page);
    m_levels.push_back(std::move(level));

    // The frames that will load are fetched at once, side by side; they are handled in order.
    FrameLevel& pushed = m_levels.back();
    pushed.prefetches.resize(pushed.frameUrls.size());
    for (size_t lngFrame = 0; lngFrame < pushed.frameUrls.size(); ++lngFrame) {
        const QUrl& url = pushed.frameUrls[lngFrame];
        // A frame that would load a page holding it is not loaded again.
        if (!url.isValid() || IsAncestorUrl(url) || m_intFramesLoaded >= m_limits.intMaxFramesPerPage)
            continue;
        ++m_intFramesLoaded;
        auto prefetch = std::make_shared<Prefetch>();
        prefetch->request.url = url;
        prefetch->request.referrer = pushed.page.url;
        prefetch->strReportedUrl = ShownUrl(url);
        pushed.prefetches[lngFrame] = prefetch;
        m_prefetches.push_back(prefetch);
        m_waitingPrefetches.push_back(prefetch);
    }
    StartPrefetches();
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
            const std::shared_ptr<Prefetch> prefetch
                = lngFrame < level.prefetches.size() ? level.prefetches[lngFrame] : nullptr;
            if (!prefetch)
                continue;
            FrameSlot slot;
            slot.intTopFrame = m_levels.size() == 1 ? static_cast<int>(lngFrame) : -1;
            slot.intFrameInParent = static_cast<int>(lngFrame);
            const std::vector<int> frameElements = level.page.document->FrameElements();
            if (lngFrame < frameElements.size())
                slot.strName = level.page.document->AttributeValue(frameElements[lngFrame], QStringLiteral("name"));
            AwaitFrame(prefetch, slot);
            return;
        }
        // Its frames have loaded: now its load handlers, timers and replies.
        if (level.page.scripted && !level.blnSettling) {
            level.blnSettling = true;
            const quint64 lngGeneration = m_lngGeneration;
            connect(
                level.page.scripted.get(), &ScriptedDocument::Settled, this,
                [this, lngGeneration] {
                    if (lngGeneration != m_lngGeneration)
                        return;
                    // A frame that sends itself elsewhere from its load handler or a timer: the new
                    // page loads in its place, and the frame's level makes way for it.
                    if (m_levels.size() > 1 && m_blnScriptNavigation
                        && m_scriptNavigationFrom == m_levels.back().page.scripted.get()) {
                        const FrameSlot slot = m_levels.back().slot;
                        const ScriptedDocument* frameDocument = m_levels.back().page.scripted.get();
                        auto level = std::move(m_levels.back());
                        m_levels.pop_back();
                        if (FollowScriptNavigation(frameDocument, &slot))
                            return;
                        m_levels.push_back(std::move(level));
                    } else if (FollowScriptNavigation()) {
                        return;
                    }
                    ContinueFrames();
                },
                Qt::SingleShotConnection);
            level.page.scripted->Settle();
            return;
        }
        const QString strUrl = level.page.strUrl;
        m_levels.pop_back();
        if (m_levels.empty())
            ReleaseScripts();
        QueueCompletion(strUrl, m_levels.empty());
    }
}

void BrowserEngine::OnFrameFetched(const FetchResult& result, const QString& strReportedUrl, const FrameSlot& slot)
{
    LoadedPage page = BuildPage(result, strReportedUrl);
    RunPageScripts(std::move(page), &slot, [this, slot](LoadedPage loaded) {
        if (slot.intTopFrame >= 0 && slot.intTopFrame < static_cast<int>(m_frames.size())) {
            m_frames[static_cast<size_t>(slot.intTopFrame)] = loaded;
            m_frames[static_cast<size_t>(slot.intTopFrame)].scripted.reset();
        }
        PushLevel(std::move(loaded), slot);
        ContinueFrames();
    });
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
    m_strRefusedFormHost.clear();
    if (!page.document || intForm < 0)
        return false;
    FormRequest form;
    if (!BuildFormRequest(*page.document, intForm, page.url, page.charset, &form))
        return false;
    const SplitUrl split = SplitUserInfo(form.url);
    // A form bound for another host is not sent at all: the page stays as it is, and the caller
    // can tell why.
    m_strRefusedFormHost.clear();
    if (!FetchSession::Of(m_manager)->Allows(split.url)) {
        m_strRefusedFormHost = split.url.host();
        return false;
    }
    m_credentials->Remember(split.url, split.credentials);
    FetchRequest request;
    request.url = split.url;
    request.verb = form.verb;
    request.body = form.body;
    request.contentType = form.contentType;
    request.referrer = page.url;
    CancelActivity();
    m_deadline = QDeadlineTimer(m_limits.intNavigationTimeoutMs);
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
    m_strRefusedFormHost.clear();
    if (!m_top.document)
        return false;
    return Submit(m_top, m_top.document->FormByNameOrId(strNameOrId));
}

bool BrowserEngine::SubmitFrameForm(int intFrame)
{
    m_strRefusedFormHost.clear();
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

QString BrowserEngine::FrameUrl(int intFrame) const
{
    return intFrame >= 0 && intFrame < FrameCount() ? m_frames[static_cast<size_t>(intFrame)].url.toString()
                                                    : QString();
}

QString BrowserEngine::FrameBodyText(int intFrame) const
{
    const bool blnLoaded = intFrame >= 0 && intFrame < FrameCount() && m_frames[static_cast<size_t>(intFrame)].document;
    return blnLoaded ? LayOutBodyText(*m_frames[static_cast<size_t>(intFrame)].document) : QString();
}

QString BrowserEngine::FrameBodyHtml(int intFrame) const
{
    const bool blnLoaded = intFrame >= 0 && intFrame < FrameCount() && m_frames[static_cast<size_t>(intFrame)].document;
    return blnLoaded ? SerializeBodyHtml(*m_frames[static_cast<size_t>(intFrame)].document) : QString();
}

QString BrowserEngine::CurrentUrl() const
{
    return m_top.strUrl;
}

void BrowserEngine::SetAllowedHost(const QString& strHost)
{
    FetchSession::Of(m_manager)->SetAllowedHost(strHost);
}

QString BrowserEngine::DocumentHtml() const
{
    return m_top.document ? SerializeDocument(*m_top.document) : QString();
}

bool BrowserEngine::IsLoading() const
{
    return m_fetch != nullptr || !m_levels.empty() || m_intScriptPhases > 0;
}
