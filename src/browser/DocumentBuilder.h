#pragma once

#include "browser/HtmlDocument.h"

#include <QByteArray>
#include <QString>

// Parses a decoded page with the HTML5 parser and converts its output into our own tree in one
// walk; the parser's output is freed before this returns. Never fails: markup the parser cannot
// afford (see MarkupGuard.h and the memory budget in the source) gives an empty page.
HtmlDocument BuildHtmlDocument(const QString& strHtml);

// The same for UTF-8 bytes, which are replaced by the bytes that were parsed (the guard's output,
// which is the input itself for any ordinary page): node offsets refer to them.
HtmlDocument BuildHtmlDocumentFromUtf8(QByteArray* utf8);

// Markup parsed as the content of an element with the tag strContextTag (as innerHTML is): the
// nodes are the children of the result's html element (node 1); no html element when the parser
// gave up.
HtmlDocument BuildHtmlFragment(const QString& strHtml, const QString& strContextTag);
