#include "PageKit.h"

#include <httplib.h>

std::string ReplaceAll(std::string strText, const std::string& strFrom, const std::string& strTo)
{
    if (strFrom.empty())
        return strText;
    std::string::size_type intPos = 0;
    while ((intPos = strText.find(strFrom, intPos)) != std::string::npos) {
        strText.replace(intPos, strFrom.size(), strTo);
        intPos += strTo.size();
    }
    return strText;
}

void SendHtml(httplib::Response& res, const std::string& strHtml, int intStatus)
{
    res.status = intStatus;
    res.set_header("Cache-Control", "no-cache, no-store");
    res.set_header("Pragma", "no-cache");
    res.set_content(strHtml, "text/html");
}

void SendPlainText(httplib::Response& res, const std::string& strText)
{
    res.status = 200;
    res.set_header("Cache-Control", "no-cache, no-store");
    res.set_content(strText, "text/plain");
}

std::string CookieValue(const httplib::Request& req, const std::string& strName)
{
    const std::size_t intCount = req.get_header_value_count("Cookie");
    for (std::size_t intHeader = 0; intHeader < intCount; ++intHeader) {
        const std::string strHeader = req.get_header_value("Cookie", intHeader);
        std::string::size_type intStart = 0;
        while (intStart < strHeader.size()) {
            auto intEnd = strHeader.find(';', intStart);
            if (intEnd == std::string::npos)
                intEnd = strHeader.size();
            std::string strPair = strHeader.substr(intStart, intEnd - intStart);
            while (!strPair.empty() && strPair.front() == ' ')
                strPair.erase(0, 1);
            const auto intEquals = strPair.find('=');
            if (intEquals != std::string::npos && strPair.substr(0, intEquals) == strName)
                return strPair.substr(intEquals + 1);
            intStart = intEnd + 1;
        }
    }
    return std::string();
}

std::string RefreshMeta(int intSeconds)
{
    return "<meta http-equiv=\"refresh\" content=\"" + std::to_string(intSeconds) + "\">\n";
}

DiagOutcome DiagnosticOutcome(int intLoad, const Scenario& scenario)
{
    if (scenario.blnDiagError)
        return DiagOutcome::Failed;
    if (scenario.blnDiagNever || intLoad < intDiagLoadsToFinish)
        return DiagOutcome::Running;
    return DiagOutcome::Passed;
}

const std::vector<std::string>& DiagnosticResultLines()
{
    static const std::vector<std::string> lines {
        "LAN Connection: PASS",
        "ADSL Synchronization: PASS",
        "ATM OAM F5 Segment Loopback: PASS",
        "ATM OAM F5 End-to-End Loopback: PASS",
        "PPP Server Connection: PASS",
        "Authentication with ISP: PASS",
        "Ping Gateway: PASS",
        "Query DNS: PASS",
        "Ping Internet Host: PASS",
    };
    return lines;
}

std::string DiagnosticResultRows()
{
    std::string strRows;
    for (const std::string& strLine : DiagnosticResultLines())
        strRows += "<tr><td>" + strLine + "</td></tr>\n";
    return strRows;
}

std::string FillPageFrame(
    const std::string& strFrame, const std::string& strTitle, const std::string& strHead, const std::string& strBody)
{
    return ReplaceAll(ReplaceAll(ReplaceAll(strFrame, "{TITLE}", strTitle), "{HEAD}", strHead), "{BODY}", strBody);
}

std::string ScriptString(const std::string& strText)
{
    std::string strOut = "\"";
    for (const char ch : strText) {
        if (ch == '"' || ch == '\\')
            strOut += '\\';
        if (ch == '\n') {
            strOut += "\\n";
            continue;
        }
        // A closing tag inside a script's text would end the script.
        if (ch == '/' && !strOut.empty() && strOut.back() == '<')
            strOut += '\\';
        strOut += ch;
    }
    return strOut + "\"";
}

std::string ScriptArray(const std::vector<std::string>& texts)
{
    std::string strOut = "[";
    for (std::size_t i = 0; i < texts.size(); ++i)
        strOut += (i ? ", " : "") + ScriptString(texts[i]);
    return strOut + "]";
}

std::string ScriptFillsTableOnLoad(const std::string& strTableId, const std::vector<std::string>& texts)
{
    return "<script type=\"text/javascript\">\nvar results = " + ScriptArray(texts)
        + ";\nwindow.onload = function () {\n  var table = document.getElementById(" + ScriptString(strTableId)
        + ");\n  for (var i = 0; i < results.length; i++)\n    table.insertRow(-1).insertCell(-1).innerHTML = "
          "results[i];\n};\n"
          "</script>\n";
}

std::vector<std::string> RowTexts(const std::string& strRows)
{
    std::vector<std::string> texts;
    const std::string strOpen = "<tr><td>";
    const std::string strClose = "</td></tr>";
    std::string::size_type intPos = 0;
    while ((intPos = strRows.find(strOpen, intPos)) != std::string::npos) {
        const auto intEnd = strRows.find(strClose, intPos);
        if (intEnd == std::string::npos)
            break;
        texts.push_back(strRows.substr(intPos + strOpen.size(), intEnd - intPos - strOpen.size()));
        intPos = intEnd + strClose.size();
    }
    return texts;
}

std::string ScriptWritesRows(const std::vector<std::string>& texts)
{
    return "<script language=\"JavaScript\">\nvar rows = " + ScriptArray(texts)
        + ";\nfor (var i = 0; i < rows.length; i++)\n  document.write(\"<tr><td>\" + rows[i] + "
          "\"</td></tr>\");\n</script>\n";
}
