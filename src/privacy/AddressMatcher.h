#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// Finds many dotted numbers at once in a text, in time linear in the text and in the numbers' total
// length (one automaton over the eleven characters "0"-"9" and "."). A dotted number can only stand
// inside a run of digits and dots, so every run of a line is matched on its own.
class AddressMatcher
{
public:
    // strMatches: runs of digits and dots; duplicates and empty texts are ignored.
    explicit AddressMatcher(const QStringList& strMatches);

    bool IsEmpty() const { return m_nodes.size() == 1; }

    // strLine with every stretch that an occurrence of a number covers replaced by strMask.
    // Occurrences that share a character (81.2.3.4 and 81.2.3.45, or 1.2.3.4 inside 81.2.3.4) make
    // one stretch, so no part of any of them is left standing; occurrences that merely touch are
    // masked one by one.
    QString MaskOccurrences(const QString& strLine, const QString& strMask) const;

    // strLine with every run of digits and dots that is one of the numbers (a full stop after it
    // left standing) replaced by strMask; numbers inside longer runs are left as they are.
    QString MaskWholeRuns(const QString& strLine, const QString& strMask) const;

private:
    struct Node
    {
        int intFirstChild = 0;
        int intNextSibling = 0;
        int intFail = 0;
        // Length of the longest number that ends here (this node's text or one of its suffixes), 0 for none.
        int intLongest = 0;
        int intDepth = 0;
        char16_t chSymbol = 0;
        bool blnComplete = false;
    };

    int Child(int intNode, char16_t chSymbol) const;
    int Walk(int intNode, char16_t chSymbol) const;
    void Insert(const QString& strMatch);
    void Link();
    // Node reached by following strRun from the root without failure links, or -1.
    int Follow(QStringView run) const;

    std::vector<Node> m_nodes;
};
