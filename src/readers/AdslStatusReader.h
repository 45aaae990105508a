#pragma once

#include <QString>

// Copies the useful lines of a Class I or Class V ADSL status page (the body's text, CR LF lines,
// table cells run together) to strReportBody after an empty line. Headings, buttons and lines of
// three characters or fewer are dropped, and the "SNR Margin" and "Line Attenuation" lines are
// rewritten by FormatLineValues. A browser error page ("Action canceled") adds
// "ADSL status cannot be found" and ends the reading.
void ReadAdslStatus(const QString& strText, QString& strReportBody);

// Rewrites a measurement line such as "SNR Margin12.511.0dB" (blnMargin true) or
// "Line Attenuation3117dB" (blnMargin false) as "<label>: <down>dB DOWN, <up>dB UP". The line is
// expected to begin with its label and end with a two-character unit; strLine is left holding the
// values alone. A line too short to hold its values gives empty values.
QString FormatLineValues(QString& strLine, bool blnMargin);
