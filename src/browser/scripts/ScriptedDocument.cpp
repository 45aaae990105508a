#include "browser/scripts/ScriptedDocument.h"

#include "browser/document/BodyTextLayout.h"
#include "browser/document/DocumentBuilder.h"
#include "browser/document/FormSubmission.h"
#include "browser/document/HtmlSerializer.h"
#include "browser/document/MarkupScanner.h"
#include "browser/document/PageCharset.h"
#include "browser/scripts/ScriptDom.h"

#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QRegularExpression>
#include <QTimer>
#include <algorithm>
#include <limits>

namespace
{
constexpr int kNoNode = -1;

// Only script in the language the interpreter speaks runs; other languages are skipped.
bool IsRunnableScript(const QString& strType, const QString& strLanguage)
{
    const QString strKind = strType.trimmed().toLower();
    if (!strKind.isEmpty()) {
        static const char* const kTypes[] = { "text/javascript", "application/javascript", "text/ecmascript",
            "application/ecmascript", "application/x-javascript", "text/jscript", "text/livescript",
            "text/javascript1.0", "text/javascript1.1", "text/javascript1.2", "text/javascript1.3",
            "text/javascript1.4", "text/javascript1.5" };
        const QString strBare = strKind.section(QLatin1Char(';'), 0, 0).trimmed();
        return std::any_of(std::begin(kTypes), std::end(kTypes),
            [&](const char* strKnown) { return strBare == QLatin1String(strKnown); });
    }
    const QString strLang = strLanguage.trimmed().toLower();
    return strLang.isEmpty() || strLang.startsWith(QLatin1String("javascript")) || strLang == QLatin1String("jscript")
        || strLang == QLatin1String("ecmascript") || strLang == QLatin1String("livescript");
}

// Script text as old pages wrote it, hidden from browsers without scripts in a comment: the
// opening "<!--" line and a closing "-->" line are no script.
QString StripCommentHiding(QString strCode)
{
    const qsizetype lngStart = strCode.indexOf(QLatin1String("<!--"));
    if (lngStart >= 0 && strCode.left(lngStart).trimmed().isEmpty()) {
        const qsizetype lngLineEnd = strCode.indexOf(QLatin1Char('\n'), lngStart);
        strCode = lngLineEnd < 0 ? QString() : strCode.mid(lngLineEnd + 1);
    }
    const qsizetype lngClose = strCode.lastIndexOf(QLatin1String("-->"));
    if (lngClose >= 0 && strCode.mid(lngClose + 3).trimmed().isEmpty()) {
        const qsizetype lngLineStart = strCode.lastIndexOf(QLatin1Char('\n'), lngClose);
        strCode.truncate(lngLineStart < 0 ? 0 : lngLineStart);
    }
    return strCode;
}

struct FoundScript
{
    qsizetype lngContentBegin = 0;
    qsizetype lngContentEnd = 0;
    qsizetype lngEnd = 0;
    QString strType;
    QString strLanguage;
    QString strSource;
    QByteArray charset;
};

// The next script element of the source from lngFrom on, found the way the tokenizer finds it.
bool FindScript(const QByteArray& source, qsizetype lngFrom, FoundScript* found)
{
    const QByteArray tail = QByteArray::fromRawData(source.constData() + lngFrom, source.size() - lngFrom);
    MarkupScanner scanner(tail, true);
    MarkupToken token;
    while (scanner.Next(&token)) {
        if (token.kind != MarkupToken::Kind::StartTag || token.strName != "script")
            continue;
        *found = FoundScript();
        for (const auto& [name, value] : token.attributes) {
            if (name == "type")
                found->strType = QString::fromUtf8(value);
            else if (name == "language")
                found->strLanguage = QString::fromUtf8(value);
            else if (name == "src")
                found->strSource = QString::fromUtf8(value).trimmed();
            else if (name == "charset")
                found->charset = value.trimmed();
        }
        found->lngContentBegin = lngFrom + token.lngEnd;
        found->lngContentEnd = source.size();
        found->lngEnd = source.size();
        while (scanner.Next(&token)) {
            if (token.kind == MarkupToken::Kind::EndTag && token.strName == "script") {
                found->lngContentEnd = lngFrom + token.lngBegin;
                found->lngEnd = lngFrom + token.lngEnd;
                break;
            }
        }
        return true;
    }
    return false;
}

HtmlNode CopyOfNode(const HtmlNode& node)
{
    HtmlNode copy;
    copy.kind = node.kind;
    copy.strTag = node.strTag;
    copy.strText = node.strText;
    copy.attributes = node.attributes;
    copy.intSourceOffset = node.intSourceOffset;
    copy.intParseOffset = node.intParseOffset;
    return copy;
}

int NearestAncestor(const HtmlDocument& document, int intNode, const char* strTag)
{
    for (int intAncestor = document.Node(intNode).intParent; intAncestor >= 0;
         intAncestor = document.Node(intAncestor).intParent) {
        if (document.IsElement(intAncestor, strTag))
            return intAncestor;
    }
    return kNoNode;
}

QString UrlPart(const QUrl& url, const QString& strPart)
{
    if (strPart == QLatin1String("protocol"))
        return url.scheme() + QLatin1Char(':');
    if (strPart == QLatin1String("hostname"))
        return url.host();
    if (strPart == QLatin1String("port"))
        return url.port() < 0 ? QString() : QString::number(url.port());
    if (strPart == QLatin1String("host"))
        return url.port() < 0 ? url.host() : url.host() + QLatin1Char(':') + QString::number(url.port());
    if (strPart == QLatin1String("pathname"))
        return url.path(QUrl::FullyEncoded).isEmpty() ? QStringLiteral("/") : url.path(QUrl::FullyEncoded);
    if (strPart == QLatin1String("search"))
        return url.hasQuery() ? QLatin1Char('?') + url.query(QUrl::FullyEncoded) : QString();
    if (strPart == QLatin1String("hash"))
        return url.hasFragment() ? QLatin1Char('#') + url.fragment(QUrl::FullyEncoded) : QString();
    return QString();
}

// Text as a string literal of the scripts' language.
QString Quoted(const QString& strText)
{
    QString strOut = QStringLiteral("\"");
    for (const QChar chr : strText) {
        if (chr == QLatin1Char('"') || chr == QLatin1Char('\\'))
            strOut += QLatin1Char('\\') + QString(chr);
        else if (chr.unicode() < 0x20)
            strOut += QStringLiteral("\\u%1").arg(chr.unicode(), 4, 16, QLatin1Char('0'));
        else
            strOut += chr;
    }
    return strOut + QLatin1Char('"');
}

// A copy of the node - with its subtree when blnDeep - as the only child of a document of its own.
HtmlDocument CopyOfSubtree(const HtmlDocument& document, int intNode, bool blnDeep)
{
    HtmlDocument copy;
    std::vector<int> made;
    const int intEnd = blnDeep ? document.SubtreeEnd(intNode) : intNode + 1;
    for (int intEach = intNode; intEach < intEnd; ++intEach) {
        const int intParent = intEach == intNode
            ? HtmlDocument::intDocumentNode
            : made[static_cast<size_t>(document.Node(intEach).intParent - intNode)];
        made.push_back(copy.AppendNode(CopyOfNode(document.Node(intEach)), intParent));
    }
    return copy;
}

ScriptValue Serials(const HtmlDocument& document, const std::vector<int>& nodes)
{
    std::vector<double> serials;
    serials.reserve(nodes.size());
    for (int intNode : nodes)
        serials.push_back(document.Node(intNode).intSerial);
    return ScriptValue::List(std::move(serials));
}

// Attributes that lookups by name go by.
bool IsLookupAttribute(const QString& strName)
{
    return strName == QLatin1String("name") || strName == QLatin1String("id");
}
} // namespace

