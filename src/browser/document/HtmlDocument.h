#pragma once

#include <QString>
#include <vector>

// A small document tree of our own. The builder (DocumentBuilder.cpp) converts the parser's output
// into it in one pre-order walk, so node numbers follow document order: node 0 is the document,
// and for any two nodes the one with the lower number comes first in the page.
//
// Nodes live in one flat vector and refer to each other by number; nothing here recurses, so a
// tree of any depth is walked and destroyed without touching the stack.
//
// Scripts change the tree: the change operations below leave the numbering out of document order
// until Renumber() restores it, and the queries expect it restored. Nodes keep their serial
// number through renumbering; nodes taken out of the tree stay in the vector, after the tree.

enum class HtmlNodeKind : quint8 { Document, Element, Text, Comment };

struct HtmlAttribute
{
    QString strName; // lower case
    QString strValue;
};

struct HtmlNode
{
    HtmlNodeKind kind = HtmlNodeKind::Element;
    QString strTag; // elements: lower-case tag name
    QString strText; // text and comment nodes
    std::vector<HtmlAttribute> attributes;
    int intParent = -1;
    std::vector<int> children;
    int intSourceOffset = -1; // byte offset of the start tag in the parsed source, -1 when implied
    int intParseOffset = -1; // offset of the markup that made the node, implied elements included
    int intSerial = -1; // stable number of the node in its document, kept when nodes are renumbered

    // Form control state changed through the element operations (not through the markup).
    bool blnValueSet = false;
    QString strValue;
    qint8 intSelected = -1; // options: -1 as the markup says, 0 not selected, 1 selected
};

class HtmlDocument
{
public:
    static constexpr int intDocumentNode = 0;

    // An empty document holding only its document node.
    HtmlDocument();

    // Appends a node under intParent (-1 only for the document node) and returns its number.
    int AppendNode(HtmlNode node, int intParent);
    // Makes room for intCount nodes in all (the builder knows the size of the tree up front).
    void ReserveNodes(int intCount) { m_nodes.reserve(static_cast<size_t>(intCount)); }

    int NodeCount() const { return static_cast<int>(m_nodes.size()); }
    // The end of the tree: nodes from here on are detached ones.
    int AttachedEnd() const { return SubtreeEnd(intDocumentNode); }
    const HtmlNode& Node(int intNode) const { return m_nodes[static_cast<size_t>(intNode)]; }
    HtmlNode& Node(int intNode) { return m_nodes[static_cast<size_t>(intNode)]; }

    bool IsElement(int intNode, const char* strTag) const;
    bool HasAttribute(int intNode, const QString& strName) const;
    // Value of the attribute strName (lower case); empty when it is missing.
    QString AttributeValue(int intNode, const QString& strName) const;
    bool IsInside(int intNode, int intAncestor) const;
    // The node that follows intNode's subtree in document order (NodeCount() when none).
    int SubtreeEnd(int intNode) const;

    // The body element, or the frameset of a frameset page; -1 when the page has neither.
    int BodyElement() const;
    // First element carrying id strId; when none does, the first form control named strId
    // (the classic control's getElementById answered to names as well).
    int ElementById(const QString& strId) const;
    // Elements with the given tag, in document order.
    std::vector<int> ElementsByTag(const char* strTag) const;
    // frame and iframe elements, in document order: the frame numbers of the page.
    std::vector<int> FrameElements() const;
    // Form whose name is strNameOrId, else whose id is; -1 when none.
    int FormByNameOrId(const QString& strNameOrId) const;
    // The controls that belong to a form, in document order: its descendants, and the controls
    // that the markup placed after its start tag but outside it (a form opened inside a table
    // stays empty in the tree while the fields that follow still belong to it).
    std::vector<int> FormControls(int intForm) const;
    // Offsets of the </form> end tags in the parsed source, ascending (set by the builder).
    void SetFormEndOffsets(std::vector<int> offsets)
    {
        m_formEndOffsets = std::move(offsets);
        NoteChange();
    }

    // Concatenated text of the node's descendants.
    QString TextContent(int intNode) const;
    // content of the first <meta http-equiv="refresh">, and whether there is one.
    bool MetaRefresh(QString* strContent) const;
    // href of the first <base> element, empty when none.
    QString BaseHref() const;

    // Current value of an input, select or textarea element; empty for anything else.
    QString ControlValue(int intNode) const;
    // Sets the value of an input, select or textarea element; anything else is left alone.
    void SetControlValue(int intNode, const QString& strValue);
    // The selected options of a select, as set or as the markup decides, in document order.
    std::vector<int> SelectedOptions(int intSelect) const;
    // An option's value: its value attribute, else its text with blanks collapsed.
    QString OptionValue(int intOption) const;
    // The option elements of a select, in document order.
    std::vector<int> SelectOptions(int intSelect) const;
    // Lower-case type of an input element ("text" when missing or unknown).
    QString InputType(int intInput) const;

    // Changes made by scripts. A new node starts detached.
    int CreateNode(HtmlNode node);
    // Moves intChild (with its subtree) under intParent, before intBefore (-1: as the last child).
    void InsertChild(int intParent, int intChild, int intBefore);
    void Detach(int intNode);
    // Numbers the nodes in document order again: the tree first, then each detached subtree.
    void Renumber();
    bool IsOrdered() const { return m_blnOrdered; }
    // The node with that serial number, -1 when there is none.
    int NodeBySerial(int intSerial) const;
    const std::vector<int>& FormEndOffsets() const { return m_formEndOffsets; }

    // Changes whenever nodes are added, moved or taken out, and when NoteChange() is called (by
    // whoever changes a name or an id): what was looked up in the tree may be kept for as long as
    // the version stays. Values of controls do not count. No two states of any documents share one.
    quint64 Version() const { return m_lngVersion; }
    void NoteChange();

private:
    void KeepSerials();

    std::vector<HtmlNode> m_nodes;
    std::vector<int> m_serialToNode; // empty while every serial equals its node's number
    bool m_blnOrdered = true;
    std::vector<int> m_formEndOffsets;
    quint64 m_lngVersion = 0;
};
