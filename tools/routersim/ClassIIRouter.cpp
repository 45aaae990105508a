// Class II: an ADSL2+ router whose pages are all served by one CGI program, /cgi-bin/webcm, which
// picks the page from its "getpage" parameter. The administrator logs in through the form
// "uiPostForm"; the login is kept in a session cookie, and every page but the login and log-out
// pages answers with the login prompt when there is no session. Some firmware variants expose the
// DSL statistics under /proc/ instead of offering a diagnostics page (scenario proc-diag).
#include "LineDrift.h"
#include "PageKit.h"
#include "RouterSimulator.h"

#include <map>

namespace
{

const char* const strSessionCookie = "webcm_session";

const std::string strLoginName = "../html/login.html";
const std::string strLogoutName = "../html/logout.html";
const std::string strHomeName = "../html/home.html";
const std::string strProductName = "../html/status/product.html";
const std::string strModemName = "../html/status/modem.html";
const std::string strSyslogName = "../html/status/syslog.html";
const std::string strAdslName = "../html/status/adsl.html";
const std::string strConnectionsName = "../html/setup/connections.html";
const std::string strPppoaName = "../html/setup/pppoa.html";
const std::string strDiagnosticsName = "../html/tools/diagnostics.html";

std::string ClassIIPage(const std::string& strTitle, const std::string& strHead, const std::string& strBody)
{
    static const std::string strFrame = R"html(<html>
<head>
<title>RS-2200 - {TITLE}</title>
{HEAD}<style type="text/css">
body { font-family: Verdana, Arial, sans-serif; font-size: 11px; margin: 12px; }
td { font-size: 11px; padding: 3px 6px; }
td.title { font-weight: bold; color: #ffffff; background: #5a2a82; }
td.v { color: #003366; }
table.status td { border: 1px solid #d0c8dc; }
</style>
</head>
<body>
{BODY}</body>
</html>
)html";
    return FillPageFrame(strFrame, strTitle, strHead, strBody);
}

// blnElsewhere: the form's action is on another host, as a hostile router might make it.
std::string ClassIILoginPage(bool blnFailed, bool blnElsewhere)
{
    const std::string strAction = blnElsewhere ? "http://127.0.0.2:80/cgi-bin/webcm" : "/cgi-bin/webcm";
    const std::string strNotice = blnFailed
        ? "<tr><td colspan=\"2\" class=\"err\">Login failed: wrong user name or password.</td></tr>\n"
        : std::string();
    return ClassIIPage("Login", "",
        R"html(<form name="uiPostForm" id="uiPostForm" method="post" action=")html" + strAction + R"html(">
<input type="hidden" name="getpage" value="../html/home.html">
<table class="login" width="360">
<tr><td colspan="2" class="title">RS-2200 ADSL2+ Router</td></tr>
<tr><td colspan="2">Please log in to continue.</td></tr>
)html" + strNotice
            + R"html(<tr><td>User name</td><td><input type="text" id="uiPostUserName" name="uiPostUserName" size="20" maxlength="32"></td></tr>
<tr><td>Password</td><td><input type="password" id="uiPostPassword" name="uiPostPassword" size="20" maxlength="32"></td></tr>
<tr><td></td><td><input type="submit" value="Log In"></td></tr>
</table>
</form>
)html");
}

std::string ClassIILogoutPage()
{
    return ClassIIPage("Logged out", "", R"html(<h3>Logged out</h3>
<p>You have been logged out of the RS-2200.</p>
<p><a href="/cgi-bin/webcm?getpage=../html/login.html">Log in again</a></p>
)html");
}

std::string ClassIIHomePage()
{
    return ClassIIPage("Home", "", R"html(<table class="status" width="520">
<tr><td colspan="2" class="title">Device Information</td></tr>
<tr><td>Model</td><td class=v><b>RS-2200 ADSL2+ Router</b></td></tr>
<tr><td>Firmware version</td><td class=v><b>3.7.1</b></td></tr>
<tr><td>Boot loader</td><td class=v><b>1.2</b></td></tr>
<tr><td>System Uptime</td><td class=v><b>0 days, 00:14:05</b></td></tr>
<tr><td>Internet</td><td class=v><b>Connected</b></td></tr>
</table>
)html");
}

std::string ClassIIProductPage()
{
    return ClassIIPage("Product Information", "", R"html(<h3>Product Information</h3>
<table class="status" width="520">
<tr><td><b>Model:</b> RS-2200 ADSL2+ Router</td></tr>
<tr><td><b>Hardware Version:</b> R2B</td></tr>
<tr><td><b>Firmware Version:</b> 3.7.1</td></tr>
<tr><td><b>Serial Number:</b> RS22-0045871</td></tr>
<tr><td><b>Ethernet MAC Address:</b> 02:1A:3F:4B:7E:01</td></tr>
<tr><td><b>ADSL Standard:</b> ADSL2+ Annex A</td></tr>
</table>
)html");
}

std::string ClassIIModemPage(bool blnScripted)
{
    if (blnScripted) {
        return ClassIIPage("Modem Status", R"html(<script type="text/javascript">
var modem = ["Showtime", "PPPoA VC-MUX on 0/38", "Connected", "8128 kbps", "448 kbps", "203.0.113.45", "203.0.113.1",
  "198.51.100.53", "0 days, 00:13:24"];
</script>
)html",
            R"html(<h3>Modem Status</h3>
<table class="status" width="520">
<tr><td><b>DSL Line:</b> <script>document.write(modem[0])</script></td></tr>
<tr><td><b>Connection:</b> <script>document.write(modem[1])</script></td></tr>
<tr><td><b>Internet:</b> <script>document.write(modem[2])</script></td></tr>
<tr><td><b>Downstream Rate:</b> <script>document.write(modem[3])</script></td></tr>
<tr><td><b>Upstream Rate:</b> <script>document.write(modem[4])</script></td></tr>
<tr><td><b>WAN IP Address:</b> <script>document.write(modem[5])</script></td></tr>
<tr><td><b>Default Gateway:</b> <script>document.write(modem[6])</script></td></tr>
<tr><td><b>Primary DNS:</b> <script>document.write(modem[7])</script></td></tr>
<tr><td><b>Connected For:</b> <script>document.write(modem[8])</script></td></tr>
</table>
)html");
    }
    return ClassIIPage("Modem Status", "", R"html(<h3>Modem Status</h3>
<table class="status" width="520">
<tr><td><b>DSL Line:</b> Showtime</td></tr>
<tr><td><b>Connection:</b> PPPoA VC-MUX on 0/38</td></tr>
<tr><td><b>Internet:</b> Connected</td></tr>
<tr><td><b>Downstream Rate:</b> 8128 kbps</td></tr>
<tr><td><b>Upstream Rate:</b> 448 kbps</td></tr>
<tr><td><b>WAN IP Address:</b> 203.0.113.45</td></tr>
<tr><td><b>Default Gateway:</b> 203.0.113.1</td></tr>
<tr><td><b>Primary DNS:</b> 198.51.100.53</td></tr>
<tr><td><b>Connected For:</b> 0 days, 00:13:24</td></tr>
</table>
)html");
}

const char* const strClassIILogRows = R"html(<tr><td>Jan  1 00:00:04 | syslog | RS-2200 firmware 3.7.1 started</td></tr>
<tr><td>Jan  1 00:00:09 | wlan | SSID=RS2200-7E01 started on channel 6</td></tr>
<tr><td>Jan  1 00:00:36 | dsl | ADSL2+ showtime, 8128 kbps down, 448 kbps up</td></tr>
<tr><td>Jan  1 00:00:39 | ppp | PPPoA VC-MUX link up on 0/38</td></tr>
<tr><td>Jan  1 00:00:40 | ppp | PPP IP 203.0.113.45 assigned, gateway 203.0.113.1</td></tr>
<tr><td>Jan  1 00:00:40 | ppp | DNS 198.51.100.53 and 198.51.100.54 received</td></tr>
<tr><td>Jan  1 00:02:12 | dhcpd | lease offered to client 02:1A:3F:00:11:22</td></tr>
)html";

