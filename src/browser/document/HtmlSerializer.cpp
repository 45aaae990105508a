#include "browser/document/HtmlSerializer.h"

#include <QHash>
#include <QSet>
#include <initializer_list>
#include <utility>
#include <vector>

namespace
{
enum TagFlag : quint8 {
    kVoid = 1, // has no end tag
    kRawText = 2 // its text is written as it is, without entities
};

quint8 TagFlags(const QString& strTag)
{
    static const QHash<QString, quint8> flags = [] {
        QHash<QString, quint8> table;
        for (const char* strTag : { "area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta", "param",
                 "source", "track", "wbr", "basefont", "bgsound", "frame", "keygen", "isindex" })
            table[QLatin1String(strTag)] |= kVoid;
        for (const char* strTag :
            { "script", "style", "xmp", "iframe", "noembed", "noframes", "noscript", "plaintext" })
            table[QLatin1String(strTag)] |= kRawText;
        return table;
    }();
    return flags.value(strTag, 0);
}

bool IsVoidElement(const QString& strTag)
{
    return TagFlags(strTag) & kVoid;
}

bool IsRawTextElement(const QString& strTag)
{
    return TagFlags(strTag) & kRawText;
}

bool IsBooleanAttribute(const QString& strName)
{
    static const QSet<QString> names = [] {
        QSet<QString> set;
        for (const char* strName : { "checked", "selected", "disabled", "readonly", "multiple", "noshade", "nowrap",
                 "compact", "ismap", "declare", "defer", "nohref", "noresize", "hidden", "autofocus", "required",
                 "async", "autoplay", "controls", "loop", "muted", "novalidate", "formnovalidate", "open", "reversed",
                 "default", "allowfullscreen", "itemscope" })
            set.insert(QLatin1String(strName));
        return set;
    }();
    return names.contains(strName);
}

// Appends text with every line break written CR LF (a lone CR is dropped, as before).
void AppendWithCrLf(QString* strOut, const QString& strText)
{
    const QChar* data = strText.constData();
    const qsizetype lngSize = strText.size();
    qsizetype lngRun = 0;
    for (qsizetype lngAt = 0; lngAt < lngSize; ++lngAt) {
        const char16_t code = data[lngAt].unicode();
        if (code != u'\n' && code != u'\r')
            continue;
        strOut->append(data + lngRun, lngAt - lngRun);
        if (code == u'\n')
            strOut->append(QLatin1String("\r\n"));
        lngRun = lngAt + 1;
    }
    strOut->append(data + lngRun, lngSize - lngRun);
}

void AppendEscapedText(QString* strOut, const QString& strText)
{
    const QChar* data = strText.constData();
    const qsizetype lngSize = strText.size();
    qsizetype lngRun = 0; // the start of the characters written as they are
    for (qsizetype lngAt = 0; lngAt < lngSize; ++lngAt) {
        QLatin1String replacement;
        switch (data[lngAt].unicode()) {
        case u'&':
            replacement = QLatin1String("&amp;");
            break;
        case u'<':
            replacement = QLatin1String("&lt;");
            break;
        case u'>':
            replacement = QLatin1String("&gt;");
            break;
        case 0x00A0:
            replacement = QLatin1String("&nbsp;");
            break;
        case u'\n':
            replacement = QLatin1String("\r\n");
            break;
        case u'\r':
            replacement = QLatin1String("");
            break;
        default:
            continue;
        }
        strOut->append(data + lngRun, lngAt - lngRun);
        strOut->append(replacement);
        lngRun = lngAt + 1;
    }
    strOut->append(data + lngRun, lngSize - lngRun);
}

// Tag names are written in upper case, without making an upper-case copy first.
void AppendUpperCase(QString* strOut, const QString& strName)
{
    const qsizetype lngStart = strOut->size();
    strOut->append(strName);
    QChar* data = strOut->data() + lngStart;
    for (qsizetype lngAt = 0; lngAt < strName.size(); ++lngAt) {
        const char16_t code = data[lngAt].unicode();
        if (code >= u'a' && code <= u'z')
            data[lngAt] = QChar(static_cast<char16_t>(code - u'a' + u'A'));
        else if (code > 0x7F)
            data[lngAt] = data[lngAt].toUpper();
    }
}

// A value is written bare only when it is made of letters, digits, '.', '-' and '_' alone.
bool NeedsQuotes(const QString& strValue)
{
    if (strValue.isEmpty())
        return true;
    for (const QChar chr : strValue) {
        const char16_t code = chr.unicode();
        const bool blnBare = (code >= u'a' && code <= u'z') || (code >= u'A' && code <= u'Z')
            || (code >= u'0' && code <= u'9') || code == u'.' || code == u'-' || code == u'_';
        if (!blnBare)
            return true;
    }
    return false;
}

void AppendStartTag(QString* strOut, const HtmlNode& node)
{
    strOut->append(QLatin1Char('<'));
    AppendUpperCase(strOut, node.strTag);
    for (const HtmlAttribute& attribute : node.attributes) {
        strOut->append(QLatin1Char(' '));
        strOut->append(attribute.strName);
        if (IsBooleanAttribute(attribute.strName))
            continue;
        strOut->append(QLatin1Char('='));
        if (NeedsQuotes(attribute.strValue)) {
            QString strValue = attribute.strValue;
            strValue.replace(QLatin1Char('"'), QLatin1String("&quot;"));
            strOut->append(QLatin1Char('"'));
            AppendWithCrLf(strOut, strValue);
            strOut->append(QLatin1Char('"'));
        } else {
            strOut->append(attribute.strValue);
        }
    }
    strOut->append(QLatin1Char('>'));
}

// Writes intNode with its subtree, or only the subtrees of its children.
void Serialize(const HtmlDocument& document, int intNode, bool blnChildrenOnly, QString* strOut)
{
    std::vector<std::pair<int, bool>> pending; // (node, leaving)
    const HtmlNode& start = document.Node(intNode);
    if (blnChildrenOnly) {
        for (auto it = start.children.rbegin(); it != start.children.rend(); ++it)
            pending.emplace_back(*it, false);
    } else {
        pending.emplace_back(intNode, false);
    }
    while (!pending.empty()) {
        const auto [intCurrent, blnLeaving] = pending.back();
        pending.pop_back();
        const HtmlNode& node = document.Node(intCurrent);
        switch (node.kind) {
        case HtmlNodeKind::Text: {
            const int intParent = node.intParent;
            if (intParent >= 0 && IsRawTextElement(document.Node(intParent).strTag))
                AppendWithCrLf(strOut, node.strText);
            else
                AppendEscapedText(strOut, node.strText);
            break;
        }
        case HtmlNodeKind::Comment:
            strOut->append(QLatin1String("<!--"));
            AppendWithCrLf(strOut, node.strText);
            strOut->append(QLatin1String("-->"));
            break;
        case HtmlNodeKind::Document:
            for (auto it = node.children.rbegin(); it != node.children.rend(); ++it)
                pending.emplace_back(*it, false);
            break;
        case HtmlNodeKind::Element:
            if (blnLeaving) {
                strOut->append(QLatin1String("</"));
                AppendUpperCase(strOut, node.strTag);
                strOut->append(QLatin1Char('>'));
                break;
            }
            AppendStartTag(strOut, node);
            if (IsVoidElement(node.strTag))
                break;
            pending.emplace_back(intCurrent, true);
            for (auto it = node.children.rbegin(); it != node.children.rend(); ++it)
                pending.emplace_back(*it, false);
            break;
        }
    }
}
} // namespace

QString SerializeChildren(const HtmlDocument& document, int intNode)
{
    QString strOut;
    Serialize(document, intNode, true, &strOut);
    return strOut;
}

QString SerializeBodyHtml(const HtmlDocument& document)
{
    const int intBody = document.BodyElement();
    if (intBody < 0)
        return QString();
    return SerializeChildren(document, intBody);
}

QString SerializeDocument(const HtmlDocument& document)
{
    QString strOut;
    Serialize(document, HtmlDocument::intDocumentNode, true, &strOut);
    return strOut;
}
