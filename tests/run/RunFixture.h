#pragma once

#include "config/PageTable.h"
#include "config/PageTrace.h"
#include "config/RouterProfile.h"
#include "readers/VendorTable.h"
#include "run/DiagnosticRun.h"
#include "support/FakeRunHost.h"

// A run wired to a fake host, with the page paths of one router class and loopback addresses.
struct RunFixture
{
    static QString Base() { return QStringLiteral("http://127.0.0.1:80"); }

    static ProfileDefaults LoopbackDefaults()
    {
        ProfileDefaults defaults;
        defaults.strPingIP = QStringLiteral("127.0.0.1");
        defaults.strPingHost = QStringLiteral("localhost");
        return defaults;
    }

    explicit RunFixture(int intClass)
        : profile(LoopbackDefaults())
        , run(host, profile, pages, trace, vendors)
    {
        profile.intRouterClass = intClass;
        profile.strPingIP = QStringLiteral("127.0.0.1");
        profile.strPingHost = QStringLiteral("localhost");
        profile.strDiagnosticID = QStringLiteral("Query DNS");
        if (intClass == 1) {
            profile.strSystemLogPage = QStringLiteral("/doc/syslog.htm");
            profile.strAdslPage = QStringLiteral("/doc/adsl.htm");
            profile.strDiagTestPage = QStringLiteral("/doc/diagtest.htm");
            profile.strPppPage = QStringLiteral("/doc/wan_adv.htm");
        } else if (intClass == 2) {
            const QString strCgi = QStringLiteral("/cgi-bin/webcm?getpage=../html/");
            profile.strLoginPage = strCgi + QStringLiteral("login.html");
            profile.strProductInfoPage = strCgi + QStringLiteral("status/product.html");
            profile.strModemStatusPage = strCgi + QStringLiteral("status/modem.html");
            profile.strHomePage = strCgi + QStringLiteral("home.html");
            profile.strSystemLogPage = strCgi + QStringLiteral("status/syslog.html");
            profile.strPppPage = strCgi + QStringLiteral("setup/connections.html");
            profile.strAdslPage = strCgi + QStringLiteral("status/adsl.html");
            profile.strDiagTestPage = strCgi + QStringLiteral("tools/diagnostics.html");
            profile.strLogoutPage = strCgi + QStringLiteral("logout.html");
        } else {
            profile.strLoginPage = QStringLiteral("/login.htm");
            profile.strLogoutPage = QStringLiteral("/logout.htm");
            profile.strSystemLogPage = QStringLiteral("/status/syslog.htm");
            profile.strPppPage = QStringLiteral("/setup/ppp.htm");
            profile.strAdslPage = QStringLiteral("/status/adsl.htm");
            profile.strDiagTestPage = QStringLiteral("/diag/diagtest.htm");
        }
        pages.RebuildPageTable(profile);
        host.fields[RunField::Admin] = QStringLiteral("admin");
        host.fields[RunField::Password] = QStringLiteral("secret");
        host.fields[RunField::Address] = QStringLiteral("127.0.0.1");
        host.fields[RunField::Port] = QStringLiteral("80");
        host.checks[RunCheck::IPConfig] = 1;
        host.checks[RunCheck::Censor] = 0;
        host.passingAddresses << QStringLiteral("127.0.0.1");
        host.strIpConfigCapture = QStringLiteral("   Default Gateway . . . . . . . . . : 127.0.0.1\r\r\n");
        host.onTimer = [this](RunTimer timer) { run.OnTimer(timer); };
    }

    ScriptedBrowser& Browser() const { return host.Browser(); }
    // Delivers a page of the router as the run's browser would.
    void Load(const QString& strPath, const QString& strText, const QString& strHtml = QString())
    {
        Browser().Load(Base() + strPath, strText, strHtml);
    }
    // Delivers every page of a complete Class II run after its Go, from the login page to the
    // log-out page, as a router without surprises shows them.
    void PlayClassIIRun()
    {
        const QString strCgi = QStringLiteral("/cgi-bin/webcm?getpage=../html/");
        Load(strCgi + QStringLiteral("login.html"), QStringLiteral("Log in"));
        Load(strCgi + QStringLiteral("status/product.html"), QStringLiteral("Product Information\r\nModel: QV-100"));
        Load(strCgi + QStringLiteral("status/modem.html"), QStringLiteral("Modem Status\r\nLine: up"));
        Load(strCgi + QStringLiteral("home.html"), QStringLiteral("Home"),
            QStringLiteral("<TR><TD>Firmware version</TD><TD><B>3.7.1</B></TD></TR><TR><TD>System Uptime"));
        Load(strCgi + QStringLiteral("status/syslog.html"), QStringLiteral("System Log\r\nJan 1 00:00:13 link up"));
        Load(strCgi + QStringLiteral("setup/connections.html"), QStringLiteral("Connections"),
            QStringLiteral("<!-- Connections --><A href=\"../cgi-bin/webcm?getpage=../html/setup/pppoa.html\">"));
        Browser().elementValues = { { QStringLiteral("uiPostEncapsType"), QStringLiteral("PPPoA") },
            { QStringLiteral("uiPostPppMRU"), QStringLiteral("1500") } };
        Load(strCgi + QStringLiteral("setup/pppoa.html"), QStringLiteral("PPP"));
        Load(strCgi + QStringLiteral("status/adsl.html"), QStringLiteral("ADSL"),
            QStringLiteral("<TR><TD>Description</TD><TD>Margin</TD></TR><TR><TD>Value</TD><TD>12</TD></TR>"));
        Load(strCgi + QStringLiteral("tools/diagnostics.html"), QStringLiteral("Query DNS: PASS"));
        Load(strCgi + QStringLiteral("logout.html"), QStringLiteral("Logged out"));
    }
    QString Header() const
    {
        return QStringLiteral("Quorvane | www.quorvane.example - v1.3.3 - 07/12/2026 06:05:09\r\n");
    }

    FakeRunHost host;
    RouterProfile profile;
    PageTable pages;
    PageTrace trace;
    VendorTable vendors;
    DiagnosticRun run;
};
