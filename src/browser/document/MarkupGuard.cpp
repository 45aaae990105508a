#include "browser/document/MarkupGuard.h"

#include "browser/document/MarkupScanner.h"

#include <QHash>
#include <algorithm>
#include <array>
#include <initializer_list>
#include <iterator>
#include <utility>

namespace
{
// The tags that the model tells apart; every other name is Other and compared by its text.
enum class Tag : quint8 {
    Other,
    Html,
    Head,
    Body,
    A,
    B,
    Big,
    Code,
    Em,
    Font,
    I,
    Nobr,
    S,
    Small,
    Strike,
    Strong,
    Tt,
    U,
    Td,
    Th,
    Caption,
    Marquee,
    Object,
    Applet,
    Template,
    Table,
    Tbody,
    Thead,
    Tfoot,
    Tr,
    P,
    Li,
    Dd,
    Dt,
    Ul,
    Ol,
    Dl,
    H1,
    H2,
    H3,
    H4,
    H5,
    H6,
    Option,
    Optgroup,
    Select,
    Button,
    Form,
    Svg,
    Math,
    Address,
    Article,
    Aside,
    Blockquote,
    Center,
    Details,
    Dialog,
    Dir,
    Div,
    Fieldset,
    Figcaption,
    Figure,
    Footer,
    Header,
    Hgroup,
    Hr,
    Listing,
    Main,
    Menu,
    Nav,
    Pre,
    Section,
    Summary,
    Xmp,
    Plaintext,
    Area,
    Base,
    Br,
    Col,
    Embed,
    Img,
    Image,
    Input,
    Link,
    Meta,
    Param,
    Source,
    Track,
    Wbr,
    Basefont,
    Bgsound,
    Frame,
    Keygen,
    Isindex,
    Script,
    Style,
    Iframe,
    Noembed,
    Noframes,
    Noscript,
    Textarea,
    Title,
    Count
};

Tag TagOf(const QByteArray& strName)
{
    static const QHash<QByteArray, Tag> tags = [] {
        static const std::pair<const char*, Tag> kNames[] = { { "html", Tag::Html }, { "head", Tag::Head },
            { "body", Tag::Body }, { "a", Tag::A }, { "b", Tag::B }, { "big", Tag::Big }, { "code", Tag::Code },
            { "em", Tag::Em }, { "font", Tag::Font }, { "i", Tag::I }, { "nobr", Tag::Nobr }, { "s", Tag::S },
            { "small", Tag::Small }, { "strike", Tag::Strike }, { "strong", Tag::Strong }, { "tt", Tag::Tt },
            { "u", Tag::U }, { "td", Tag::Td }, { "th", Tag::Th }, { "caption", Tag::Caption },
            { "marquee", Tag::Marquee }, { "object", Tag::Object }, { "applet", Tag::Applet },
            { "template", Tag::Template }, { "table", Tag::Table }, { "tbody", Tag::Tbody }, { "thead", Tag::Thead },
            { "tfoot", Tag::Tfoot }, { "tr", Tag::Tr }, { "p", Tag::P }, { "li", Tag::Li }, { "dd", Tag::Dd },
            { "dt", Tag::Dt }, { "ul", Tag::Ul }, { "ol", Tag::Ol }, { "dl", Tag::Dl }, { "h1", Tag::H1 },
            { "h2", Tag::H2 }, { "h3", Tag::H3 }, { "h4", Tag::H4 }, { "h5", Tag::H5 }, { "h6", Tag::H6 },
            { "option", Tag::Option }, { "optgroup", Tag::Optgroup }, { "select", Tag::Select },
            { "button", Tag::Button }, { "form", Tag::Form }, { "svg", Tag::Svg }, { "math", Tag::Math },
            { "address", Tag::Address }, { "article", Tag::Article }, { "aside", Tag::Aside },
            { "blockquote", Tag::Blockquote }, { "center", Tag::Center }, { "details", Tag::Details },
            { "dialog", Tag::Dialog }, { "dir", Tag::Dir }, { "div", Tag::Div }, { "fieldset", Tag::Fieldset },
            { "figcaption", Tag::Figcaption }, { "figure", Tag::Figure }, { "footer", Tag::Footer },
            { "header", Tag::Header }, { "hgroup", Tag::Hgroup }, { "hr", Tag::Hr }, { "listing", Tag::Listing },
            { "main", Tag::Main }, { "menu", Tag::Menu }, { "nav", Tag::Nav }, { "pre", Tag::Pre },
            { "section", Tag::Section }, { "summary", Tag::Summary }, { "xmp", Tag::Xmp },
            { "plaintext", Tag::Plaintext }, { "area", Tag::Area }, { "base", Tag::Base }, { "br", Tag::Br },
            { "col", Tag::Col }, { "embed", Tag::Embed }, { "img", Tag::Img }, { "image", Tag::Image },
            { "input", Tag::Input }, { "link", Tag::Link }, { "meta", Tag::Meta }, { "param", Tag::Param },
            { "source", Tag::Source }, { "track", Tag::Track }, { "wbr", Tag::Wbr }, { "basefont", Tag::Basefont },
            { "bgsound", Tag::Bgsound }, { "frame", Tag::Frame }, { "keygen", Tag::Keygen },
            { "isindex", Tag::Isindex }, { "script", Tag::Script }, { "style", Tag::Style }, { "iframe", Tag::Iframe },
            { "noembed", Tag::Noembed }, { "noframes", Tag::Noframes }, { "noscript", Tag::Noscript },
            { "textarea", Tag::Textarea }, { "title", Tag::Title } };
        QHash<QByteArray, Tag> map;
        for (const auto& [strName, tag] : kNames)
            map.insert(QByteArray(strName), tag);
        return map;
    }();
    return tags.value(strName, Tag::Other);
}

bool InRange(Tag tag, Tag first, Tag last)
{
    return tag >= first && tag <= last;
}

bool IsVoidElement(Tag tag)
{
    return InRange(tag, Tag::Area, Tag::Isindex);
}

// Elements whose content the tokenizer reads as text: they never hold elements.
bool IsTextOnlyElement(Tag tag)
{
    return InRange(tag, Tag::Script, Tag::Title) || tag == Tag::Xmp || tag == Tag::Plaintext;
}

bool IsFormattingElement(Tag tag)
{
    return InRange(tag, Tag::A, Tag::U);
}

// Elements that fence off the pending formatting elements opened inside them.
bool IsFormattingMarker(Tag tag)
{
    return InRange(tag, Tag::Td, Tag::Template);
}

bool IsHeading(Tag tag)
{
    return InRange(tag, Tag::H1, Tag::H6);
}

bool ClosesParagraph(Tag tag)
{
    return InRange(tag, Tag::Address, Tag::Plaintext) || IsHeading(tag) || tag == Tag::P || tag == Tag::Li
        || tag == Tag::Dd || tag == Tag::Dt || tag == Tag::Ul || tag == Tag::Ol || tag == Tag::Dl || tag == Tag::Table
        || tag == Tag::Form;
}

bool IsScopeBoundary(Tag tag)
{
    return tag == Tag::Html || tag == Tag::Table || tag == Tag::Button || InRange(tag, Tag::Td, Tag::Template);
}

// The name of a formatting element, for the end tags the guard writes.
const char* FormattingName(Tag tag)
{
    static const char* const kNames[]
        = { "a", "b", "big", "code", "em", "font", "i", "nobr", "s", "small", "strike", "strong", "tt", "u" };
    return kNames[static_cast<int>(tag) - static_cast<int>(Tag::A)];
}

// Start tags before which the parser re-opens the pending formatting elements that are no
// longer open (inline content; block elements only close an open paragraph).
bool ReconstructsFormatting(Tag tag)
{
    if (ClosesParagraph(tag) && tag != Tag::Xmp)
        return false;
    switch (tag) {
    case Tag::Html:
    case Tag::Head:
    case Tag::Body:
    case Tag::Script:
    case Tag::Style:
    case Tag::Title:
    case Tag::Textarea:
    case Tag::Iframe:
    case Tag::Noembed:
    case Tag::Noframes:
    case Tag::Noscript:
    case Tag::Meta:
    case Tag::Link:
    case Tag::Base:
    case Tag::Basefont:
    case Tag::Bgsound:
    case Tag::Frame:
    case Tag::Template:
    case Tag::Td:
    case Tag::Th:
    case Tag::Tr:
    case Tag::Tbody:
    case Tag::Thead:
    case Tag::Tfoot:
    case Tag::Caption:
        return false;
    default:
        return true;
    }
}

bool IsTableContext(Tag tag)
{
    return tag == Tag::Table || tag == Tag::Tbody || tag == Tag::Thead || tag == Tag::Tfoot || tag == Tag::Tr;
}

// A cheap model of the parser's stack of open elements and list of pending formatting elements.
class NestingModel
{
public:
    explicit NestingModel(const MarkupLimits& limits)
        : m_limits(limits)
    {
        m_openCount.fill(0);
    }