ScriptedDocument::ScriptedDocument(
    std::shared_ptr<ScriptEngine> engine, ScriptHost host, const QUrl& url, const QByteArray& charset, QObject* parent)
    : QObject(parent)
    , m_engine(std::move(engine))
    , m_host(std::move(host))
    , m_url(url)
    , m_charset(charset)
    , m_document(std::make_shared<HtmlDocument>())
    , m_alive(std::make_shared<bool>(true))
{ }

ScriptedDocument::~ScriptedDocument()
{
    *m_alive = false;
}

bool ScriptedDocument::HasScripts(const HtmlDocument& document)
{
    const int intEnd = document.AttachedEnd();
    for (int intNode = 0; intNode < intEnd; ++intNode) {
        if (document.IsElement(intNode, "script"))
            return true;
    }
    const int intBody = document.BodyElement();
    return intBody >= 0 && document.HasAttribute(intBody, QStringLiteral("onload"));
}

void ScriptedDocument::SetParent(ScriptedDocument* parent, int intFrame, const QString& strName)
{
    m_parent = parent;
    m_intFrame = intFrame;
    m_strName = strName;
}

bool ScriptedDocument::OpenWindow()
{
    m_intWindow = m_engine->CreateWindow();
    if (m_intWindow < 0)
        return false;
    DefineNatives();
    if (m_parent && m_parent->m_intWindow >= 0) {
        m_engine->LinkWindow(m_intWindow, QString(), QStringLiteral("__qParentWindow"), m_parent->m_intWindow);
        m_engine->LinkWindow(m_parent->m_intWindow, QStringLiteral("frames"), QString::number(m_intFrame), m_intWindow);
        if (!m_strName.isEmpty())
            m_engine->LinkWindow(m_parent->m_intWindow, QStringLiteral("frames"), m_strName, m_intWindow);
    }
    QString strError;
    ScriptEngine::ProvideCompiledOwnCode(kScriptDomSource, kScriptDomCompiled, kScriptDomCompiledSize);
    if (!m_engine->EvaluateOwnCode(m_intWindow, kScriptDomSource, QStringLiteral("dom"), &strError)) {
        Report(strError);
        return false;
    }
    if (!m_strName.isEmpty())
        m_engine->Evaluate(m_intWindow, QStringLiteral("window.name = %1;").arg(Quoted(m_strName)), QString());
    return true;
}

void ScriptedDocument::Load(HtmlDocument parsed, QByteArray source)
{
    m_baseUrl = DocumentBaseUrl(parsed, m_url);
    m_source = std::move(source);
    m_parsed = std::move(parsed);
    BuildIndex();
    m_phase = Phase::Parsing;
    if (!OpenWindow())
        m_blnStopped = true;
    ContinueParsing();
}

void ScriptedDocument::Adopt(std::shared_ptr<HtmlDocument> document)
{
    m_document = std::move(document);
    m_baseUrl = DocumentBaseUrl(*m_document, m_url);
    m_phase = Phase::Parsed;
    OpenWindow();
}

void ScriptedDocument::EmitLater(void (ScriptedDocument::*signal)())
{
    QTimer::singleShot(0, this, [this, signal] { Q_EMIT(this->*signal)(); });
}

void ScriptedDocument::Report(const QString& strError)
{
    if (m_errors.size() < 100)
        m_errors.append(strError);
}

void ScriptedDocument::NoteBounds()
{
    if (!m_engine->IsAlive() || m_intWindow < 0 || m_engine->IsOutOfTime(m_intWindow))
        m_blnStopped = true;
}

bool ScriptedDocument::CanRunScripts()
{
    if (m_blnNavigating)
        return false;
    if (!m_engine->IsAlive() || m_intWindow < 0 || m_engine->IsOutOfTime(m_intWindow)
        || m_intScriptsRun >= intMaxScripts || m_lngWrittenBytes > lngMaxWrittenBytes
        || m_lngReparsedBytes > lngMaxReparsedBytes || m_lngMovedBytes > lngMaxMovedBytes) {
        m_blnStopped = true;
        return false;
    }
    return true;
}

void ScriptedDocument::ContinueParsing()
{
    FoundScript found;
    while (CanRunScripts() && FindScript(m_source, m_lngPos, &found)) {
        m_lngPos = found.lngEnd;
        m_intLimit = static_cast<int>(std::min<qsizetype>(found.lngEnd, std::numeric_limits<int>::max()));
        if (!IsRunnableScript(found.strType, found.strLanguage))
            continue;
        if (!found.strSource.isEmpty()) {
            const QUrl url = m_baseUrl.resolved(QUrl(found.strSource));
            if (!IsWebUrl(url) || !m_host.fetch)
                continue;
            // The parser waits for the file, as a browser's does.
            FetchRequest request;
            request.url = url.adjusted(QUrl::RemoveUserInfo | QUrl::RemoveFragment);
            request.referrer = m_url;
            const std::weak_ptr<bool> alive = m_alive;
            const QByteArray charset = found.charset;
            m_host.fetch(request, [this, alive, charset, url](const FetchResult& result) {
                if (alive.expired() || !*alive.lock())
                    return;
                if (result.outcome == FetchResult::Outcome::Response && result.intStatus >= 200
                    && result.intStatus < 300) {
                    QByteArray chosen = CanonicalCharset(charset);
                    if (chosen.isEmpty())
                        chosen = CharsetFromContentType(result.contentType);
                    if (chosen.isEmpty())
                        chosen = m_charset;
                    if (CanRunScripts())
                        RunScript(DecodePage(result.body, chosen), url.toString());
                }
                ContinueParsing();
            });
            return;
        }
        const QString strCode = QString::fromUtf8(
            m_source.constData() + found.lngContentBegin, found.lngContentEnd - found.lngContentBegin);
        RunScript(StripCommentHiding(strCode), m_url.toString());
    }
    FinishParsing();
}

