#include "config/IniFile.h"
#include "config/PageTable.h"
#include "config/RouterProfile.h"
#include "support/TestRegistry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace
{

ProfileDefaults LocalDefaults()
{
    ProfileDefaults defaults;
    defaults.strPingIP = QStringLiteral("127.0.0.1");
    defaults.strPingHost = QStringLiteral("localhost");
    return defaults;
}

void PutFile(const QString& strFile, const QByteArray& bytText)
{
    QFile file(strFile);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytText), bytText.size());
}

QString PageUrl(const QString& strPath)
{
    return QStringLiteral("http://127.0.0.1:80") + strPath;
}

const QByteArray bytClassII = "[URLs]\r\n"
                              "Log in=/cgi-bin/webcm?getpage=../html/login.html\r\n"
                              "Log out=/cgi-bin/webcm?getpage=../html/logout.html\r\n"
                              "Product Info=/cgi-bin/webcm?getpage=../html/status/product.html\r\n"
                              "Modem status page=/cgi-bin/webcm?getpage=../html/status/modem.html\r\n"
                              "System log=/cgi-bin/webcm?getpage=../html/status/syslog.html\r\n"
                              "[Options]\r\n"
                              "Admin name=root\r\n"
                              "Port=8080\r\n"
                              "Password=secret\r\n"
                              "Save password=1\r\n"
                              "Hide password=0\r\n"
                              "Censor IPs=2\r\n"
                              "Router's IP address=127.0.0.1\r\n"
                              "Google IP=127.0.0.2\r\n"
                              "Diagnostic ID=Test done\r\n";

} // namespace