    // Elements the parser made of its own: re-opened formatting elements.
    qint64 ImpliedElements() const { return m_lngImplied; }

    // Applies a start tag; false when the tag must be left out (the model is then unchanged but
    // for what was written into prefix: end tags that keep re-opened formatting elements from
    // piling up, to be put before the tag whether it is kept or not).
    bool StartTag(const MarkupToken& token, Tag tag, const QByteArray& signature, QByteArray* prefix)
    {
        if (tag == Tag::Html || tag == Tag::Head || tag == Tag::Body)
            return true;
        const bool blnForeign = !m_stack.empty() && m_stack.back().blnForeign;
        if (!blnForeign && ReconstructsFormatting(tag))
            Reconstruct(prefix);
        if (blnForeign ? token.blnSelfClosing : (IsVoidElement(tag) || IsTextOnlyElement(tag)))
            return true;
        if (tag == Tag::Form && m_blnFormOpen)
            return true; // the parser ignores a form inside a form
        if (tag == Tag::Select && !blnForeign) {
            const int intSelect = FindOpen({ Tag::Select }, {});
            if (intSelect >= 0) {
                PopTo(intSelect);
                return true; // a select inside a select closes the first one
            }
        }

        const int intPopTo = blnForeign ? -1 : ImpliedPop(tag);
        const int intDepth = intPopTo >= 0 ? intPopTo : static_cast<int>(m_stack.size());
        if (intDepth >= m_limits.intMaxDepth)
            return false;
        const bool blnFormatting = !blnForeign && IsFormattingElement(tag);
        // A new a or nobr first ends the pending one of its kind.
        const bool blnReplaces
            = blnFormatting && (tag == Tag::A || tag == Tag::Nobr) && CountFormatting(tag, nullptr) > 0;
        // The parser keeps no more than three equal pending elements, dropping the earliest.
        const bool blnThirdCopy = blnFormatting && CountFormatting(tag, &signature) >= 3;
        if (blnFormatting
            && static_cast<int>(m_formatting.size()) - ((blnReplaces || blnThirdCopy) ? 1 : 0)
                >= m_limits.intMaxFormatting)
            return false;

        if (blnReplaces)
            RemoveFormatting(tag);
        else if (blnThirdCopy)
            RemoveEarliest(tag, signature);
        PopTo(intPopTo);
        if (tag == Tag::Form)
            m_blnFormOpen = true;
        OpenElement element;
        element.tag = tag;
        if (tag == Tag::Other)
            element.strName = token.strName;
        element.blnForeign = blnForeign || tag == Tag::Svg || tag == Tag::Math;
        if (!blnForeign && IsFormattingMarker(tag)) {
            element.blnMarker = true;
            m_markers.push_back(static_cast<int>(m_formatting.size()));
        }
        if (blnFormatting) {
            element.intPendingId = m_intNextId++;
            m_formatting.push_back({ tag, signature, element.intPendingId, true });
        }
        m_stack.push_back(std::move(element));
        ++m_openCount[static_cast<size_t>(tag)];
        return true;
    }

