#include "PageKit.h"
#include "SimTestKit.h"

#include <QTest>

namespace
{

bool IsLoginPrompt(const PageResult& page)
{
    return page.intStatus == 200 && Contains(page.strBody, "Please log in to continue");
}

// The src addresses of the page's frames, in document order.
std::vector<std::string> FrameSources(const std::string& strHtml)
{
    std::vector<std::string> sources;
    std::string::size_type intPos = 0;
    while ((intPos = strHtml.find("<iframe", intPos)) != std::string::npos) {
        const auto intSrc = strHtml.find("src=\"", intPos) + 5;
        sources.push_back(strHtml.substr(intSrc, strHtml.find('"', intSrc) - intSrc));
        intPos = intSrc;
    }
    return sources;
}

} // namespace

class TestClassVRouter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void LoginPageSplitsFieldAndForm()
    {
        RunningSimulator sim(OptionsFor(RouterClass::ClassV));
        SimClient client(sim.Port());
        const std::string strHtml = client.Get("/login.htm").strBody;
        QVERIFY(Contains(strHtml, "<input type=\"password\" id=\"PS\""));
        QVERIFY(!Contains(strHtml, "<form"));
        const auto frames = FrameSources(strHtml);
        QCOMPARE(frames.size(), std::size_t(2));

        // Frame 0 is decoration; frame 1 holds the form that logs in.
        QVERIFY(!Contains(client.Get(frames[0]).strBody, "<form"));
        const std::string strForm = client.Get(frames[1]).strBody;
        QCOMPARE(CountOf(strForm, "<form"), 1);
        QVERIFY(Contains(strForm, "<form method=\"post\" action=\"/login.cgi\">"));
        QVERIFY(Contains(strForm, "name=\"pws\" value=\"\""));

        // The run identifies pages by the longest profile path inside their address, so the frames
        // must not look like any of them.
        for (const std::string& strFrame : frames) {
            for (const char* strPath : { "/login.htm", "/logout.htm", "/status/", "/setup/", "/diag/" })
                QVERIFY2(!Contains(strFrame, strPath), strFrame.c_str());
        }
        QCOMPARE(client.Get("/").Header("Location"), std::string("/login.htm"));
    }

    void PagesNeedASession_data()
    {
        QTest::addColumn<QString>("path");
        for (const char* strPath :
            { "/status/home.htm", "/status/syslog.htm", "/setup/ppp.htm", "/status/adsl.htm", "/diag/diagtest.htm" })
            QTest::newRow(strPath) << QString::fromLatin1(strPath);
    }

    void PagesNeedASession()
    {
        QFETCH(QString, path);
        RunningSimulator sim(OptionsFor(RouterClass::ClassV));
        SimClient client(sim.Port());
        QVERIFY(IsLoginPrompt(client.Get(path.toStdString())));
        client.Post("/login.cgi", "pws=&lang=en");
        const PageResult page = client.Get(path.toStdString());
        QCOMPARE(page.intStatus, 200);
        QVERIFY(!Contains(page.strBody, "Please log in to continue"));
    }

    void FramePostIsTheLogin_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("as the run posts it") << "pws=&lang=en"
                                             << "normal" << true;
        QTest::newRow("without fields") << ""
                                        << "normal" << true;
        QTest::newRow("script filled it in") << "pws=secret&lang=en"
                                             << "normal" << true;
        QTest::newRow("wrong password") << "pws=Secret&lang=en"
                                        << "normal" << false;
        QTest::newRow("refused") << "pws=&lang=en"
                                 << "login-refused" << false;
        QTest::newRow("refused with password") << "pws=secret&lang=en"
                                               << "login-refused" << false;
    }

    void FramePostIsTheLogin()
    {
        QFETCH(QString, form);
        QFETCH(QString, scenario);
        QFETCH(bool, accepted);
        RunningSimulator sim(OptionsFor(RouterClass::ClassV, scenario.toStdString()));
        SimClient client(sim.Port());
        const PageResult answer = client.Post("/login.cgi", form.toStdString());
        QCOMPARE(answer.intStatus, 200);
        QCOMPARE(client.Cookie("SID").empty(), !accepted);
        QCOMPARE(Contains(answer.strBody, "Please log in to continue"), !accepted);
        QCOMPARE(IsLoginPrompt(client.Get("/status/syslog.htm")), !accepted);
    }

    void PagesCarryWhatTheRunReads()
    {
        RunningSimulator sim(OptionsFor(RouterClass::ClassV));
        SimClient client(sim.Port());
        client.Post("/login.cgi", "pws=");

        const std::string strLog = client.Get("/status/syslog.htm").strBody;
        QVERIFY(Contains(strLog, "<td class=\"head\">System Log</td>"));
        QVERIFY(Contains(strLog, "<td>Current Time: "));
        QVERIFY(Contains(strLog, "| pppoe | PPP IP 198.51.100.23 assigned</td>"));

        const std::string strPpp = client.Get("/setup/ppp.htm").strBody;
        const std::string strList = LineWith(strPpp, "wan_encapsulation");
        // The first option is the selected one here.
        QVERIFY(Contains(strList, "<option value=\"0\" selected>PPPoE LLC</option>"));
        QCOMPARE(CountOf(strList, " selected"), 1);
        QVERIFY(Contains(LineWith(strPpp, "simple_ppp_mru"), "value=\"1492\" name=\"simple_ppp_mru\""));
        QVERIFY(Contains(LineWith(strPpp, "simple_ppp_mtu"), "value=\"1492\" name=\"simple_ppp_mtu\""));
        QVERIFY(Contains(LineWith(strPpp, "simple_ppp_mss"), "value=\"1452\" name=\"simple_ppp_mss\""));

        const auto rows = TableRows(client.Get("/status/adsl.htm").strBody);
        const std::vector<std::string> snr { "SNR Margin", "6.8", "12.0", "dB" };
        const std::vector<std::string> attenuation { "Line Attenuation", "42.5", "24.0", "dB" };
        QVERIFY(std::find(rows.begin(), rows.end(), snr) != rows.end());
        QVERIFY(std::find(rows.begin(), rows.end(), attenuation) != rows.end());
        QCOMPARE(rows.front().front(), std::string("ADSL Status"));
        QVERIFY(Contains(client.Post("/setup/ppp.htm", "simple_ppp_mru=1400").strBody, "value=\"1492\""));
        SimClient anonymous(sim.Port());
        QVERIFY(IsLoginPrompt(anonymous.Post("/setup/ppp.htm", "simple_ppp_mru=1400")));

        const std::string strHome = client.Get("/status/home.htm").strBody;
        QVERIFY(strHome.find("Firmware version</td><td class=v><b>5.2.04</b>") < strHome.find("System Uptime"));
    }

    void DiagnosticTestFinishesOnTheThirdLoad()
    {
        RunningSimulator sim(OptionsFor(RouterClass::ClassV));
        SimClient client(sim.Port());
        client.Post("/login.cgi", "pws=");
        for (int intLoad = 1; intLoad < intDiagLoadsToFinish; ++intLoad)
            QVERIFY(!Contains(client.Get("/diag/diagtest.htm").strBody, "Query DNS"));
        const std::string strBody = client.Get("/diag/diagtest.htm").strBody;
        QVERIFY(Contains(strBody, "<td>Query DNS: PASS</td>"));
        QVERIFY(Contains(strBody, "Test Results"));
    }

    void DiagnosticErrorAndNever()
    {
        {
            RunningSimulator sim(OptionsFor(RouterClass::ClassV, "diag-error"));
            SimClient client(sim.Port());
            client.Post("/login.cgi", "pws=");
            QVERIFY(Contains(client.Get("/diag/diagtest.htm").strBody, "errorText"));
        }
        {
            RunningSimulator sim(OptionsFor(RouterClass::ClassV, "diag-never"));
            SimClient client(sim.Port());
            client.Post("/login.cgi", "pws=");
            for (int intLoad = 0; intLoad < 5; ++intLoad)
                QVERIFY(!Contains(client.Get("/diag/diagtest.htm").strBody, "Query DNS"));
        }
    }

    void LogoutEndsTheSession()
    {
        RunningSimulator sim(OptionsFor(RouterClass::ClassV));
        SimClient client(sim.Port());
        client.Post("/login.cgi", "pws=");
        const std::string strToken = client.Cookie("SID");
        QVERIFY(Contains(client.Get("/logout.htm").strBody, "Logged out"));
        SimClient replay(sim.Port());
        replay.SetCookie("SID", strToken);
        QVERIFY(IsLoginPrompt(replay.Get("/status/syslog.htm")));
    }

    void ReloadForeverSendsTheRunBackToTheLog()
    {
        RunningSimulator sim(OptionsFor(RouterClass::ClassV, "reload-forever"));
        SimClient client(sim.Port());
        client.Post("/login.cgi", "pws=");
        const PageResult bounce = client.Get("/setup/ppp.htm");
        QCOMPARE(bounce.intStatus, 302);
        QCOMPARE(bounce.Header("Location"), std::string("/status/syslog.htm"));
    }
};

ROUTERSIM_TEST(TestClassVRouter)
#include "TestClassVRouter.moc"
