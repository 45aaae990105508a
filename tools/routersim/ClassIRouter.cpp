// Class I: a plain ADSL modem whose pages sit under /doc/ and which asks for the administrator's
// credentials by HTTP authentication on every page (Basic, or Digest in the "digest" scenario).
// It has no login form, no log-out page and no product information pages.
#include "LineDrift.h"
#include "PageKit.h"
#include "RouterSimulator.h"

namespace
{

const char* const strVisitorCookie = "rs1100_client";

std::string ClassIPage(const std::string& strTitle, const std::string& strHead, const std::string& strBody)
{
    static const std::string strFrame = R"html(<html>
<head>
<title>RS-1100 ADSL Modem - {TITLE}</title>
{HEAD}<style type="text/css">
body { font-family: Arial, Helvetica, sans-serif; font-size: 12px; color: #202020; background: #ffffff; }
h3 { color: #1f3f7f; border-bottom: 2px solid #1f3f7f; }
td { font-size: 12px; padding: 2px 8px; }
table.grid td { border-bottom: 1px solid #c8d0e0; }
</style>
</head>
<body>
{BODY}</body>
</html>
)html";
    return FillPageFrame(strFrame, strTitle, strHead, strBody);
}

std::string ClassIIndexPage()
{
    return ClassIPage("Main", "", R"html(<h3>RS-1100 ADSL Modem</h3>
<table>
<tr><td><a href="/doc/syslog.htm">System Log</a></td></tr>
<tr><td><a href="/doc/adsl.htm">ADSL Status</a></td></tr>
<tr><td><a href="/doc/wan_adv.htm">WAN Settings</a></td></tr>
<tr><td><a href="/doc/diagtest.htm">Diagnostic Test</a></td></tr>
</table>
)html");
}

const char* const strClassILogRows = R"html(<tr><td>Jan  1 00:00:03 | kernel | RS-1100 firmware 2.41 starting</td></tr>
<tr><td>Jan  1 00:00:05 | dsl | ADSL line training started</td></tr>
<tr><td>Jan  1 00:00:38 | dsl | ADSL line up, 8128 kbps down, 448 kbps up</td></tr>
<tr><td>Jan  1 00:00:40 | ppp | PPPoA session started on PVC 0/38</td></tr>
<tr><td>Jan  1 00:00:41 | ppp | CHAP authentication succeeded</td></tr>
<tr><td>Jan  1 00:00:41 | ppp | PPP IP 203.0.113.45 assigned, peer 203.0.113.1</td></tr>
<tr><td>Jan  1 00:00:41 | ppp | DNS servers 198.51.100.53 and 198.51.100.54</td></tr>
<tr><td>Jan  1 00:04:17 | firewall | blocked 198.51.100.77 port 4451 to port 23</td></tr>
)html";

std::string ClassISyslogPage(bool blnReloadItself, bool blnScripted)
{
    const std::string strRows = blnScripted ? ScriptWritesRows(RowTexts(strClassILogRows)) : strClassILogRows;
    return ClassIPage("System Log", blnReloadItself ? RefreshMeta(0) : std::string(),
        R"html(<h3>System Log</h3>
<p>Current Time: Jan  1 00:12:40</p>
<table class="grid" width="640">
)html" + strRows
            + R"html(</table>
<p>If you would like to clear the log, restart the modem.</p>
)html");
}

// In the scripted scenario the values come from script variables, each written into its cell.
std::string ClassIAdslPage(bool blnScripted)
{
    if (blnScripted) {
        return ClassIPage("ADSL Status", R"html(<script language="JavaScript">
var adsl = { state: "Showtime", mode: "G.992.5 (ADSL2+) Annex A", snrDown: "12.5", snrUp: "11.0", attDown: 31, attUp: 17,
  rateDown: 8128, rateUp: 448 };
</script>
)html",
            R"html(<h3>ADSL Status</h3>
<p>Line state: <script>document.write(adsl.state)</script></p>
<p>Modulation: <script>document.write(adsl.mode)</script></p>
<table class="grid" width="400">
<tr><td></td><td>Downstream</td><td>Upstream</td><td></td></tr>
<tr><td>SNR Margin</td><td><script>document.write(adsl.snrDown)</script></td><td><script>document.write(adsl.snrUp)</script></td><td>dB</td></tr>
<tr><td>Line Attenuation</td><td><script>document.write(adsl.attDown)</script></td><td><script>document.write(adsl.attUp)</script></td><td>dB</td></tr>
</table>
<p>Data rate: <script>document.write(adsl.rateDown + " kbps down, " + adsl.rateUp + " kbps up")</script></p>
<form method="post" action="/doc/adsl.htm">
<button type="submit" name="action" value="restart">Restart</button> <button type="submit" name="action" value="stop">Stop</button>
</form>
)html");
    }
    return ClassIPage("ADSL Status", "", R"html(<h3>ADSL Status</h3>
<p>Line state: Showtime</p>
<p>Modulation: G.992.5 (ADSL2+) Annex A</p>
<table class="grid" width="400">
<tr><td></td><td>Downstream</td><td>Upstream</td><td></td></tr>
<tr><td>SNR Margin</td><td>12.5</td><td>11.0</td><td>dB</td></tr>
<tr><td>Line Attenuation</td><td>31</td><td>17</td><td>dB</td></tr>
</table>
<p>Data rate: 8128 kbps down, 448 kbps up</p>
<form method="post" action="/doc/adsl.htm">
<button type="submit" name="action" value="restart">Restart</button> <button type="submit" name="action" value="stop">Stop</button>
</form>
)html");
}

