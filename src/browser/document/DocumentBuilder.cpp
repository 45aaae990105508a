#include "browser/document/DocumentBuilder.h"

#include "browser/document/GuardedChunks.h"
#include "browser/document/MarkupGuard.h"

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
// What the parser may allocate for one page, whatever the page: the guard's node budget keeps
// ordinary and hostile pages well below it; it stops the cases the guard's model misses.
constexpr size_t kParserBudgetBytes = size_t(160) << 20;

// The parser's memory for one page. The parser makes many small blocks (nodes, short strings,
// vectors): they are cut from large chunks, by size class, and a freed one is kept for the next
// block of its class. Larger blocks come from the system, linked into a list. Everything is
// freed in one pass after the conversion (the parser's own clean-up would visit every node),
// and a page whose parse outgrows the memory budget can be abandoned half-way: the allocation
// jumps back to the parse call and the chunks and the list free whatever the parser had built.
// The parser is C code, so no destructor is skipped by the jump; nothing here throws.
//
// Every block is preceded by its size, right before the address handed out: small blocks have
// a header of one alignment unit, large ones a header that also links them and, before the size,
// a mark of their own: the layout of GuardedChunks, whose SizeOf reads both kinds. Under
// AddressSanitizer the small blocks are guarded ones, never reused, and the mark tells them from
// the large.
constexpr size_t kUnit = alignof(std::max_align_t);
constexpr size_t kLargestSmall = 256;
constexpr size_t kChunkBytes = 64 * 1024;
constexpr size_t kLargeMark = 0x4c47;

struct alignas(std::max_align_t) SmallHeader
{
    size_t lngUnused;
    size_t lngSize; // the size class's size
};

struct alignas(std::max_align_t) LargeHeader
{
    LargeHeader* previous;
    LargeHeader* next;
    size_t lngMark;
    size_t lngSize;
};

struct FreeBlock
{
    FreeBlock* next;
};

struct Chunk
{
    Chunk* next;
};

static_assert(sizeof(SmallHeader) == kUnit && sizeof(LargeHeader) % kUnit == 0, "headers keep blocks aligned");
static_assert(offsetof(SmallHeader, lngSize) + sizeof(size_t) == sizeof(SmallHeader)
        && offsetof(LargeHeader, lngSize) + sizeof(size_t) == sizeof(LargeHeader),
    "the size is right before the block");

class ParserMemory
{
public:
    explicit ParserMemory(size_t lngBudget)
        : m_guarded(kChunkBytes, lngBudget)
        , m_lngBudget(lngBudget)
    {
        m_large.previous = &m_large;
        m_large.next = &m_large;
        m_large.lngSize = 0;
    }
    ~ParserMemory()
    {
        for (LargeHeader* block = m_large.next; block != &m_large;) {
            LargeHeader* next = block->next;
            std::free(block);
            block = next;
        }
        for (Chunk* chunk = m_chunks; chunk;) {
            Chunk* next = chunk->next;
            std::free(chunk);
            chunk = next;
        }
    }
    ParserMemory(const ParserMemory&) = delete;
    ParserMemory& operator=(const ParserMemory&) = delete;

    static void* Allocate(void* userdata, size_t lngSize)
    {
        auto* memory = static_cast<ParserMemory*>(userdata);
        if (lngSize > memory->m_lngBudget - memory->m_lngLive)
            std::longjmp(memory->m_overBudget, 1);
        if (GuardedChunks::kEnabled && lngSize <= kLargestSmall) {
            if (void* block = memory->m_guarded.Take(lngSize)) {
                memory->m_lngLive += lngSize;
                return block;
            }
        }
        return !GuardedChunks::kEnabled && lngSize <= kLargestSmall ? memory->AllocateSmall(lngSize)
                                                                    : memory->AllocateLarge(lngSize);
    }

    static void Deallocate(void* userdata, void* pointer)
    {
        if (!pointer)
            return;
        auto* memory = static_cast<ParserMemory*>(userdata);
        const size_t lngSize = GuardedChunks::SizeOf(pointer);
        memory->m_lngLive -= lngSize;
        if (GuardedChunks::kEnabled && GuardedChunks::MarkOf(pointer) != kLargeMark) {
            GuardedChunks::Give(pointer);
            return;
        }
        if (!GuardedChunks::kEnabled && lngSize <= kLargestSmall) {
            auto* block = static_cast<FreeBlock*>(pointer);
            block->next = memory->m_free[lngSize / kUnit];
            memory->m_free[lngSize / kUnit] = block;
            return;
        }
        LargeHeader* header = static_cast<LargeHeader*>(pointer) - 1;
        header->previous->next = header->next;
        header->next->previous = header->previous;
        std::free(header);
    }

