#include "SimTestKit.h"

#include <QTest>
#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

namespace
{

const char* const urlKeys[] = { "System log", "ADSL page", "Diagnostic test", "PPP settings", "Log out", "Log in",
    "Product Info", "Modem status page", "Home page" };

std::string ProfilePath(const std::string& strName)
{
    return std::string(QUORVANE_ROUTERSIM_PROFILES) + "/" + strName;
}

std::string Lower(std::string strText)
{
    std::transform(strText.begin(), strText.end(), strText.begin(),
        [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    return strText;
}

// The page a run takes an address for: the longest profile path inside it, letter case ignored.
std::string IdentifyPage(const std::string& strUrl, const std::vector<std::string>& paths)
{
    std::string strFound;
    for (const std::string& strPath : paths) {
        if (!strPath.empty() && Contains(Lower(strUrl), Lower(strPath)) && strPath.size() > strFound.size())
            strFound = strPath;
    }
    return strFound;
}

} // namespace

class TestProfiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ProfilesServeEveryPathTheyName_data()
    {
        QTest::addColumn<QString>("profile");
        QTest::addColumn<int>("routerClass");
        QTest::addColumn<QString>("scenario");
        QTest::newRow("ClassI.ini") << "ClassI.ini" << int(RouterClass::ClassI) << "normal";
        QTest::newRow("ClassII.ini") << "ClassII.ini" << int(RouterClass::ClassII) << "normal";
        QTest::newRow("ClassII-proc.ini") << "ClassII-proc.ini" << int(RouterClass::ClassII) << "proc-diag";
        QTest::newRow("ClassV.ini") << "ClassV.ini" << int(RouterClass::ClassV) << "normal";
    }

    void ProfilesServeEveryPathTheyName()
    {
        QFETCH(QString, profile);
        QFETCH(int, routerClass);
        QFETCH(QString, scenario);
        const auto values = ReadIniFile(ProfilePath(profile.toStdString()));

        QCOMPARE(values.at("Options/Router's IP address"), std::string("127.0.0.1"));
        QCOMPARE(values.at("Options/Port"), std::string("0"));
        QCOMPARE(values.at("Options/Admin name"), std::string("admin"));
        QCOMPARE(values.at("Options/Password"), std::string("secret"));
        QCOMPARE(values.at("Options/Save password"), std::string("1"));
        QCOMPARE(values.at("Options/Hide password"), std::string("1"));
        QCOMPARE(values.at("Options/Censor IPs"), std::string("1"));
        QCOMPARE(values.at("Options/Google IP"), std::string("127.0.0.1"));
        QCOMPARE(values.at("Options/Diagnostic ID"), std::string("Query DNS"));

        std::vector<std::string> paths;
        for (const char* strKey : urlKeys) {
            const auto found = values.find(std::string("URLs/") + strKey);
            QVERIFY2(found != values.end(), strKey);
            paths.push_back(found->second);
        }

        const RouterClass simClass = static_cast<RouterClass>(routerClass);
        RunningSimulator sim(OptionsFor(simClass, scenario.toStdString()));
        SimClient client(sim.Port());
        if (simClass == RouterClass::ClassI) {
            client.SetBasicAuth("admin", "secret");
            QVERIFY(values.at("URLs/Log in").empty());
        } else if (simClass == RouterClass::ClassII) {
            QVERIFY(Contains(client.Get(values.at("URLs/Log in")).strBody, "uiPostForm"));
            client.Post("/cgi-bin/webcm", "uiPostUserName=admin&uiPostPassword=secret");
        } else {
            QVERIFY(Contains(client.Get(values.at("URLs/Log in")).strBody, "id=\"PS\""));
            client.Post("/login.cgi", "pws=");
        }

        const std::string strLogout = values.at("URLs/Log out");
        for (const std::string& strPath : paths) {
            if (strPath.empty() || strPath == strLogout)
                continue;
            const PageResult page = client.Get(strPath);
            QVERIFY2(page.intStatus == 200, strPath.c_str());
            QVERIFY2(!Contains(page.strBody, "Please log in to continue") || strPath == values.at("URLs/Log in"),
                strPath.c_str());
            QVERIFY2(!Contains(page.strBody, "not available"), strPath.c_str());
            const std::string strUrl = "http://127.0.0.1:" + std::to_string(sim.Port()) + strPath;
            QCOMPARE(IdentifyPage(strUrl, paths), strPath);
        }
        if (!strLogout.empty())
            QVERIFY(Contains(client.Get(strLogout).strBody, "Logged out"));
    }

    void DiagnosticPathsMatchTheirScenario()
    {
        QCOMPARE(ReadIniFile(ProfilePath("ClassII-proc.ini")).at("URLs/Diagnostic test"),
            std::string("/proc/dsl/modem_stats"));
        QVERIFY(!Contains(ReadIniFile(ProfilePath("ClassII.ini")).at("URLs/Diagnostic test"), "/proc/"));
    }

    void SettingsChooseClassI()
    {
        QCOMPARE(ReadIniFile(ProfilePath("Settings.ini")).at("Options/Router INI"), std::string("ClassI.ini"));
    }

    void FilesUseCrLfLineEnds_data()
    {
        QTest::addColumn<QString>("file");
        for (const char* strFile :
            { "ClassI.ini", "ClassII.ini", "ClassII-proc.ini", "ClassV.ini", "Settings.ini", "ClassIIDump.txt" })
            QTest::newRow(strFile) << QString::fromLatin1(strFile);
    }

    void FilesUseCrLfLineEnds()
    {
        QFETCH(QString, file);
        std::ifstream stream(ProfilePath(file.toStdString()), std::ios::binary);
        std::stringstream content;
        content << stream.rdbuf();
        const std::string strText = content.str();
        QVERIFY(!strText.empty());
        QCOMPARE(CountOf(strText, "\n"), CountOf(strText, "\r\n"));
        QCOMPARE(CountOf(strText, "\r"), CountOf(strText, "\r\n"));
    }
};

ROUTERSIM_TEST(TestProfiles)
#include "TestProfiles.moc"
