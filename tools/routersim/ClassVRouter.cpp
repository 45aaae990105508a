// Class V: a router whose login page asks for the password only. The password box "PS" stands in
// the top-level document; a script on that page would copy it into the form of the page's second
// frame (an iframe) and submit that form to /login.cgi. The rest of the interface sits under
// /status/, /setup/ and /diag/ and needs the session cookie that the login sets.
#include "LineDrift.h"
#include "PageKit.h"
#include "RouterSimulator.h"

namespace
{

const char* const strSessionCookie = "SID";

std::string ClassVPage(const std::string& strTitle, const std::string& strHead, const std::string& strBody)
{
    static const std::string strFrame = R"html(<html>
<head>
<title>RS-5500 | {TITLE}</title>
{HEAD}<style type="text/css">
body { font-family: Tahoma, Arial, sans-serif; font-size: 12px; background: #f4f6f2; }
td { font-size: 12px; padding: 3px 8px; }
td.head { font-weight: bold; background: #3f6f2f; color: #ffffff; }
table.box { background: #ffffff; border: 1px solid #9fb58f; }
</style>
</head>
<body>
{BODY}</body>
</html>
)html";
    return FillPageFrame(strFrame, strTitle, strHead, strBody);
}

std::string ClassVLoginPage()
{
    return R"html(<html>
<head>
<title>RS-5500 | Login</title>
<script type="text/javascript">
function doLogin() {
    var form = frames[1].document.forms[0];
    form.pws.value = document.getElementById("PS").value;
    form.submit();
}
</script>
</head>
<body>
<iframe name="banner" src="/frames/banner.htm" width="100%" height="64" frameborder="0" scrolling="no"></iframe>
<table class="box" width="360">
<tr><td class="head" colspan="2">Login</td></tr>
<tr><td>Password</td><td><input type="password" id="PS" name="PS" size="20" maxlength="32"></td></tr>
<tr><td></td><td><button type="button" onclick="doLogin()">Log In</button></td></tr>
</table>
<iframe name="loginframe" src="/frames/login_form.htm" width="0" height="0" frameborder="0"></iframe>
</body>
</html>
)html";
}

std::string ClassVBannerFrame()
{
    return R"html(<html>
<head><title>banner</title></head>
<body style="margin: 0; background: #3f6f2f; color: #ffffff;">
<h2 style="margin: 12px;">RS-5500 Broadband Router</h2>
</body>
</html>
)html";
}

std::string ClassVLoginFormFrame()
{
    return R"html(<html>
<head><title>login</title></head>
<body>
<form method="post" action="/login.cgi">
<input type="hidden" name="pws" value="">
<input type="hidden" name="lang" value="en">
</form>
</body>
</html>
)html";
}

std::string ClassVLoginResultPage(bool blnAccepted)
{
    if (blnAccepted) {
        return ClassVPage("Login", "", R"html(<p>Login successful.</p>
<p><a href="/status/home.htm">Continue to the status page</a></p>
)html");
    }
    return ClassVPage("Login", "", R"html(<p>Login failed. Please log in to continue.</p>
<p><a href="/login.htm">Back to the login page</a></p>
)html");
}

std::string ClassVLoginPromptPage()
{
    return ClassVPage("Login required", "", R"html(<h3>Session expired</h3>
<p>Please log in to continue.</p>
<p><a href="/login.htm">Log in</a></p>
)html");
}

std::string ClassVLogoutPage()
{
    return ClassVPage("Logged out", "", R"html(<h3>Logged out</h3>
<p>You have been logged out.</p>
<p><a href="/login.htm">Log in again</a></p>
)html");
}

std::string ClassVHomePage()
{
    return ClassVPage("Status", "", R"html(<table class="box" width="480">
<tr><td class="head" colspan="2">Device</td></tr>
<tr><td>Model</td><td class=v><b>RS-5500</b></td></tr>
<tr><td>Firmware version</td><td class=v><b>5.2.04</b></td></tr>
<tr><td>System Uptime</td><td class=v><b>00:09:51</b></td></tr>
</table>
)html");
}

const char* const strClassVLogRows = R"html(<tr><td>Current Time: Jan  1 00:09:51</td></tr>
<tr><td>Jan  1 00:00:02 | system | RS-5500 firmware 5.2.04 up</td></tr>
<tr><td>Jan  1 00:00:07 | wireless | SSID=RS5500-HOME broadcasting on channel 11</td></tr>
<tr><td>Jan  1 00:00:31 | adsl | line up, downstream 6144 kbps, upstream 640 kbps</td></tr>
<tr><td>Jan  1 00:00:34 | pppoe | session 0x2a1 established</td></tr>
<tr><td>Jan  1 00:00:35 | pppoe | PPP IP 198.51.100.23 assigned</td></tr>
<tr><td>Jan  1 00:00:35 | pppoe | DNS 198.51.100.53 198.51.100.54</td></tr>
<tr><td>Jan  1 00:06:02 | ntp | clock synchronised</td></tr>
)html";

