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

// The block that a report ends with on request (--with-history, or the history window's check
// box): an empty line and the summary of the router's history in strFolder, censored as the
// report's body is (intCensor as the check box holds it).
QString ReportHistoryBlock(const QString& strFolder, const RouterKey& key, int intCensor);

// Whether the reports of the window end with that block: "Line history in report" in
// Settings.ini's [Options] (0 or 1, off when absent).
bool HistoryInReport(const QString& strSettingsFile);
// Writes that option; false when the file cannot be written.
bool SetHistoryInReport(const QString& strSettingsFile, bool blnOn);

// A span of time written as a number with a unit, or several ("90s", "30m", "24h", "7d", "2w",
// "1h30m"); a bare number is seconds. nullopt for anything else.
std::optional<qint64> ParseTimeSpan(const QString& strText);
