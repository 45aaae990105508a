#pragma once

#include "browser/document/HtmlDocument.h"

#include <QString>

// The body of a page as plain text, laid out the way the page readers expect it (the classic
// control's body text):
// - lines end with CR LF; there is no line break after the last line and no blank at a line end;
// - script, style, head, title, noscript, select lists and hidden fields give no text; buttons
//   (input type button, submit or reset) give their caption; a textarea gives its text as it is;
// - runs of blanks and line breaks in the markup read as one blank; &nbsp; reads as a blank;
// - the block elements (div, p, h1-h6, lists, table, tr, form, center, pre, blockquote, hr, dl,
//   address, fieldset and the like) start and end a line, empty lines are not written;
// - <br> ends a line, even an empty one;
// - the cells of a table row follow each other without any separator and without blanks at
//   the cell edges: "SNR Margin", "12.5", "11.0", "dB" read "SNR Margin12.511.0dB";
// - <pre> keeps its blanks and line breaks.
QString LayOutBodyText(const HtmlDocument& document);

// The same layout for the subtree of any element.
QString LayOutText(const HtmlDocument& document, int intNode);
