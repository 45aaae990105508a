#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The program's name as its messages give it.
inline QString CliProgramName()
{
    return QStringLiteral("quorvane-cli");
}

// The command line of quorvane-cli. Every option overrides one value for this run only.
struct CliOptions
{
    QString strAppDir;
    std::optional<int> intClassIndex; // 0, 1, 2 for Class I, II, V
    std::optional<QString> strAddress;
    std::optional<QString> strPort;
    std::optional<QString> strUser;
    std::optional<QString> strPassword;
    std::optional<QString> strPasswordFile;
    std::optional<int> intCensor;
    std::optional<int> intIPConfig;
    std::optional<QString> strPingHost;
    std::optional<QString> strPingIP;
    QString strOutput; // the report goes to this file instead of standard output
    bool blnQuiet = false; // no status lines
    std::optional<QString> strReadPage; // --read-page: the address of the page to read
    bool blnHtml = false; // with --read-page: the body HTML instead of the text
    bool blnDump = false;
    bool blnTrace = false;
    bool blnHelp = false;
    bool blnVersion = false;
#ifdef QUORVANE_HISTORY
    // The line history: watching, printing, and the summary below the report.
    bool blnWatch = false;
    int intIntervalSeconds = 60;
    qint64 lngDurationSeconds = 0; // 0: until Ctrl-C
    bool blnHistory = false;
    bool blnHistorySummary = false;
    qint64 lngSinceSeconds = 0; // 0: all of it
    QString strHistoryFormat = QStringLiteral("text");
    bool blnWithHistory = false;
#endif
};

// Parses arguments (without the program name). On a usage error returns false and sets strError
// to a one-line message naming the bad option or value. An address or port that is not one is a
// usage error (an empty address is one: it stands for the default gateway).
bool ParseCliOptions(const QStringList& arguments, CliOptions& options, QString& strError);

// The whole --help text.
QString CliUsage();
