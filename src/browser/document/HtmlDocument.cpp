#include "browser/document/HtmlDocument.h"

#include <algorithm>
#include <atomic>
#include <limits>

namespace
{
bool IsListedControl(const QString& strTag)
{
    return strTag == QLatin1String("input") || strTag == QLatin1String("select") || strTag == QLatin1String("textarea")
        || strTag == QLatin1String("button");
}

// Line breaks are not part of a single-line field's value.
QString StripLineBreaks(QString strValue)
{
    strValue.remove(QLatin1Char('\r'));
    strValue.remove(QLatin1Char('\n'));
    return strValue;
}

QString CollapseBlanks(const QString& strText)
{
    return strText.simplified();
}
} // namespace

HtmlDocument::HtmlDocument()
{
    HtmlNode document;
    document.kind = HtmlNodeKind::Document;
    document.intSerial = intDocumentNode;
    m_nodes.push_back(std::move(document));
    NoteChange();
}

namespace
{
quint64 NextVersion()
{
    static std::atomic<quint64> s_lngLast { 0 };
    return ++s_lngLast;
}
} // namespace

void HtmlDocument::NoteChange()
{
    m_lngVersion = NextVersion();
}

int HtmlDocument::AppendNode(HtmlNode node, int intParent)
{
    NoteChange();
    const int intNumber = NodeCount();
    node.intParent = intParent;
    node.intSerial = intNumber;
    if (!m_serialToNode.empty()) {
        node.intSerial = static_cast<int>(m_serialToNode.size());
        m_serialToNode.push_back(intNumber);
    }
    m_nodes.push_back(std::move(node));
    if (intParent >= 0)
        m_nodes[static_cast<size_t>(intParent)].children.push_back(intNumber);
    return intNumber;
}

bool HtmlDocument::IsElement(int intNode, const char* strTag) const
{
    const HtmlNode& node = Node(intNode);
    return node.kind == HtmlNodeKind::Element && node.strTag == QLatin1String(strTag);
}

bool HtmlDocument::HasAttribute(int intNode, const QString& strName) const
{
    const auto& attributes = Node(intNode).attributes;
    return std::any_of(attributes.begin(), attributes.end(),
        [&](const HtmlAttribute& attribute) { return attribute.strName == strName; });
}

QString HtmlDocument::AttributeValue(int intNode, const QString& strName) const
{
    for (const HtmlAttribute& attribute : Node(intNode).attributes) {
        if (attribute.strName == strName)
            return attribute.strValue;
    }
    return QString();
}

bool HtmlDocument::IsInside(int intNode, int intAncestor) const
{
    return intNode > intAncestor && intNode < SubtreeEnd(intAncestor);
}

int HtmlDocument::SubtreeEnd(int intNode) const
{
    int intLast = intNode;
    while (!Node(intLast).children.empty())
        intLast = Node(intLast).children.back();
    return intLast + 1;
}

int HtmlDocument::BodyElement() const
{
    int intFrameset = -1;
    for (int intHtml : Node(intDocumentNode).children) {
        if (!IsElement(intHtml, "html"))
            continue;
        for (int intChild : Node(intHtml).children) {
            if (IsElement(intChild, "body"))
                return intChild;
            if (intFrameset < 0 && IsElement(intChild, "frameset"))
                intFrameset = intChild;
        }
    }
    return intFrameset;
}

int HtmlDocument::ElementById(const QString& strId) const
{
    if (strId.isEmpty())
        return -1;
    const QString strIdName = QStringLiteral("id");
    const int intEnd = AttachedEnd();
    for (int intNode = 0; intNode < intEnd; ++intNode) {
        if (Node(intNode).kind == HtmlNodeKind::Element && AttributeValue(intNode, strIdName) == strId)
            return intNode;
    }
    const QString strNameName = QStringLiteral("name");
    for (int intNode = 0; intNode < intEnd; ++intNode) {
        if (Node(intNode).kind == HtmlNodeKind::Element && AttributeValue(intNode, strNameName) == strId)
            return intNode;
    }
    return -1;
}