    void EndTag(const MarkupToken& token, Tag tag)
    {
        if (tag == Tag::Html || tag == Tag::Head || tag == Tag::Body)
            return;
        if (tag == Tag::Form)
            m_blnFormOpen = false;
        if (IsFormattingElement(tag)) {
            // The latest pending element of that kind: one no longer open only leaves the list,
            // an open one is closed with what was opened after it.
            for (int intAt = static_cast<int>(m_formatting.size()) - 1; intAt >= LastMarker(); --intAt) {
                const Pending pending = m_formatting[static_cast<size_t>(intAt)];
                if (pending.tag != tag)
                    continue;
                m_formatting.erase(m_formatting.begin() + intAt);
                if (pending.blnOpen)
                    PopTo(StackIndexOf(pending.intId));
                return;
            }
        }
        if (tag != Tag::Other && m_openCount[static_cast<size_t>(tag)] == 0)
            return;
        for (int intAt = static_cast<int>(m_stack.size()) - 1; intAt >= 0; --intAt) {
            const OpenElement& open = m_stack[static_cast<size_t>(intAt)];
            if (open.tag == tag && (tag != Tag::Other || open.strName == token.strName)) {
                PopTo(intAt);
                return;
            }
        }
    }

    void Text(const MarkupToken& token, bool blnOnlyBlanks, QByteArray* prefix)
    {
        if (token.blnRawText || (!m_stack.empty() && m_stack.back().blnForeign))
            return;
        // Blanks in a table are kept in place; anything else is content and re-opens formatting.
        if (blnOnlyBlanks && !m_stack.empty() && IsTableContext(m_stack.back().tag))
            return;
        Reconstruct(prefix);
    }

private:
    struct OpenElement
    {
        Tag tag = Tag::Other;
        QByteArray strName; // Other elements only
        bool blnMarker = false;
        bool blnForeign = false;
        int intPendingId = 0; // formatting elements: their entry among the pending ones
    };

