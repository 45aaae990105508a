#pragma once

#include <QString>
#include <utility>
#include <vector>

// Stretches [start, end) of a line, in order and disjoint.
using TextStretches = std::vector<std::pair<qsizetype, qsizetype>>;

// strLine with each of the stretches replaced by strMask.
QString ReplaceStretches(const QString& strLine, const TextStretches& stretches, const QString& strMask);
