#include "PageKit.h"
#include "SimTestKit.h"

#include <QTest>

class TestClassIRouter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void EveryPageAsksForCredentials_data()
    {
        QTest::addColumn<QString>("path");
        for (const char* strPath : { "/", "/doc/syslog.htm", "/doc/adsl.htm", "/doc/wan_adv.htm", "/doc/diagtest.htm" })
            QTest::newRow(strPath) << QString::fromLatin1(strPath);
    }

    void EveryPageAsksForCredentials()
    {
        QFETCH(QString, path);
        RunningSimulator sim(OptionsFor(RouterClass::ClassI));
        SimClient anonymous(sim.Port());
        const PageResult page = anonymous.Get(path.toStdString());
        QCOMPARE(page.intStatus, 401);
        QCOMPARE(page.Header("WWW-Authenticate"), std::string("Basic realm=\"RS-1100\""));
        QVERIFY(Contains(page.strBody, "Please log in to continue"));

        SimClient wrong(sim.Port());
        wrong.SetBasicAuth("admin", "Secret");
        QCOMPARE(wrong.Get(path.toStdString()).intStatus, 401);

        SimClient admin(sim.Port());
        admin.SetBasicAuth("admin", "secret");
        QCOMPARE(admin.Get(path.toStdString()).intStatus, 200);
    }

    void CredentialsComeFromTheOptions()
    {
        SimOptions options = OptionsFor(RouterClass::ClassI);
        options.strUser = "root";
        options.strPassword = "p:w d";
        RunningSimulator sim(options);
        SimClient client(sim.Port());
        client.SetBasicAuth("admin", "secret");
        QCOMPARE(client.Get("/doc/syslog.htm").intStatus, 401);
        client.SetBasicAuth("root", "p:w d");
        QCOMPARE(client.Get("/doc/syslog.htm").intStatus, 200);
    }

    void SystemLogHasTheWanAddress()
    {
        RunningSimulator sim(OptionsFor(RouterClass::ClassI));
        SimClient client(sim.Port());
        client.SetBasicAuth("admin", "secret");
        const PageResult page = client.Get("/doc/syslog.htm");
        QCOMPARE(page.intStatus, 200);
        QVERIFY(Contains(page.strContentType, "text/html"));
        QVERIFY(Contains(page.strBody, "<h3>System Log</h3>"));
        QVERIFY(Contains(page.strBody, "Current Time:"));
        // The time before the first "|" keeps a log line's address visible to the privacy filter.
        QVERIFY(Contains(page.strBody, "<td>Jan  1 00:00:41 | ppp | PPP IP 203.0.113.45 assigned"));
        QVERIFY(!Contains(page.strBody, "errorText"));
        QVERIFY(!Contains(page.strBody, "Action canceled"));
        QVERIFY(!Contains(page.strBody, "http-equiv"));
    }

    void PppSettingsStandOnTheirOwnLines()
    {
        RunningSimulator sim(OptionsFor(RouterClass::ClassI));
        SimClient client(sim.Port());
        client.SetBasicAuth("admin", "secret");
        const std::string strHtml = client.Get("/doc/wan_adv.htm").strBody;

        const std::string strList = LineWith(strHtml, "wan_encapsulation");
        QVERIFY(Contains(strList, "<option value=\"0\">"));
        QCOMPARE(CountOf(strList, " selected"), 1);
        QVERIFY(Contains(strList, "<option value=\"1\" selected>PPPoA VC-Mux</option>"));
        QVERIFY(strList.find("value=\"0\"") < strList.find("selected"));
        QVERIFY(!Contains(strList, "simple_ppp"));

        const std::pair<const char*, const char*> fields[]
            = { { "simple_ppp_mru", "1500" }, { "simple_ppp_mtu", "1500" }, { "simple_ppp_mss", "1460" } };
        for (const auto& [strName, strValue] : fields) {
            const std::string strLine = LineWith(strHtml, strName);
            QCOMPARE(CountOf(strHtml, strName), 1);
            const std::string strExpected = std::string("value=\"") + strValue + "\" name=\"" + strName + "\"";
            QVERIFY2(Contains(strLine, strExpected), strLine.c_str());
            QCOMPARE(CountOf(strLine, "value="), 1);
        }
    }

    void AdslTableReadsAsTheStatusLines()
    {
        RunningSimulator sim(OptionsFor(RouterClass::ClassI));
        SimClient client(sim.Port());
        client.SetBasicAuth("admin", "secret");
        const std::string strHtml = client.Get("/doc/adsl.htm").strBody;
        QVERIFY(Contains(strHtml, "<h3>ADSL Status</h3>"));
        const auto rows = TableRows(strHtml);
        const std::vector<std::vector<std::string>> expected { { "", "Downstream", "Upstream", "" },
            { "SNR Margin", "12.5", "11.0", "dB" }, { "Line Attenuation", "31", "17", "dB" } };
        QVERIFY(rows == expected);
        QVERIFY(Contains(strHtml, ">Restart</button> <button"));
        QVERIFY(Contains(strHtml, ">Stop</button>"));

        // Pressing a button shows the page again, and only to the administrator.
        QVERIFY(Contains(client.Post("/doc/adsl.htm", "action=restart").strBody, "<td>SNR Margin</td>"));
        SimClient anonymous(sim.Port());
        QCOMPARE(anonymous.Post("/doc/adsl.htm", "action=stop").intStatus, 401);
    }

    void DiagnosticTestFinishesOnTheThirdLoad()
    {
        SimOptions options = OptionsFor(RouterClass::ClassI);
        options.intRefreshSeconds = 7;
        RunningSimulator sim(options);
        SimClient client(sim.Port());
        client.SetBasicAuth("admin", "secret");
        for (int intLoad = 1; intLoad < intDiagLoadsToFinish; ++intLoad) {
            const PageResult page = client.Get("/doc/diagtest.htm");
            QCOMPARE(page.intStatus, 200);
            QVERIFY(Contains(page.strBody, "<meta http-equiv=\"refresh\" content=\"7\">"));
            QVERIFY(!Contains(page.strBody, "Query DNS"));
            QVERIFY(!Contains(page.strBody, "errorText"));
        }
        QVERIFY(!client.Cookie("rs1100_client").empty());
        for (int intLoad = 0; intLoad < 2; ++intLoad) {
            const PageResult page = client.Get("/doc/diagtest.htm");
            QVERIFY(Contains(page.strBody, "<td>Query DNS: PASS</td>"));
            QVERIFY(Contains(page.strBody, "<td>Ping Gateway: PASS</td>"));
            QVERIFY(!Contains(page.strBody, "http-equiv"));
        }

        // Another visitor has a test of its own.
        SimClient other(sim.Port());
        other.SetBasicAuth("admin", "secret");
        QVERIFY(!Contains(other.Get("/doc/diagtest.htm").strBody, "Query DNS"));
        // So has the same browser once it has dropped its cookie.
        client.ForgetCookies();
        QVERIFY(!Contains(client.Get("/doc/diagtest.htm").strBody, "Query DNS"));
    }

    void DiagnosticNeverFinishes()
    {
        RunningSimulator sim(OptionsFor(RouterClass::ClassI, "diag-never"));
        SimClient client(sim.Port());
        client.SetBasicAuth("admin", "secret");
        for (int intLoad = 0; intLoad < 8; ++intLoad) {
            const std::string strBody = client.Get("/doc/diagtest.htm").strBody;
            QVERIFY(Contains(strBody, "<meta http-equiv=\"refresh\" content=\"1\">"));
            QVERIFY(!Contains(strBody, "Query DNS"));
        }
    }

    void DiagnosticErrorShowsAtOnce()
    {
        RunningSimulator sim(OptionsFor(RouterClass::ClassI, "diag-error"));
        SimClient client(sim.Port());
        client.SetBasicAuth("admin", "secret");
        const std::string strBody = client.Get("/doc/diagtest.htm").strBody;
        QVERIFY(Contains(strBody, "errorText"));
        QVERIFY(!Contains(strBody, "Query DNS"));
        QVERIFY(!Contains(strBody, "http-equiv"));
    }

    void RefusedLoginRefusesEvenTheRightCredentials()
    {
        RunningSimulator sim(OptionsFor(RouterClass::ClassI, "login-refused"));
        SimClient client(sim.Port());
        client.SetBasicAuth("admin", "secret");
        const PageResult page = client.Get("/doc/syslog.htm");
        QCOMPARE(page.intStatus, 401);
        QVERIFY(Contains(page.strBody, "Please log in to continue"));
    }

    void DigestScenarioTakesOnlyDigest()
    {
        RunningSimulator sim(OptionsFor(RouterClass::ClassI, "digest"));
        SimClient anonymous(sim.Port());
        const PageResult challenge = anonymous.Get("/doc/adsl.htm");
        QCOMPARE(challenge.intStatus, 401);
        QVERIFY(Contains(challenge.Header("WWW-Authenticate"), "Digest realm=\"RS-1100\""));

        SimClient basic(sim.Port());
        basic.SetBasicAuth("admin", "secret");
        QCOMPARE(basic.Get("/doc/adsl.htm").intStatus, 401);

#ifndef CPPHTTPLIB_OPENSSL_SUPPORT
        QSKIP("the HTTP library's Digest client needs its TLS build, which this build lacks");
#else
        // The HTTP library's own Digest client answers the challenge.
        SimClient digest(sim.Port());
        digest.SetDigestAuth("admin", "secret");
        QCOMPARE(digest.Get("/doc/adsl.htm").intStatus, 200);
        QCOMPARE(digest.Get("/doc/syslog.htm").intStatus, 200);

        SimClient wrong(sim.Port());
        wrong.SetDigestAuth("admin", "secreT");
        QCOMPARE(wrong.Get("/doc/adsl.htm").intStatus, 401);
#endif
    }

    void ReloadForeverSendsTheRunBackToTheLog()
    {
        RunningSimulator sim(OptionsFor(RouterClass::ClassI, "reload-forever"));
        SimClient client(sim.Port());
        client.SetBasicAuth("admin", "secret");
        QVERIFY(Contains(client.Get("/doc/syslog.htm").strBody, "<meta http-equiv=\"refresh\" content=\"0\">"));
        const PageResult bounce = client.Get("/doc/wan_adv.htm");
        QCOMPARE(bounce.intStatus, 302);
        QCOMPARE(bounce.Header("Location"), std::string("/doc/syslog.htm"));
        // Without credentials nothing is given away, not even the redirect.
        SimClient anonymous(sim.Port());
        QCOMPARE(anonymous.Get("/doc/wan_adv.htm").intStatus, 401);
    }

    void UnknownPagesAreNotFound()
    {
        RunningSimulator sim(OptionsFor(RouterClass::ClassI));
        SimClient client(sim.Port());
        client.SetBasicAuth("admin", "secret");
        const PageResult page = client.Get("/doc/status.htm");
        QCOMPARE(page.intStatus, 404);
        QVERIFY(Contains(page.strBody, "404 Not Found"));
        // Pages are built in memory; no path reaches the file system.
        const PageResult escape = client.Get("/doc/../../etc/passwd");
        QVERIFY(escape.intStatus == 404 || escape.intStatus == 400);
        QVERIFY(!Contains(escape.strBody, "root:"));
        QCOMPARE(client.Get("/cgi-bin/webcm?getpage=../html/login.html").intStatus, 404);
    }
};

ROUTERSIM_TEST(TestClassIRouter)
#include "TestClassIRouter.moc"
