#include "browser/DocumentBuilder.h"

#include "browser/MarkupGuard.h"

#include <QtGlobal>
#include <algorithm>
#include <csetjmp>
#include <cstddef>
#include <cstdlib>
#include <gumbo.h>
#include <utility>
#include <vector>

namespace
{
// Every block the parser allocates is linked into one list, so that the whole output is freed in
// one pass after the conversion (the parser's own clean-up would recurse once per tree level)
// and so that a page whose parse outgrows the memory budget can be abandoned half-way: the
// allocation jumps back to the parse call and the list frees whatever the parser had built.
// The parser is C code, so no destructor is skipped by the jump.
struct alignas(std::max_align_t) BlockHeader
{
    BlockHeader* previous;
    BlockHeader* next;
    size_t lngSize;
};

class ParserMemory
{
public:
    explicit ParserMemory(size_t lngBudget)
        : m_lngBudget(lngBudget)
    {
        m_list.previous = &m_list;
        m_list.next = &m_list;
        m_list.lngSize = 0;
    }
    ~ParserMemory()
    {
        BlockHeader* block = m_list.next;
        while (block != &m_list) {
            BlockHeader* next = block->next;
            std::free(block);
            block = next;
        }
    }
    ParserMemory(const ParserMemory&) = delete;
    ParserMemory& operator=(const ParserMemory&) = delete;

    static void* Allocate(void* userdata, size_t lngSize)
    {
        auto* memory = static_cast<ParserMemory*>(userdata);
        if (lngSize > memory->m_lngBudget - memory->m_lngLive)
            std::longjmp(memory->m_overBudget, 1);
        auto* block = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + lngSize));
        if (!block)
            std::longjmp(memory->m_overBudget, 1);
        block->lngSize = lngSize;
        block->previous = &memory->m_list;
        block->next = memory->m_list.next;
        memory->m_list.next->previous = block;
        memory->m_list.next = block;
        memory->m_lngLive += lngSize;
        return block + 1;
    }

    static void Deallocate(void* userdata, void* pointer)
    {
        if (!pointer)
            return;
        auto* memory = static_cast<ParserMemory*>(userdata);
        BlockHeader* block = static_cast<BlockHeader*>(pointer) - 1;
        block->previous->next = block->next;
        block->next->previous = block->previous;
        memory->m_lngLive -= block->lngSize;
        std::free(block);
    }

    std::jmp_buf m_overBudget;

private:
    BlockHeader m_list;
    size_t m_lngLive = 0;
    size_t m_lngBudget;
};

// Kept free of C++ objects: a jump out of the parser lands here.
GumboOutput* ParseWithinBudget(ParserMemory* memory, const GumboOptions* options, const char* data, size_t lngSize)
{
    GumboOutput* volatile output = nullptr;
    if (setjmp(memory->m_overBudget) == 0)
        output = gumbo_parse_with_options(options, data, lngSize);
    return output;
}

QString FromPiece(const char* data, size_t lngLength)
{
    return QString::fromUtf8(data, static_cast<qsizetype>(lngLength));
}

QString TagName(const GumboElement& element)
{
    if (element.tag != GUMBO_TAG_UNKNOWN && element.tag < GUMBO_TAG_LAST) {
        // Known names are shared strings, made once.
        static const std::vector<QString> names = [] {
            std::vector<QString> table;
            for (int intTag = 0; intTag < GUMBO_TAG_LAST; ++intTag)
                table.push_back(QString::fromLatin1(gumbo_normalized_tagname(static_cast<GumboTag>(intTag))));
            return table;
        }();
        return names[static_cast<size_t>(element.tag)];
    }
    // Unknown tags keep the name the page gave them: "<name ...>" or "</name>".
    const char* data = element.original_tag.data;
    size_t lngLength = element.original_tag.length;
    size_t lngStart = 0;
    if (data && lngStart < lngLength && data[lngStart] == '<')
        ++lngStart;
    if (data && lngStart < lngLength && data[lngStart] == '/')
        ++lngStart;
    size_t lngEnd = lngStart;
    while (data && lngEnd < lngLength && data[lngEnd] != ' ' && data[lngEnd] != '\t' && data[lngEnd] != '\n'
        && data[lngEnd] != '\r' && data[lngEnd] != '\f' && data[lngEnd] != '/' && data[lngEnd] != '>')
        ++lngEnd;
    if (lngEnd == lngStart)
        return QStringLiteral("unknown");
    return FromPiece(data + lngStart, lngEnd - lngStart).toLower();
}

HtmlNode ConvertElement(const GumboNode* gumboNode)
{
    const GumboElement& element = gumboNode->v.element;
    HtmlNode node;
    node.kind = HtmlNodeKind::Element;
    node.strTag = TagName(element);
    if (!(gumboNode->parse_flags & GUMBO_INSERTION_IMPLIED))
        node.intSourceOffset = static_cast<int>(element.start_pos.offset);
    node.intParseOffset = static_cast<int>(element.start_pos.offset);
    node.attributes.reserve(element.attributes.length);
    for (unsigned int intAttr = 0; intAttr < element.attributes.length; ++intAttr) {
        const auto* gumboAttribute = static_cast<const GumboAttribute*>(element.attributes.data[intAttr]);
        HtmlAttribute attribute;
        attribute.strName = QString::fromUtf8(gumboAttribute->name);
        // The name as the page wrote it, when the parser's record of it is that name (for names
        // the parser had to repair, the record can span other characters).
        attribute.strSourceName = FromPiece(gumboAttribute->original_name.data, gumboAttribute->original_name.length);
        if (attribute.strSourceName.compare(attribute.strName, Qt::CaseInsensitive) != 0)
            attribute.strSourceName = attribute.strName;
        attribute.strValue = QString::fromUtf8(gumboAttribute->value);
        node.attributes.push_back(std::move(attribute));
    }
    return node;
}

