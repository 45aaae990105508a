#pragma once

#include "SimOptions.h"

#include <string>
#include <vector>

namespace httplib
{
struct Request;
struct Response;
} // namespace httplib

// Small pieces that the pages of all three router classes share.

std::string ReplaceAll(std::string strText, const std::string& strFrom, const std::string& strTo);

// Sends a page that no cache may keep. Pages carry no charset: the routers these imitate never
// sent one, so clients fall back to their single-byte default.
void SendHtml(httplib::Response& res, const std::string& strHtml, int intStatus = 200);
void SendPlainText(httplib::Response& res, const std::string& strText);

// The value of cookie strName in the request's Cookie headers, or "".
std::string CookieValue(const httplib::Request& req, const std::string& strName);

// A <meta> line that makes the page load itself again after intSeconds.
std::string RefreshMeta(int intSeconds);

// The router's own diagnostic test: it starts when its page is first opened in a session and has
// its result on the intDiagLoadsToFinish-th load of the page; until then the page reloads itself.
enum class DiagOutcome { Running, Passed, Failed };

inline constexpr int intDiagLoadsToFinish = 3;

// What the intLoad-th load (from 1) of the diagnostic page in one session shows.
DiagOutcome DiagnosticOutcome(int intLoad, const Scenario& scenario);

// The lines of a finished test, each "<test>: PASS". "Query DNS" is among them: that is the line a
// diagnostic run waits for.
const std::vector<std::string>& DiagnosticResultLines();
// The same lines as table rows, one "<tr><td>...</td></tr>" each.
std::string DiagnosticResultRows();

// The text as a string literal of the pages' scripts (double quotes).
std::string ScriptString(const std::string& strText);
// The texts as an array literal of the pages' scripts.
std::string ScriptArray(const std::vector<std::string>& texts);
// A script in the page's head that fills a table (by id) with one row of one cell per text once
// the page has loaded, the way routers' status pages build their result tables.
std::string ScriptFillsTableOnLoad(const std::string& strTableId, const std::vector<std::string>& texts);

// The texts of rows of one cell ("<tr><td>text</td></tr>", one a line), in order.
std::vector<std::string> RowTexts(const std::string& strRows);
// Rows of one cell written by a script with a loop over the texts, in place of the rows.
std::string ScriptWritesRows(const std::vector<std::string>& texts);

// A class's page frame with its {TITLE}, {HEAD} and {BODY} places filled in.
std::string FillPageFrame(
    const std::string& strFrame, const std::string& strTitle, const std::string& strHead, const std::string& strBody);