    std::jmp_buf m_overBudget;

private:
    void* AllocateSmall(size_t lngSize)
    {
        const size_t lngClass = std::max<size_t>(1, (lngSize + kUnit - 1) / kUnit);
        const size_t lngBlock = lngClass * kUnit;
        m_lngLive += lngBlock;
        if (FreeBlock* block = m_free[lngClass]) {
            m_free[lngClass] = block->next;
            return block;
        }
        const size_t lngNeeded = sizeof(SmallHeader) + lngBlock;
        if (m_lngChunkLeft < lngNeeded) {
            auto* chunk = static_cast<Chunk*>(std::malloc(kChunkBytes));
            if (!chunk)
                std::longjmp(m_overBudget, 1);
            chunk->next = m_chunks;
            m_chunks = chunk;
            m_chunkNext = reinterpret_cast<char*>(chunk) + kUnit;
            m_lngChunkLeft = kChunkBytes - kUnit;
        }
        auto* header = reinterpret_cast<SmallHeader*>(m_chunkNext);
        header->lngSize = lngBlock;
        m_chunkNext += lngNeeded;
        m_lngChunkLeft -= lngNeeded;
        return header + 1;
    }

    void* AllocateLarge(size_t lngSize)
    {
        auto* header = static_cast<LargeHeader*>(std::malloc(sizeof(LargeHeader) + lngSize));
        if (!header)
            std::longjmp(m_overBudget, 1);
        header->lngSize = lngSize;
        header->lngMark = kLargeMark;
        header->previous = &m_large;
        header->next = m_large.next;
        m_large.next->previous = header;
        m_large.next = header;
        m_lngLive += lngSize;
        return header + 1;
    }

    GuardedChunks m_guarded;
    LargeHeader m_large;
    Chunk* m_chunks = nullptr;
    char* m_chunkNext = nullptr;
    size_t m_lngChunkLeft = 0;
    FreeBlock* m_free[kLargestSmall / kUnit + 1] = {};
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
    node.children.reserve(element.children.length);
    for (unsigned int intAttr = 0; intAttr < element.attributes.length; ++intAttr) {
        const auto* gumboAttribute = static_cast<const GumboAttribute*>(element.attributes.data[intAttr]);
        HtmlAttribute attribute;
        attribute.strName = QString::fromUtf8(gumboAttribute->name);
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

// The nodes below the document, so that the tree is allocated once at its final size.
size_t CountNodes(const GumboNode* gumboDocument)
{
    size_t lngCount = 0;
    std::vector<const GumboNode*> pending { gumboDocument };
    while (!pending.empty()) {
        const GumboNode* gumboNode = pending.back();
        pending.pop_back();
        const GumboVector* children = ChildrenOf(gumboNode);
        if (!children)
            continue;
        lngCount += children->length;
        for (unsigned int intChild = 0; intChild < children->length; ++intChild)
            pending.push_back(static_cast<const GumboNode*>(children->data[intChild]));
    }
    return lngCount;
}

void ConvertTree(const GumboNode* gumboDocument, HtmlDocument* document)
{
    document->ReserveNodes(static_cast<int>(CountNodes(gumboDocument)) + 1);
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

// Parses bytes that the guard has already been over.
bool ParseInto(const QByteArray& bytes, GumboTag fragmentContext, HtmlDocument* document)
{
    ParserMemory memory(kParserBudgetBytes);
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

bool BuildHtmlDocument(const QByteArray& utf8, HtmlDocument* document, QByteArray* parsed)
{
    GuardedMarkup guarded = GuardMarkup(utf8);
    *document = HtmlDocument();
    if (guarded.blnOverBudget || !ParseInto(guarded.bytes, GUMBO_TAG_LAST, document)) {
        *document = EmptyPage();
        return false;
    }
    document->SetFormEndOffsets(guarded.formEndOffsets);
    if (parsed)
        *parsed = std::move(guarded.bytes);
    return true;
}

HtmlDocument BuildHtmlDocumentFromUtf8(QByteArray* utf8)
{
    HtmlDocument document;
    if (!BuildHtmlDocument(*utf8, &document, utf8))
        qWarning("page markup too costly to parse; shown as an empty page");
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
    if (guarded.blnOverBudget || !ParseInto(guarded.bytes, context, &document))
        return HtmlDocument();
    return document;
}
