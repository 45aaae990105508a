#include "cli/CliOptions.h"

#include "cli/PageReader.h"
#include "config/CommandLine.h"
#include "run/RouterAddress.h"

#include <QCommandLineParser>

#ifdef QUORVANE_HISTORY
#include "history/HistorySummary.h"
#include "history/LineSampler.h"
#endif

namespace
{
// The parser with every option of the program.
struct CliParser
{
    CliParser()
    {
        parser.setApplicationDescription(QStringLiteral(
            "Runs the router diagnostic (or the Class II data dump) without a window and prints the report on\n"
            "standard output; status lines and messages go to standard error. The settings come from the\n"
            "application folder as the window would load them; every option overrides one value for this run\n"
            "only. The profile is never written, the clipboard never touched and the password never printed."));
        parser.addOption({ QStringLiteral("app-dir"),
            QStringLiteral("Application folder to load from (default: the program's own folder, or the user's data "
                           "folder when that one cannot be written to)."),
            QStringLiteral("dir") });
        parser.addOption(
            { QStringLiteral("class"), QStringLiteral("Router class: I, II or V."), QStringLiteral("class") });
        parser.addOption({ QStringLiteral("ip"),
            QStringLiteral("Router address: an IP address or host name; empty for the default gateway."),
            QStringLiteral("address") });
        parser.addOption(
            { QStringLiteral("port"), QStringLiteral("Router web port, 1 to 65535."), QStringLiteral("number") });
        parser.addOption({ QStringLiteral("user"), QStringLiteral("Administrator name."), QStringLiteral("name") });
        parser.addOption({ QStringLiteral("password"),
            QStringLiteral("Router password. Every user of this computer can read it in the process list while the "
                           "run lasts: prefer --password-file or QUORVANE_PASSWORD."),
            QStringLiteral("password") });
        parser.addOption({ QStringLiteral("password-file"),
            QStringLiteral("Read the router password from the first line of <file> (\"-\": standard input)."),
            QStringLiteral("file") });
        parser.addOption({ QStringLiteral("censor"), QStringLiteral("Censor addresses and network names.") });
        parser.addOption({ QStringLiteral("no-censor"), QStringLiteral("Do not censor the report.") });
        parser.addOption({ QStringLiteral("ipconfig"), QStringLiteral("Record the PC's IP configuration.") });
        parser.addOption({ QStringLiteral("no-ipconfig"), QStringLiteral("Skip the IP configuration.") });
        parser.addOption(
            { QStringLiteral("ping-host"), QStringLiteral("Internet host pinged by name."), QStringLiteral("name") });
        parser.addOption({ QStringLiteral("ping-ip"), QStringLiteral("Internet host pinged by address."),
            QStringLiteral("address") });
        parser.addOption({ QStringLiteral("dump"), QStringLiteral("Run the Class II data dump instead.") });
        parser.addOption({ QStringLiteral("trace"), QStringLiteral("Write the page trace log.txt.") });
        parser.addOption({ QStringLiteral("output"),
            QStringLiteral("Write the report to <file> instead of standard output. The file is replaced whole "
                           "once the run has ended, or left as it was."),
            QStringLiteral("file") });
        parser.addOption({ QStringLiteral("quiet"), QStringLiteral("Leave out the status lines.") });
        parser.addOption({ QStringLiteral("read-page"),
            QStringLiteral("Instead of a run, load the page at <url> (an http address) with its scripts and frames, "
                           "logging in with --user and the password as a run does, and print its body text as the "
                           "page readers see it."),
            QStringLiteral("url") });
        parser.addOption(
            { QStringLiteral("html"), QStringLiteral("With --read-page: print the body HTML instead of the text.") });
#ifdef QUORVANE_HISTORY
        parser.addOption({ QStringLiteral("watch"),
            QStringLiteral("Watch the line instead of running the diagnostic: log in once, read the ADSL status every "
                           "interval into the line history, log out at the end (Ctrl-C, or --duration).") });
        parser.addOption({ QStringLiteral("interval"),
            QStringLiteral("Seconds between two samples of --watch (default 60, at least 10)."),
            QStringLiteral("seconds") });
        parser.addOption({ QStringLiteral("duration"),
            QStringLiteral("How long --watch lasts, e.g. 90m, 24h, 7d (default: until Ctrl-C)."),
            QStringLiteral("time") });
        parser.addOption(
            { QStringLiteral("history"), QStringLiteral("Print the line history of the router and exit.") });
        parser.addOption({ QStringLiteral("since"),
            QStringLiteral("Only the history of the last <time>, e.g. 24h (default: all of it)."),
            QStringLiteral("time") });
        parser.addOption({ QStringLiteral("format"),
            QStringLiteral("Format of --history: text, csv or json (default text)."), QStringLiteral("format") });
        parser.addOption({ QStringLiteral("history-summary"),
            QStringLiteral("Print the summary of the line history for a forum post and exit.") });
        parser.addOption({ QStringLiteral("with-history"),
            QStringLiteral("Append the summary of the line history to the report, censored like it.") });
#endif
        helpOption = parser.addHelpOption();
        versionOption = parser.addVersionOption();
    }