// In the scripted scenario the page asks the router for its log lines with a request and puts
// them into the table.
std::string ClassIISyslogPage(bool blnReloadItself, bool blnScripted)
{
    const std::string strHead = blnReloadItself ? RefreshMeta(0) : std::string();
    const std::string strRows = blnScripted ? std::string() : std::string(strClassIILogRows);
    const std::string strScript = blnScripted ? R"html(<script type="text/javascript">
var request = new XMLHttpRequest();
request.open("GET", "/cgi-bin/syslog.cgi", true);
request.onreadystatechange = function () {
  if (request.readyState != 4 || request.status != 200) return;
  var lines = request.responseText.split("\n"), table = document.getElementById("log");
  for (var i = 0; i < lines.length; i++)
    if (lines[i] != "") table.insertRow(-1).insertCell(-1).innerHTML = lines[i];
};
request.send(null);
</script>
)html"
                                              : "";
    return ClassIIPage("System Log", strHead,
        R"html(<h3>System Log</h3>
<p>Current Time: Jan  1 00:14:05</p>
<table id="log" class="status" width="640">
)html" + strRows
            + R"html(</table>
<p>If you would like to keep this log, save the page.</p>
)html" + strScript);
}

std::string ClassIILogText()
{
    std::string strText;
    for (const std::string& strLine : RowTexts(strClassIILogRows))
        strText += strLine + "\n";
    return strText;
}

