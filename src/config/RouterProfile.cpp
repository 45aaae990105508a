#include "config/RouterProfile.h"

#include "config/IniFile.h"
#include "config/PageTable.h"

#include <QDir>
#include <QFileInfo>
#include <array>
#include <utility>

namespace
{

struct ClassEntry
{
    int intRouterClass;
    const char* strProfileName;
    bool blnDumpVisible;
};

// One entry per class option, in option order.
constexpr std::array<ClassEntry, 3> arrClasses { {
    { 1, "ClassI.ini", false },
    { 2, "ClassII.ini", true },
    { 3, "ClassV.ini", false },
} };

const QString strOptions = QStringLiteral("Options");
const QString strUrls = QStringLiteral("URLs");

// A check-box value must be a whole number from 0 to 2; anything else gives the box's default.
int CheckBoxValue(const QString& strValue, int intDefault)
{
    bool blnNumber = false;
    const int intValue = strValue.toInt(&blnNumber);
    return blnNumber && intValue >= 0 && intValue <= 2 ? intValue : intDefault;
}

// The text as a message quotes it: control characters spelled out, so that the message stays on
// one line and shows what was really there.
QString Quoted(const QString& strText)
{
    QString strShown;
    for (const QChar chr : strText) {
        if (chr.category() == QChar::Other_Control)
            strShown += QStringLiteral("\\x%1").arg(chr.unicode(), 2, 16, QLatin1Char('0'));
        else
            strShown += chr;
    }
    return QLatin1Char('"') + strShown + QLatin1Char('"');
}

// The keys of the paths that a profile absent from the folder leaves as they were.
bool KeptWithoutProfile(const QString& strKey)
{
    for (const char* strKept : { "Log out", "Log in", "Product Info", "Modem status page" }) {
        if (strKey == QLatin1String(strKept))
            return true;
    }
    return false;
}

} // namespace

RouterProfile::RouterProfile(ProfileDefaults defaults)
    : defaults(std::move(defaults))
{ }

void RouterProfile::SetAppFolder(const QString& strFolder)
{
    strAppFolder = QDir::fromNativeSeparators(strFolder);
    strAppFolder.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!strAppFolder.isEmpty() && !strAppFolder.endsWith(QLatin1Char('/')))
        strAppFolder += QLatin1Char('/');
    strSettingsFile = strAppFolder + QStringLiteral("Settings.ini");
}

void RouterProfile::SelectClass(int intIndex)
{
    const ClassEntry& entry = arrClasses.at(static_cast<std::size_t>(intIndex));
    intSelectedOption = intIndex;
    intRouterClass = entry.intRouterClass;
    blnDumpVisible = entry.blnDumpVisible;
    strProfileName = QString::fromLatin1(entry.strProfileName);
    strProfileFile = strAppFolder + strProfileName;
}

void RouterProfile::SelectAtStartup(PageTable& pages)
{
    strSettingsFile = strAppFolder + QStringLiteral("Settings.ini");
    strProfileName.clear();
    if (QFileInfo(strSettingsFile).isFile()) {
        strProfileName = ReadIni(strOptions, QStringLiteral("Router INI"), strSettingsFile);
        if (!strProfileName.isEmpty())
            strProfileFile = strAppFolder + strProfileName;
    }

    // Only an exact name selects a class: anything else, a name differing in letter case
    // included, falls back to Class I.
    int intIndex = 0;
    for (std::size_t intEntry = 0; intEntry < arrClasses.size(); ++intEntry) {
        if (strProfileName == QLatin1String(arrClasses.at(intEntry).strProfileName))
            intIndex = static_cast<int>(intEntry);
    }
    SelectClass(intIndex);
    LoadProfile(pages);
}

void RouterProfile::SwitchClass(int intIndex, PageTable& pages)
{
    if (intIndex < 0 || intIndex >= static_cast<int>(arrClasses.size()))
        return;
    SelectClass(intIndex);
    LoadProfile(pages);
}

