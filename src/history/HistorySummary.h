#pragma once

#include "history/LineSample.h"

#include <QString>
#include <utility>

// The stretches of a history without samples: from the last sample before the router stopped
// answering (or a watch ended, or the samples simply stop for more than three of their usual
// spacings) to the next sample. Shared by the summary and the plot, which draws them as gaps.
std::vector<std::pair<QDateTime, QDateTime>> HistoryGaps(const LineHistory& history);

// The short block for a forum post: period, number of samples and gaps, minimum, median and
// maximum of each value, and every resync with its time (UTC). CR LF line ends, none after the last
// line.
QString SummariseHistory(const LineHistory& history);

// The samples and events as a text table, as CSV (one header line, a row per sample, empty cells
// for absent values) or as JSON (absent values are null). strFormat is "text", "csv" or "json".
QString FormatHistory(const LineHistory& history, const RouterKey& key, const QString& strFormat);

// A span of time written as a number with a unit, or several ("90s", "30m", "24h", "7d", "2w",
// "1h30m"); a bare number is seconds. nullopt for anything else.
std::optional<qint64> ParseTimeSpan(const QString& strText);
