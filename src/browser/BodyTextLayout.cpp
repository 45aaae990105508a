#include "browser/BodyTextLayout.h"

#include <QHash>
#include <QStringList>
#include <initializer_list>
#include <utility>
#include <vector>

namespace
{
enum TagFlag : quint8 {
    kSilent = 1, // shows no text of its own
    kBlock = 2, // starts and ends a line
    kPreformatted = 4, // keeps its blanks and line breaks
    kTableStructure = 8 // table, row groups and rows: blanks inside are layout, not text
};

quint8 TagFlags(const QString& strTag)
{
    static const QHash<QString, quint8> flags = [] {
        QHash<QString, quint8> table;
        for (const char* strTag : { "script", "style", "head", "title", "noscript", "noframes", "template", "select",
                 "datalist", "iframe", "frame", "svg", "math", "object", "applet" })
            table[QLatin1String(strTag)] |= kSilent;
        for (const char* strTag :
            { "address", "article", "aside", "blockquote", "body", "caption", "center", "dd", "details", "dialog",
                "dir", "div", "dl", "dt", "fieldset", "figcaption", "figure", "footer", "form", "frameset", "h1", "h2",
                "h3", "h4", "h5", "h6", "header", "hgroup", "hr", "html", "legend", "li", "listing", "main", "menu",
                "nav", "ol", "p", "plaintext", "pre", "section", "summary", "table", "textarea", "tr", "ul", "xmp" })
            table[QLatin1String(strTag)] |= kBlock;
        for (const char* strTag : { "pre", "listing", "plaintext", "xmp", "textarea" })
            table[QLatin1String(strTag)] |= kPreformatted;
        for (const char* strTag : { "table", "tbody", "thead", "tfoot", "tr", "colgroup" })
            table[QLatin1String(strTag)] |= kTableStructure;
        return table;
    }();
    return flags.value(strTag, 0);
}

bool IsSilentElement(const QString& strTag)
{
    return TagFlags(strTag) & kSilent;
}

bool IsBlockElement(const QString& strTag)
{
    return TagFlags(strTag) & kBlock;
}

bool IsPreformatted(const QString& strTag)
{
    return TagFlags(strTag) & kPreformatted;
}

bool IsTableStructure(const QString& strTag)
{
    return TagFlags(strTag) & kTableStructure;
}

bool IsCollapsibleSpace(QChar chr)
{
    const char16_t code = chr.unicode();
    return code == u' ' || code == u'\t' || code == u'\n' || code == u'\r' || code == u'\f';
}

constexpr char16_t kNoBreakSpace = 0x00A0;

class TextWriter
{
public:
    // Text that the layout collapses: blank runs become one blank between words.
    void WriteFlowText(const QString& strText)
    {
        for (const QChar chr : strText) {
            if (IsCollapsibleSpace(chr)) {
                if (!m_strLine.isEmpty() && !m_blnCellStart)
                    m_blnPendingBlank = true;
                continue;
            }
            if (chr.unicode() == kNoBreakSpace) {
                if (m_blnCellStart)
                    continue;
                WriteCharacter(QLatin1Char(' '));
                continue;
            }
            WriteCharacter(chr);
        }
    }

    // Text whose blanks and line breaks stand as written.
    void WritePreformattedText(const QString& strText)
    {
        for (const QChar chr : strText) {
            if (chr == QLatin1Char('\n')) {
                EndLine(true);
            } else if (chr != QLatin1Char('\r')) {
                WriteCharacter(chr.unicode() == kNoBreakSpace ? QChar(QLatin1Char(' ')) : chr);
            }
        }
    }

    // Ends the current line; an empty line is written only when blnForced (a <br>).
    void EndLine(bool blnForced)
    {
        qsizetype lngLength = m_strLine.size();
        while (lngLength > 0
            && (m_strLine.at(lngLength - 1) == QLatin1Char(' ') || m_strLine.at(lngLength - 1) == QLatin1Char('\t')))
            --lngLength;
        m_strLine.truncate(lngLength);
        if (blnForced || !m_strLine.isEmpty())
            m_lines.append(m_strLine);
        m_strLine.clear();
        m_blnPendingBlank = false;
        m_lngCellStart = 0;
    }

