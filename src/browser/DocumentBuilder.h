#pragma once

#include "browser/HtmlDocument.h"

#include <QString>

// Parses a decoded page with the HTML5 parser and converts its output into our own tree in one
// walk; the parser's output is freed before this returns. Never fails: markup the parser cannot
// afford (see MarkupGuard.h and the memory budget in the source) gives an empty page.
HtmlDocument BuildHtmlDocument(const QString& strHtml);