    QCommandLineParser parser;
    QCommandLineOption helpOption { QStringLiteral("help") };
    QCommandLineOption versionOption { QStringLiteral("version") };
};

std::optional<QString> OptionalValue(const QCommandLineParser& parser, const QString& strName)
{
    if (!parser.isSet(strName))
        return std::nullopt;
    return parser.value(strName);
}
#ifdef QUORVANE_HISTORY
bool ParseHistoryOptions(const QCommandLineParser& parser, CliOptions& options, QString& strError)
{
    options.blnWatch = parser.isSet(QStringLiteral("watch"));
    options.blnHistory = parser.isSet(QStringLiteral("history"));
    options.blnHistorySummary = parser.isSet(QStringLiteral("history-summary"));
    options.blnWithHistory = parser.isSet(QStringLiteral("with-history"));
    if (int(options.blnWatch) + int(options.blnHistory) + int(options.blnHistorySummary) + int(options.blnDump) > 1) {
        strError = QStringLiteral(
            "Options '--watch', '--history', '--history-summary' and '--dump' cannot be used together.");
        return false;
    }
    if (const auto strInterval = OptionalValue(parser, QStringLiteral("interval"))) {
        bool blnNumber = false;
        const int intSeconds = strInterval->toInt(&blnNumber);
        if (!blnNumber || intSeconds < LineSampler::intMinIntervalSeconds || intSeconds > 86400) {
            strError = QStringLiteral("Option '--interval' takes a number of seconds from %1 to 86400, not '%2'.")
                           .arg(LineSampler::intMinIntervalSeconds)
                           .arg(*strInterval);
            return false;
        }
        options.intIntervalSeconds = intSeconds;
    }
    for (const auto& [strName, lngValue] : { std::pair { QStringLiteral("duration"), &options.lngDurationSeconds },
             std::pair { QStringLiteral("since"), &options.lngSinceSeconds } }) {
        if (const auto strSpan = OptionalValue(parser, strName)) {
            const std::optional<qint64> lngSeconds = ParseTimeSpan(*strSpan);
            if (!lngSeconds || *lngSeconds <= 0) {
                strError = QStringLiteral("Option '--%1' takes a time such as 90s, 30m, 24h or 7d, not '%2'.")
                               .arg(strName, *strSpan);
                return false;
            }
            *lngValue = *lngSeconds;
        }
    }
    if (const auto strFormat = OptionalValue(parser, QStringLiteral("format"))) {
        if (*strFormat != QLatin1String("text") && *strFormat != QLatin1String("csv")
            && *strFormat != QLatin1String("json")) {
            strError = QStringLiteral("Option '--format' takes text, csv or json, not '%1'.").arg(*strFormat);
            return false;
        }
        options.strHistoryFormat = *strFormat;
    }
    return true;
}
#endif
} // namespace

QString CliUsage()
{
    CliParser cli;
    return CommandLine::HelpText(cli.parser, CliProgramName(),
        QStringLiteral(
            "Without --password or --password-file the password comes from the environment variable\n"
            "QUORVANE_PASSWORD, else from the profile; when there is none and standard input is a terminal,\n"
            "it is asked for without being shown.\n"
            "\n"
            "Ctrl-C (or SIGTERM) during a run or dump logs out of the router when logged in and writes what\n"
            "was gathered so far; a second Ctrl-C ends the program at once. A router that does not answer, or\n"
            "stops answering during the run, ends it at once with what was gathered.\n"
            "\n"
            "Exit status:\n"
            "  0    the run finished normally (or the dump completed); with --read-page: the page loaded\n"
            "       with a successful answer\n"
            "  1    the report could not be written to --output; it went to standard output\n"
            "  2    usage error\n"
            "  3    the run ended any other way: no answer from the router, time-outs, page limits; with\n"
            "       --read-page: the page did not load (what was shown instead is printed all the same)\n"
            "  4    the router refused the login (run or dump)\n"
            "  130  interrupted by Ctrl-C (SIGINT); 143: by SIGTERM\n")
#ifdef QUORVANE_HISTORY
            + QStringLiteral("       (--watch, which lasts until Ctrl-C, ends with 0 then)\n")
#endif
    );
}