void ScriptedDocument::RunScript(const QString& strCode, const QString& strName)
{
    ++m_intScriptsRun;
    m_strWritten.clear();
    QString strError;
    if (!m_engine->Evaluate(m_intWindow, strCode, strName, &strError))
        Report(strError);
    NoteBounds();
    if (m_strWritten.isEmpty())
        return;
    const QByteArray written = m_strWritten.toUtf8();
    m_strWritten.clear();
    m_lngWrittenBytes += written.size();
    if (m_lngWrittenBytes > lngMaxWrittenBytes)
        return;
    m_lngMovedBytes += m_source.size() - m_lngPos;
    m_source.insert(m_lngPos, written);
    m_blnStale = true;
}

void ScriptedDocument::FinishParsing()
{
    if (m_blnStale)
        Reparse();
    if (m_intMerged == 0 && m_document->NodeCount() == 1) {
        // No script has looked at the tree or made a node of its own while the page was parsed:
        // the tree is the parse as it stands, taken whole instead of node by node.
        *m_document = std::move(m_parsed);
    } else {
        MergeUpTo(std::numeric_limits<int>::max());
        m_document->SetFormEndOffsets(m_parsed.FormEndOffsets());
    }
    m_document->Renumber();
    m_phase = Phase::Parsed;
    m_source = QByteArray();
    m_parsed = HtmlDocument();
    m_byOffset = std::vector<int>();
    m_keys = std::vector<qint64>();
    m_serialOfKey = QHash<qint64, int>();
    if (CanRunScripts()) {
        QString strError;
        if (!m_engine->Call(m_intWindow, "__qContentLoaded", {}, nullptr, &strError))
            Report(strError);
    }
    m_document->Renumber();
    EmitLater(&ScriptedDocument::Parsed);
}

void ScriptedDocument::Settle()
{
    m_phase = Phase::Settling;
    if (CanRunScripts()) {
        HtmlDocument& document = Dom();
        const int intBody = document.BodyElement();
        ScriptArgs args;
        if (intBody >= 0 && document.HasAttribute(intBody, QStringLiteral("onload")))
            args.push_back(ScriptValue::String(document.AttributeValue(intBody, QStringLiteral("onload"))));
        QString strError;
        if (!m_engine->Call(m_intWindow, "__qLoad", args, nullptr, &strError))
            Report(strError);
        NoteBounds();
        RunTimers();
    }
    ContinueSettling();
}

void ScriptedDocument::RunTimers()
{
    if (!CanRunScripts())
        return;
    QString strError;
    if (!m_engine->Call(m_intWindow, "__qRunTimers",
            { ScriptValue::Number(intSettleMs), ScriptValue::Number(intMaxTimerRuns) }, nullptr, &strError))
        Report(strError);
    NoteBounds();
}

void ScriptedDocument::ContinueSettling()
{
    if (m_phase != Phase::Settling)
        return;
    if (m_intPendingRequests > 0 && CanRunScripts())
        return;
    m_document->Renumber();
    m_phase = Phase::Settled;
    EmitLater(&ScriptedDocument::Settled);
}

// ---- The tree while it is parsed ----

void ScriptedDocument::BuildIndex()
{
    const int intCount = m_parsed.NodeCount();
    m_byOffset.clear();
    m_byOffset.reserve(static_cast<size_t>(intCount));
    for (int intNode = 1; intNode < intCount; ++intNode)
        m_byOffset.push_back(intNode);
    auto offsetOf = [this](int intNode) { return std::max(0, m_parsed.Node(intNode).intParseOffset); };
    std::stable_sort(m_byOffset.begin(), m_byOffset.end(),
        [&](int intLeft, int intRight) { return offsetOf(intLeft) < offsetOf(intRight); });
    // A node's key: the offset of the markup that made it and its rank among the nodes made
    // there. The source before the running script never changes, and neither do these keys.
    m_keys.assign(static_cast<size_t>(intCount), -1);
    int intRank = 0;
    for (size_t lngAt = 0; lngAt < m_byOffset.size(); ++lngAt) {
        const int intNode = m_byOffset[lngAt];
        intRank = lngAt > 0 && offsetOf(m_byOffset[lngAt - 1]) == offsetOf(intNode) ? intRank + 1 : 0;
        m_keys[static_cast<size_t>(intNode)] = qint64(offsetOf(intNode)) * 64 + std::min(intRank, 63);
    }
}

void ScriptedDocument::Reparse()
{
    m_lngReparsedBytes += m_source.size();
    m_parsed = BuildHtmlDocumentFromUtf8(&m_source);
    BuildIndex();
    m_blnStale = false;
}

HtmlDocument& ScriptedDocument::Dom()
{
    if (m_phase == Phase::Parsing) {
        if (m_blnStale)
            Reparse();
        if (m_intMerged < m_intLimit)
            MergeUpTo(m_intLimit);
    }
    m_document->Renumber();
    return *m_document;
}

void ScriptedDocument::MergeUpTo(int intLimit)
{
    auto offsetOf = [this](int intNode) { return std::max(0, m_parsed.Node(intNode).intParseOffset); };
    const auto itFirst = std::partition_point(
        m_byOffset.begin(), m_byOffset.end(), [&](int intNode) { return offsetOf(intNode) < m_intMerged; });
    const auto itLast
        = std::partition_point(itFirst, m_byOffset.end(), [&](int intNode) { return offsetOf(intNode) < intLimit; });
    std::vector<int> nodes(itFirst, itLast);
    std::sort(nodes.begin(), nodes.end());
    for (int intNode : nodes)
        MapParsedNode(intNode);
    m_intMerged = std::max(m_intMerged, intLimit);
}

int ScriptedDocument::MapParsedNode(int intParsed)
{
    const auto itKnown = m_serialOfKey.constFind(m_keys[static_cast<size_t>(intParsed)]);
    if (itKnown != m_serialOfKey.constEnd())
        return m_document->NodeBySerial(*itKnown);
    // Parents first: a node can come from markup before its parent's (the parser moves some).
    std::vector<int> chain;
    for (int intNode = intParsed; intNode > 0 && !m_serialOfKey.contains(m_keys[static_cast<size_t>(intNode)]);
         intNode = m_parsed.Node(intNode).intParent)
        chain.push_back(intNode);
    int intMade = kNoNode;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        const int intNode = *it;
        const int intParsedParent = m_parsed.Node(intNode).intParent;
        const int intParent = intParsedParent <= 0
            ? HtmlDocument::intDocumentNode
            : m_document->NodeBySerial(m_serialOfKey.value(m_keys[static_cast<size_t>(intParsedParent)]));
        intMade = m_document->CreateNode(CopyOfNode(m_parsed.Node(intNode)));
        // The parser appends, except where it puts content before a table: then the next sibling
        // is in the tree already.
        int intBefore = kNoNode;
        int intSibling = m_parsed.SubtreeEnd(intNode);
        for (int intLook = 0; intLook < 16 && intSibling < m_parsed.NodeCount()
             && m_parsed.Node(intSibling).intParent == intParsedParent;
             ++intLook, intSibling = m_parsed.SubtreeEnd(intSibling)) {
            const auto itSibling = m_serialOfKey.constFind(m_keys[static_cast<size_t>(intSibling)]);
            if (itSibling == m_serialOfKey.constEnd())
                continue;
            const int intTreeSibling = m_document->NodeBySerial(*itSibling);
            if (intTreeSibling >= 0 && m_document->Node(intTreeSibling).intParent == intParent)
                intBefore = intTreeSibling;
            break;
        }
        if (intParent >= 0)
            m_document->InsertChild(intParent, intMade, intBefore);
        m_serialOfKey.insert(m_keys[static_cast<size_t>(intNode)], m_document->Node(intMade).intSerial);
    }
    return intMade;
}

