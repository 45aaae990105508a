#pragma once

#include <QString>

// Reads the ADSL status table of a Class II router from the page body's HTML. The row that holds
// "Description" names the values and the row after it holds them; the result is one line
// "name: value" per non-empty name, joined with CR LF (no trailing CR LF), or empty when the page
// has no such row. A name without a value cell is written with an empty value.
QString ReadStatusTable(const QString& strHtml);