    struct Pending
    {
        Tag tag;
        QByteArray signature; // the start tag's text: equal signatures are the same element
        int intId;
        bool blnOpen;
    };

    int LastMarker() const { return m_markers.empty() ? 0 : m_markers.back(); }

    int StackIndexOf(int intPendingId) const
    {
        for (int intAt = static_cast<int>(m_stack.size()) - 1; intAt >= 0; --intAt) {
            if (m_stack[static_cast<size_t>(intAt)].intPendingId == intPendingId)
                return intAt;
        }
        return -1;
    }

    // The parser re-opens the pending formatting elements that end the list and are no longer
    // open, each inside the one before. When that would nest them beyond the depth limit, end
    // tags written before the token take them off the list instead: an end tag for a pending
    // element that is not open only removes it.
    void Reconstruct(QByteArray* prefix)
    {
        const int intMarker = LastMarker();
        int intFirst = static_cast<int>(m_formatting.size());
        while (intFirst > intMarker && !m_formatting[static_cast<size_t>(intFirst - 1)].blnOpen)
            --intFirst;
        const int intCount = static_cast<int>(m_formatting.size()) - intFirst;
        if (intCount == 0)
            return;
        if (static_cast<int>(m_stack.size()) + intCount > m_limits.intMaxDepth) {
            for (int intAt = static_cast<int>(m_formatting.size()) - 1; intAt >= intFirst; --intAt) {
                prefix->append("</");
                prefix->append(FormattingName(m_formatting[static_cast<size_t>(intAt)].tag));
                prefix->append('>');
            }
            m_formatting.resize(static_cast<size_t>(intFirst));
            return;
        }
        for (int intAt = intFirst; intAt < static_cast<int>(m_formatting.size()); ++intAt) {
            Pending& pending = m_formatting[static_cast<size_t>(intAt)];
            pending.intId = m_intNextId++;
            pending.blnOpen = true;
            OpenElement element;
            element.tag = pending.tag;
            element.intPendingId = pending.intId;
            m_stack.push_back(std::move(element));
            ++m_openCount[static_cast<size_t>(pending.tag)];
        }
        m_lngImplied += intCount;
    }

