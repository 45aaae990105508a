#pragma once

#include "browser/document/HtmlDocument.h"

#include <QString>

// Markup written back the way the classic control wrote it, which the PPP reader's
// case-sensitive markers depend on:
// - tag names in upper case; every element but the void ones gets its end tag;
// - attribute names in lower case and in the page's order; a value without quotes when it is
//   made of letters, digits, '.', '-' and '_' only, otherwise in double quotes (a double quote
//   inside written &quot;); boolean attributes (selected, checked, ...) bare;
// - text as in the page, with &, < and > written as entities and no-break spaces as &nbsp;;
//   the content of script and style as it is; comments as they are;
// - every line break written CR LF.
// So <option value="1" selected>PPPoA VC-Mux</option> is written
// <OPTION value=1 selected>PPPoA VC-Mux</OPTION>, and <A HREF=../x.htm> is written
// <A href="../x.htm">.

// The children of the body element (its inner HTML); for a frameset page, those of the frameset.
QString SerializeBodyHtml(const HtmlDocument& document);

// The children of any node.
QString SerializeChildren(const HtmlDocument& document, int intNode);

// The whole document from its root element on, for showing the page being visited.
QString SerializeDocument(const HtmlDocument& document);