// ---- Changes made by scripts ----

int ScriptedDocument::NodeOf(const ScriptValue& value)
{
    const int intSerial = value.ToInt(-1);
    if (intSerial < 0)
        return kNoNode;
    return Dom().NodeBySerial(intSerial);
}

int ScriptedDocument::CopyInto(const HtmlDocument& from, int intFrom, int intParent, int intBefore)
{
    // from must not be the tree itself: nodes are added to it while from is read.
    const int intEnd = from.SubtreeEnd(intFrom);
    std::vector<int> made(static_cast<size_t>(intEnd - intFrom), kNoNode);
    for (int intNode = intFrom; intNode < intEnd; ++intNode) {
        const int intNew = m_document->CreateNode(CopyOfNode(from.Node(intNode)));
        HtmlNode& node = m_document->Node(intNew);
        node.intSourceOffset = -1;
        node.intParseOffset = -1;
        made[static_cast<size_t>(intNode - intFrom)] = intNew;
        if (intNode == intFrom) {
            if (intParent >= 0)
                m_document->InsertChild(intParent, intNew, intBefore);
        } else {
            m_document->InsertChild(made[static_cast<size_t>(from.Node(intNode).intParent - intFrom)], intNew, kNoNode);
        }
    }
    return made.front();
}

void ScriptedDocument::AppendMarkup(int intParent, const QString& strHtml)
{
    if (intParent < 0)
        return;
    const QString strTag = m_document->Node(intParent).strTag;
    const HtmlDocument fragment = BuildHtmlFragment(strHtml, strTag.isEmpty() ? QStringLiteral("body") : strTag);
    if (fragment.NodeCount() < 2)
        return;
    int intRoot = kNoNode;
    for (int intChild : fragment.Node(HtmlDocument::intDocumentNode).children) {
        if (fragment.Node(intChild).kind == HtmlNodeKind::Element) {
            intRoot = intChild;
            break;
        }
    }
    if (intRoot < 0)
        return;
    for (int intChild : fragment.Node(intRoot).children)
        CopyInto(fragment, intChild, intParent, kNoNode);
}

const std::vector<int>& ScriptedDocument::NamedLookup(int intRoot, const QString& strName)
{
    HtmlDocument& document = Dom();
    NameIndex& index = m_nameIndexes[document.Node(intRoot).intSerial];
    if (index.lngVersion != document.Version()) {
        // Built once for each state of the tree, so that a page that reaches each of its
        // controls by name spends time in proportion to their number, not to its square.
        index.lngVersion = document.Version();
        index.serials.clear();
        auto add = [&index, &document](const QString& strKey, int intNode) {
            if (!strKey.isEmpty())
                index.serials[strKey].push_back(document.Node(intNode).intSerial);
        };
        const bool blnForm = intRoot != HtmlDocument::intDocumentNode;
        if (blnForm) {
            for (int intControl : document.FormControls(intRoot)) {
                const QString strControlName = document.AttributeValue(intControl, QStringLiteral("name"));
                const QString strId = document.AttributeValue(intControl, QStringLiteral("id"));
                add(strControlName, intControl);
                if (strId != strControlName)
                    add(strId, intControl);
            }
        } else {
            // The document's named items: its forms, then its images, by name.
            for (const char* strTag : { "form", "img" }) {
                for (int intNode : document.ElementsByTag(strTag))
                    add(document.AttributeValue(intNode, QStringLiteral("name")), intNode);
            }
        }
    }
    static const std::vector<int> none;
    const auto it = index.serials.constFind(strName);
    return it == index.serials.constEnd() ? none : *it;
}

void ScriptedDocument::SetAttribute(int intNode, const QString& strName, const QString& strValue)
{
    HtmlNode& node = m_document->Node(intNode);
    if (node.kind != HtmlNodeKind::Element)
        return;
    if (IsLookupAttribute(strName))
        m_document->NoteChange();
    for (HtmlAttribute& attribute : node.attributes) {
        if (attribute.strName == strName) {
            attribute.strValue = strValue;
            return;
        }
    }
    HtmlAttribute attribute;
    attribute.strName = strName;
    attribute.strValue = strValue;
    node.attributes.push_back(std::move(attribute));
}

void ScriptedDocument::RemoveAttribute(int intNode, const QString& strName)
{
    if (IsLookupAttribute(strName))
        m_document->NoteChange();
    auto& attributes = m_document->Node(intNode).attributes;
    attributes.erase(std::remove_if(attributes.begin(), attributes.end(),
                         [&](const HtmlAttribute& attribute) { return attribute.strName == strName; }),
        attributes.end());
}

void ScriptedDocument::DetachChildren(int intNode)
{
    for (int intChild : std::vector<int>(m_document->Node(intNode).children))
        m_document->Detach(intChild);
}

void ScriptedDocument::SetText(int intNode, const QString& strText)
{
    DetachChildren(intNode);
    HtmlNode text;
    text.kind = HtmlNodeKind::Text;
    text.strText = strText;
    m_document->InsertChild(intNode, m_document->CreateNode(text), kNoNode);
}

void ScriptedDocument::SelectOption(int intSelect, int intOption, bool blnSelected)
{
    HtmlDocument& document = *m_document;
    const std::vector<int> options = document.SelectOptions(intSelect);
    const bool blnMultiple = document.HasAttribute(intSelect, QStringLiteral("multiple"));
    const QString strSelected = QStringLiteral("selected");
    for (int intEach : options) {
        document.Node(intEach).intSelected = -1;
        if (intEach == intOption)
            blnSelected ? SetAttribute(intEach, strSelected, QString()) : RemoveAttribute(intEach, strSelected);
        else if (blnSelected && !blnMultiple)
            RemoveAttribute(intEach, strSelected);
    }
}

void ScriptedDocument::SetChecked(int intNode, bool blnChecked)
{
    HtmlDocument& document = *m_document;
    const QString strChecked = QStringLiteral("checked");
    if (!blnChecked) {
        RemoveAttribute(intNode, strChecked);
        return;
    }
    // A checked radio button unchecks the others of its group.
    if (document.InputType(intNode) == QLatin1String("radio")) {
        const QString strName = document.AttributeValue(intNode, QStringLiteral("name"));
        for (int intOther : document.ElementsByTag("input")) {
            if (intOther != intNode && document.InputType(intOther) == QLatin1String("radio")
                && document.AttributeValue(intOther, QStringLiteral("name")) == strName)
                RemoveAttribute(intOther, strChecked);
        }
    }
    SetAttribute(intNode, strChecked, QString());
}