    // Where the end tags that the parser implies before this start tag would pop the stack to
    // (the index of the first element popped); -1 when nothing is popped.
    int ImpliedPop(Tag tag) const
    {
        int intPopTo = -1;
        auto include = [&intPopTo](int intAt) {
            if (intAt >= 0 && (intPopTo < 0 || intAt < intPopTo))
                intPopTo = intAt;
        };
        const int intTop = static_cast<int>(m_stack.size()) - 1;
        const Tag topTag = intTop >= 0 ? m_stack.back().tag : Tag::Other;
        if (ClosesParagraph(tag))
            include(FindOpen({ Tag::P }, {}));
        switch (tag) {
        case Tag::Li:
            include(FindOpen({ Tag::Li }, { Tag::Ul, Tag::Ol }));
            break;
        case Tag::Dd:
        case Tag::Dt:
            include(FindOpen({ Tag::Dd, Tag::Dt }, { Tag::Dl }));
            break;
        case Tag::Option:
        case Tag::Optgroup:
            if (topTag == Tag::Option)
                include(intTop);
            if (tag == Tag::Optgroup) {
                const int intBelow = topTag == Tag::Option ? intTop - 1 : intTop;
                if (intBelow >= 0 && m_stack[static_cast<size_t>(intBelow)].tag == Tag::Optgroup)
                    include(intBelow);
            }
            break;
        case Tag::A:
        case Tag::Nobr:
        case Tag::Button:
            include(FindOpen({ tag }, {}));
            break;
        case Tag::Table:
            if (topTag == Tag::Table || topTag == Tag::Tbody || topTag == Tag::Thead || topTag == Tag::Tfoot
                || topTag == Tag::Tr)
                include(FindOpen({ Tag::Table }, {}));
            break;
        case Tag::Tr:
            include(FindOpen({ Tag::Tr }, { Tag::Table }));
            break;
        case Tag::Td:
        case Tag::Th:
            include(FindOpen({ Tag::Td, Tag::Th }, { Tag::Tr, Tag::Table }));
            break;
        case Tag::Tbody:
        case Tag::Thead:
        case Tag::Tfoot:
            include(FindOpen({ Tag::Tbody, Tag::Thead, Tag::Tfoot }, { Tag::Table }));
            break;
        default:
            if (IsHeading(tag) && IsHeading(topTag))
                include(intTop);
            break;
        }
        return intPopTo;
    }

    // Index of the nearest open element among targets, searching down from the current node and
    // stopping at the scope boundaries (and at extra ones); -1 when none.
    int FindOpen(std::initializer_list<Tag> targets, std::initializer_list<Tag> extraBoundaries) const
    {
        bool blnAnyOpen = false;
        for (Tag target : targets)
            blnAnyOpen = blnAnyOpen || m_openCount[static_cast<size_t>(target)] > 0;
        if (!blnAnyOpen)
            return -1;
        for (int intAt = static_cast<int>(m_stack.size()) - 1; intAt >= 0; --intAt) {
            const Tag open = m_stack[static_cast<size_t>(intAt)].tag;
            for (Tag target : targets) {
                if (open == target)
                    return intAt;
            }
            if (IsScopeBoundary(open))
                return -1;
            for (Tag boundary : extraBoundaries) {
                if (open == boundary)
                    return -1;
            }
        }
        return -1;
    }

    // Pops the element at intAt and everything opened after it; -1 pops nothing.
    void PopTo(int intAt)
    {
        if (intAt < 0)
            return;
        while (static_cast<int>(m_stack.size()) > intAt) {
            const OpenElement& top = m_stack.back();
            if (top.blnMarker) {
                // The pending elements opened inside a cell, caption or object end with it.
                m_formatting.resize(std::min(m_formatting.size(), static_cast<size_t>(m_markers.back())));
                m_markers.pop_back();
            } else if (top.intPendingId != 0) {
                for (Pending& pending : m_formatting) {
                    if (pending.intId == top.intPendingId)
                        pending.blnOpen = false;
                }
            }
            --m_openCount[static_cast<size_t>(top.tag)];
            m_stack.pop_back();
        }
    }

    void RemoveFormatting(Tag tag)
    {
        for (auto it = m_formatting.rbegin(); it != m_formatting.rend(); ++it) {
            if (it->tag == tag) {
                m_formatting.erase(std::next(it).base());
                return;
            }
        }
    }

    void RemoveEarliest(Tag tag, const QByteArray& signature)
    {
        for (auto it = m_formatting.begin(); it != m_formatting.end(); ++it) {
            if (it->tag == tag && it->signature == signature) {
                m_formatting.erase(it);
                return;
            }
        }
    }

