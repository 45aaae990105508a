#pragma once

#include "browser/HtmlDocument.h"

#include <QByteArray>
#include <QString>

// Parses a page in UTF-8 with the HTML5 parser and converts its output into our own tree in one
// walk; the parser's output is freed before this returns. False when the page needs more than
// the parser may spend on it (too many nodes, see MarkupGuard.h, or more memory than the budget
// in the source): the document is then an empty page, and the page cannot be shown.
bool BuildHtmlDocument(const QByteArray& utf8, HtmlDocument* document);

// The same for text; a page that cannot be afforded gives an empty page.
HtmlDocument BuildHtmlDocument(const QString& strHtml);