// The PPP settings form. The reader takes this page line by line, so the encapsulation list and
// each size field stand on lines of their own, the value attribute before the name.
std::string ClassIPppPage()
{
    return ClassIPage("WAN Settings", "", R"html(<h3>WAN Settings</h3>
<form name="wanform" method="post" action="/doc/wan_adv.htm">
<table width="480">
<tr><td>Encapsulation</td><td><select name="wan_encapsulation" size="1"><option value="0">PPPoE LLC</option><option value="1" selected>PPPoA VC-Mux</option><option value="2">PPPoA LLC</option><option value="3">Bridged LLC</option></select></td></tr>
<tr><td>VPI</td><td><input type="text" value="0" name="wan_vpi" size="4"></td></tr>
<tr><td>VCI</td><td><input type="text" value="38" name="wan_vci" size="4"></td></tr>
<tr><td>User name</td><td><input type="text" value="subscriber@isp.example" name="ppp_username" size="24"></td></tr>
<tr><td>MRU</td><td><input type="text" value="1500" name="simple_ppp_mru" size="5" maxlength="4"></td></tr>
<tr><td>MTU</td><td><input type="text" value="1500" name="simple_ppp_mtu" size="5" maxlength="4"></td></tr>
<tr><td>MSS</td><td><input type="text" value="1460" name="simple_ppp_mss" size="5" maxlength="4"></td></tr>
<tr><td></td><td><input type="submit" value="Apply"></td></tr>
</table>
</form>
)html");
}

std::string ClassIDiagnosticPage(DiagOutcome outcome, int intRefreshSeconds, bool blnScripted)
{
    if (outcome == DiagOutcome::Running) {
        return ClassIPage("Diagnostic Test", RefreshMeta(intRefreshSeconds), R"html(<h3>Diagnostic Test</h3>
<p>The modem is testing its connection. Please wait...</p>
)html");
    }
    if (outcome == DiagOutcome::Failed) {
        return ClassIPage("Diagnostic Test", "", R"html(<h3>Diagnostic Test</h3>
<p>errorText: the test could not be started (ADSL line not ready)</p>
)html");
    }
    if (blnScripted) {
        return ClassIPage("Diagnostic Test", ScriptFillsTableOnLoad("results", DiagnosticResultLines()),
            "<h3>Diagnostic Test Results</h3>\n<table id=\"results\" class=\"grid\" width=\"400\">\n</table>\n");
    }
    const std::string strRows = DiagnosticResultRows();
    return ClassIPage("Diagnostic Test", "",
        "<h3>Diagnostic Test Results</h3>\n<table class=\"grid\" width=\"400\">\n" + strRows + "</table>\n");
}