std::vector<int> HtmlDocument::ElementsByTag(const char* strTag) const
{
    std::vector<int> elements;
    const int intEnd = AttachedEnd();
    for (int intNode = 0; intNode < intEnd; ++intNode) {
        if (IsElement(intNode, strTag))
            elements.push_back(intNode);
    }
    return elements;
}

std::vector<int> HtmlDocument::FrameElements() const
{
    std::vector<int> frames;
    const int intEnd = AttachedEnd();
    for (int intNode = 0; intNode < intEnd; ++intNode) {
        if (IsElement(intNode, "frame") || IsElement(intNode, "iframe"))
            frames.push_back(intNode);
    }
    return frames;
}

int HtmlDocument::FormByNameOrId(const QString& strNameOrId) const
{
    if (strNameOrId.isEmpty())
        return -1;
    const std::vector<int> forms = ElementsByTag("form");
    for (int intForm : forms) {
        if (AttributeValue(intForm, QStringLiteral("name")) == strNameOrId)
            return intForm;
    }
    for (int intForm : forms) {
        if (AttributeValue(intForm, QStringLiteral("id")) == strNameOrId)
            return intForm;
    }
    return -1;
}

std::vector<int> HtmlDocument::FormControls(int intForm) const
{
    std::vector<int> controls;
    if (intForm < 0 || !IsElement(intForm, "form"))
        return controls;

    // The parser keeps a pointer to the open form from its start tag until its </form>, and a
    // second form start tag meanwhile is dropped: a control that the tree puts outside every form
    // still belongs to the form whose start tag and end tag surround it in the source.
    const int intStart = Node(intForm).intSourceOffset;
    int intEnd = -1;
    if (intStart >= 0) {
        const auto itEnd = std::upper_bound(m_formEndOffsets.begin(), m_formEndOffsets.end(), intStart);
        intEnd = itEnd == m_formEndOffsets.end() ? std::numeric_limits<int>::max() : *itEnd;
    }
    const int intAttachedEnd = AttachedEnd();
    for (int intNode = 0; intNode < intAttachedEnd; ++intNode) {
        const HtmlNode& node = Node(intNode);
        if (node.kind != HtmlNodeKind::Element || !IsListedControl(node.strTag))
            continue;
        int intOwner = -1;
        for (int intAncestor = node.intParent; intAncestor >= 0; intAncestor = Node(intAncestor).intParent) {
            if (IsElement(intAncestor, "form")) {
                intOwner = intAncestor;
                break;
            }
        }
        if (intOwner == intForm || (intOwner < 0 && node.intSourceOffset > intStart && node.intSourceOffset < intEnd))
            controls.push_back(intNode);
    }
    return controls;
}

QString HtmlDocument::TextContent(int intNode) const
{
    QString strText;
    const int intEnd = SubtreeEnd(intNode);
    for (int intChild = intNode + 1; intChild < intEnd; ++intChild) {
        if (Node(intChild).kind == HtmlNodeKind::Text)
            strText += Node(intChild).strText;
    }
    return strText;
}

bool HtmlDocument::MetaRefresh(QString* strContent) const
{
    for (int intMeta : ElementsByTag("meta")) {
        if (AttributeValue(intMeta, QStringLiteral("http-equiv"))
                .trimmed()
                .compare(QLatin1String("refresh"), Qt::CaseInsensitive)
            == 0) {
            *strContent = AttributeValue(intMeta, QStringLiteral("content"));
            return true;
        }
    }
    return false;
}

QString HtmlDocument::BaseHref() const
{
    for (int intBase : ElementsByTag("base")) {
        if (HasAttribute(intBase, QStringLiteral("href")))
            return AttributeValue(intBase, QStringLiteral("href")).trimmed();
    }
    return QString();
}

QString HtmlDocument::InputType(int intInput) const
{
    static const char* const kTypes[] = { "hidden", "text", "search", "tel", "url", "email", "password", "date",
        "month", "week", "time", "datetime", "datetime-local", "number", "range", "color", "checkbox", "radio", "file",
        "submit", "image", "reset", "button" };
    const QString strType = AttributeValue(intInput, QStringLiteral("type")).trimmed().toLower();
    for (const char* strKnown : kTypes) {
        if (strType == QLatin1String(strKnown))
            return strType;
    }
    return QStringLiteral("text");
}

