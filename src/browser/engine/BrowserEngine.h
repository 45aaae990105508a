#pragma once

#include "browser/transfer/BrowserLimits.h"
#include "browser/transfer/PageFetch.h"
#include "run/RouterBrowser.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

class CredentialStore;
class HtmlDocument;
class ScriptEngine;
class ScriptedDocument;
class QNetworkAccessManager;

// The headless browser that a run drives: HTTP/1.1 through libcurl (redirects, cookies, Basic
// and Digest authentication), pages parsed into our own small tree, the pages' own scripts run
// within fixed bounds (ScriptedDocument.h): a document completes after its scripts, its load
// handlers and its timers have run, so its text and HTML are those that the scripts left.
//
// One instance serves one run. Navigate() returns at once; every document that finishes loading
// - the frames of a frameset first, each after its own frames, then the top-level document - is
// reported once through the document-complete handler, always from the event loop. A document's
// frames are fetched side by side (a few connections at a time) as soon as it is known which
// they are, and are then handled - scripts and all - one after the other in document order, as
// before. A navigation, with its redirects, frames and the navigations its scripts make,
// completes within one total bound. A failed navigation completes with an error document under
// the address that failed, whose text holds "Action canceled" (or "DNS Error" when the name does
// not resolve). A new navigation cancels the load in flight and any pending refresh; nothing is
// ever retried.
class BrowserEngine : public QObject, public RouterBrowser
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BrowserEngine)

public:
    // manager may be nullptr: the engine then owns one (without any proxy). A caller's manager
    // stays the caller's; tests pass one that fails name lookups without asking any resolver.
    explicit BrowserEngine(QNetworkAccessManager* manager = nullptr, QObject* parent = nullptr);
    ~BrowserEngine() override;

    // The downloader shares it, so that the login's cookies and credentials reach the downloads.
    QNetworkAccessManager* NetworkManager() const;
    void SetLimits(const BrowserLimits& limits);
    const BrowserLimits& Limits() const { return m_limits; }

    void Navigate(const QString& strUrl) override;
    QString ElementValue(const QString& strId) const override;
    void SetElementValue(const QString& strId, const QString& strValue) override;
    bool SubmitForm(const QString& strNameOrId) override;
    bool SubmitFrameForm(int intFrame) override;
    QString BodyText() const override;
    QString BodyHtml() const override;
    QString CurrentUrl() const override;
    // The policy itself lives with the fetches of the engine's manager, so the downloader that
    // shares the manager is held to the same host.
    void SetAllowedHost(const QString& strHost) override;
    QString RefusedFormHost() const override { return m_strRefusedFormHost; }

    // The whole current top-level document as HTML, for the debug view.
    QString DocumentHtml() const;
    // The HTTP status of the current top-level page's answer; 0 when it did not load (an error
    // page stands in for it).
    int PageStatus() const { return m_top.intStatus; }
    // The top-level document's frames (frames and iframes together, in document order): how many
    // there are, and each one's address, body text and body HTML; empty for a frame that did not
    // load.
    int FrameCount() const { return static_cast<int>(m_frames.size()); }
    QString FrameUrl(int intFrame) const;
    QString FrameBodyText(int intFrame) const;
    QString FrameBodyHtml(int intFrame) const;
    // Whether a document or one of its frames is still loading.
    bool IsLoading() const;

Q_SIGNALS:
    // Every document-complete notification, after the handler has seen it (for the debug view).
    void DocumentCompleted(const QString& strUrl);

