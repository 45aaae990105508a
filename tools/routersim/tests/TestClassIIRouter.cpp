#include "PageKit.h"
#include "SimTestKit.h"

#include <QTest>
#include <fstream>
#include <sstream>

namespace
{

const std::string strWebcm = "/cgi-bin/webcm?getpage=";
const std::string strLoginForm = "getpage=..%2Fhtml%2Fhome.html&uiPostUserName=admin&uiPostPassword=secret";

bool IsLoginPrompt(const PageResult& page)
{
    return page.intStatus == 200 && Contains(page.strBody, "Please log in to continue")
        && Contains(page.strBody, "name=\"uiPostForm\"");
}

PageResult GetPage(SimClient& client, const std::string& strName)
{
    return client.Get(strWebcm + strName);
}

// Decodes "5A4E5456"-style hexadecimal pairs.
std::string FromHexPairs(const std::string& strHex)
{
    std::string strText;
    for (std::size_t i = 0; i + 1 < strHex.size(); i += 2)
        strText += static_cast<char>(std::stoi(strHex.substr(i, 2), nullptr, 16));
    return strText;
}

} // namespace

class TestClassIIRouter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void LoginPageHoldsTheForm()
    {
        RunningSimulator sim(OptionsFor(RouterClass::ClassII));
        SimClient client(sim.Port());
        const PageResult page = GetPage(client, "../html/login.html");
        QVERIFY(IsLoginPrompt(page));
        QVERIFY(Contains(page.strBody, "method=\"post\" action=\"/cgi-bin/webcm\""));
        QVERIFY(Contains(page.strBody, "id=\"uiPostUserName\" name=\"uiPostUserName\""));
        QVERIFY(Contains(page.strBody, "id=\"uiPostPassword\" name=\"uiPostPassword\""));
        QVERIFY(client.Cookie("webcm_session").empty());

        const PageResult root = client.Get("/");
        QCOMPARE(root.intStatus, 302);
        QCOMPARE(root.Header("Location"), strWebcm + "../html/login.html");
    }

    void PagesNeedASession_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* strName : { "../html/home.html", "../html/status/product.html", "../html/status/modem.html",
                 "../html/status/syslog.html", "../html/status/adsl.html", "../html/setup/connections.html",
                 "../html/setup/pppoa.html", "../html/tools/diagnostics.html", "../html/status/lan.html", "anything" })
            QTest::newRow(strName) << QString::fromLatin1(strName);
    }

    void PagesNeedASession()
    {
        QFETCH(QString, name);
        RunningSimulator sim(OptionsFor(RouterClass::ClassII));
        SimClient client(sim.Port());
        QVERIFY(IsLoginPrompt(GetPage(client, name.toStdString())));
        // A made-up cookie is no session.
        SimClient forger(sim.Port());
        forger.SetCookie("webcm_session", "0123456789abcdef0123456789abcdef");
        QVERIFY(IsLoginPrompt(forger.Get(strWebcm + name.toStdString())));
    }

    void LoginSetsTheSessionCookie()
    {
        RunningSimulator sim(OptionsFor(RouterClass::ClassII));
        SimClient client(sim.Port());
        const PageResult answer = client.Post("/cgi-bin/webcm", strLoginForm);
        QCOMPARE(answer.intStatus, 200);
        QCOMPARE(client.Cookie("webcm_session").size(), std::size_t(32));
        // The page named in the form comes back at once, already for the new session.
        QVERIFY(Contains(answer.strBody, "Firmware version"));
        QCOMPARE(sim.Simulator().Sessions().Count(), 1);
        QVERIFY(Contains(GetPage(client, "../html/status/product.html").strBody, "<h3>Product Information</h3>"));
    }

    void WrongCredentialsGiveNoSession_data()
    {
        QTest::addColumn<QString>("form");
        QTest::newRow("password") << "uiPostUserName=admin&uiPostPassword=Secret";
        QTest::newRow("user") << "uiPostUserName=root&uiPostPassword=secret";
        QTest::newRow("empty") << "uiPostUserName=&uiPostPassword=";
        QTest::newRow("no user") << "uiPostPassword=secret";
    }

    void WrongCredentialsGiveNoSession()
    {
        QFETCH(QString, form);
        RunningSimulator sim(OptionsFor(RouterClass::ClassII));
        SimClient client(sim.Port());
        const PageResult answer = client.Post("/cgi-bin/webcm", form.toStdString());
        QVERIFY(IsLoginPrompt(answer));
        QVERIFY(Contains(answer.strBody, "Login failed"));
        QVERIFY(client.Cookie("webcm_session").empty());
        QCOMPARE(sim.Simulator().Sessions().Count(), 0);
    }

    void RefusedScenarioRefusesTheRightCredentials()
    {
        RunningSimulator sim(OptionsFor(RouterClass::ClassII, "login-refused"));
        SimClient client(sim.Port());
        QVERIFY(IsLoginPrompt(client.Post("/cgi-bin/webcm", strLoginForm)));
        QVERIFY(client.Cookie("webcm_session").empty());
        QVERIFY(IsLoginPrompt(GetPage(client, "../html/status/product.html")));
    }

    void StatusPagesCarryWhatTheRunReads()
    {
        RunningSimulator sim(OptionsFor(RouterClass::ClassII));
        SimClient client(sim.Port());
        client.Post("/cgi-bin/webcm", strLoginForm);

        QVERIFY(Contains(GetPage(client, "../html/status/product.html").strBody, "Ethernet MAC Address:</b> "));
        QVERIFY(Contains(GetPage(client, "../html/status/modem.html").strBody, "<h3>Modem Status</h3>"));

        const std::string strHome = GetPage(client, "../html/home.html").strBody;
        const auto intLabel = strHome.find("<td>Firmware version</td><td class=v><b>3.7.1</b></td>");
        QVERIFY(intLabel != std::string::npos);
        QVERIFY(strHome.find("System Uptime") > intLabel);
        QCOMPARE(CountOf(strHome, "Firmware version"), 1);

        const std::string strLog = GetPage(client, "../html/status/syslog.html").strBody;
        QVERIFY(Contains(strLog, "<h3>System Log</h3>"));
        QVERIFY(Contains(strLog, "| ppp | PPP IP 203.0.113.45 assigned"));
        QVERIFY(Contains(strLog, "SSID=RS2200-7E01"));
    }

    void ConnectionsLinkToThePppSettings()
    {
        RunningSimulator sim(OptionsFor(RouterClass::ClassII));
        SimClient client(sim.Port());
        client.Post("/cgi-bin/webcm", strLoginForm);
        const std::string strHtml = GetPage(client, "../html/setup/connections.html").strBody;
        const auto intComment = strHtml.find("<!-- Connections -->");
        QVERIFY(intComment != std::string::npos);
        // The first link after the comment that starts with two dots is the settings page.
        const auto intLink = strHtml.find("href=\"..", intComment);
        QVERIFY(intLink != std::string::npos);
        const auto intStart = intLink + 8;
        const std::string strPath = strHtml.substr(intStart, strHtml.find('"', intStart) - intStart);
        QCOMPARE(strPath, std::string("/cgi-bin/webcm?getpage=../html/setup/pppoa.html"));

        const std::string strPpp = client.Get(strPath).strBody;
        QVERIFY(Contains(
            strPpp, "<select id=\"uiPostEncapsType\" name=\"encaps\"><option value=\"PPPoA VC-MUX\" selected>"));
        QVERIFY(Contains(strPpp, "id=\"uiPostPppMRU\" name=\"mru\" value=\"1500\""));
        QVERIFY(Contains(strPpp, "id=\"uiPostPvcVpi\" name=\"vpi\" value=\"0\""));
        QVERIFY(Contains(strPpp, "id=\"uiPostPvcVci\" name=\"vci\" value=\"38\""));
    }

    void NoPppLinkScenarioHasNeitherCommentNorLink()
    {
        RunningSimulator sim(OptionsFor(RouterClass::ClassII, "no-ppp-link"));
        SimClient client(sim.Port());
        client.Post("/cgi-bin/webcm", strLoginForm);
        const std::string strHtml = GetPage(client, "../html/setup/connections.html").strBody;
        QCOMPARE(GetPage(client, "../html/setup/connections.html").intStatus, 200);
        QVERIFY(!Contains(strHtml, "<!-- Connections -->"));
        QVERIFY(!Contains(strHtml, "<!-- Created Connection -->"));
        QVERIFY(!Contains(strHtml, "pppoa.html"));
    }

    void AdslTablePairsNamesWithValues()
    {
        RunningSimulator sim(OptionsFor(RouterClass::ClassII));
        SimClient client(sim.Port());
        client.Post("/cgi-bin/webcm", strLoginForm);
        const std::string strHtml = GetPage(client, "../html/status/adsl.html").strBody;
        QCOMPARE(CountOf(strHtml, "Description"), 1);
        const auto rows = TableRows(strHtml);
        std::size_t intHeader = rows.size();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (!rows[i].empty() && rows[i][0] == "Description")
                intHeader = i;
        }
        QVERIFY(intHeader > 0 && intHeader + 1 < rows.size());
        QCOMPARE(rows[intHeader].size(), rows[intHeader + 1].size());
        QCOMPARE(rows[intHeader + 1][0], std::string("Current"));
        QCOMPARE(rows[intHeader][5], std::string("Down SNR Margin (dB)"));
        QCOMPARE(rows[intHeader + 1][5], std::string("9.5"));
        // Header cells end right at the row end, so no stray text counts as a name.
        QVERIFY(Contains(strHtml, "Up Attenuation (dB)</td></tr>"));
    }

    void DiagnosticTestRunsOncePerSession()
    {
        RunningSimulator sim(OptionsFor(RouterClass::ClassII));
        SimClient client(sim.Port());
        client.Post("/cgi-bin/webcm", strLoginForm);
        const std::string strDiag = "../html/tools/diagnostics.html";
        for (int intLoad = 1; intLoad < intDiagLoadsToFinish; ++intLoad) {
            const std::string strBody = GetPage(client, strDiag).strBody;
            QVERIFY(Contains(strBody, "<meta http-equiv=\"refresh\" content=\"1\">"));
            QVERIFY(!Contains(strBody, "Query DNS"));
        }
        QVERIFY(Contains(GetPage(client, strDiag).strBody, "<td>Query DNS: PASS</td>"));

        // Logging in again starts a new session and so a new test.
        client.Post("/cgi-bin/webcm", strLoginForm);
        QCOMPARE(sim.Simulator().Sessions().Count(), 1);
        QVERIFY(!Contains(GetPage(client, strDiag).strBody, "Query DNS"));
    }

    void DiagnosticScenarios()
    {
        {
            RunningSimulator sim(OptionsFor(RouterClass::ClassII, "diag-error"));
            SimClient client(sim.Port());
            client.Post("/cgi-bin/webcm", strLoginForm);
            const std::string strBody = GetPage(client, "../html/tools/diagnostics.html").strBody;
            QVERIFY(Contains(strBody, "errorText"));
            QVERIFY(!Contains(strBody, "Query DNS"));
        }
        {
            RunningSimulator sim(OptionsFor(RouterClass::ClassII, "diag-never"));
            SimClient client(sim.Port());
            client.Post("/cgi-bin/webcm", strLoginForm);
            for (int intLoad = 0; intLoad < 6; ++intLoad)
                QVERIFY(Contains(GetPage(client, "../html/tools/diagnostics.html").strBody, "http-equiv=\"refresh\""));
        }
    }

    void LogoutEndsTheSession()
    {
        RunningSimulator sim(OptionsFor(RouterClass::ClassII));
        SimClient client(sim.Port());
        client.Post("/cgi-bin/webcm", strLoginForm);
        const std::string strToken = client.Cookie("webcm_session");
        const PageResult bye = GetPage(client, "../html/logout.html");
        QCOMPARE(bye.intStatus, 200);
        QVERIFY(Contains(bye.strBody, "Logged out"));
        QVERIFY(!Contains(bye.strBody, "Please log in to continue"));
        QCOMPARE(sim.Simulator().Sessions().Count(), 0);

        // The old cookie, sent again, no longer opens anything.
        SimClient replay(sim.Port());
        replay.SetCookie("webcm_session", strToken);
        QVERIFY(IsLoginPrompt(replay.Get(strWebcm + "../html/status/product.html")));
        QVERIFY(!sim.Simulator().Sessions().Exists(strToken));
    }

    void ProcStatisticsNameTheExchangeModem()
    {
        RunningSimulator sim(OptionsFor(RouterClass::ClassII, "proc-diag"));
        SimClient client(sim.Port());
        QVERIFY(IsLoginPrompt(client.Get("/proc/dsl/modem_stats")));
        client.Post("/cgi-bin/webcm", strLoginForm);
        const PageResult stats = client.Get("/proc/dsl/modem_stats");
        QCOMPARE(stats.intStatus, 200);
        QVERIFY(Contains(stats.strContentType, "text/plain"));
        QVERIFY(!Contains(stats.strBody, "\r"));
        // Code and revision share one line: the reader takes everything between the two labels.
        const std::string strLine = LineWith(stats.strBody, "ATUC Vendor Code:");
        const auto intCode = strLine.find("ATUC Vendor Code:") + 17;
        const auto intRevision = strLine.find("ATUC Revision:");
        QVERIFY(intRevision != std::string::npos);
        std::string strCode;
        for (const char ch : strLine.substr(intCode, intRevision - intCode)) {
            if (ch != '\t' && ch != ' ')
                strCode += ch;
        }
        QCOMPARE(FromHexPairs(strCode), std::string("ZNTV"));
        // This firmware has no diagnostics page.
        QVERIFY(Contains(GetPage(client, "../html/tools/diagnostics.html").strBody, "Page not available"));
    }

    void ProcStatisticsOnlyInTheirScenario()
    {
        RunningSimulator sim(OptionsFor(RouterClass::ClassII));
        SimClient client(sim.Port());
        client.Post("/cgi-bin/webcm", strLoginForm);
        QCOMPARE(client.Get("/proc/dsl/modem_stats").intStatus, 404);
    }

    void ReloadForeverSendsTheRunBackToTheLog()
    {
        RunningSimulator sim(OptionsFor(RouterClass::ClassII, "reload-forever"));
        SimClient client(sim.Port());
        client.Post("/cgi-bin/webcm", strLoginForm);
        QVERIFY(Contains(GetPage(client, "../html/status/syslog.html").strBody, "content=\"0\""));
        const PageResult bounce = GetPage(client, "../html/setup/connections.html");
        QCOMPARE(bounce.intStatus, 302);
        QCOMPARE(bounce.Header("Location"), strWebcm + "../html/status/syslog.html");
    }

    void DumpPagesAllAnswer()
    {
        RunningSimulator sim(OptionsFor(RouterClass::ClassII));
        SimClient client(sim.Port());
        client.Post("/cgi-bin/webcm", strLoginForm);
        std::ifstream list(std::string(QUORVANE_ROUTERSIM_PROFILES) + "/ClassIIDump.txt", std::ios::binary);
        std::stringstream content;
        content << list.rdbuf();
        const std::string strList = content.str();
        // The dump splits its list at CR LF only.
        QVERIFY(Contains(strList, "\r\n"));
        QCOMPARE(CountOf(strList, "\n"), CountOf(strList, "\r\n"));
        int intPages = 0;
        std::istringstream lines(strList);
        std::string strName;
        while (std::getline(lines, strName)) {
            if (!strName.empty() && strName.back() == '\r')
                strName.pop_back();
            if (strName.empty())
                continue;
            ++intPages;
            const PageResult page = GetPage(client, strName);
            QCOMPARE(page.intStatus, 200);
            QVERIFY2(!Contains(page.strBody, "Please log in to continue"), strName.c_str());
            QVERIFY2(!Contains(page.strBody, "Page not available"), strName.c_str());
        }
        QVERIFY(intPages >= 3);
    }

    void UnknownPagesAnswerWithoutEchoingMarkup()
    {
        RunningSimulator sim(OptionsFor(RouterClass::ClassII));
        SimClient client(sim.Port());
        client.Post("/cgi-bin/webcm", strLoginForm);
        const PageResult page = client.Get(strWebcm + "..%2Fhtml%2F%3Cscript%3Ex.html");
        QCOMPARE(page.intStatus, 200);
        QVERIFY(Contains(page.strBody, "../html/&lt;script&gt;x.html"));
        QVERIFY(!Contains(page.strBody, "<script>"));
    }
};

ROUTERSIM_TEST(TestClassIIRouter)
#include "TestClassIIRouter.moc"
