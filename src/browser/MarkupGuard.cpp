#include "browser/MarkupGuard.h"

#include "browser/MarkupScanner.h"

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

// A cheap model of the parser's stack of open elements and list of pending formatting elements.
class NestingModel
{
public:
    explicit NestingModel(const MarkupLimits& limits)
        : m_limits(limits)
    {
        m_openCount.fill(0);
    }

    // Applies a start tag; false when the tag must be left out (the model is then unchanged).
    bool StartTag(const MarkupToken& token, const QByteArray& signature)
    {
        const Tag tag = TagOf(token.strName);
        if (tag == Tag::Html || tag == Tag::Head || tag == Tag::Body)
            return true;
        const bool blnForeign = !m_stack.empty() && m_stack.back().blnForeign;
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
        element.intFormattingMark = IsFormattingMarker(tag) ? static_cast<int>(m_formatting.size()) : -1;
        element.blnForeign = blnForeign || tag == Tag::Svg || tag == Tag::Math;
        m_stack.push_back(std::move(element));
        ++m_openCount[static_cast<size_t>(tag)];
        if (blnFormatting)
            m_formatting.push_back({ tag, signature });
        return true;
    }

    void EndTag(const MarkupToken& token)
    {
        const Tag tag = TagOf(token.strName);
        if (tag == Tag::Html || tag == Tag::Head || tag == Tag::Body)
            return;
        if (tag == Tag::Form)
            m_blnFormOpen = false;
        if (IsFormattingElement(tag))
            RemoveFormatting(tag);
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

private:
    struct OpenElement
    {
        Tag tag = Tag::Other;
        QByteArray strName; // Other elements only
        int intFormattingMark = -1;
        bool blnForeign = false;
    };

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
            if (top.intFormattingMark >= 0 && static_cast<int>(m_formatting.size()) > top.intFormattingMark)
                m_formatting.resize(static_cast<size_t>(top.intFormattingMark));
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
    struct Pending
    {
        Tag tag;
        QByteArray signature; // the start tag's text: equal signatures are the same element
    };
    std::vector<Pending> m_formatting;
    std::array<int, static_cast<size_t>(Tag::Count)> m_openCount;
    bool m_blnFormOpen = false;
};
} // namespace

GuardedMarkup GuardMarkup(const QByteArray& utf8, const MarkupLimits& limits)
{
    GuardedMarkup guarded;
    guarded.bytes.reserve(utf8.size());
    NestingModel model(limits);
    MarkupScanner scanner(utf8);
    MarkupToken token;
    while (scanner.Next(&token)) {
        bool blnKeep = true;
        if (token.kind == MarkupToken::Kind::StartTag) {
            QByteArray signature;
            if (IsFormattingElement(TagOf(token.strName)))
                signature = utf8.mid(token.lngBegin, token.lngEnd - token.lngBegin).toLower();
            blnKeep = model.StartTag(token, signature);
        } else if (token.kind == MarkupToken::Kind::EndTag) {
            if (token.strName == "form")
                guarded.formEndOffsets.push_back(static_cast<int>(guarded.bytes.size()));
            model.EndTag(token);
        }
        if (blnKeep)
            guarded.bytes.append(utf8.constData() + token.lngBegin, token.lngEnd - token.lngBegin);
        else
            ++guarded.intDroppedTags;
    }
    return guarded;
}