std::string ClassIUnauthorisedPage()
{
    return R"html(<html>
<head><title>401 Unauthorized</title></head>
<body>
<h3>401 Unauthorized</h3>
<p>Access to the RS-1100 configuration is protected. Please log in to continue.</p>
</body>
</html>
)html";
}

} // namespace

bool RouterSimulator::AuthoriseClassI(const httplib::Request& req, httplib::Response& res)
{
    const std::string strHeader = req.get_header_value("Authorization");
    bool blnAccepted = false;
    if (!m_options.scenario.blnLoginRefused) {
        if (m_options.scenario.blnDigest)
            blnAccepted = CheckDigestAuthorization(
                strHeader, req.method, req.path, m_digest, m_options.strUser, m_options.strPassword);
        else
            blnAccepted = CheckBasicAuthorization(strHeader, m_options.strUser, m_options.strPassword);
    }
    if (blnAccepted)
        return true;
    res.set_header("WWW-Authenticate",
        m_options.scenario.blnDigest ? DigestChallenge(m_digest) : BasicChallenge(m_digest.strRealm));
    SendHtml(res, ClassIUnauthorisedPage(), 401);
    return false;
}

std::string RouterSimulator::ClassIVisitor(const httplib::Request& req, httplib::Response& res)
{
    const std::string strToken = SessionOf(req, strVisitorCookie);
    return strToken.empty() ? StartSession(res, strVisitorCookie) : strToken;
}

void RouterSimulator::InstallClassI()
{
    m_server.Get("/", [this](const httplib::Request& req, httplib::Response& res) {
        if (AuthoriseClassI(req, res))
            SendHtml(res, ClassIIndexPage());
    });
    m_server.Get("/doc/syslog.htm", [this](const httplib::Request& req, httplib::Response& res) {
        if (AuthoriseClassI(req, res))
            SendHtml(res, ClassISyslogPage(m_options.scenario.blnReloadForever, m_options.scenario.blnScripted));
    });
    // The buttons of the ADSL page and the settings form post back to their page; the simulated
    // modem keeps its line and settings as they are and shows the page again.
    auto adslPage = [this](const httplib::Request& req, httplib::Response& res) {
        if (AuthoriseClassI(req, res))
            SendHtml(res,
                m_options.scenario.blnDrift ? ClassIPage(
                    "ADSL Status", "", DriftAdslBody(RouterClass::ClassI, DriftingLine(SimulatedSeconds())))
                                            : ClassIAdslPage(m_options.scenario.blnScripted));
    };
    m_server.Get("/doc/adsl.htm", adslPage);
    m_server.Post("/doc/adsl.htm", adslPage);
    auto pppPage = [this](const httplib::Request& req, httplib::Response& res) {
        if (!AuthoriseClassI(req, res))
            return;
        // In the reload-forever scenario the modem keeps sending its visitor back to the system log,
        // so the log is loaded again and again.
        if (m_options.scenario.blnReloadForever)
            res.set_redirect("/doc/syslog.htm");
        else
            SendHtml(res, ClassIPppPage());
    };
    m_server.Get("/doc/wan_adv.htm", pppPage);
    m_server.Post("/doc/wan_adv.htm", pppPage);
    m_server.Get("/doc/diagtest.htm", [this](const httplib::Request& req, httplib::Response& res) {
        if (!AuthoriseClassI(req, res))
            return;
        const int intLoad = m_sessions.CountDiagnosticLoad(ClassIVisitor(req, res));
        SendHtml(res,
            ClassIDiagnosticPage(DiagnosticOutcome(intLoad, m_options.scenario), m_options.intRefreshSeconds,
                m_options.scenario.blnScripted));
    });
}
