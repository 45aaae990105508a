#include "privacy/AddressMatcher.h"

#include <QStringView>
#include <algorithm>
#include <bitset>
#include <limits>
#include <numeric>
#include <utility>

namespace
{
bool IsRunChar(QChar ch)
{
    return (ch >= QLatin1Char('0') && ch <= QLatin1Char('9')) || ch == QLatin1Char('.');
}

// The eleven characters of a dotted number in the order in which texts sort: ".", then "0" to "9".
constexpr int intSymbolCount = 11;

int SymbolOf(QChar ch)
{
    return ch == QLatin1Char('.') ? 0 : ch.unicode() - u'0' + 1;
}

// Calls onRun(start, end) for every maximal run of digits and dots in strLine.
template <typename OnRun> void ForEachRun(const QString& strLine, OnRun onRun)
{
    qsizetype i = 0;
    while (i < strLine.size()) {
        if (!IsRunChar(strLine.at(i))) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        while (i < strLine.size() && IsRunChar(strLine.at(i)))
            ++i;
        onRun(start, i);
    }
}

} // namespace

QString ReplaceStretches(const QString& strLine, const TextStretches& stretches, const QString& strMask)
{
    if (stretches.empty())
        return strLine;
    QString strResult;
    strResult.reserve(strLine.size() + static_cast<qsizetype>(stretches.size()) * strMask.size());
    qsizetype copied = 0;
    for (const auto& [start, end] : stretches) {
        strResult += QStringView(strLine).mid(copied, start - copied);
        strResult += strMask;
        copied = end;
    }
    strResult += QStringView(strLine).mid(copied);
    return strResult;
}

AddressMatcher::AddressMatcher(const QStringList& strMatches)
{
    QStringList& sorted = m_numbers;
    sorted.reserve(strMatches.size());
    for (const QString& strMatch : strMatches) {
        if (!strMatch.isEmpty() && std::all_of(strMatch.cbegin(), strMatch.cend(), IsRunChar))
            sorted << strMatch;
    }
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    m_setNumbers.reserve(sorted.size());
    m_lngFewestDots = sorted.isEmpty() ? 0 : std::numeric_limits<qsizetype>::max();
    for (const QString& strNumber : std::as_const(sorted)) {
        m_setNumbers.insert(QStringView(strNumber));
        m_lngFewestDots = std::min(m_lngFewestDots, strNumber.count(QLatin1Char('.')));
    }

    // One level of the trie per character position. In sorted order the numbers that share a front
    // stand together, so the nodes of a level come out breadth first, each node's children side by
    // side in symbol order.
    m_nodes.emplace_back();
    std::vector<int> nodeOf(static_cast<size_t>(sorted.size()), 0);
    std::vector<int> active(nodeOf.size());
    std::iota(active.begin(), active.end(), 0);
    for (qsizetype depth = 0; !active.empty(); ++depth) {
        int intParentBefore = -1;
        int intSymbolBefore = -1;
        int intNode = 0;
        size_t kept = 0;
        for (const int intMatch : active) {
            const QString& strMatch = sorted.at(intMatch);
            const int intParent = nodeOf[static_cast<size_t>(intMatch)];
            const int intSymbol = SymbolOf(strMatch.at(depth));
            if (intParent != intParentBefore || intSymbol != intSymbolBefore) {
                intNode = static_cast<int>(m_nodes.size());
                m_nodes.emplace_back();
                Node& parent = m_nodes[static_cast<size_t>(intParent)];
                if (parent.intSymbols == 0)
                    parent.intFirstChild = intNode;
                parent.intSymbols |= static_cast<quint16>(1U << intSymbol);
                intParentBefore = intParent;
                intSymbolBefore = intSymbol;
            }
            nodeOf[static_cast<size_t>(intMatch)] = intNode;
            if (strMatch.size() == depth + 1) {
                m_nodes[static_cast<size_t>(intNode)].blnComplete = true;
                m_nodes[static_cast<size_t>(intNode)].intLongest = static_cast<int>(depth + 1);
            } else {
                active[kept++] = intMatch;
            }
        }
        active.resize(kept);
    }

    // In breadth-first order every failure target (a shorter text) is complete before it is used.
    for (size_t intNode = 0; intNode < m_nodes.size(); ++intNode) {
        const Node node = m_nodes[intNode];
        int intChild = node.intFirstChild;
        for (int intSymbol = 0; intSymbol < intSymbolCount; ++intSymbol) {
            if (!(node.intSymbols & (1U << intSymbol)))
                continue;
            Node& child = m_nodes[static_cast<size_t>(intChild)];
            child.intFail = intNode == 0 ? 0 : Walk(node.intFail, intSymbol);
            if (child.intLongest == 0)
                child.intLongest = m_nodes[static_cast<size_t>(child.intFail)].intLongest;
            ++intChild;
        }
    }
}

int AddressMatcher::Child(int intNode, int intSymbol) const
{
    const Node& node = m_nodes[static_cast<size_t>(intNode)];
    const unsigned intBit = 1U << intSymbol;
    if (!(node.intSymbols & intBit))
        return 0;
    return node.intFirstChild + static_cast<int>(std::bitset<intSymbolCount>(node.intSymbols & (intBit - 1)).count());
}

int AddressMatcher::Walk(int intNode, int intSymbol) const
{
    while (true) {
        const int intChild = Child(intNode, intSymbol);
        if (intChild != 0 || intNode == 0)
            return intChild;
        intNode = m_nodes[static_cast<size_t>(intNode)].intFail;
    }
}

QString AddressMatcher::MaskOccurrences(const QString& strLine, const QString& strMask) const
{
    if (IsEmpty())
        return strLine;
    TextStretches stretches;
    ForEachRun(strLine, [&](qsizetype start, qsizetype end) {
        const QStringView run = QStringView(strLine).mid(start, end - start);
        if (run.count(QLatin1Char('.')) < m_lngFewestDots)
            return;
        if (m_setNumbers.contains(run)) {
            stretches.emplace_back(start, end);
            return;
        }
        // Each position yields the longest number ending there; the shorter ones lie inside it.
        // Stretches come in order of their ends, and one that reaches back into earlier ones
        // swallows them.
        const size_t firstOfRun = stretches.size();
        int intNode = 0;
        for (qsizetype i = start; i < end; ++i) {
            intNode = Walk(intNode, SymbolOf(strLine.at(i)));
            const int intLongest = m_nodes[static_cast<size_t>(intNode)].intLongest;
            if (intLongest == 0)
                continue;
            qsizetype from = i + 1 - intLongest;
            while (stretches.size() > firstOfRun && stretches.back().second > from) {
                from = std::min(from, stretches.back().first);
                stretches.pop_back();
            }
            stretches.emplace_back(from, i + 1);
        }
    });
    return ReplaceStretches(strLine, stretches, strMask);
}

QString AddressMatcher::MaskWholeRuns(const QString& strLine, const QString& strMask) const
{
    if (IsEmpty())
        return strLine;
    TextStretches stretches;
    ForEachRun(strLine, [&](qsizetype start, qsizetype end) {
        qsizetype numberEnd = end;
        while (numberEnd > start && strLine.at(numberEnd - 1) == QLatin1Char('.'))
            --numberEnd;
        for (const qsizetype candidateEnd : { numberEnd, end }) {
            if (candidateEnd > start && m_setNumbers.contains(QStringView(strLine).mid(start, candidateEnd - start))) {
                stretches.emplace_back(start, candidateEnd);
                return;
            }
        }
    });
    return ReplaceStretches(strLine, stretches, strMask);
}