std::vector<int> HtmlDocument::SelectOptions(int intSelect) const
{
    std::vector<int> options;
    const int intEnd = SubtreeEnd(intSelect);
    for (int intNode = intSelect + 1; intNode < intEnd; ++intNode) {
        if (IsElement(intNode, "option"))
            options.push_back(intNode);
    }
    return options;
}

QString HtmlDocument::OptionValue(int intOption) const
{
    if (HasAttribute(intOption, QStringLiteral("value")))
        return AttributeValue(intOption, QStringLiteral("value"));
    return CollapseBlanks(TextContent(intOption));
}

std::vector<int> HtmlDocument::SelectedOptions(int intSelect) const
{
    const std::vector<int> options = SelectOptions(intSelect);
    std::vector<int> selected;
    const QString strSelected = QStringLiteral("selected");
    const bool blnSetByValue = std::any_of(
        options.begin(), options.end(), [this](int intOption) { return Node(intOption).intSelected >= 0; });
    if (blnSetByValue || HasAttribute(intSelect, QStringLiteral("multiple"))) {
        for (int intOption : options) {
            const qint8 intState = Node(intOption).intSelected;
            if (intState == 1 || (intState < 0 && HasAttribute(intOption, strSelected)))
                selected.push_back(intOption);
        }
        return selected;
    }

    // A drop-down list shows exactly one option: the last one marked selected, else the first
    // one that is not disabled. A list box may show none.
    int intChosen = -1;
    for (int intOption : options) {
        if (HasAttribute(intOption, strSelected))
            intChosen = intOption;
    }
    const bool blnListBox = AttributeValue(intSelect, QStringLiteral("size")).trimmed().toInt() > 1;
    if (intChosen < 0 && !blnListBox) {
        for (int intOption : options) {
            if (!HasAttribute(intOption, QStringLiteral("disabled"))) {
                intChosen = intOption;
                break;
            }
        }
    }
    if (intChosen >= 0)
        selected.push_back(intChosen);
    return selected;
}

QString HtmlDocument::ControlValue(int intNode) const
{
    const HtmlNode& node = Node(intNode);
    if (node.kind != HtmlNodeKind::Element)
        return QString();
    if (node.strTag == QLatin1String("input")) {
        if (node.blnValueSet)
            return node.strValue;
        const QString strType = InputType(intNode);
        const QString strValueName = QStringLiteral("value");
        if ((strType == QLatin1String("checkbox") || strType == QLatin1String("radio"))
            && !HasAttribute(intNode, strValueName))
            return QStringLiteral("on");
        if (strType == QLatin1String("hidden"))
            return AttributeValue(intNode, strValueName);
        return StripLineBreaks(AttributeValue(intNode, strValueName));
    }
    if (node.strTag == QLatin1String("textarea")) {
        if (node.blnValueSet)
            return node.strValue;
        return TextContent(intNode);
    }
    if (node.strTag == QLatin1String("select")) {
        const std::vector<int> selected = SelectedOptions(intNode);
        if (!selected.empty())
            return OptionValue(selected.front());
    }
    return QString();
}

void HtmlDocument::SetControlValue(int intNode, const QString& strValue)
{
    HtmlNode& node = Node(intNode);
    if (node.kind != HtmlNodeKind::Element)
        return;
    if (node.strTag == QLatin1String("input")) {
        const QString strType = InputType(intNode);
        if (strType == QLatin1String("file"))
            return;
        const bool blnSingleLine = strType != QLatin1String("hidden") && strType != QLatin1String("checkbox")
            && strType != QLatin1String("radio");
        node.strValue = blnSingleLine ? StripLineBreaks(strValue) : strValue;
        node.blnValueSet = true;
    } else if (node.strTag == QLatin1String("textarea")) {
        node.strValue = strValue;
        node.blnValueSet = true;
    } else if (node.strTag == QLatin1String("select")) {
        // The first option with that value becomes the selected one; no match leaves none selected.
        bool blnFound = false;
        for (int intOption : SelectOptions(intNode)) {
            const bool blnMatch = !blnFound && OptionValue(intOption) == strValue;
            blnFound = blnFound || blnMatch;
            Node(intOption).intSelected = blnMatch ? 1 : 0;
        }
    }
}