void RouterProfile::LoadProfile(PageTable& pages)
{
    const bool blnPresent = !strProfileFile.isEmpty() && QFileInfo(strProfileFile).isFile();
    if (!blnPresent) {
        // The log-in, log-out, product and modem pages have no default and keep what the previous
        // profile set; so do the router address, the password and "Remember password?".
        strAdmin = defaults.strAdmin;
        strPort = defaults.strPort;
        strSystemLogPage = defaults.strSystemLogPage;
        strAdslPage = defaults.strAdslPage;
        strPingIP = defaults.strPingIP;
        strPingHost = defaults.strPingHost;
        strDiagTestPage = defaults.strDiagTestPage;
        strPppPage = defaults.strPppPage;
        strHomePage = defaults.strHomePage;
        intHidePassword = defaults.intHidePassword;
        intCensor = defaults.intCensor;
        strDiagnosticID = defaults.strDiagnosticID;
        // A kept path keeps its problem, and the file it came from.
        if (!KeptWithoutProfile(m_strPathProblemKey)) {
            m_strPathProblem.clear();
            m_strPathProblemKey.clear();
        }
        // "IPConfig results" concerns this PC, not the router: it stays as it was.
    } else {
        // Once the file exists, a missing key reads as empty: no fallback to the defaults.
        const IniValues ini = ReadIniFile(strProfileFile);
        const auto readOption = [&ini](const char* strKey) { return ini.Value(strOptions, QLatin1String(strKey)); };
        m_strPathProblem.clear();
        m_strPathProblemKey.clear();
        const auto readUrl = [this, &ini](const char* strKey) {
            const QString strKeyName = QLatin1String(strKey);
            const QString strPath = ini.Value(strUrls, strKeyName);
            const QString strFault = PagePathFault(strPath);
            if (!strFault.isEmpty() && m_strPathProblem.isEmpty()) {
                m_strPathProblemKey = strKeyName;
                m_strPathProblem
                    = QStringLiteral("The page path %1 of \"%2\" in %3 is not a path on the router: %4")
                          .arg(Quoted(strPath), strKeyName, QDir::toNativeSeparators(strProfileFile), strFault);
            }
            return strPath;
        };
        strSystemLogPage = readUrl("System log");
        strAdslPage = readUrl("ADSL page");
        strDiagTestPage = readUrl("Diagnostic test");
        strPppPage = readUrl("PPP settings");
        strLogoutPage = readUrl("Log out");
        strLoginPage = readUrl("Log in");
        strProductInfoPage = readUrl("Product Info");
        strModemStatusPage = readUrl("Modem status page");
        strHomePage = readUrl("Home page");
        strAdmin = readOption("Admin name");
        strPort = readOption("Port");
        strPassword = readOption("Password");
        intSavePassword = CheckBoxValue(readOption("Save password"), defaults.intSavePassword);
        strPingIP = readOption("Google IP");
        // The host pinged by name is always the built-in one, whatever the file says.
        strPingHost = defaults.strPingHost;
        strRouterIP = readOption("Router's IP address");
        intHidePassword = CheckBoxValue(readOption("Hide password"), defaults.intHidePassword);
        intCensor = CheckBoxValue(readOption("Censor IPs"), defaults.intCensor);
        strDiagnosticID = readOption("Diagnostic ID");
        intIPConfig = CheckBoxValue(readOption("IPConfig results"), defaults.intIPConfig);
    }
    pages.RebuildPageTable(*this);
}

QStringList RouterProfile::SaveOnClose() const
{
    QStringList arrFailed;
    const auto write = [&arrFailed](const QString& strKey, const QString& strValue, const QString& strFile) {
        if (WriteIni(strOptions, strKey, strValue, strFile) == 0 && !arrFailed.contains(strFile))
            arrFailed.append(strFile);
    };
    write(QStringLiteral("Router INI"), strProfileName, strSettingsFile);

    const auto writeOption
        = [&](const char* strKey, const QString& strValue) { write(QLatin1String(strKey), strValue, strProfileFile); };
    writeOption("Admin name", strAdmin);
    writeOption("Port", strPort);
    writeOption("Save password", QString::number(intSavePassword));
    // The password is kept in the file only while "Remember password?" is checked; otherwise an
    // earlier stored one is erased.
    writeOption("Password", intSavePassword == 1 ? strPassword : QString());
    writeOption("Hide password", QString::number(intHidePassword));
    writeOption("Censor IPs", QString::number(intCensor));
    writeOption("IPConfig results", QString::number(intIPConfig));
    writeOption("Ping host name", strPingHost);
    writeOption("Router's IP address", strRouterIP);
    return arrFailed;
}

QString PagePathFault(const QString& strPath)
{
    if (strPath.isEmpty())
        return QString();
    if (!strPath.startsWith(QLatin1Char('/')))
        return QStringLiteral("it must begin with \"/\".");
    for (const QChar chr : strPath) {
        if (chr.category() == QChar::Other_Control)
            return QStringLiteral("it holds a control character.");
    }
    if (strPath.contains(QLatin1Char('@')))
        return QStringLiteral("it holds \"@\".");
    if (strPath.contains(QLatin1Char('\\')))
        return QStringLiteral("it holds \"\\\".");
    if (strPath.contains(QStringLiteral("://")))
        return QStringLiteral("it holds a scheme (\"://\").");
    return QString();
}