    void StartCell()
    {
        m_blnPendingBlank = false;
        m_blnCellStart = true;
        m_lngCellStart = m_strLine.size();
    }

    void EndCell()
    {
        m_blnPendingBlank = false;
        m_blnCellStart = false;
        while (m_strLine.size() > m_lngCellStart && m_strLine.endsWith(QLatin1Char(' ')))
            m_strLine.chop(1);
    }

    QString Finish()
    {
        EndLine(false);
        return m_lines.join(QStringLiteral("\r\n"));
    }

private:
    void WriteCharacter(QChar chr)
    {
        if (m_blnPendingBlank)
            m_strLine += QLatin1Char(' ');
        m_blnPendingBlank = false;
        m_blnCellStart = false;
        m_strLine += chr;
    }

    QStringList m_lines;
    QString m_strLine;
    bool m_blnPendingBlank = false;
    bool m_blnCellStart = false;
    qsizetype m_lngCellStart = 0;
};

QString ButtonCaption(const HtmlDocument& document, int intInput)
{
    const QString strType = document.InputType(intInput);
    if (document.HasAttribute(intInput, QStringLiteral("value")))
        return document.AttributeValue(intInput, QStringLiteral("value"));
    if (strType == QLatin1String("submit"))
        return QStringLiteral("Submit Query");
    if (strType == QLatin1String("reset"))
        return QStringLiteral("Reset");
    return QString();
}
} // namespace

QString LayOutText(const HtmlDocument& document, int intNode)
{
    TextWriter writer;
    int intPreformatted = 0;
    // (node, leaving): a node is pushed once to enter it and once more to leave it.
    std::vector<std::pair<int, bool>> pending;
    pending.emplace_back(intNode, false);
    while (!pending.empty()) {
        const auto [intCurrent, blnLeaving] = pending.back();
        pending.pop_back();
        const HtmlNode& node = document.Node(intCurrent);

        if (node.kind == HtmlNodeKind::Text) {
            if (intPreformatted > 0) {
                writer.WritePreformattedText(node.strText);
            } else {
                // Blanks between the cells and rows of a table are layout, not text.
                const bool blnTableGap = node.intParent >= 0
                    && document.Node(node.intParent).kind == HtmlNodeKind::Element
                    && IsTableStructure(document.Node(node.intParent).strTag) && node.strText.trimmed().isEmpty();
                if (!blnTableGap)
                    writer.WriteFlowText(node.strText);
            }
            continue;
        }
        if (node.kind == HtmlNodeKind::Comment)
            continue;

        const QString& strTag = node.strTag;
        const bool blnElement = node.kind == HtmlNodeKind::Element;
        if (blnLeaving) {
            if (strTag == QLatin1String("td") || strTag == QLatin1String("th"))
                writer.EndCell();
            if (IsPreformatted(strTag))
                --intPreformatted;
            if (IsBlockElement(strTag))
                writer.EndLine(false);
            continue;
        }

        if (blnElement) {
            if (IsSilentElement(strTag))
                continue;
            if (strTag == QLatin1String("br")) {
                writer.EndLine(true);
                continue;
            }
            if (strTag == QLatin1String("input")) {
                const QString strType = document.InputType(intCurrent);
                if (strType == QLatin1String("button") || strType == QLatin1String("submit")
                    || strType == QLatin1String("reset"))
                    writer.WriteFlowText(ButtonCaption(document, intCurrent));
                continue;
            }
            if (IsBlockElement(strTag))
                writer.EndLine(false);
            if (IsPreformatted(strTag))
                ++intPreformatted;
            if (strTag == QLatin1String("td") || strTag == QLatin1String("th"))
                writer.StartCell();
        }
        pending.emplace_back(intCurrent, true);
        for (auto it = node.children.rbegin(); it != node.children.rend(); ++it)
            pending.emplace_back(*it, false);
    }
    return writer.Finish();
}

QString LayOutBodyText(const HtmlDocument& document)
{
    const int intBody = document.BodyElement();
    if (intBody < 0)
        return QString();
    return LayOutText(document, intBody);
}
