#pragma once

#include "browser/BrowserLimits.h"
#include "browser/PageFetch.h"
#include "run/RouterBrowser.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <deque>
#include <memory>
#include <vector>

class CredentialStore;
class HtmlDocument;
class QNetworkAccessManager;

// The headless browser that a run drives: HTTP/1.1 through Qt Network (redirects, cookies, Basic
// and Digest authentication), pages parsed into our own small tree, no script executed.
//
// One instance serves one run. Navigate() returns at once; every document that finishes loading
// - the frames of a frameset first, each after its own frames, then the top-level document - is
// reported once through the document-complete handler, always from the event loop. Frames load
// side by side (a few connections at a time) but are reported in document order. A navigation,
// with its redirects and frames, completes within one total bound. A failed navigation
// completes with an error document under the address that failed, whose text holds "Action
// canceled" (or "DNS Error" when the name does not resolve). A new navigation cancels the load
// in flight and any pending refresh; nothing is ever retried.
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

    // The whole current top-level document as HTML, for the debug view.
    QString DocumentHtml() const;
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
        std::shared_ptr<HtmlDocument> document;
    };

    // One document of the navigation under way: the top-level document (node 0) or a frame.
    // A node's frames are loaded side by side, a few at a time.
    struct LoadNode
    {
        FetchRequest request;
        QString strReportedUrl;
        int intParent = -1;
        int intTopFrame = -1; // its number among the top-level document's frames, -1 for others
        int intDepth = 0; // frame levels below the top-level document
        std::vector<int> children; // in document order
        LoadedPage page;
        PageFetch* fetch = nullptr;
        bool blnLoaded = false;
        bool blnReported = false;
    };

    void CancelActivity();
    void StartTopLoad(const FetchRequest& request, const QString& strReportedUrl);
    void StartWaitingLoads();
    void OnLoaded(int intNode, const FetchResult& result);
    void AddFrameLoads(int intNode);
    bool IsAncestorUrl(int intNode, const QUrl& url) const;
    bool ReportReady(int intNode);
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
    std::vector<LoadNode> m_loads; // the navigation under way, empty once it has completed
    std::deque<int> m_waiting; // loads waiting for a connection
    int m_intActiveLoads = 0;
    int m_intFramesLoaded = 0;
    QDeadlineTimer m_deadline; // the whole navigation, frames and redirects included

    quint64 m_lngGeneration = 0; // counts navigations; late results of an earlier one are dropped
    QTimer m_refreshTimer;
    QUrl m_refreshTarget;
};
