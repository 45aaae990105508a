#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <utility>
#include <vector>

// Stretches [start, end) of a line, in order and disjoint.
using TextStretches = std::vector<std::pair<qsizetype, qsizetype>>;

// strLine with each of the stretches replaced by strMask.
QString ReplaceStretches(const QString& strLine, const TextStretches& stretches, const QString& strMask);

// Finds many dotted numbers at once in a text, in time linear in the text and in the numbers' total
// length (one automaton over the eleven characters "0"-"9" and "."). A dotted number can only stand
// inside a run of digits and dots, so every run of a line is matched on its own; a run that is
// itself one of the numbers (the usual case) is settled by one look-up.
class AddressMatcher
{
public:
    // strMatches: runs of digits and dots; duplicates and empty texts are ignored.
    explicit AddressMatcher(const QStringList& strMatches);

    bool IsEmpty() const { return m_numbers.isEmpty(); }

    // strLine with every stretch that an occurrence of a number covers replaced by strMask.
    // Occurrences that share a character (81.2.3.4 and 81.2.3.45, or 1.2.3.4 inside 81.2.3.4) make
    // one stretch, so no part of any of them is left standing; occurrences that merely touch are
    // masked one by one.
    QString MaskOccurrences(const QString& strLine, const QString& strMask) const;

    // strLine with every run of digits and dots that is one of the numbers (a full stop after it
    // left standing) replaced by strMask; numbers inside longer runs are left as they are.
    QString MaskWholeRuns(const QString& strLine, const QString& strMask) const;

private:
    // Nodes lie in breadth-first order, the children of a node next to each other in symbol order,
    // so that a child is found through its parent's symbol mask alone.
    struct Node
    {
        int intFirstChild = 0;
        int intFail = 0;
        // Length of the longest number that ends here (this node's text or one of its suffixes), 0 for none.
        int intLongest = 0;
        quint16 intSymbols = 0;
        bool blnComplete = false;
    };

    int Child(int intNode, int intSymbol) const;
    int Walk(int intNode, int intSymbol) const;

    QStringList m_numbers;
    QSet<QStringView> m_setNumbers;
    // No run with fewer dots than the number with the fewest can hold one.
    qsizetype m_lngFewestDots = 0;
    std::vector<Node> m_nodes;
};