std::string ClassIIConnectionsPage(bool blnWithConnection)
{
    if (!blnWithConnection) {
        return ClassIIPage("Connections", "", R"html(<h3>WAN Connections</h3>
<p>No WAN connection has been set up.</p>
<p><a href="../cgi-bin/webcm?getpage=../html/setup/wizard.html">Set up a connection</a></p>
)html");
    }
    return ClassIIPage("Connections", "", R"html(<h3>WAN Connections</h3>
<!-- Connections -->
<table class="status" width="520">
<tr><td class="title">Name</td><td class="title">VPI/VCI</td><td class="title">Type</td><td class="title">Status</td><td class="title"></td></tr>
<tr><td>Internet</td><td>0/38</td><td>PPPoA</td><td>Connected</td><td><a href="../cgi-bin/webcm?getpage=../html/setup/pppoa.html">Edit</a></td></tr>
</table>
)html");
}

std::string ClassIIPppoaPage()
{
    return ClassIIPage("PPPoA Settings", "", R"html(<h3>PPPoA Settings</h3>
<form name="pppoaForm" method="post" action="/cgi-bin/webcm">
<input type="hidden" name="getpage" value="../html/setup/pppoa.html">
<table class="status" width="520">
<tr><td>Encapsulation</td><td><select id="uiPostEncapsType" name="encaps"><option value="PPPoA VC-MUX" selected>PPPoA VC-MUX</option><option value="PPPoA LLC">PPPoA LLC</option><option value="PPPoE LLC">PPPoE LLC</option></select></td></tr>
<tr><td>MRU</td><td><input type="text" id="uiPostPppMRU" name="mru" value="1500" size="5"></td></tr>
<tr><td>VPI</td><td><input type="text" id="uiPostPvcVpi" name="vpi" value="0" size="4"></td></tr>
<tr><td>VCI</td><td><input type="text" id="uiPostPvcVci" name="vci" value="38" size="4"></td></tr>
<tr><td>User name</td><td><input type="text" id="uiPostPppUser" name="user" value="subscriber@isp.example" size="24"></td></tr>
</table>
</form>
)html");
}

