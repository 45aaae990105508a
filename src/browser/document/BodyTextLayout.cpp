#include "browser/document/BodyTextLayout.h"

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
    kTableStructure = 8, // table, row groups and rows: blanks inside are layout, not text
    kCell = 16, // td and th
    kLineBreak = 32, // br
    kInput = 64 // input
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
        table[QStringLiteral("td")] |= kCell;
        table[QStringLiteral("th")] |= kCell;
        table[QStringLiteral("br")] |= kLineBreak;
        table[QStringLiteral("input")] |= kInput;
        return table;
    }();
    return flags.value(strTag, 0);
}

constexpr char16_t kNoBreakSpace = 0x00A0;

bool IsCollapsibleSpace(char16_t code)
{
    return code == u' ' || code == u'\t' || code == u'\n' || code == u'\r' || code == u'\f';
}

bool IsBlank(const QString& strText)
{
    for (const QChar chr : strText) {
        if (!IsCollapsibleSpace(chr.unicode()))
            return false;
    }
    return true;
}

class TextWriter
{
public:
    // Text that the layout collapses: blank runs become one blank between words.
    void WriteFlowText(const QString& strText)
    {
        const QChar* data = strText.constData();
        const qsizetype lngSize = strText.size();
        qsizetype lngAt = 0;
        while (lngAt < lngSize) {
            const char16_t code = data[lngAt].unicode();
            if (IsCollapsibleSpace(code)) {
                if (!m_strLine.isEmpty() && !m_blnCellStart)
                    m_blnPendingBlank = true;
                ++lngAt;
                continue;
            }
            if (code == kNoBreakSpace) {
                if (!m_blnCellStart)
                    WriteRun(&kBlank, 1);
                ++lngAt;
                continue;
            }
            qsizetype lngEnd = lngAt + 1;
            while (lngEnd < lngSize && !IsCollapsibleSpace(data[lngEnd].unicode())
                && data[lngEnd].unicode() != kNoBreakSpace)
                ++lngEnd;
            WriteRun(data + lngAt, lngEnd - lngAt);
            lngAt = lngEnd;
        }
    }

    // Text whose blanks and line breaks stand as written.
    void WritePreformattedText(const QString& strText)
    {
        for (const QChar chr : strText) {
            if (chr == QLatin1Char('\n')) {
                EndLine(true);
            } else if (chr != QLatin1Char('\r')) {
                const QChar written = chr.unicode() == kNoBreakSpace ? kBlank : chr;
                WriteRun(&written, 1);
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
        if (blnForced || !m_strLine.isEmpty()) {
            if (m_blnAnyLine)
                m_strText += QLatin1String("\r\n");
            m_strText += m_strLine;
            m_blnAnyLine = true;
        }
        m_strLine.truncate(0); // keeps its room for the next line
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
        return m_strText;
    }

private:
    static constexpr QChar kBlank = QLatin1Char(' ');

    void WriteRun(const QChar* data, qsizetype lngLength)
    {
        if (m_blnPendingBlank)
            m_strLine += kBlank;
        m_blnPendingBlank = false;
        m_blnCellStart = false;
        m_strLine.append(data, lngLength);
    }

    QString m_strText; // the lines done, separated by CR LF
    bool m_blnAnyLine = false;
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
                const bool blnTableGap = IsBlank(node.strText) && node.intParent >= 0
                    && document.Node(node.intParent).kind == HtmlNodeKind::Element
                    && (TagFlags(document.Node(node.intParent).strTag) & kTableStructure);
                if (!blnTableGap)
                    writer.WriteFlowText(node.strText);
            }
            continue;
        }
        if (node.kind != HtmlNodeKind::Element) {
            if (node.kind == HtmlNodeKind::Document) {
                for (auto it = node.children.rbegin(); it != node.children.rend(); ++it)
                    pending.emplace_back(*it, false);
            }
            continue;
        }

        const quint8 intFlags = TagFlags(node.strTag);
        if (blnLeaving) {
            if (intFlags & kCell)
                writer.EndCell();
            if (intFlags & kPreformatted)
                --intPreformatted;
            if (intFlags & kBlock)
                writer.EndLine(false);
            continue;
        }
        if (intFlags & kSilent)
            continue;
        if (intFlags & kLineBreak) {
            writer.EndLine(true);
            continue;
        }
        if (intFlags & kInput) {
            const QString strType = document.InputType(intCurrent);
            if (strType == QLatin1String("button") || strType == QLatin1String("submit")
                || strType == QLatin1String("reset"))
                writer.WriteFlowText(ButtonCaption(document, intCurrent));
            continue;
        }
        if (intFlags & kBlock)
            writer.EndLine(false);
        if (intFlags & kPreformatted)
            ++intPreformatted;
        if (intFlags & kCell)
            writer.StartCell();
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