bool ParseCliOptions(const QStringList& arguments, CliOptions& options, QString& strError)
{
    CliParser cli;
    QCommandLineParser& parser = cli.parser;
    strError = CommandLine::Parse(parser, QStringList { CliProgramName() } + arguments);
    if (!strError.isEmpty())
        return false;
    options.blnHelp = parser.isSet(cli.helpOption) || parser.isSet(QStringLiteral("help-all"));
    options.blnVersion = parser.isSet(cli.versionOption);

    options.strAppDir = parser.value(QStringLiteral("app-dir"));
    if (const auto strClass = OptionalValue(parser, QStringLiteral("class"))) {
        const QString strUpper = strClass->toUpper();
        if (strUpper == QLatin1String("I"))
            options.intClassIndex = 0;
        else if (strUpper == QLatin1String("II"))
            options.intClassIndex = 1;
        else if (strUpper == QLatin1String("V"))
            options.intClassIndex = 2;
        else {
            strError = QStringLiteral("Option '--class' takes I, II or V, not '%1'.").arg(*strClass);
            return false;
        }
    }
    options.strAddress = OptionalValue(parser, QStringLiteral("ip"));
    if (options.strAddress) {
        strError = CheckRouterAddress(*options.strAddress);
        if (!strError.isEmpty())
            return false;
    }
    options.strPort = OptionalValue(parser, QStringLiteral("port"));
    if (options.strPort) {
        strError = CheckRouterPort(*options.strPort);
        if (!strError.isEmpty())
            return false;
    }
    options.strUser = OptionalValue(parser, QStringLiteral("user"));
    options.strPassword = OptionalValue(parser, QStringLiteral("password"));
    options.strPasswordFile = OptionalValue(parser, QStringLiteral("password-file"));
    if (options.strPassword && options.strPasswordFile) {
        strError = QStringLiteral("Options '--password' and '--password-file' cannot be used together.");
        return false;
    }
    options.strPingHost = OptionalValue(parser, QStringLiteral("ping-host"));
    options.strPingIP = OptionalValue(parser, QStringLiteral("ping-ip"));
    options.blnDump = parser.isSet(QStringLiteral("dump"));
    options.blnTrace = parser.isSet(QStringLiteral("trace"));
    options.blnQuiet = parser.isSet(QStringLiteral("quiet"));
    options.strOutput = parser.value(QStringLiteral("output"));
    if (parser.isSet(QStringLiteral("output")) && options.strOutput.isEmpty()) {
        strError = QStringLiteral("Option '--output' needs a file name.");
        return false;
    }
    options.strReadPage = OptionalValue(parser, QStringLiteral("read-page"));
    options.blnHtml = parser.isSet(QStringLiteral("html"));
    if (options.strReadPage) {
        PageReadUrl(*options.strReadPage, std::nullopt, std::nullopt, strError);
        if (!strError.isEmpty())
            return false;
        if (options.blnDump) {
            strError = QStringLiteral("Options '--read-page' and '--dump' cannot be used together.");
            return false;
        }
    } else if (options.blnHtml) {
        strError = QStringLiteral("Option '--html' needs '--read-page'.");
        return false;
    }

#ifdef QUORVANE_HISTORY
    if (!ParseHistoryOptions(parser, options, strError))
        return false;
#endif

    // Of two opposite switches the last one given counts.
    for (const QString& strName : parser.optionNames()) {
        if (strName == QLatin1String("censor") || strName == QLatin1String("no-censor"))
            options.intCensor = strName == QLatin1String("censor") ? 1 : 0;
        else if (strName == QLatin1String("ipconfig") || strName == QLatin1String("no-ipconfig"))
            options.intIPConfig = strName == QLatin1String("ipconfig") ? 1 : 0;
    }
    return true;
}
