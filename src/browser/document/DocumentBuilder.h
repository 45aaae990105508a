#pragma once

#include "browser/document/HtmlDocument.h"

#include <QByteArray>
#include <QString>

// Parses a page in UTF-8 with the HTML5 parser and converts its output into our own tree in one
// walk; the parser's output is freed before this returns. False when the page needs more than
// the parser may spend on it (too many nodes, see MarkupGuard.h, or more memory than the budget
// in the source): the document is then an empty page, and the page cannot be shown. parsed, when
// given, receives the bytes that were parsed (the guard's output, which is the input itself for
// any ordinary page): node offsets refer to them; it is left alone when the parse fails.
bool BuildHtmlDocument(const QByteArray& utf8, HtmlDocument* document, QByteArray* parsed = nullptr);

// The same for text; a page that cannot be afforded gives an empty page.
HtmlDocument BuildHtmlDocument(const QString& strHtml);

// The same for UTF-8 bytes, which are replaced by the bytes that were parsed; a page that cannot
// be afforded gives an empty page (and keeps its bytes).
HtmlDocument BuildHtmlDocumentFromUtf8(QByteArray* utf8);

// Markup parsed as the content of an element with the tag strContextTag (as innerHTML is): the
// nodes are the children of the result's html element (node 1); no html element when the parser
// gave up.
HtmlDocument BuildHtmlFragment(const QString& strHtml, const QString& strContextTag);