// A value set by a script is written into the markup, as the classic control did: the page's
// HTML shows value= and selected as the script left them.
void ScriptedDocument::SetControlValue(int intNode, const QString& strValue)
{
    HtmlDocument& document = *m_document;
    HtmlNode& node = document.Node(intNode);
    if (node.kind != HtmlNodeKind::Element)
        return;
    if (node.strTag == QLatin1String("textarea")) {
        node.blnValueSet = false;
        SetText(intNode, strValue);
        return;
    }
    if (node.strTag == QLatin1String("select")) {
        int intChosen = kNoNode;
        for (int intOption : document.SelectOptions(intNode)) {
            if (document.OptionValue(intOption) == strValue) {
                intChosen = intOption;
                break;
            }
        }
        if (intChosen >= 0) {
            SelectOption(intNode, intChosen, true);
        } else {
            for (int intOption : document.SelectOptions(intNode)) {
                document.Node(intOption).intSelected = 0;
                RemoveAttribute(intOption, QStringLiteral("selected"));
            }
        }
        return;
    }
    if (node.strTag == QLatin1String("input") && document.InputType(intNode) == QLatin1String("file"))
        return;
    node.blnValueSet = false;
    SetAttribute(intNode, QStringLiteral("value"), strValue);
}

void ScriptedDocument::XhrSend(const ScriptArgs& args)
{
    if (args.size() < 5 || !m_host.fetch || m_intRequests >= intMaxRequests)
        return;
    const int intId = args[0].ToInt();
    const QUrl url = m_baseUrl.resolved(QUrl(args[2].ToString()));
    // Only the page's own server answers.
    if (!IsWebUrl(url) || ServerKey(url) != ServerKey(m_url)) {
        Report(QStringLiteral("request to another server refused: ") + url.toString());
        return;
    }
    ++m_intRequests;
    ++m_intPendingRequests;
    FetchRequest request;
    request.url = url.adjusted(QUrl::RemoveUserInfo | QUrl::RemoveFragment);
    request.referrer = m_url;
    if (args[1].ToString() == QLatin1String("POST")) {
        request.verb = QByteArrayLiteral("POST");
        request.body = EncodeForForm(args[3].ToString(), QByteArrayLiteral("UTF-8"));
        request.contentType = args[4].ToString().toLatin1();
        if (request.contentType.isEmpty())
            request.contentType = QByteArrayLiteral("text/plain;charset=UTF-8");
    }
    const std::weak_ptr<bool> alive = m_alive;
    m_host.fetch(request, [this, alive, intId](const FetchResult& result) {
        if (alive.expired() || !*alive.lock())
            return;
        --m_intPendingRequests;
        if (m_phase == Phase::Settled)
            return;
        if (CanRunScripts()) {
            const bool blnAnswered = result.outcome == FetchResult::Outcome::Response;
            QByteArray charset = CharsetFromContentType(result.contentType);
            if (charset.isEmpty())
                charset = QByteArrayLiteral("UTF-8");
            QString strError;
            if (!m_engine->Call(m_intWindow, "__qXhrDone",
                    { ScriptValue::Number(intId), ScriptValue::Number(blnAnswered ? result.intStatus : 0),
                        ScriptValue::String(blnAnswered ? DecodePage(result.body, charset) : QString()),
                        ScriptValue::String(QString::fromLatin1(result.contentType)) },
                    nullptr, &strError))
                Report(strError);
            if (m_phase == Phase::Settling)
                RunTimers();
        }
        ContinueSettling();
    });
}

void ScriptedDocument::Navigate(const QString& strUrl, bool blnReload)
{
    const QUrl url = m_baseUrl.resolved(QUrl(strUrl.trimmed()));
    if (!IsWebUrl(url) || m_blnNavigating || !m_host.navigate)
        return;
    // Another place in the same document ("#", "#top") is not a new page: only the address
    // changes, and nothing is fetched.
    if (!blnReload && url.hasFragment() && url.adjusted(QUrl::RemoveFragment) == m_url.adjusted(QUrl::RemoveFragment)) {
        m_url = url;
        return;
    }
    // Nothing more of this document runs: it is being replaced.
    m_blnNavigating = true;
    FetchRequest request;
    request.url = url;
    request.referrer = m_url;
    m_host.navigate(this, request);
}

// ---- The native functions behind ScriptDom.js ----