const GumboVector* ChildrenOf(const GumboNode* gumboNode)
{
    switch (gumboNode->type) {
    case GUMBO_NODE_DOCUMENT:
        return &gumboNode->v.document.children;
    case GUMBO_NODE_ELEMENT:
    case GUMBO_NODE_TEMPLATE:
        return &gumboNode->v.element.children;
    default:
        return nullptr;
    }
}

void ConvertTree(const GumboNode* gumboDocument, HtmlDocument* document)
{
    // Pre-order walk with an explicit stack; children are pushed last-first so that they are
    // numbered in document order.
    std::vector<std::pair<const GumboNode*, int>> pending;
    auto pushChildren = [&pending](const GumboNode* gumboNode, int intParent) {
        const GumboVector* children = ChildrenOf(gumboNode);
        if (!children)
            return;
        for (unsigned int intChild = children->length; intChild > 0; --intChild)
            pending.emplace_back(static_cast<const GumboNode*>(children->data[intChild - 1]), intParent);
    };
    pushChildren(gumboDocument, HtmlDocument::intDocumentNode);
    while (!pending.empty()) {
        const auto [gumboNode, intParent] = pending.back();
        pending.pop_back();
        HtmlNode node;
        switch (gumboNode->type) {
        case GUMBO_NODE_ELEMENT:
        case GUMBO_NODE_TEMPLATE:
            node = ConvertElement(gumboNode);
            break;
        case GUMBO_NODE_COMMENT:
            node.kind = HtmlNodeKind::Comment;
            node.strText = QString::fromUtf8(gumboNode->v.text.text);
            node.intParseOffset = static_cast<int>(gumboNode->v.text.start_pos.offset);
            break;
        case GUMBO_NODE_TEXT:
        case GUMBO_NODE_CDATA:
        case GUMBO_NODE_WHITESPACE:
            node.kind = HtmlNodeKind::Text;
            node.strText = QString::fromUtf8(gumboNode->v.text.text);
            node.intParseOffset = static_cast<int>(gumboNode->v.text.start_pos.offset);
            break;
        case GUMBO_NODE_DOCUMENT:
            continue;
        }
        const int intNumber = document->AppendNode(std::move(node), intParent);
        pushChildren(gumboNode, intNumber);
    }
}

HtmlDocument EmptyPage()
{
    HtmlDocument document;
    HtmlNode html;
    html.strTag = QStringLiteral("html");
    const int intHtml = document.AppendNode(html, HtmlDocument::intDocumentNode);
    HtmlNode head;
    head.strTag = QStringLiteral("head");
    document.AppendNode(head, intHtml);
    HtmlNode body;
    body.strTag = QStringLiteral("body");
    document.AppendNode(body, intHtml);
    return document;
}

// Parses bytes that the guard has already been over (or that need no guard: fragments).
bool ParseInto(const QByteArray& bytes, GumboTag fragmentContext, HtmlDocument* document)
{
    // An ordinary page needs a few times its size while it is parsed; the budget leaves plenty
    // of room for that and stops markup that makes the parser clone elements without end.
    const size_t lngBudget = std::max<size_t>(size_t(64) << 20, static_cast<size_t>(bytes.size()) * 32);
    ParserMemory memory(lngBudget);
    GumboOptions options = kGumboDefaultOptions;
    options.allocator = &ParserMemory::Allocate;
    options.deallocator = &ParserMemory::Deallocate;
    options.userdata = &memory;
    options.max_errors = 0; // the parse errors are of no use here
    options.fragment_context = fragmentContext;
    options.fragment_namespace = GUMBO_NAMESPACE_HTML;

    const GumboOutput* output
        = ParseWithinBudget(&memory, &options, bytes.constData(), static_cast<size_t>(bytes.size()));
    if (!output)
        return false;
    ConvertTree(output->document, document);
    return true;
}
} // namespace

HtmlDocument BuildHtmlDocumentFromUtf8(QByteArray* utf8)
{
    GuardedMarkup guarded = GuardMarkup(*utf8);
    *utf8 = std::move(guarded.bytes);
    HtmlDocument document;
    if (!ParseInto(*utf8, GUMBO_TAG_LAST, &document)) {
        qWarning("page markup too costly to parse; shown as an empty page");
        return EmptyPage();
    }
    document.SetFormEndOffsets(guarded.formEndOffsets);
    return document;
}

HtmlDocument BuildHtmlDocument(const QString& strHtml)
{
    QByteArray utf8 = strHtml.toUtf8();
    return BuildHtmlDocumentFromUtf8(&utf8);
}

HtmlDocument BuildHtmlFragment(const QString& strHtml, const QString& strContextTag)
{
    const QByteArray tag = strContextTag.toLatin1();
    GumboTag context = gumbo_tag_enum(tag.constData());
    if (context == GUMBO_TAG_UNKNOWN || context == GUMBO_TAG_LAST)
        context = GUMBO_TAG_DIV;
    const GuardedMarkup guarded = GuardMarkup(strHtml.toUtf8());
    HtmlDocument document;
    if (!ParseInto(guarded.bytes, context, &document))
        return HtmlDocument();
    return document;
}