// The ADSL status as one table: the row holding "Description" names the values, the row after it
// holds them. The title row comes first so that nothing before the table runs into the names.
std::string ClassIIAdslPage(bool blnScripted)
{
    if (blnScripted) {
        // The values are filled into their cells once the page has loaded.
        return ClassIIPage("ADSL Status", R"html(<script type="text/javascript">
var adsl = ["Showtime", "ADSL2+ Annex A", 8128, 448, "9.5", "12.0", "28.5", "15.0"];
function showAdsl() {
  for (var i = 0; i < adsl.length; i++) document.getElementById("adsl" + i).innerHTML = adsl[i];
}
window.onload = showAdsl;
</script>
)html",
            R"html(<h3>ADSL</h3>
<table class="status" width="720">
<tr><td class="title" colspan="9">ADSL Line Status</td></tr>
<tr><td>Description</td><td>Line State</td><td>Modulation</td><td>Down Rate (kbps)</td><td>Up Rate (kbps)</td><td>Down SNR Margin (dB)</td><td>Up SNR Margin (dB)</td><td>Down Attenuation (dB)</td><td>Up Attenuation (dB)</td></tr>
<tr><td>Current</td><td id="adsl0"></td><td id="adsl1"></td><td id="adsl2"></td><td id="adsl3"></td><td id="adsl4"></td><td id="adsl5"></td><td id="adsl6"></td><td id="adsl7"></td></tr>
</table>
)html");
    }
    return ClassIIPage("ADSL Status", "", R"html(<h3>ADSL</h3>
<table class="status" width="720">
<tr><td class="title" colspan="9">ADSL Line Status</td></tr>
<tr><td>Description</td><td>Line State</td><td>Modulation</td><td>Down Rate (kbps)</td><td>Up Rate (kbps)</td><td>Down SNR Margin (dB)</td><td>Up SNR Margin (dB)</td><td>Down Attenuation (dB)</td><td>Up Attenuation (dB)</td></tr>
<tr><td>Current</td><td>Showtime</td><td>ADSL2+ Annex A</td><td>8128</td><td>448</td><td>9.5</td><td>12.0</td><td>28.5</td><td>15.0</td></tr>
</table>
)html");
}

std::string ClassIIDiagnosticsPage(DiagOutcome outcome, int intRefreshSeconds, bool blnScripted)
{
    if (outcome == DiagOutcome::Running) {
        return ClassIIPage("Diagnostics", RefreshMeta(intRefreshSeconds), R"html(<h3>Diagnostics</h3>
<p>Running the connection tests, this page updates itself...</p>
)html");
    }
    if (outcome == DiagOutcome::Failed) {
        return ClassIIPage("Diagnostics", "", R"html(<h3>Diagnostics</h3>
<p class="err">errorText: diagnostics are not available while the line is training</p>
)html");
    }
    const std::string strRows = blnScripted ? ScriptWritesRows(DiagnosticResultLines()) : DiagnosticResultRows();
    return ClassIIPage("Diagnostics", "",
        "<h3>Diagnostics Test Results</h3>\n<table class=\"status\" width=\"420\">\n" + strRows + "</table>\n");
}

// Pages that only the data dump asks for.
std::string ClassIILanPage()
{
    return ClassIIPage("LAN", "", R"html(<h3>LAN Status</h3>
<table class="status" width="520">
<tr><td><b>IP Address:</b> 192.168.1.254</td></tr>
<tr><td><b>Subnet Mask:</b> 255.255.255.0</td></tr>
<tr><td><b>DHCP Server:</b> Enabled, 192.168.1.64 to 192.168.1.253</td></tr>
<tr><td><b>Ethernet MAC Address:</b> 02:1A:3F:4B:7E:01</td></tr>
</table>
)html");
}

