// quorvane-cli: the diagnostic run (or the Class II data dump) without a window. The report goes
// to standard output exactly as the report box would show it; everything else to standard error.
#include "cli/CliOptions.h"
#include "cli/CliSession.h"
#include "cli/PageReader.h"
#include "cli/PasswordSource.h"
#include "config/AppInfo.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    // The window and the command line share the user's data folder, which is named after the
    // application.
    QCoreApplication::setApplicationName(AppInfo::AppTitle());

    CliOptions options;
    QString strError;
    if (!ParseCliOptions(QCoreApplication::arguments().mid(1), options, strError)) {
        CommandLine::WriteErr(CommandLine::UsageErrorLine(CliProgramName(), strError) + QLatin1Char('\n'));
        return intExitUsage;
    }
    if (options.blnHelp) {
        CommandLine::WriteOut(CliUsage());
        return 0;
    }
    if (options.blnVersion) {
        CommandLine::WriteOut(CommandLine::VersionLine(CliProgramName()));
        return 0;
    }
    options.strPassword = PasswordFromOptions(options, strError);
    if (!strError.isEmpty()) {
        CommandLine::WriteErr(CommandLine::UsageErrorLine(CliProgramName(), strError) + QLatin1Char('\n'));
        return intExitUsage;
    }

    if (options.strReadPage) {
        return ReadPage(
            options, [](const QString& strText) { CommandLine::WriteOut(strText); },
            [](const QString& strLine) { CommandLine::WriteErr(strLine + QLatin1Char('\n')); },
            [] { return PromptPassword(fileno(stdin), fileno(stderr)); });
    }
    return RunCliSession(
        options, [](const QString& strReport) { CommandLine::WriteOut(strReport); },
        [](const QString& strLine) { CommandLine::WriteErr(strLine + QLatin1Char('\n')); },
        [] { return PromptPassword(fileno(stdin), fileno(stderr)); });
}
