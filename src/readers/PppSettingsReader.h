#pragma once

#include <QString>

// Reads the PPP settings page of a Class I or Class V router from the page body's HTML and returns
// the lines "Encapsulation = ", "MRU = ", "MTU = " and "MSS = " with their values, joined with CR LF
// in page order. An encapsulation line replaces whatever was read before it; without one in front
// the text begins with CR LF.
QString ReadPppSettings(const QString& strHtml);

// The path of the link to a Class II router's PPP settings page on its connections page: the first
// href="..<path>" after the "<!-- Created Connection -->" or else "<!-- Connections -->" comment,
// without the two dots. When neither comment is there it appends "Link to PPP settings not found"
// and CR LF to strReportBody and returns an empty text.
QString FindPppSettingsLink(const QString& strHtml, QString& strReportBody);
