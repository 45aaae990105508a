#pragma once

#include "browser/document/HtmlDocument.h"
#include "browser/scripts/ScriptEngine.h"
#include "browser/transfer/PageFetch.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

class QNetworkCookieJar;
class ScriptedDocument;

// What a document's scripts may ask of the browser: loads through its fetch path (and so its
// bounds), its cookies, and navigation.
struct ScriptHost
{
    using FetchDone = std::function<void(const FetchResult& result)>;
    std::function<void(const FetchRequest& request, FetchDone done)> fetch;
    std::function<void(ScriptedDocument* document, const FetchRequest& request)> navigate;
    QNetworkCookieJar* cookies = nullptr;
    QString strUserAgent;
};

// A document whose own scripts run while it is parsed, as in a browser: inline and external
// scripts in document order, then DOMContentLoaded; and once its frames have loaded, the load
// handlers, the timers due within a second and the replies to its XMLHttpRequests.
//
// Scripts see a document object model of their own window (ScriptDom.cpp, served by the native
// functions of ScriptedDocument.cpp) over the tree that this class keeps: the tree as parsed up to
// the running script, with the changes that scripts made.
//
// document.write: the parser here (gumbo) takes a whole page at once and cannot be paused at a
// script. So the written markup is spliced into the page's source right after the end tag of the
// script that wrote it, and whenever a script next looks at the document the spliced source is
// parsed again. The nodes of the new parse that come from markup before the running script's end
// were made by the earlier parses too - the source up to there has not changed - and are known by
// their source offset; the others are added to the tree at their place. So what earlier scripts
// changed stays changed, and the nodes after a script do not exist while it runs. The next
// script is searched for from the splice point on, so a written script runs next.
class ScriptedDocument : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ScriptedDocument)

public:
    // Bounds of one document, beside the engine's time and heap bounds.
    static constexpr int intMaxScripts = 2000; // scripts run while parsing
    static constexpr qint64 lngMaxWrittenBytes = 8 * 1024 * 1024;
    static constexpr int intMaxRequests = 32; // XMLHttpRequests sent
    static constexpr int intSettleMs = 1000; // timers due this long after the load still run
    static constexpr int intMaxTimerRuns = 200;
    // The parser's share: source parsed again after writes, and source moved to make room for them.
    static constexpr qint64 lngMaxReparsedBytes = 16 * 1024 * 1024;
    static constexpr qint64 lngMaxMovedBytes = qint64(1024) * 1024 * 1024;

    ScriptedDocument(std::shared_ptr<ScriptEngine> engine, ScriptHost host, const QUrl& url, const QByteArray& charset,
        QObject* parent = nullptr);
    ~ScriptedDocument() override;

    // Runs the scripts of a freshly parsed page: parsed is the parse of source (the bytes that
    // BuildHtmlDocumentFromUtf8 left). Parsed() follows from the event loop.
    void Load(HtmlDocument parsed, QByteArray source);
    // Serves an already complete document to the scripts of its frames; runs none of its own.
    void Adopt(std::shared_ptr<HtmlDocument> document);
    // Load handlers, timers and replies; Settled() follows from the event loop.
    void Settle();

    std::shared_ptr<HtmlDocument> Document() const { return m_document; }
    int Window() const { return m_intWindow; }
    const QUrl& Url() const { return m_url; }
    // Before Load or Adopt: the document is frame number intFrame (named strName) of parent, whose
    // window its scripts reach as parent.
    void SetParent(ScriptedDocument* parent, int intFrame, const QString& strName);
    // Script errors, for the debug view and the tests.
    const QStringList& Errors() const { return m_errors; }
    // Whether scripts of this document were stopped by a bound.
    bool WasStopped() const { return m_blnStopped; }
    // True when the page holds anything a script would run from.
    static bool HasScripts(const HtmlDocument& document);

Q_SIGNALS:
    void Parsed();
    void Settled();

private:
    // Parsing: from Load until the page's scripts have run (the tree is the parse up to the
    // running script, and what scripts write goes into the source).
    enum class Phase : quint8 { Idle, Parsing, Parsed, Settling, Settled };

    bool OpenWindow();
    void DefineNatives();
    bool CanRunScripts();
    void NoteBounds();
    void BuildIndex();
    void RunTimers();
    // blnReload: the page itself again, even when only a fragment would differ.
    void Navigate(const QString& strUrl, bool blnReload = false);
    void ContinueParsing();
    void RunScript(const QString& strCode, const QString& strName);
    void FinishParsing();
    void ContinueSettling();
    void Report(const QString& strError);
    void EmitLater(void (ScriptedDocument::*signal)());

    // The tree as scripts see it, parsed up to the running script.
    HtmlDocument& Dom();
    void Reparse();
    void MergeUpTo(int intLimit);
    int MapParsedNode(int intParsed);
    int NodeOf(const ScriptValue& value);
    void AppendMarkup(int intParent, const QString& strHtml);
    int CopyInto(const HtmlDocument& from, int intFrom, int intParent, int intBefore);
    // Serial numbers of the controls of a form (intRoot) named or with the id strName, or of the
    // document's (intRoot 0) forms and images named strName; in document order.
    const std::vector<int>& NamedLookup(int intRoot, const QString& strName);
    void SetAttribute(int intNode, const QString& strName, const QString& strValue);
    void RemoveAttribute(int intNode, const QString& strName);
    void DetachChildren(int intNode);
    // Replaces the element's children with one text node.
    void SetText(int intNode, const QString& strText);
    void SetControlValue(int intNode, const QString& strValue);
    void SetChecked(int intNode, bool blnChecked);
    void SelectOption(int intSelect, int intOption, bool blnSelected);
    void XhrSend(const ScriptArgs& args);

    std::shared_ptr<ScriptEngine> m_engine;
    ScriptHost m_host;
    QUrl m_url;
    QUrl m_baseUrl;
    QByteArray m_charset;
    ScriptedDocument* m_parent = nullptr;
    int m_intFrame = 0;
    QString m_strName;
    bool m_blnNavigating = false;
    int m_intWindow = -1;
    Phase m_phase = Phase::Idle;
    std::shared_ptr<HtmlDocument> m_document;

    // Parsing with scripts: the source with the writes so far, its latest parse and what of it
    // the tree holds.
    QByteArray m_source;
    HtmlDocument m_parsed;
    std::vector<int> m_byOffset; // the parse's nodes ordered by offset (then document order)
    std::vector<qint64> m_keys; // the parse's node keys: offset and rank among its offset's nodes
    QHash<qint64, int> m_serialOfKey; // tree nodes made by the parser, by key
    bool m_blnStale = false; // the source changed since m_parsed
    int m_intMerged = 0; // nodes from markup before this offset are in the tree
    int m_intLimit = 0; // the end of the running script
    qsizetype m_lngPos = 0; // where the search for the next script goes on
    QString m_strWritten; // written by the running script
    qint64 m_lngWrittenBytes = 0;
    qint64 m_lngReparsedBytes = 0;
    qint64 m_lngMovedBytes = 0;
    int m_intScriptsRun = 0;

    int m_intRequests = 0;
    int m_intPendingRequests = 0;
    bool m_blnStopped = false;
    QStringList m_errors;
    std::shared_ptr<bool> m_alive; // guards fetch callbacks against a deleted document

    // Lookups by name, by the serial number of their form (0: the document's), for one version.
    struct NameIndex
    {
        quint64 lngVersion = 0;
        QHash<QString, std::vector<int>> serials;
    };
    std::unordered_map<int, NameIndex> m_nameIndexes;
};