std::string ClassIIWlanPage()
{
    return ClassIIPage("Wireless", "", R"html(<h3>Wireless Status</h3>
<table class="status" width="520">
<tr><td><b>Network name:</b> SSID=RS2200-7E01</td></tr>
<tr><td><b>Channel:</b> 6</td></tr>
<tr><td><b>Security:</b> WPA2-PSK (AES)</td></tr>
<tr><td><b>Associated clients:</b> 2</td></tr>
</table>
)html");
}

std::string ClassIIRoutingPage()
{
    return ClassIIPage("Routing", "", R"html(<h3>Routing Table</h3>
<table class="status" width="520">
<tr><td>Destination</td><td>Gateway</td><td>Interface</td></tr>
<tr><td>0.0.0.0/0</td><td>203.0.113.1</td><td>ppp0</td></tr>
<tr><td>192.168.1.0/24</td><td>-</td><td>br0</td></tr>
</table>
)html");
}

std::string ClassIIUnknownPage(const std::string& strName)
{
    // The name is echoed, so it must not be able to add markup to the page.
    std::string strSafe;
    for (const char ch : strName) {
        if (ch == '<')
            strSafe += "&lt;";
        else if (ch == '>')
            strSafe += "&gt;";
        else if (ch == '&')
            strSafe += "&amp;";
        else if (ch == '"')
            strSafe += "&quot;";
        else
            strSafe += ch;
    }
    return ClassIIPage("Not available", "",
        "<h3>Page not available</h3>\n<p>The page " + strSafe + " is not available on this router.</p>\n");
}

// The DSL statistics file of the proc-diag variant: plain text with LF line ends. Each vendor code
// stands on one line with its revision, as hexadecimal digit pairs ("ZNTV", "RSIM").
std::string ClassIIModemStats()
{
    return "DSL modem statistics\n"
           "\n"
           "Status:\t\t\tShowtime\n"
           "Mode:\t\t\tADSL2+ Annex A\n"
           "\t\t\tDown\t\tUp\n"
           "SNR Margin (dB):\t9.5\t\t12.0\n"
           "Attenuation (dB):\t28.5\t\t15.0\n"
           "Output Power (dBm):\t19.6\t\t12.1\n"
           "Rate (kbps):\t\t8128\t\t448\n"
           "Attainable (kbps):\t10240\t\t1036\n"
           "ATUC Vendor Code:\t5A4E5456\tATUC Revision:\t2\n"
           "ATUR Vendor Code:\t5253494D\tATUR Revision:\t5\n"
           "CRC Errors:\t\t3\t\t0\n"
           "FEC Corrections:\t118\t\t0\n";
}

} // namespace