std::string ClassVSyslogPage(bool blnReloadItself, bool blnScripted)
{
    const std::string strRows = blnScripted ? ScriptWritesRows(RowTexts(strClassVLogRows)) : strClassVLogRows;
    return ClassVPage("System Log", blnReloadItself ? RefreshMeta(0) : std::string(),
        "<table class=\"box\" width=\"640\">\n<tr><td class=\"head\">System Log</td></tr>\n" + strRows + "</table>\n");
}

// Same layout rules as the Class I settings page: the encapsulation list on one line, the size
// fields on lines of their own with the value before the name.
std::string ClassVPppPage()
{
    return ClassVPage("PPP", "", R"html(<form name="pppform" method="post" action="/setup/ppp.htm">
<table class="box" width="480">
<tr><td class="head" colspan="2">PPP Settings</td></tr>
<tr><td>Encapsulation</td><td><select name="wan_encapsulation"><option value="0" selected>PPPoE LLC</option><option value="1">PPPoA VC-Mux</option><option value="2">PPPoA LLC</option></select></td></tr>
<tr><td>Login</td><td><input type="text" value="subscriber@isp.example" name="ppp_user"></td></tr>
<tr><td>MRU</td><td><input type="text" value="1492" name="simple_ppp_mru" size="5"></td></tr>
<tr><td>MTU</td><td><input type="text" value="1492" name="simple_ppp_mtu" size="5"></td></tr>
<tr><td>MSS</td><td><input type="text" value="1452" name="simple_ppp_mss" size="5"></td></tr>
<tr><td></td><td><input type="submit" value="Save"></td></tr>
</table>
</form>
)html");
}

std::string ClassVAdslPage(bool blnScripted)
{
    if (blnScripted) {
        return ClassVPage("ADSL", R"html(<script>
var line = "Showtime", snr = [6.8, "12.0"], attenuation = ["42.5", "24.0"];
</script>
)html",
            R"html(<table class="box" width="420">
<tr><td class="head" colspan="4">ADSL Status</td></tr>
<tr><td>Line status: <script>document.write(line)</script></td><td></td><td></td><td></td></tr>
<tr><td></td><td>Downstream</td><td>Upstream</td><td></td></tr>
<tr><td>SNR Margin</td><td><script>document.write(snr[0])</script></td><td><script>document.write(snr[1])</script></td><td>dB</td></tr>
<tr><td>Line Attenuation</td><td><script>document.write(attenuation[0])</script></td><td><script>document.write(attenuation[1])</script></td><td>dB</td></tr>
<tr><td colspan="4"><form method="post" action="/status/adsl.htm"><button type="submit" name="act" value="restart">Restart</button> <button type="submit" name="act" value="stop">Stop</button></form></td></tr>
</table>
)html");
    }
    return ClassVPage("ADSL", "", R"html(<table class="box" width="420">
<tr><td class="head" colspan="4">ADSL Status</td></tr>
<tr><td>Line status: Showtime</td><td></td><td></td><td></td></tr>
<tr><td></td><td>Downstream</td><td>Upstream</td><td></td></tr>
<tr><td>SNR Margin</td><td>6.8</td><td>12.0</td><td>dB</td></tr>
<tr><td>Line Attenuation</td><td>42.5</td><td>24.0</td><td>dB</td></tr>
<tr><td colspan="4"><form method="post" action="/status/adsl.htm"><button type="submit" name="act" value="restart">Restart</button> <button type="submit" name="act" value="stop">Stop</button></form></td></tr>
</table>
)html");
}

std::string ClassVDiagnosticPage(DiagOutcome outcome, int intRefreshSeconds, bool blnScripted)
{
    if (outcome == DiagOutcome::Running) {
        return ClassVPage("Diagnostics", RefreshMeta(intRefreshSeconds), R"html(<table class="box" width="420">
<tr><td class="head">Diagnostics</td></tr>
<tr><td>Testing, please wait...</td></tr>
</table>
)html");
    }
    if (outcome == DiagOutcome::Failed) {
        return ClassVPage("Diagnostics", "", R"html(<table class="box" width="420">
<tr><td class="head">Diagnostics</td></tr>
<tr><td>errorText: test aborted, no ADSL connection</td></tr>
</table>
)html");
    }
    if (blnScripted) {
        return ClassVPage("Diagnostics", ScriptFillsTableOnLoad("results", DiagnosticResultLines()),
            "<table id=\"results\" class=\"box\" width=\"420\">\n<tr><td class=\"head\">Test Results</td></tr>\n"
            "</table>\n");
    }
    const std::string strRows = DiagnosticResultRows();
    return ClassVPage("Diagnostics", "",
        "<table class=\"box\" width=\"420\">\n<tr><td class=\"head\">Test Results</td></tr>\n" + strRows
            + "</table>\n");
}

} // namespace

