#pragma once

#include "config/AppInfo.h"

#include <QString>
#include <QStringList>

class PageTable;

// The values that LoadProfile uses when the selected class has no profile file, and the check-box
// values that stand in for unusable ones in a present profile. Real runs keep the initial values;
// tests and demos replace at least the public host with "localhost" and 127.0.0.1.
struct ProfileDefaults
{
    QString strPingIP = AppInfo::BuiltInPingIP();
    QString strPingHost = AppInfo::BuiltInPingHost();
    QString strAdmin = QStringLiteral("admin");
    QString strPort = QStringLiteral("80");
    QString strSystemLogPage = QStringLiteral("/doc/syslog.htm");
    QString strAdslPage = QStringLiteral("/doc/adsl.htm");
    QString strDiagTestPage = QStringLiteral("/doc/diagtest.htm");
    QString strPppPage = QStringLiteral("/doc/wan_adv.htm");
    QString strHomePage;
    QString strDiagnosticID = QStringLiteral("Query DNS");
    int intSavePassword = 0;
    int intHidePassword = 1;
    int intCensor = 1;
    int intIPConfig = 1;
};

// The configuration of the main window: which router class is in use, the page paths and run
// values of that class's profile, and the window-field values that the profile fills and that are
// saved when the window closes. Settings.ini names the profile in use; each class has its own
// profile file (ClassI.ini, ClassII.ini, ClassV.ini) in the application folder.
//
// Check-box values are 0 (unchecked), 1 (checked) or 2 (greyed).
class RouterProfile
{
public:
    explicit RouterProfile(ProfileDefaults defaults = {});

    // Stores the folder with a trailing "/" (backslashes become "/") and points strSettingsFile
    // into it.
    void SetAppFolder(const QString& strFolder);

    // Chooses the class named by Settings.ini (Class I when the file is absent or names no known
    // profile exactly) and loads its profile.
    void SelectAtStartup(PageTable& pages);

    // A click on class option intIndex (0 Class I, 1 Class II, 2 Class V); other indexes do nothing.
    // What was typed under the previous class is not saved.
    void SwitchClass(int intIndex, PageTable& pages);

    // Fills the fields and run values from strProfileFile, or from the built-in defaults when the
    // file is absent, and rebuilds the page table.
    void LoadProfile(PageTable& pages);

    // Writes the class in use to Settings.ini and the options to the profile. Every value is tried
    // even after a failure, and a failed write leaves its file as it was. Returns the files that
    // could not be written completely (none when everything was saved); closing is never held up.
    QStringList SaveOnClose() const;

    // "" when every page path loaded from a profile can be sent to the router, otherwise the text
    // that says which key of which file holds one that cannot. Each path is appended to
    // "http://" + address + ":" + port, so a path from a profile that someone passed around could
    // send the run elsewhere ("@127.0.0.2/doc/syslog.htm" sends a Class I run's credentials to that
    // host): a path must be empty or begin with "/", and hold no "@", "\", scheme ("://") or
    // control character. Commands check it before anything is sent.
    QString PagePathProblem() const { return m_strPathProblem; }

    // Configuration values and run variables.
    QString strAppFolder;
    QString strSettingsFile;
    QString strProfileName;
    QString strProfileFile;
    int intRouterClass = 1; // 1 Class I, 2 Class II, 3 Class V
    int intSelectedOption = 0; // the selected class option, 0..2
    bool blnDumpVisible = false; // the Data Dump command is offered (Class II only)
    QString strSystemLogPage;
    QString strAdslPage;
    QString strDiagTestPage;
    QString strPppPage;
    QString strLogoutPage;
    QString strLoginPage;
    QString strProductInfoPage;
    QString strModemStatusPage;
    QString strHomePage;
    QString strPingIP;
    QString strPingHost;
    QString strDiagnosticID;

    // Window-field values: administrator name, port, password, router address and the check boxes
    // "Remember password?", "Hide password?", "Censor data" and "IPConfig results" (a profile
    // without the last one leaves it checked; a class without a profile leaves it as it was).
    QString strAdmin;
    QString strPort;
    QString strPassword;
    QString strRouterIP;
    int intSavePassword = 0;
    int intHidePassword = 0;
    int intCensor = 0;
    int intIPConfig = 1;

    ProfileDefaults defaults;

private:
    void SelectClass(int intIndex);

    QString m_strPathProblem;
    QString m_strPathProblemKey;
};

// "" when strPath can follow "http://" + address + ":" + port (see PagePathProblem), otherwise what
// is wrong with it.
QString PagePathFault(const QString& strPath);