    // Pending elements of that tag (and that signature, when given).
    int CountFormatting(Tag tag, const QByteArray* signature) const
    {
        int intCount = 0;
        for (const Pending& pending : m_formatting) {
            if (pending.tag == tag && (!signature || pending.signature == *signature))
                ++intCount;
        }
        return intCount;
    }

    const MarkupLimits& m_limits;
    std::vector<OpenElement> m_stack;
    std::vector<Pending> m_formatting;
    std::vector<int> m_markers; // for each open marker: the size of m_formatting when it opened
    std::array<int, static_cast<size_t>(Tag::Count)> m_openCount;
    bool m_blnFormOpen = false;
    int m_intNextId = 1;
    qint64 m_lngImplied = 0;
};

bool OnlyBlanks(const char* data, qsizetype lngSize)
{
    for (qsizetype lngAt = 0; lngAt < lngSize; ++lngAt) {
        const char chr = data[lngAt];
        if (chr != ' ' && chr != '\t' && chr != '\n' && chr != '\r' && chr != '\f')
            return false;
    }
    return true;
}
} // namespace

GuardedMarkup GuardMarkup(const QByteArray& utf8, const MarkupLimits& limits)
{
    GuardedMarkup guarded;
    NestingModel model(limits);
    MarkupScanner scanner(utf8, false, limits.intMaxAttributes);
    MarkupToken token;
    // The page is copied only from its first change on; an ordinary page is passed on as it is.
    bool blnChanged = false;
    auto change = [&](qsizetype lngAt) {
        if (blnChanged)
            return;
        blnChanged = true;
        guarded.bytes.reserve(utf8.size());
        guarded.bytes.append(utf8.constData(), lngAt);
    };
    qint64 lngNodes = 0;
    QByteArray prefix;
    while (scanner.Next(&token)) {
        if (!prefix.isEmpty())
            prefix.clear();
        const char* tokenData = utf8.constData() + token.lngBegin;
        const qsizetype lngTokenSize = token.lngEnd - token.lngBegin;
        bool blnKeep = true;
        qsizetype lngCut = -1; // keep only the bytes before this offset of the tag, then close it
        switch (token.kind) {
        case MarkupToken::Kind::StartTag: {
            const Tag tag = TagOf(token.strName);
            QByteArray signature;
            if (IsFormattingElement(tag))
                signature = QByteArray(tokenData, lngTokenSize).toLower();
            blnKeep = model.StartTag(token, tag, signature, &prefix);
            if (blnKeep) {
                lngNodes += 1 + std::min(token.intAttributes, limits.intMaxAttributes);
                lngCut = token.lngLimitEnd;
            }
            break;
        }
        case MarkupToken::Kind::EndTag:
            if (token.strName.size() == 4 && token.strName == "form")
                guarded.formEndOffsets.push_back(
                    static_cast<int>((blnChanged ? guarded.bytes.size() : token.lngBegin) + prefix.size()));
            model.EndTag(token, TagOf(token.strName));
            // An end tag's attributes mean nothing; too many of them are dropped.
            if (token.lngLimitEnd >= 0)
                lngCut = token.lngBegin + 2 + token.strName.size();
            break;
        case MarkupToken::Kind::Text:
            model.Text(token, OnlyBlanks(tokenData, lngTokenSize), &prefix);
            ++lngNodes;
            break;
        case MarkupToken::Kind::Comment:
            ++lngNodes;
            break;
        case MarkupToken::Kind::Declaration:
            break;
        }
        if (lngNodes + model.ImpliedElements() > limits.lngMaxNodes) {
            guarded.blnOverBudget = true;
            break;
        }
        if (!prefix.isEmpty()) {
            change(token.lngBegin);
            guarded.bytes.append(prefix);
        }
        if (!blnKeep) {
            change(token.lngBegin);
            ++guarded.intDroppedTags;
        } else if (lngCut >= 0) {
            change(token.lngBegin);
            guarded.bytes.append(tokenData, lngCut - token.lngBegin);
            guarded.bytes.append(token.blnSelfClosing ? "/>" : ">");
        } else if (blnChanged) {
            guarded.bytes.append(tokenData, lngTokenSize);
        }
    }
    guarded.lngNodes = lngNodes + model.ImpliedElements();
    if (!blnChanged)
        guarded.bytes = utf8;
    return guarded;
}