void ScriptedDocument::DefineNatives()
{
    const std::shared_ptr<bool> alive = m_alive;
    auto define = [this, alive](const char* strName, std::function<ScriptValue(const ScriptArgs&)> native) {
        m_engine->DefineNative(m_intWindow, strName, [alive, native](const ScriptArgs& args) {
            // The window outlives its document when a frame was replaced: it then answers nothing.
            return *alive ? native(args) : ScriptValue();
        });
    };
    auto arg = [](const ScriptArgs& args, size_t lngIndex) {
        return lngIndex < args.size() ? args[lngIndex] : ScriptValue();
    };
    auto element = [this, arg](const ScriptArgs& args, size_t lngIndex) {
        const int intNode = NodeOf(arg(args, lngIndex));
        return intNode >= 0 && m_document->Node(intNode).kind == HtmlNodeKind::Element ? intNode : kNoNode;
    };
    auto serial
        = [this](int intNode) { return ScriptValue::Number(intNode < 0 ? -1 : m_document->Node(intNode).intSerial); };

    define("__qType", [this, arg](const ScriptArgs& args) {
        const int intNode = NodeOf(arg(args, 0));
        if (intNode < 0)
            return ScriptValue::Number(0);
        switch (m_document->Node(intNode).kind) {
        case HtmlNodeKind::Document:
            return ScriptValue::Number(9);
        case HtmlNodeKind::Text:
            return ScriptValue::Number(3);
        case HtmlNodeKind::Comment:
            return ScriptValue::Number(8);
        case HtmlNodeKind::Element:
            break;
        }
        return ScriptValue::Number(1);
    });
    define("__qTag", [this, element](const ScriptArgs& args) {
        const int intNode = element(args, 0);
        return ScriptValue::String(intNode < 0 ? QString() : m_document->Node(intNode).strTag.toUpper());
    });
    define("__qAttr", [this, element, arg](const ScriptArgs& args) {
        const int intNode = element(args, 0);
        const QString strName = arg(args, 1).ToString();
        if (intNode < 0 || !m_document->HasAttribute(intNode, strName))
            return ScriptValue::Null();
        return ScriptValue::String(m_document->AttributeValue(intNode, strName));
    });
    define("__qAttrNames", [this, element](const ScriptArgs& args) {
        const int intNode = element(args, 0);
        QStringList names;
        if (intNode >= 0) {
            for (const HtmlAttribute& attribute : m_document->Node(intNode).attributes)
                names.append(attribute.strName);
        }
        return ScriptValue::String(names.join(QChar(0)));
    });
    define("__qSetAttr", [this, element, arg](const ScriptArgs& args) {
        const int intNode = element(args, 0);
        const QString strName = arg(args, 1).ToString().toLower();
        if (intNode < 0 || strName.isEmpty())
            return ScriptValue();
        if (strName == QLatin1String("value") && m_document->Node(intNode).strTag == QLatin1String("input"))
            m_document->Node(intNode).blnValueSet = false;
        SetAttribute(intNode, strName, arg(args, 2).ToString());
        return ScriptValue();
    });
    define("__qRemoveAttr", [this, element, arg](const ScriptArgs& args) {
        const int intNode = element(args, 0);
        if (intNode >= 0)
            RemoveAttribute(intNode, arg(args, 1).ToString().toLower());
        return ScriptValue();
    });
    define("__qParent", [this, arg, serial](const ScriptArgs& args) {
        const int intNode = NodeOf(arg(args, 0));
        return serial(intNode < 0 ? kNoNode : m_document->Node(intNode).intParent);
    });
    define("__qChildren", [this, arg](const ScriptArgs& args) {
        const int intNode = NodeOf(arg(args, 0));
        return intNode < 0 ? ScriptValue::List({}) : Serials(*m_document, m_document->Node(intNode).children);
    });
    define("__qChildElements", [this, arg](const ScriptArgs& args) {
        const int intNode = NodeOf(arg(args, 0));
        std::vector<int> children;
        if (intNode >= 0) {
            for (int intChild : m_document->Node(intNode).children) {
                if (m_document->Node(intChild).kind == HtmlNodeKind::Element)
                    children.push_back(intChild);
            }
        }
        return Serials(*m_document, children);
    });
    define("__qChildrenByTag", [this, arg](const ScriptArgs& args) {
        const int intNode = NodeOf(arg(args, 0));
        const QByteArray tag = arg(args, 1).ToString().toLower().toLatin1();
        std::vector<int> children;
        if (intNode >= 0) {
            for (int intChild : m_document->Node(intNode).children) {
                if (m_document->IsElement(intChild, tag.constData()))
                    children.push_back(intChild);
            }
        }
        return Serials(*m_document, children);
    });
    define("__qByTag", [this, arg](const ScriptArgs& args) {
        const int intRoot = NodeOf(arg(args, 0));
        const QString strTag = arg(args, 1).ToString().toLower();
        std::vector<int> found;
        if (intRoot >= 0) {
            const bool blnAll = strTag == QLatin1String("*");
            const int intEnd = m_document->SubtreeEnd(intRoot);
            for (int intNode = intRoot + 1; intNode < intEnd; ++intNode) {
                const HtmlNode& node = m_document->Node(intNode);
                if (node.kind == HtmlNodeKind::Element && (blnAll || node.strTag == strTag))
                    found.push_back(intNode);
            }
        }
        return Serials(*m_document, found);
    });
    define("__qByClass", [this, arg](const ScriptArgs& args) {
        const int intRoot = NodeOf(arg(args, 0));
        const QStringList wanted = arg(args, 1).ToString().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        std::vector<int> found;
        if (intRoot >= 0 && !wanted.isEmpty()) {
            const QRegularExpression blanks(QStringLiteral("\\s+"));
            const int intEnd = m_document->SubtreeEnd(intRoot);
            for (int intNode = intRoot + 1; intNode < intEnd; ++intNode) {
                if (m_document->Node(intNode).kind != HtmlNodeKind::Element)
                    continue;
                const QStringList classes
                    = m_document->AttributeValue(intNode, QStringLiteral("class")).split(blanks, Qt::SkipEmptyParts);
                if (std::all_of(
                        wanted.begin(), wanted.end(), [&](const QString& strOne) { return classes.contains(strOne); }))
                    found.push_back(intNode);
            }
        }
        return Serials(*m_document, found);
    });
    define("__qByIdOrName", [this, arg](const ScriptArgs& args) {
        const int intRoot = NodeOf(arg(args, 0));
        const QString strKey = arg(args, 1).ToString();
        std::vector<int> found;
        if (intRoot >= 0) {
            const int intEnd = m_document->SubtreeEnd(intRoot);
            for (int intNode = intRoot + 1; intNode < intEnd; ++intNode) {
                if (m_document->Node(intNode).kind == HtmlNodeKind::Element
                    && (m_document->AttributeValue(intNode, QStringLiteral("id")) == strKey
                        || m_document->AttributeValue(intNode, QStringLiteral("name")) == strKey))
                    found.push_back(intNode);
            }
        }
        return Serials(*m_document, found);
    });
    define("__qById",
        [this, arg, serial](const ScriptArgs& args) { return serial(Dom().ElementById(arg(args, 0).ToString())); });
    define("__qByName", [this, arg](const ScriptArgs& args) {
        HtmlDocument& document = Dom();
        const QString strName = arg(args, 0).ToString();
        std::vector<int> found;
        const int intEnd = document.AttachedEnd();
        for (int intNode = 0; intNode < intEnd; ++intNode) {
            if (document.Node(intNode).kind == HtmlNodeKind::Element
                && document.AttributeValue(intNode, QStringLiteral("name")) == strName)
                found.push_back(intNode);
        }
        return Serials(document, found);
    });
    define("__qDocumentElement", [this, serial](const ScriptArgs&) {
        HtmlDocument& document = Dom();
        for (int intChild : document.Node(HtmlDocument::intDocumentNode).children) {
            if (document.Node(intChild).kind == HtmlNodeKind::Element)
                return serial(intChild);
        }
        return serial(kNoNode);
    });
    define("__qBody", [this, serial](const ScriptArgs&) { return serial(Dom().BodyElement()); });
    define("__qTitle", [this](const ScriptArgs&) {
        const std::vector<int> titles = Dom().ElementsByTag("title");
        return ScriptValue::String(titles.empty() ? QString() : m_document->TextContent(titles.front()).simplified());
    });
    define("__qData", [this, arg](const ScriptArgs& args) {
        const int intNode = NodeOf(arg(args, 0));
        return ScriptValue::String(intNode < 0 ? QString() : m_document->Node(intNode).strText);
    });
    define("__qSetData", [this, arg](const ScriptArgs& args) {
        const int intNode = NodeOf(arg(args, 0));
        if (intNode >= 0 && m_document->Node(intNode).kind != HtmlNodeKind::Element)
            m_document->Node(intNode).strText = arg(args, 1).ToString();
        return ScriptValue();
    });
    define("__qValue", [this, element](const ScriptArgs& args) {
        const int intNode = element(args, 0);
        if (intNode < 0)
            return ScriptValue::String(QString());
        const QString& strTag = m_document->Node(intNode).strTag;
        if (strTag == QLatin1String("input") || strTag == QLatin1String("select")
            || strTag == QLatin1String("textarea"))
            return ScriptValue::String(m_document->ControlValue(intNode));
        if (strTag == QLatin1String("option"))
            return ScriptValue::String(m_document->OptionValue(intNode));
        return ScriptValue::String(m_document->AttributeValue(intNode, QStringLiteral("value")));
    });
    define("__qSetValue", [this, element, arg](const ScriptArgs& args) {
        const int intNode = element(args, 0);
        if (intNode >= 0)
            SetControlValue(intNode, arg(args, 1).ToString());
        return ScriptValue();
    });
    define("__qSetChecked", [this, element, arg](const ScriptArgs& args) {
        const int intNode = element(args, 0);
        if (intNode >= 0)
            SetChecked(intNode, arg(args, 1).ToBool());
        return ScriptValue();
    });
    define("__qSelected", [this, element](const ScriptArgs& args) {
        const int intNode = element(args, 0);
        const int intSelect = intNode < 0 ? kNoNode : NearestAncestor(*m_document, intNode, "select");
        if (intSelect < 0)
            return ScriptValue::Boolean(intNode >= 0 && m_document->HasAttribute(intNode, QStringLiteral("selected")));
        const std::vector<int> selected = m_document->SelectedOptions(intSelect);
        return ScriptValue::Boolean(std::find(selected.begin(), selected.end(), intNode) != selected.end());
    });
    define("__qSetSelected", [this, element, arg](const ScriptArgs& args) {
        const int intNode = element(args, 0);
        const int intSelect = intNode < 0 ? kNoNode : NearestAncestor(*m_document, intNode, "select");
        if (intSelect >= 0)
            SelectOption(intSelect, intNode, arg(args, 1).ToBool());
        else if (intNode >= 0)
            arg(args, 1).ToBool() ? SetAttribute(intNode, QStringLiteral("selected"), QString())
                                  : RemoveAttribute(intNode, QStringLiteral("selected"));
        return ScriptValue();
    });
    define("__qSelectedIndex", [this, element](const ScriptArgs& args) {
        const int intNode = element(args, 0);
        if (intNode < 0 || !m_document->IsElement(intNode, "select"))
            return ScriptValue::Number(-1);
        const std::vector<int> options = m_document->SelectOptions(intNode);
        const std::vector<int> selected = m_document->SelectedOptions(intNode);
        if (selected.empty())
            return ScriptValue::Number(-1);
        return ScriptValue::Number(
            static_cast<double>(std::find(options.begin(), options.end(), selected.front()) - options.begin()));
    });
    define("__qSetSelectedIndex", [this, element, arg](const ScriptArgs& args) {
        const int intNode = element(args, 0);
        if (intNode < 0 || !m_document->IsElement(intNode, "select"))
            return ScriptValue();
        const std::vector<int> options = m_document->SelectOptions(intNode);
        const int intIndex = arg(args, 1).ToInt(-1);
        for (int intOption : options) {
            m_document->Node(intOption).intSelected = -1;
            RemoveAttribute(intOption, QStringLiteral("selected"));
        }
        if (intIndex >= 0 && intIndex < static_cast<int>(options.size()))
            SelectOption(intNode, options[static_cast<size_t>(intIndex)], true);
        else
            for (int intOption : options)
                m_document->Node(intOption).intSelected = 0;
        return ScriptValue();
    });
    define("__qOptionIndex", [this, element](const ScriptArgs& args) {
        const int intNode = element(args, 0);
        const int intSelect = intNode < 0 ? kNoNode : NearestAncestor(*m_document, intNode, "select");
        if (intSelect < 0)
            return ScriptValue::Number(0);
        const std::vector<int> options = m_document->SelectOptions(intSelect);
        return ScriptValue::Number(
            static_cast<double>(std::find(options.begin(), options.end(), intNode) - options.begin()));
    });
    define("__qOptions", [this, element](const ScriptArgs& args) {
        const int intNode = element(args, 0);
        return intNode < 0 ? ScriptValue::List({}) : Serials(*m_document, m_document->SelectOptions(intNode));
    });
    define("__qElements", [this, element](const ScriptArgs& args) {
        const int intNode = element(args, 0);
        return intNode < 0 ? ScriptValue::List({}) : Serials(*m_document, m_document->FormControls(intNode));
    });
    // Controls of a form by name or id, and the document's forms and images by name.
    define("__qNamed", [this, arg](const ScriptArgs& args) {
        const int intRoot = NodeOf(arg(args, 0));
        if (intRoot < 0 || (intRoot != HtmlDocument::intDocumentNode && !m_document->IsElement(intRoot, "form")))
            return ScriptValue::List({});
        const std::vector<int>& found = NamedLookup(intRoot, arg(args, 1).ToString());
        return ScriptValue::List(std::vector<double>(found.begin(), found.end()));
    });
    define(
        "__qVersion", [this](const ScriptArgs&) { return ScriptValue::Number(static_cast<double>(Dom().Version())); });
    define("__qFormOf", [this, element, serial](const ScriptArgs& args) {
        const int intNode = element(args, 0);
        if (intNode < 0)
            return serial(kNoNode);
        const int intForm = NearestAncestor(*m_document, intNode, "form");
        if (intForm >= 0)
            return serial(intForm);
        for (int intEach : m_document->ElementsByTag("form")) {
            const std::vector<int> controls = m_document->FormControls(intEach);
            if (std::find(controls.begin(), controls.end(), intNode) != controls.end())
                return serial(intEach);
        }
        return serial(kNoNode);
    });
    define("__qRows", [this, element](const ScriptArgs& args) {
        const int intNode = element(args, 0);
        std::vector<int> rows;
        if (intNode >= 0 && m_document->IsElement(intNode, "table")) {
            const int intEnd = m_document->SubtreeEnd(intNode);
            for (int intEach = intNode + 1; intEach < intEnd; ++intEach) {
                if (m_document->IsElement(intEach, "tr") && NearestAncestor(*m_document, intEach, "table") == intNode)
                    rows.push_back(intEach);
            }
        } else if (intNode >= 0) {
            for (int intChild : m_document->Node(intNode).children) {
                if (m_document->IsElement(intChild, "tr"))
                    rows.push_back(intChild);
            }
        }
        return Serials(*m_document, rows);
    });
    define("__qCells", [this, element](const ScriptArgs& args) {
        const int intNode = element(args, 0);
        std::vector<int> cells;
        if (intNode >= 0) {
            for (int intChild : m_document->Node(intNode).children) {
                if (m_document->IsElement(intChild, "td") || m_document->IsElement(intChild, "th"))
                    cells.push_back(intChild);
            }
        }
        return Serials(*m_document, cells);
    });
    define("__qTableOf", [this, element, serial](const ScriptArgs& args) {
        const int intNode = element(args, 0);
        return serial(intNode < 0 ? kNoNode : NearestAncestor(*m_document, intNode, "table"));
    });
    define("__qFrameIndex", [this, element](const ScriptArgs& args) {
        const int intNode = element(args, 0);
        const std::vector<int> frames = m_document->FrameElements();
        const auto it = std::find(frames.begin(), frames.end(), intNode);
        return ScriptValue::Number(it == frames.end() ? -1 : static_cast<double>(it - frames.begin()));
    });
    define("__qText", [this, arg](const ScriptArgs& args) {
        const int intNode = NodeOf(arg(args, 0));
        if (intNode < 0)
            return ScriptValue::String(QString());
        if (m_document->Node(intNode).kind != HtmlNodeKind::Element && intNode != HtmlDocument::intDocumentNode)
            return ScriptValue::String(m_document->Node(intNode).strText);
        return ScriptValue::String(
            arg(args, 1).ToBool() ? LayOutText(*m_document, intNode) : m_document->TextContent(intNode));
    });
    define("__qSetText", [this, element, arg](const ScriptArgs& args) {
        const int intNode = element(args, 0);
        if (intNode >= 0)
            SetText(intNode, arg(args, 1).ToString());
        return ScriptValue();
    });
    define("__qInnerHtml", [this, arg](const ScriptArgs& args) {
        const int intNode = NodeOf(arg(args, 0));
        return ScriptValue::String(intNode < 0 ? QString() : SerializeChildren(*m_document, intNode));
    });
    define("__qOuterHtml", [this, element](const ScriptArgs& args) {
        const int intNode = element(args, 0);
        if (intNode < 0)
            return ScriptValue::String(QString());
        return ScriptValue::String(
            SerializeChildren(CopyOfSubtree(*m_document, intNode, true), HtmlDocument::intDocumentNode));
    });
    define("__qSetInnerHtml", [this, element, arg](const ScriptArgs& args) {
        const int intNode = element(args, 0);
        if (intNode >= 0) {
            DetachChildren(intNode);
            AppendMarkup(intNode, arg(args, 1).ToString());
        }
        return ScriptValue();
    });
    define("__qCreate", [this, arg, serial](const ScriptArgs& args) {
        Dom();
        HtmlNode node;
        node.strTag = arg(args, 0).ToString().toLower();
        if (node.strTag.isEmpty())
            node.strTag = QStringLiteral("div");
        return serial(m_document->CreateNode(node));
    });
    define("__qCreateText", [this, arg, serial](const ScriptArgs& args) {
        Dom();
        HtmlNode node;
        node.kind = HtmlNodeKind::Text;
        node.strText = arg(args, 0).ToString();
        return serial(m_document->CreateNode(node));
    });
    define("__qInsert", [this, arg](const ScriptArgs& args) {
        const int intParent = NodeOf(arg(args, 0));
        const int intChild = NodeOf(arg(args, 1));
        const int intBefore = NodeOf(arg(args, 2));
        if (intParent < 0 || intChild <= 0 || m_document->Node(intParent).kind == HtmlNodeKind::Text
            || m_document->Node(intParent).kind == HtmlNodeKind::Comment)
            return ScriptValue();
        const bool blnBeforeChild = intBefore >= 0 && m_document->Node(intBefore).intParent == intParent;
        m_document->InsertChild(intParent, intChild, blnBeforeChild ? intBefore : kNoNode);
        return ScriptValue();
    });
    define("__qRemove", [this, arg](const ScriptArgs& args) {
        const int intNode = NodeOf(arg(args, 0));
        if (intNode > 0)
            m_document->Detach(intNode);
        return ScriptValue();
    });
    define("__qClone", [this, arg, serial](const ScriptArgs& args) {
        const int intNode = NodeOf(arg(args, 0));
        if (intNode <= 0)
            return serial(kNoNode);
        return serial(CopyInto(CopyOfSubtree(*m_document, intNode, arg(args, 1).ToBool()), 1, kNoNode, kNoNode));
    });
    define("__qWrite", [this, arg](const ScriptArgs& args) {
        if (m_phase == Phase::Parsing) {
            m_strWritten += arg(args, 0).ToString();
        } else {
            // After the page has loaded, what is written is added to its body.
            m_lngWrittenBytes += arg(args, 0).ToString().size();
            if (m_lngWrittenBytes <= lngMaxWrittenBytes)
                AppendMarkup(Dom().BodyElement(), arg(args, 0).ToString());
        }
        return ScriptValue();
    });
    define("__qSubmit", [this, element](const ScriptArgs& args) {
        const int intForm = element(args, 0);
        FormRequest form;
        if (intForm < 0 || m_blnNavigating || !m_host.navigate
            || !BuildFormRequest(*m_document, intForm, m_url, m_charset, &form))
            return ScriptValue();
        m_blnNavigating = true;
        FetchRequest request;
        request.url = form.url;
        request.verb = form.verb;
        request.body = form.body;
        request.contentType = form.contentType;
        request.referrer = m_url;
        m_host.navigate(this, request);
        return ScriptValue();
    });
    define("__qNavigate", [this, arg](const ScriptArgs& args) {
        Navigate(arg(args, 0).ToString(), arg(args, 1).ToBool());
        return ScriptValue();
    });
    define("__qUrl", [this](const ScriptArgs&) { return ScriptValue::String(m_url.toString()); });
    define("__qUrlPart",
        [this, arg](const ScriptArgs& args) { return ScriptValue::String(UrlPart(m_url, arg(args, 0).ToString())); });
    define("__qCookie", [this](const ScriptArgs&) {
        QStringList pairs;
        if (m_host.cookies) {
            for (const QNetworkCookie& cookie : m_host.cookies->cookiesForUrl(m_url)) {
                if (!cookie.isHttpOnly())
                    pairs.append(QString::fromUtf8(cookie.name() + '=' + cookie.value()));
            }
        }
        return ScriptValue::String(pairs.join(QStringLiteral("; ")));
    });
    define("__qSetCookie", [this, arg](const ScriptArgs& args) {
        if (m_host.cookies) {
            const QList<QNetworkCookie> cookies = QNetworkCookie::parseCookies(arg(args, 0).ToString().toUtf8());
            if (!cookies.isEmpty())
                m_host.cookies->setCookiesFromUrl({ cookies.front() }, m_url);
        }
        return ScriptValue();
    });
    define("__qUserAgent", [this](const ScriptArgs&) { return ScriptValue::String(m_host.strUserAgent); });
    define("__qAppName",
        [this](const ScriptArgs&) { return ScriptValue::String(m_host.strUserAgent.section(QLatin1Char('/'), 0, 0)); });
    define("__qAlert", [](const ScriptArgs&) { return ScriptValue(); });
    define("__qError", [this, arg](const ScriptArgs& args) {
        Report(arg(args, 0).ToString());
        return ScriptValue();
    });
    define("__qXhrSend", [this](const ScriptArgs& args) {
        XhrSend(args);
        return ScriptValue();
    });
}
