#pragma once

#include "history/LineSample.h"

#include <optional>

// Reads one sample from the class's ADSL status page, through the same readers that write the
// report's ADSL lines: the text reader of Classes I and V, the status table of Class II. Each
// "name: value" line they give is matched by its name (state, modulation, SNR margin, attenuation,
// rate, uptime, CRC and FEC errors); a value that reads "NaN" or is not shown stays absent. nullopt
// for the browser's error page or a page that shows none of the values.
std::optional<LineSample> ReadLineSample(
    int intRouterClass, const QString& strText, const QString& strHtml, const QDateTime& dtTime);

// The values of one "name: value" line folded into sample; false when the name is none of the
// known ones.
bool ReadSampleLine(const QString& strLine, LineSample& sample);

// "3d 04:05:06", "04:05:06", "1234 s", "2 days 3 hours" and the like, in seconds; nullopt when the
// text holds no duration.
std::optional<qint64> ParseDuration(const QString& strText);