class TestRouterProfile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
        m_profile.reset(new RouterProfile(LocalDefaults()));
        m_profile->SetAppFolder(m_dir->path());
        m_pages = PageTable {};
    }

    void appFolderGetsOneTrailingSeparator()
    {
        RouterProfile profile;
        profile.SetAppFolder(QStringLiteral("C:\\Tools\\Quorvane"));
        QCOMPARE(profile.strAppFolder, QStringLiteral("C:/Tools/Quorvane/"));
        QCOMPARE(profile.strSettingsFile, QStringLiteral("C:/Tools/Quorvane/Settings.ini"));
        profile.SetAppFolder(QStringLiteral("/opt/quorvane/"));
        QCOMPARE(profile.strAppFolder, QStringLiteral("/opt/quorvane/"));
        QCOMPARE(profile.strPingHost, QString());
        QCOMPARE(profile.defaults.strPingHost, AppInfo::BuiltInPingHost());
    }

    void startWithoutAnyFiles()
    {
        RouterProfile& profile = *m_profile;
        profile.SelectAtStartup(m_pages);
        QCOMPARE(profile.intSelectedOption, 0);
        QCOMPARE(profile.intRouterClass, 1);
        QVERIFY(!profile.blnDumpVisible);
        QCOMPARE(profile.strProfileName, QStringLiteral("ClassI.ini"));
        QCOMPARE(profile.strProfileFile, QDir(m_dir->path()).filePath(QStringLiteral("ClassI.ini")));
        QCOMPARE(profile.strAdmin, QStringLiteral("admin"));
        QCOMPARE(profile.strPort, QStringLiteral("80"));
        QCOMPARE(profile.intHidePassword, 1);
        QCOMPARE(profile.intCensor, 1);
        QCOMPARE(profile.intSavePassword, 0);
        QCOMPARE(profile.intIPConfig, 1);
        QVERIFY(profile.strPassword.isEmpty() && profile.strRouterIP.isEmpty());
        QVERIFY(profile.strLoginPage.isEmpty() && profile.strLogoutPage.isEmpty());
        QVERIFY(profile.strProductInfoPage.isEmpty() && profile.strModemStatusPage.isEmpty());
        QCOMPARE(profile.strSystemLogPage, QStringLiteral("/doc/syslog.htm"));
        QCOMPARE(profile.strAdslPage, QStringLiteral("/doc/adsl.htm"));
        QCOMPARE(profile.strDiagTestPage, QStringLiteral("/doc/diagtest.htm"));
        QCOMPARE(profile.strPppPage, QStringLiteral("/doc/wan_adv.htm"));
        QCOMPARE(profile.strHomePage, QString());
        QCOMPARE(profile.strDiagnosticID, QStringLiteral("Query DNS"));
        QCOMPARE(profile.strPingIP, QStringLiteral("127.0.0.1"));
        QCOMPARE(profile.strPingHost, QStringLiteral("localhost"));
        QCOMPARE(m_pages.FindPage(PageUrl("/doc/wan_adv.htm")), RouterPage::Ppp);
        // Starting creates no file; only closing does.
        QVERIFY(QDir(m_dir->path()).isEmpty());
    }

    void closeThenReopen()
    {
        m_profile->SelectAtStartup(m_pages);
        m_profile->strRouterIP = QStringLiteral("127.0.0.1");
        m_profile->intIPConfig = 0;
        QCOMPARE(m_profile->SaveOnClose(), QStringList());
        QCOMPARE(ReadIni("Options", "Router INI", m_profile->strSettingsFile), QStringLiteral("ClassI.ini"));

        // The new profile holds the nine options and nothing else.
        QFile file(m_profile->strProfileFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QStringList arrKeys;
        for (const QByteArray& bytLine : file.readAll().split('\n')) {
            if (!bytLine.trimmed().isEmpty())
                arrKeys << QString::fromUtf8(bytLine.split('=').first().trimmed());
        }
        QCOMPARE(arrKeys,
            QStringList({ "[Options]", "Admin name", "Port", "Save password", "Password", "Hide password", "Censor IPs",
                "IPConfig results", "Ping host name", "Router's IP address" }));

        RouterProfile reopened(LocalDefaults());
        PageTable pages;
        reopened.SetAppFolder(m_dir->path());
        reopened.SelectAtStartup(pages);
        QCOMPARE(reopened.intRouterClass, 1);
        QCOMPARE(reopened.strAdmin, QStringLiteral("admin"));
        QCOMPARE(reopened.strPort, QStringLiteral("80"));
        QCOMPARE(reopened.strRouterIP, QStringLiteral("127.0.0.1"));
        QCOMPARE(reopened.intHidePassword, 1);
        QCOMPARE(reopened.intCensor, 1);
        QCOMPARE(reopened.intIPConfig, 0);
        // The profile is present now, so what it lacks loads as empty.
        QCOMPARE(reopened.strSystemLogPage, QString());
        QCOMPARE(reopened.strDiagTestPage, QString());
        QCOMPARE(reopened.strPingIP, QString());
        QCOMPARE(reopened.strDiagnosticID, QString());
        QCOMPARE(reopened.strPingHost, QStringLiteral("localhost"));
        QCOMPARE(pages.FindPage(PageUrl("/doc/syslog.htm")), RouterPage::None);
    }

    void routerIniChoosesTheClass_data()
    {
        QTest::addColumn<QByteArray>("bytSettings");
        QTest::addColumn<int>("intOption");
        QTest::addColumn<QString>("strProfileName");
        QTest::newRow("Class I") << QByteArray("[Options]\r\nRouter INI=ClassI.ini\r\n") << 0 << "ClassI.ini";
        QTest::newRow("Class II") << QByteArray("[Options]\r\nRouter INI=ClassII.ini\r\n") << 1 << "ClassII.ini";
        QTest::newRow("Class V") << QByteArray("[options]\r\nrouter ini = ClassV.ini\r\n") << 2 << "ClassV.ini";
        QTest::newRow("letter case differs")
            << QByteArray("[Options]\r\nRouter INI=classii.ini\r\n") << 0 << "ClassI.ini";
        QTest::newRow("unknown name") << QByteArray("[Options]\r\nRouter INI=ClassIII.ini\r\n") << 0 << "ClassI.ini";
        QTest::newRow("another folder") << QByteArray("[Options]\r\nRouter INI=../ClassII.ini\r\n") << 0
                                        << "ClassI.ini";
        QTest::newRow("empty value") << QByteArray("[Options]\r\nRouter INI=\r\n") << 0 << "ClassI.ini";
        QTest::newRow("no key") << QByteArray("[Other]\r\nRouter INI=ClassII.ini\r\n") << 0 << "ClassI.ini";
    }

    void routerIniChoosesTheClass()
    {
        QFETCH(QByteArray, bytSettings);
        QFETCH(int, intOption);
        QFETCH(QString, strProfileName);
        PutFile(m_profile->strSettingsFile, bytSettings);
        PutFile(QDir(m_dir->path()).filePath(QStringLiteral("ClassII.ini")), bytClassII);
        m_profile->SelectAtStartup(m_pages);
        QCOMPARE(m_profile->intSelectedOption, intOption);
        QCOMPARE(m_profile->intRouterClass, intOption + 1);
        QCOMPARE(m_profile->blnDumpVisible, intOption == 1);
        QCOMPARE(m_profile->strProfileName, strProfileName);
        QCOMPARE(m_profile->strProfileFile, QDir(m_dir->path()).filePath(strProfileName));
        QCOMPARE(m_profile->strAdmin, QLatin1String(intOption == 1 ? "root" : "admin"));
    }

    void passwordStoredOnlyWhenRemembered_data()
    {
        QTest::addColumn<int>("intSavePassword");
        QTest::addColumn<QString>("strStored");
        QTest::newRow("unchecked") << 0 << QString();
        QTest::newRow("checked") << 1 << QStringLiteral("p@ss word");
        QTest::newRow("greyed") << 2 << QString();
    }

    void passwordStoredOnlyWhenRemembered()
    {
        QFETCH(int, intSavePassword);
        QFETCH(QString, strStored);
        PutFile(QDir(m_dir->path()).filePath(QStringLiteral("ClassI.ini")), "[Options]\r\nPassword=old\r\n");
        m_profile->SelectAtStartup(m_pages);
        QCOMPARE(m_profile->strPassword, QStringLiteral("old"));
        m_profile->strPassword = QStringLiteral("p@ss word");
        m_profile->intSavePassword = intSavePassword;
        m_profile->SaveOnClose();
        QCOMPARE(ReadIni("Options", "Password", m_profile->strProfileFile), strStored);

        RouterProfile reopened(LocalDefaults());
        PageTable pages;
        reopened.SetAppFolder(m_dir->path());
        reopened.SelectAtStartup(pages);
        QCOMPARE(reopened.strPassword, strStored);
        QCOMPARE(reopened.intSavePassword, intSavePassword);
    }

    void classSwitchKeepsThePreviousLoginPaths()
    {
        PutFile(m_profile->strSettingsFile, "[Options]\r\nRouter INI=ClassII.ini\r\n");
        PutFile(QDir(m_dir->path()).filePath(QStringLiteral("ClassII.ini")), bytClassII);
        RouterProfile& profile = *m_profile;
        profile.SelectAtStartup(m_pages);
        QCOMPARE(profile.strLoginPage, QStringLiteral("/cgi-bin/webcm?getpage=../html/login.html"));
        QCOMPARE(profile.strPingIP, QStringLiteral("127.0.0.2"));
        QCOMPARE(profile.intCensor, 2);

        profile.SwitchClass(2, m_pages); // Class V has no profile file
        QCOMPARE(profile.intRouterClass, 3);
        QCOMPARE(profile.intSelectedOption, 2);
        QVERIFY(!profile.blnDumpVisible);
        QCOMPARE(profile.strLoginPage, QStringLiteral("/cgi-bin/webcm?getpage=../html/login.html"));
        QCOMPARE(profile.strLogoutPage, QStringLiteral("/cgi-bin/webcm?getpage=../html/logout.html"));
        QCOMPARE(profile.strProductInfoPage, QStringLiteral("/cgi-bin/webcm?getpage=../html/status/product.html"));
        QCOMPARE(profile.strModemStatusPage, QStringLiteral("/cgi-bin/webcm?getpage=../html/status/modem.html"));
        QCOMPARE(m_pages.FindPage(PageUrl(profile.strLoginPage)), RouterPage::Login);
        QCOMPARE(m_pages.FindPage(PageUrl("/cgi-bin/webcm?getpage=../html/status/syslog.html")), RouterPage::None);
        QCOMPARE(m_pages.FindPage(PageUrl("/doc/syslog.htm")), RouterPage::SystemLog);
        // Defaults where they exist; the typed fields and "Remember password?" stay.
        QCOMPARE(profile.strAdmin, QStringLiteral("admin"));
        QCOMPARE(profile.strPort, QStringLiteral("80"));
        QCOMPARE(profile.intHidePassword, 1);
        QCOMPARE(profile.intCensor, 1);
        QCOMPARE(profile.strPingIP, QStringLiteral("127.0.0.1"));
        QCOMPARE(profile.strDiagnosticID, QStringLiteral("Query DNS"));
        QCOMPARE(profile.strPassword, QStringLiteral("secret"));
        QCOMPARE(profile.intSavePassword, 1);
        QCOMPARE(profile.strRouterIP, QStringLiteral("127.0.0.1"));

        profile.strAdmin = QStringLiteral("typed");
        profile.SwitchClass(3, m_pages);
        profile.SwitchClass(-1, m_pages);
        QCOMPARE(profile.intRouterClass, 3);
        QCOMPARE(profile.strAdmin, QStringLiteral("typed"));

        // Switching back reloads the file; what was typed under Class V is gone.
        profile.SwitchClass(1, m_pages);
        QCOMPARE(profile.intRouterClass, 2);
        QVERIFY(profile.blnDumpVisible);
        QCOMPARE(profile.strAdmin, QStringLiteral("root"));
        QVERIFY(!QFile::exists(QDir(m_dir->path()).filePath(QStringLiteral("ClassV.ini"))));
    }

    // A page path is appended to "http://address:port": one that could name another host, or a
    // scheme, is refused with the key and the file that hold it.
    void pagePathsOffTheRouterAreRefused_data()
    {
        QTest::addColumn<QString>("strKey");
        QTest::addColumn<QString>("strPath");
        QTest::addColumn<bool>("blnRefused");
        QTest::addColumn<bool>("blnKeptByClassV"); // a Class V start without a profile keeps the problem
        QTest::newRow("plain") << "System log"
                               << "/doc/syslog.htm" << false << false;
        QTest::newRow("empty") << "Log in"
                               << "" << false << false;
        QTest::newRow("query with ../") << "Log in"
                                        << "/cgi-bin/webcm?getpage=../html/login.html" << false << false;
        QTest::newRow("double slash") << "Home page"
                                      << "//127.0.0.2/x.htm" << false << false;
        QTest::newRow("non-ASCII, blank") << "Product Info"
                                          << "/status/prodüct info.htm" << false << false;
        QTest::newRow("user info of a Class I run") << "System log"
                                                    << "@127.0.0.2:8080/doc/syslog.htm" << true << false;
        QTest::newRow("user info of a log-in") << "Log in"
                                               << "@127.0.0.2/login.htm" << true << true;
        QTest::newRow("@ after the slash") << "Log out"
                                           << "/x@127.0.0.2/" << true << true;
        QTest::newRow("no leading slash") << "ADSL page"
                                          << "doc/adsl.htm" << true << false;
        QTest::newRow("port continued") << "PPP settings"
                                        << "0.127.0.0.2/x" << true << false;
        QTest::newRow("scheme") << "Modem status page"
                                << "http://127.0.0.2/" << true << true;
        QTest::newRow("scheme in the query") << "Diagnostic test"
                                             << "/go?to=http://127.0.0.2/" << true << false;
        QTest::newRow("backslash") << "Home page"
                                   << "/\\127.0.0.2/x" << true << false;
        QTest::newRow("tab inside") << "System log"
                                    << "/doc/sys\tlog.htm" << true << false;
        QTest::newRow("delete character") << "System log"
                                          << "/doc/syslog\x7f.htm" << true << false;
        QTest::newRow("C1 control") << "System log" << QStringLiteral("/doc/syslog\u0085.htm") << true << false;
    }
    void pagePathsOffTheRouterAreRefused()
    {
        QFETCH(QString, strKey);
        QFETCH(QString, strPath);
        QFETCH(bool, blnRefused);
        QFETCH(bool, blnKeptByClassV);
        const QString strFile = QDir(m_dir->path()).filePath(QStringLiteral("ClassII.ini"));
        PutFile(strFile, "[URLs]\r\nSystem log=/doc/syslog.htm\r\nLog out=/logout.htm\r\n[Options]\r\n");
        QVERIFY(WriteIni(QStringLiteral("URLs"), strKey, strPath, strFile));
        m_profile->SwitchClass(1, m_pages);
        const QString strProblem = m_profile->PagePathProblem();
        QCOMPARE(!strProblem.isEmpty(), blnRefused);
        if (blnRefused) {
            QVERIFY2(strProblem.startsWith(QStringLiteral("The page path \"")), qPrintable(strProblem));
            QVERIFY2(strProblem.contains(QStringLiteral("\" of \"%1\" in %2 is not a path on the router: ")
                                             .arg(strKey, QDir::toNativeSeparators(strFile))),
                qPrintable(strProblem));
            QVERIFY(!strProblem.contains(QLatin1Char('\t')) && !strProblem.contains(QChar(0x7f)));
        }
        // Without a profile of its own Class V keeps the four paths that have no default, and with
        // them their problem; a good profile clears it.
        m_profile->SwitchClass(2, m_pages);
        QCOMPARE(m_profile->PagePathProblem(), blnKeptByClassV ? strProblem : QString());
        PutFile(strFile, "[URLs]\r\nSystem log=/doc/syslog.htm\r\n");
        m_profile->SwitchClass(1, m_pages);
        QCOMPARE(m_profile->PagePathProblem(), QString());
    }

    void pingHostIsAlwaysTheBuiltInOne()
    {
        const QString strFile = QDir(m_dir->path()).filePath(QStringLiteral("ClassI.ini"));
        PutFile(strFile, "[Options]\r\nPing host name=elsewhere.invalid\r\nGoogle IP=127.0.0.3\r\n");
        m_profile->SelectAtStartup(m_pages);
        QCOMPARE(m_profile->strPingHost, QStringLiteral("localhost"));
        QCOMPARE(m_profile->strPingIP, QStringLiteral("127.0.0.3"));
        m_profile->SaveOnClose();
        QCOMPARE(ReadIni("Options", "Ping host name", strFile), QStringLiteral("localhost"));
        QCOMPARE(ReadIni("Options", "Google IP", strFile), QStringLiteral("127.0.0.3"));
    }

    void unusableCheckBoxValuesGiveTheDefaults_data()
    {
        QTest::addColumn<QByteArray>("bytValue");
        QTest::addColumn<int>("intSavePassword");
        QTest::addColumn<int>("intHidePassword");
        QTest::addColumn<int>("intCensor");
        QTest::newRow("missing") << QByteArray() << 0 << 1 << 1;
        QTest::newRow("0") << QByteArray("0") << 0 << 0 << 0;
        QTest::newRow("1 with blanks") << QByteArray("  1 ") << 1 << 1 << 1;
        QTest::newRow("2") << QByteArray("2") << 2 << 2 << 2;
        QTest::newRow("3") << QByteArray("3") << 0 << 1 << 1;
        QTest::newRow("-1") << QByteArray("-1") << 0 << 1 << 1;
        QTest::newRow("not a number") << QByteArray("yes") << 0 << 1 << 1;
        QTest::newRow("fraction") << QByteArray("1.5") << 0 << 1 << 1;
        QTest::newRow("huge") << QByteArray("99999999999999999999") << 0 << 1 << 1;
    }

    void unusableCheckBoxValuesGiveTheDefaults()
    {
        QFETCH(QByteArray, bytValue);
        QFETCH(int, intSavePassword);
        QFETCH(int, intHidePassword);
        QFETCH(int, intCensor);
        QByteArray bytProfile = "[Options]\r\n";
        if (!bytValue.isNull())
            bytProfile += "Save password=" + bytValue + "\r\nHide password=" + bytValue + "\r\nCensor IPs=" + bytValue;
        PutFile(QDir(m_dir->path()).filePath(QStringLiteral("ClassI.ini")), bytProfile);
        m_profile->intSavePassword = 2; // as left by an earlier profile
        m_profile->SelectAtStartup(m_pages);
        QCOMPARE(m_profile->intSavePassword, intSavePassword);
        QCOMPARE(m_profile->intHidePassword, intHidePassword);
        QCOMPARE(m_profile->intCensor, intCensor);
    }

    void shippedProfilesIdentifyTheirOwnPages_data()
    {
        QTest::addColumn<int>("intOption");
        QTest::newRow("Class I") << 0;
        QTest::newRow("Class II") << 1;
        QTest::newRow("Class V") << 2;
    }

    void shippedProfilesIdentifyTheirOwnPages()
    {
        QFETCH(int, intOption);
        RouterProfile profile(LocalDefaults());
        PageTable pages;
        profile.SetAppFolder(QStringLiteral(QUORVANE_SOURCE_DIR "/dist"));
        profile.SwitchClass(intOption, pages);
        QVERIFY(QFile::exists(profile.strProfileFile));
        QCOMPARE(profile.strAdmin, QStringLiteral("admin"));
        QCOMPARE(profile.strPort, QStringLiteral("80"));
        QCOMPARE(profile.strRouterIP, QString());
        QCOMPARE(profile.intSavePassword, 0);
        QCOMPARE(profile.intHidePassword, 1);
        QCOMPARE(profile.intCensor, 1);
        QCOMPARE(profile.strPingIP, AppInfo::BuiltInPingIP());
        QCOMPARE(profile.strDiagnosticID, QStringLiteral("Query DNS"));
        // Class I logs in through the URL; the others need a log-in page.
        QCOMPARE(profile.strLoginPage.isEmpty(), intOption == 0);
        QVERIFY(!profile.strSystemLogPage.isEmpty() && !profile.strAdslPage.isEmpty());
        QVERIFY(!profile.strDiagTestPage.isEmpty() && !profile.strPppPage.isEmpty());

        const QList<QPair<QString, RouterPage>> arrPaths { { profile.strLoginPage, RouterPage::Login },
            { profile.strSystemLogPage, RouterPage::SystemLog }, { profile.strAdslPage, RouterPage::Adsl },
            { profile.strDiagTestPage, RouterPage::DiagTest }, { profile.strPppPage, RouterPage::Ppp },
            { profile.strLogoutPage, RouterPage::Logout }, { profile.strProductInfoPage, RouterPage::ProductInfo },
            { profile.strModemStatusPage, RouterPage::ModemStatus }, { profile.strHomePage, RouterPage::Home } };
        for (const auto& path : arrPaths) {
            if (!path.first.isEmpty())
                QCOMPARE(pages.FindPage(PageUrl(path.first)), path.second);
        }
    }

    void shippedDumpListIsUsable()
    {
        QFile file(QStringLiteral(QUORVANE_SOURCE_DIR "/dist/ClassIIDump.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytText = file.readAll();
        QVERIFY(bytText.endsWith("\r\n"));
        QCOMPARE(bytText.count('\n'), bytText.count("\r\n"));
        const QList<QByteArray> arrNames = bytText.trimmed().split('\n');
        QVERIFY(arrNames.size() >= 5);
        for (const QByteArray& bytName : arrNames) {
            const QByteArray bytTrimmed = bytName.trimmed();
            QVERIFY2(bytTrimmed.startsWith("../html/") && !bytTrimmed.contains(' '), bytName.constData());
        }
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<RouterProfile> m_profile;
    PageTable m_pages;
};

QUORVANE_REGISTER_TEST(TestRouterProfile)
#include "TestRouterProfile.moc"