void RouterSimulator::InstallClassII()
{
    // Any protected page without a session gets the login page in its place, at its own address.
    auto servePage = [this](const std::string& strName, const httplib::Request& req, httplib::Response& res) {
        if (strName == strLoginName) {
            SendHtml(res, ClassIILoginPage(false, m_options.scenario.blnLoginElsewhere));
            return;
        }
        if (strName == strLogoutName) {
            const std::string strToken = SessionOf(req, strSessionCookie);
            if (!strToken.empty())
                m_sessions.End(strToken);
            res.set_header("Set-Cookie", std::string(strSessionCookie) + "=; Path=/; Max-Age=0");
            SendHtml(res, ClassIILogoutPage());
            return;
        }
        const std::string strToken = SessionOf(req, strSessionCookie);
        if (strToken.empty()) {
            SendHtml(res, ClassIILoginPage(false, m_options.scenario.blnLoginElsewhere));
            return;
        }

        const Scenario& scenario = m_options.scenario;
        if (strName == strModemName) {
            SendHtml(res, ClassIIModemPage(scenario.blnScripted));
            return;
        }
        if (strName == strAdslName) {
            SendHtml(res,
                scenario.blnDrift ? ClassIIPage(
                    "ADSL Status", "", DriftAdslBody(RouterClass::ClassII, DriftingLine(SimulatedSeconds())))
                                  : ClassIIAdslPage(scenario.blnScripted));
            return;
        }
        static const std::map<std::string, std::string (*)()> fixedPages {
            { strHomeName, &ClassIIHomePage },
            { strProductName, &ClassIIProductPage },
            { strPppoaName, &ClassIIPppoaPage },
            { "../html/status/lan.html", &ClassIILanPage },
            { "../html/status/wlan.html", &ClassIIWlanPage },
            { "../html/status/routing.html", &ClassIIRoutingPage },
        };
        const auto fixed = fixedPages.find(strName);
        if (fixed != fixedPages.end()) {
            SendHtml(res, fixed->second());
        } else if (strName == strSyslogName) {
            SendHtml(res, ClassIISyslogPage(scenario.blnReloadForever, scenario.blnScripted));
        } else if (strName == strConnectionsName) {
            // In the reload-forever scenario the router keeps sending its visitor back to the
            // system log, so the log is loaded again and again.
            if (scenario.blnReloadForever)
                res.set_redirect("/cgi-bin/webcm?getpage=" + strSyslogName);
            else
                SendHtml(res, ClassIIConnectionsPage(!scenario.blnNoPppLink));
        } else if (strName == strDiagnosticsName && !scenario.blnProcDiag) {
            const int intLoad = m_sessions.CountDiagnosticLoad(strToken);
            SendHtml(res,
                ClassIIDiagnosticsPage(
                    DiagnosticOutcome(intLoad, scenario), m_options.intRefreshSeconds, scenario.blnScripted));
        } else {
            SendHtml(res, ClassIIUnknownPage(strName));
        }
    };

    m_server.Get("/", [](const httplib::Request&, httplib::Response& res) {
        res.set_redirect("/cgi-bin/webcm?getpage=" + strLoginName);
    });
    // The log lines for the scripted log page, to a logged-in session only.
    m_server.Get("/cgi-bin/syslog.cgi", [this](const httplib::Request& req, httplib::Response& res) {
        if (SessionOf(req, strSessionCookie).empty())
            res.status = 403;
        else
            SendPlainText(res, ClassIILogText());
    });
    m_server.Get("/cgi-bin/webcm", [servePage](const httplib::Request& req, httplib::Response& res) {
        servePage(req.has_param("getpage") ? req.get_param_value("getpage") : strHomeName, req, res);
    });
    m_server.Post("/cgi-bin/webcm", [this, servePage](const httplib::Request& req, httplib::Response& res) {
        std::string strNext = req.has_param("getpage") ? req.get_param_value("getpage") : strHomeName;
        if (req.has_param("uiPostUserName") || req.has_param("uiPostPassword")) {
            if (!CredentialsAccepted(req.get_param_value("uiPostUserName"), req.get_param_value("uiPostPassword"))) {
                SendHtml(res, ClassIILoginPage(true, m_options.scenario.blnLoginElsewhere));
                return;
            }
            const std::string strOld = SessionOf(req, strSessionCookie);
            if (!strOld.empty())
                m_sessions.End(strOld);
            const std::string strToken = StartSession(res, strSessionCookie);
            if (strNext == strLoginName || strNext == strLogoutName)
                strNext = strHomeName;
            // The page after the login is built for the new session, whose cookie the request
            // could not carry yet.
            httplib::Request withSession = req;
            withSession.headers.erase("Cookie");
            withSession.headers.emplace("Cookie", std::string(strSessionCookie) + "=" + strToken);
            servePage(strNext, withSession, res);
            return;
        }
        // Settings forms post back here; the simulated router keeps its settings as they are.
        servePage(strNext, req, res);
    });
    m_server.Get("/proc/dsl/modem_stats", [this](const httplib::Request& req, httplib::Response& res) {
        if (!m_options.scenario.blnProcDiag) {
            res.status = 404;
            return;
        }
        if (SessionOf(req, strSessionCookie).empty())
            SendHtml(res, ClassIILoginPage(false, m_options.scenario.blnLoginElsewhere));
        else
            SendPlainText(res, ClassIIModemStats());
    });
}