void RouterSimulator::InstallClassV()
{
    m_server.Get("/", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/login.htm"); });
    m_server.Get(
        "/login.htm", [](const httplib::Request&, httplib::Response& res) { SendHtml(res, ClassVLoginPage()); });
    m_server.Get("/frames/banner.htm",
        [](const httplib::Request&, httplib::Response& res) { SendHtml(res, ClassVBannerFrame()); });
    m_server.Get("/frames/login_form.htm",
        [](const httplib::Request&, httplib::Response& res) { SendHtml(res, ClassVLoginFormFrame()); });

    m_server.Post("/login.cgi", [this](const httplib::Request& req, httplib::Response& res) {
        // Without a script the value typed into "PS" never reaches the frame's form, so a post
        // with an empty "pws" is accepted as the login: that is how a client that runs no script
        // gets in. A client that does fill "pws" has to give the right password.
        const std::string strPassword = req.get_param_value("pws");
        const bool blnAccepted
            = !m_options.scenario.blnLoginRefused && (strPassword.empty() || strPassword == m_options.strPassword);
        if (blnAccepted) {
            const std::string strOld = SessionOf(req, strSessionCookie);
            if (!strOld.empty())
                m_sessions.End(strOld);
            StartSession(res, strSessionCookie);
        }
        SendHtml(res, ClassVLoginResultPage(blnAccepted));
    });
    m_server.Get("/logout.htm", [this](const httplib::Request& req, httplib::Response& res) {
        const std::string strToken = SessionOf(req, strSessionCookie);
        if (!strToken.empty())
            m_sessions.End(strToken);
        res.set_header("Set-Cookie", std::string(strSessionCookie) + "=; Path=/; Max-Age=0");
        SendHtml(res, ClassVLogoutPage());
    });

    // The pages behind the login: without a session each answers with the login prompt.
    auto guarded = [this](auto page) {
        return [this, page](const httplib::Request& req, httplib::Response& res) {
            const std::string strToken = SessionOf(req, strSessionCookie);
            if (strToken.empty())
                SendHtml(res, ClassVLoginPromptPage());
            else
                page(strToken, req, res);
        };
    };
    m_server.Get("/status/home.htm", guarded([](const std::string&, const httplib::Request&, httplib::Response& res) {
        SendHtml(res, ClassVHomePage());
    }));
    m_server.Get(
        "/status/syslog.htm", guarded([this](const std::string&, const httplib::Request&, httplib::Response& res) {
            SendHtml(res, ClassVSyslogPage(m_options.scenario.blnReloadForever, m_options.scenario.blnScripted));
        }));
    // The settings form and the ADSL buttons post back to their page, which is shown again unchanged.
    const auto pppPage = guarded([this](const std::string&, const httplib::Request&, httplib::Response& res) {
        // In the reload-forever scenario the router keeps sending its visitor back to the system
        // log, so the log is loaded again and again.
        if (m_options.scenario.blnReloadForever)
            res.set_redirect("/status/syslog.htm");
        else
            SendHtml(res, ClassVPppPage());
    });
    m_server.Get("/setup/ppp.htm", pppPage);
    m_server.Post("/setup/ppp.htm", pppPage);
    const auto adslPage = guarded([this](const std::string&, const httplib::Request&, httplib::Response& res) {
        SendHtml(res,
            m_options.scenario.blnDrift
                ? ClassVPage("ADSL", "", DriftAdslBody(RouterClass::ClassV, DriftingLine(SimulatedSeconds())))
                : ClassVAdslPage(m_options.scenario.blnScripted));
    });
    m_server.Get("/status/adsl.htm", adslPage);
    m_server.Post("/status/adsl.htm", adslPage);
    m_server.Get("/diag/diagtest.htm",
        guarded([this](const std::string& strToken, const httplib::Request&, httplib::Response& res) {
            const int intLoad = m_sessions.CountDiagnosticLoad(strToken);
            SendHtml(res,
                ClassVDiagnosticPage(DiagnosticOutcome(intLoad, m_options.scenario), m_options.intRefreshSeconds,
                    m_options.scenario.blnScripted));
        }));
}
