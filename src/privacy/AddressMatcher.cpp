#include "privacy/AddressMatcher.h"

#include <QStringView>
#include <algorithm>
#include <deque>
#include <utility>

namespace
{
bool IsRunChar(QChar ch)
{
    return (ch >= QLatin1Char('0') && ch <= QLatin1Char('9')) || ch == QLatin1Char('.');
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

// Copies strLine with each of the ordered, disjoint stretches replaced by strMask.
QString ReplaceStretches(
    const QString& strLine, const std::vector<std::pair<qsizetype, qsizetype>>& stretches, const QString& strMask)
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
} // namespace

AddressMatcher::AddressMatcher(const QStringList& strMatches)
    : m_nodes(1)
{
    for (const QString& strMatch : strMatches)
        Insert(strMatch);
    Link();
}

int AddressMatcher::Child(int intNode, char16_t chSymbol) const
{
    for (int intChild = m_nodes[intNode].intFirstChild; intChild != 0; intChild = m_nodes[intChild].intNextSibling) {
        if (m_nodes[intChild].chSymbol == chSymbol)
            return intChild;
    }
    return 0;
}

int AddressMatcher::Walk(int intNode, char16_t chSymbol) const
{
    while (true) {
        const int intChild = Child(intNode, chSymbol);
        if (intChild != 0 || intNode == 0)
            return intChild;
        intNode = m_nodes[intNode].intFail;
    }
}

void AddressMatcher::Insert(const QString& strMatch)
{
    if (strMatch.isEmpty() || !std::all_of(strMatch.cbegin(), strMatch.cend(), IsRunChar))
        return;
    int intNode = 0;
    for (const QChar ch : strMatch) {
        int intChild = Child(intNode, ch.unicode());
        if (intChild == 0) {
            intChild = static_cast<int>(m_nodes.size());
            Node node;
            node.chSymbol = ch.unicode();
            node.intDepth = m_nodes[intNode].intDepth + 1;
            node.intNextSibling = m_nodes[intNode].intFirstChild;
            m_nodes.push_back(node);
            m_nodes[intNode].intFirstChild = intChild;
        }
        intNode = intChild;
    }
    m_nodes[intNode].blnComplete = true;
}

void AddressMatcher::Link()
{
    // Breadth first, so that every failure target is linked before the nodes that lead to it.
    std::deque<int> queue;
    for (int intChild = m_nodes[0].intFirstChild; intChild != 0; intChild = m_nodes[intChild].intNextSibling)
        queue.push_back(intChild);
    while (!queue.empty()) {
        const int intNode = queue.front();
        queue.pop_front();
        Node& node = m_nodes[intNode];
        node.intLongest = node.blnComplete ? node.intDepth : m_nodes[node.intFail].intLongest;
        for (int intChild = node.intFirstChild; intChild != 0; intChild = m_nodes[intChild].intNextSibling) {
            m_nodes[intChild].intFail = intNode == 0 ? 0 : Walk(m_nodes[intNode].intFail, m_nodes[intChild].chSymbol);
            queue.push_back(intChild);
        }
    }
}

int AddressMatcher::Follow(QStringView run) const
{
    int intNode = 0;
    for (const QChar ch : run) {
        intNode = Child(intNode, ch.unicode());
        if (intNode == 0)
            return -1;
    }
    return intNode;
}

QString AddressMatcher::MaskOccurrences(const QString& strLine, const QString& strMask) const
{
    if (IsEmpty())
        return strLine;
    std::vector<std::pair<qsizetype, qsizetype>> stretches;
    ForEachRun(strLine, [&](qsizetype start, qsizetype end) {
        // Each position yields the longest number ending there; the shorter ones lie inside it.
        // Stretches come in order of their ends, and one that reaches back into earlier ones
        // swallows them.
        const size_t firstOfRun = stretches.size();
        int intNode = 0;
        for (qsizetype i = start; i < end; ++i) {
            intNode = Walk(intNode, strLine.at(i).unicode());
            const int intLongest = m_nodes[intNode].intLongest;
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
    std::vector<std::pair<qsizetype, qsizetype>> stretches;
    ForEachRun(strLine, [&](qsizetype start, qsizetype end) {
        qsizetype numberEnd = end;
        while (numberEnd > start && strLine.at(numberEnd - 1) == QLatin1Char('.'))
            --numberEnd;
        for (const qsizetype candidateEnd : { numberEnd, end }) {
            const int intNode = Follow(QStringView(strLine).mid(start, candidateEnd - start));
            if (candidateEnd > start && intNode > 0 && m_nodes[intNode].blnComplete) {
                stretches.emplace_back(start, candidateEnd);
                return;
            }
        }
    });
    return ReplaceStretches(strLine, stretches, strMask);
}