private:
    struct LoadedPage
    {
        QUrl url; // without user-info; empty for a page that never loaded
        QString strUrl; // as reported
        QByteArray charset;
        QByteArray refresh; // the Refresh header of its response
        int intStatus = 0; // of its response; 0 for an error page
        std::shared_ptr<HtmlDocument> document;
        QByteArray parsedSource; // what the document was parsed from, while its scripts are to run
        std::shared_ptr<ScriptedDocument> scripted;
    };

    // Where a frame's document goes: its number among the top-level document's frames (-1 below
    // the first level), its number and name in its parent.
    struct FrameSlot
    {
        int intTopFrame = -1;
        int intFrameInParent = 0;
        QString strName;
    };

    // A frame fetched ahead, while the documents before it are still being handled.
    struct Prefetch
    {
        FetchRequest request;
        QString strReportedUrl;
        PageFetch* fetch = nullptr;
        bool blnDone = false;
        FetchResult result;
    };

    // A document whose frames are being handled one after the other.
    struct FrameLevel
    {
        LoadedPage page;
        std::vector<QUrl> frameUrls; // invalid: nothing to load for that frame
        std::vector<std::shared_ptr<Prefetch>> prefetches; // by frame; none for a frame not loaded
        size_t lngNextFrame = 0;
        FrameSlot slot; // where its document went; the default one for the top-level document
        bool blnSettling = false; // its load handlers and timers have been started
    };

    void CancelActivity();
    void StartTopLoad(const FetchRequest& request, const QString& strReportedUrl);
    void StartFetch(const FetchRequest& request);
    void OnFrameFetched(const FetchResult& result, const QString& strReportedUrl, const FrameSlot& slot);
    void PushLevel(LoadedPage page, const FrameSlot& slot);
    void StartFrameFetch(const FetchRequest& request, const FrameSlot& slot);
    void StartPrefetches();
    void AwaitFrame(const std::shared_ptr<Prefetch>& prefetch, const FrameSlot& slot);
    // Runs the page's scripts while it is parsed (when it has any), then continues with the page.
    // slot: the frame the page loads into, nullptr for the top-level page.
    void RunPageScripts(LoadedPage page, const FrameSlot* slot, std::function<void(LoadedPage page)> continuation);
    ScriptedDocument* ScriptedLevel(size_t lngLevel);
    std::shared_ptr<ScriptedDocument> MakeScripted(const LoadedPage& page);
    // Follows a navigation that a script asked for: a frame whose own document (frameDocument)
    // navigates loads the new page in its place; any other navigation replaces the whole page.
    bool FollowScriptNavigation(const ScriptedDocument* frameDocument = nullptr, const FrameSlot* slot = nullptr);
    void ReleaseScripts();
    void ContinueFrames();
    bool IsAncestorUrl(const QUrl& url) const;
    void QueueCompletion(const QString& strUrl, bool blnTopLevel);
    void ScheduleRefresh();
    bool Submit(const LoadedPage& page, int intForm);
    LoadedPage BuildPage(const FetchResult& result, const QString& strReportedUrl) const;
    std::vector<QUrl> FrameUrls(const LoadedPage& page);

    QNetworkAccessManager* m_manager;
    bool m_blnOwnsManager;
    BrowserLimits m_limits;
    std::shared_ptr<CredentialStore> m_credentials;

    LoadedPage m_top;
    std::vector<LoadedPage> m_frames; // the top-level document's frames by number
    std::vector<FrameLevel> m_levels;
    int m_intFramesLoaded = 0;

    PageFetch* m_fetch = nullptr;
    std::vector<std::shared_ptr<Prefetch>> m_prefetches; // of the navigation under way
    std::deque<std::shared_ptr<Prefetch>> m_waitingPrefetches; // for a free connection
    int m_intActivePrefetches = 0;
    std::shared_ptr<Prefetch> m_awaited; // the frame to be handled next, not yet arrived
    FrameSlot m_awaitedSlot;
    QDeadlineTimer m_deadline; // the whole navigation: redirects, frames, script navigations
    std::vector<PageFetch*> m_scriptFetches; // external scripts and requests of the pages' scripts
    std::shared_ptr<ScriptEngine> m_scripts; // the script heap of the current top-level page
    std::vector<std::shared_ptr<ScriptedDocument>> m_scriptedPages; // its documents with a window
    int m_intScriptPhases = 0; // pages whose scripts are running
    bool m_blnScriptNavigation = false;
    FetchRequest m_scriptNavigation;
    const ScriptedDocument* m_scriptNavigationFrom = nullptr;
    int m_intScriptNavigations = 0; // navigations made by scripts since the last Navigate()
    quint64 m_lngGeneration = 0; // counts navigations; late results of an earlier one are dropped
    QTimer m_refreshTimer;
    QUrl m_refreshTarget;
    QString m_strRefusedFormHost;
};