void HtmlDocument::KeepSerials()
{
    if (!m_serialToNode.empty())
        return;
    m_serialToNode.resize(m_nodes.size());
    for (size_t lngNode = 0; lngNode < m_nodes.size(); ++lngNode)
        m_serialToNode[static_cast<size_t>(m_nodes[lngNode].intSerial)] = static_cast<int>(lngNode);
}

int HtmlDocument::CreateNode(HtmlNode node)
{
    NoteChange();
    KeepSerials();
    const int intNumber = NodeCount();
    node.intParent = -1;
    node.children.clear();
    node.intSerial = static_cast<int>(m_serialToNode.size());
    m_serialToNode.push_back(intNumber);
    m_nodes.push_back(std::move(node));
    m_blnOrdered = false;
    return intNumber;
}

void HtmlDocument::Detach(int intNode)
{
    NoteChange();
    HtmlNode& node = Node(intNode);
    if (node.intParent < 0)
        return;
    std::vector<int>& siblings = Node(node.intParent).children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), intNode), siblings.end());
    node.intParent = -1;
    KeepSerials();
    m_blnOrdered = false;
}

void HtmlDocument::InsertChild(int intParent, int intChild, int intBefore)
{
    NoteChange();
    if (intChild == intDocumentNode || intParent == intChild)
        return;
    // A node cannot go under one of its own descendants.
    for (int intAncestor = intParent; intAncestor >= 0; intAncestor = Node(intAncestor).intParent) {
        if (intAncestor == intChild)
            return;
    }
    Detach(intChild);
    std::vector<int>& children = Node(intParent).children;
    auto itBefore = intBefore < 0 ? children.end() : std::find(children.begin(), children.end(), intBefore);
    children.insert(itBefore, intChild);
    Node(intChild).intParent = intParent;
    KeepSerials();
    m_blnOrdered = false;
}

int HtmlDocument::NodeBySerial(int intSerial) const
{
    if (intSerial < 0)
        return -1;
    if (m_serialToNode.empty())
        return intSerial < NodeCount() ? intSerial : -1;
    return intSerial < static_cast<int>(m_serialToNode.size()) ? m_serialToNode[static_cast<size_t>(intSerial)] : -1;
}

void HtmlDocument::Renumber()
{
    if (m_blnOrdered)
        return;
    // New numbers in pre-order: the tree from the document node, then every detached subtree.
    const int intCount = NodeCount();
    std::vector<int> order;
    order.reserve(static_cast<size_t>(intCount));
    std::vector<int> pending;
    auto walk = [&](int intRoot) {
        pending.push_back(intRoot);
        while (!pending.empty()) {
            const int intNode = pending.back();
            pending.pop_back();
            order.push_back(intNode);
            const std::vector<int>& children = Node(intNode).children;
            for (auto it = children.rbegin(); it != children.rend(); ++it)
                pending.push_back(*it);
        }
    };
    walk(intDocumentNode);
    for (int intNode = 1; intNode < intCount; ++intNode) {
        if (Node(intNode).intParent < 0)
            walk(intNode);
    }
    std::vector<int> newNumber(static_cast<size_t>(intCount), -1);
    for (size_t lngPosition = 0; lngPosition < order.size(); ++lngPosition)
        newNumber[static_cast<size_t>(order[lngPosition])] = static_cast<int>(lngPosition);
    std::vector<HtmlNode> nodes;
    nodes.reserve(order.size());
    for (int intOld : order) {
        HtmlNode node = std::move(m_nodes[static_cast<size_t>(intOld)]);
        if (node.intParent >= 0)
            node.intParent = newNumber[static_cast<size_t>(node.intParent)];
        for (int& intChild : node.children)
            intChild = newNumber[static_cast<size_t>(intChild)];
        nodes.push_back(std::move(node));
    }
    m_nodes = std::move(nodes);
    for (size_t lngNode = 0; lngNode < m_nodes.size(); ++lngNode)
        m_serialToNode[static_cast<size_t>(m_nodes[lngNode].intSerial)] = static_cast<int>(lngNode);
    m_blnOrdered = true;
}
