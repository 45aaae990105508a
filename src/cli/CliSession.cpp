#include "cli/CliSession.h"

#include "cli/CliInterrupt.h"
#include "cli/CliRunHost.h"
#include "config/CommandLine.h"
#include "config/DataFolder.h"
#include "config/IniFile.h"
#include "config/PageTable.h"
#include "config/PageTrace.h"
#include "config/RouterProfile.h"
#include "dump/ClassIIDump.h"
#include "readers/VendorTable.h"
#include "run/DiagnosticRun.h"
#include "run/RouterAddress.h"

#ifdef QUORVANE_HISTORY
#include "cli/CliHistory.h"
#endif

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <csignal>

int RunCliSession(const CliOptions& options, const std::function<void(const QString&)>& reportSink,
    const std::function<void(const QString&)>& lineSink, const PasswordPromptFn& passwordPrompt)
{
    QString strFolder = options.strAppDir.isEmpty() ? QCoreApplication::applicationDirPath() : options.strAppDir;
    const DataFolder folder = ChooseDataFolder(QDir(strFolder).absolutePath(), UserDataFolder());
    strFolder = folder.strFolder;
    if (!folder.blnWritable)
        lineSink(QStringLiteral("warning: ") + folder.WarningText());
    else if (!options.strAppDir.isEmpty() && folder.PerUser())
        lineSink(QStringLiteral("warning: ") + folder.ReplacedText());

    ProfileDefaults defaults;
    if (options.strPingHost)
        defaults.strPingHost = *options.strPingHost;
    RouterProfile profile(defaults);
    profile.SetAppFolder(strFolder);
    PageTable pages;
    PageTrace trace;
    trace.strAppFolder = profile.strAppFolder;
    trace.blnDebugView = options.blnTrace;
    VendorTable vendors;
    vendors.LoadVendorTable(profile.strAppFolder);

    profile.SelectAtStartup(pages);
    if (options.intClassIndex && *options.intClassIndex != profile.intSelectedOption)
        profile.SwitchClass(*options.intClassIndex, pages);
    if (options.strPingIP)
        profile.strPingIP = *options.strPingIP;
    // The window offers Data Dump only while Class II is selected; so does the command line.
    if (options.blnDump && profile.intRouterClass != 2) {
        lineSink(CommandLine::UsageErrorLine(
            CliProgramName(), QStringLiteral("Option '--dump' needs a Class II router (--class II).")));
        return intExitUsage;
    }
    // The options were checked when they were read; values from the profile are checked here, before
    // anything is sent.
    const QString strAddress = options.strAddress.value_or(profile.strRouterIP);
    const QString strPort = options.strPort.value_or(profile.strPort);
#ifdef QUORVANE_HISTORY
    // The history is read without a word to the router: it needs neither port nor password.
    if (options.blnHistory || options.blnHistorySummary)
        return PrintHistory(options, strFolder, { profile.intRouterClass, strAddress }, reportSink, lineSink);
#endif
    for (const QString& strProblem :
        { CheckRouterAddress(strAddress), CheckRouterPort(strPort), profile.PagePathProblem() }) {
        if (!strProblem.isEmpty()) {
            lineSink(CommandLine::UsageErrorLine(CliProgramName(), strProblem));
            return intExitUsage;
        }
    }
#ifdef QUORVANE_HISTORY
    if (options.blnWatch && strAddress.isEmpty()) {
        lineSink(CommandLine::UsageErrorLine(
            CliProgramName(), QStringLiteral("Option '--watch' needs the router's address (--ip or the profile).")));
        return intExitUsage;
    }
#endif
    const QString strPassword = RunPassword(options.strPassword, profile.strPassword, passwordPrompt);

    CliRunHost host(lineSink);
    host.SetQuiet(options.blnQuiet);
    host.SetReportFile(options.strOutput);
    host.SetAppFolder(profile.strAppFolder);
    host.SetFieldText(RunField::Admin, options.strUser.value_or(profile.strAdmin));
    host.SetFieldText(RunField::Password, strPassword);
    host.SetFieldText(RunField::Address, strAddress);
    host.SetFieldText(RunField::Port, strPort);
    host.SetCheckValue(RunCheck::HidePassword, profile.intHidePassword);
    host.SetCheckValue(RunCheck::SavePassword, profile.intSavePassword);
    host.SetCheckValue(RunCheck::IPConfig, options.intIPConfig.value_or(profile.intIPConfig));
    host.SetCheckValue(RunCheck::Censor, options.intCensor.value_or(profile.intCensor));

#ifdef QUORVANE_HISTORY
    if (options.blnWatch)
        return RunWatch(options, strFolder, host, profile, pages, trace, reportSink, lineSink);
#endif

    DiagnosticRun run(host, profile, pages, trace, vendors);
    ClassIIDump dump(run);
    host.SetTimerHandler([&run](RunTimer timer) { run.OnTimer(timer); });

    QEventLoop loop;
    int intStatus = intExitAbnormal;
    bool blnEnded = false;
    int intSignal = 0;
    run.SetRunEndedHandler([&](RunOutcome outcome) {
        switch (outcome) {
        case RunOutcome::Finished:
            intStatus = intExitFinished;
            break;
        case RunOutcome::LoginFailed:
            intStatus = intExitLoginFailed;
            break;
        case RunOutcome::Cancelled:
            intStatus = CliInterrupt::ExitStatus(intSignal != 0 ? intSignal : SIGINT);
            break;
        case RunOutcome::Abnormal:
            intStatus = intExitAbnormal;
            break;
        }
        blnEnded = true;
        // Let the handler that ended the run return first; a second ending in the same page load
        // (it can render the report again) still happens before the loop stops.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });

    // Ctrl-C or a termination request: the run logs out and ends with what it has; a second one
    // ends the program at once.
    CliInterrupt interrupt;
    QObject::connect(&interrupt, &CliInterrupt::Interrupted, &loop, [&](int intReceived) {
        if (intSignal != 0)
            return;
        intSignal = intReceived;
        run.Cancel(intReceived == SIGINT ? QStringLiteral("Interrupted by the user (Ctrl-C)")
                                         : QStringLiteral("Stopped by a termination request"));
    });

    if (options.blnDump)
        dump.Start();
    else
        run.Go();
    if (!blnEnded || run.RunActive())
        loop.exec();
    else
        QCoreApplication::processEvents();
    run.Abort();

    QString strReport = host.ReportText();
#ifdef QUORVANE_HISTORY
    if (options.blnWithHistory) {
        strReport += ReportHistoryBlock(strFolder, { profile.intRouterClass, host.FieldText(RunField::Address) },
            host.CheckValue(RunCheck::Censor));
    }
#endif
    if (!options.strOutput.isEmpty()) {
        // Written whole or not at all, as the profiles are: a reader never sees half a report.
        if (ReplaceWholeFile(options.strOutput, strReport.toUtf8()))
            return intStatus;
        lineSink(CliProgramName() + QStringLiteral(": Cannot write the report to '") + options.strOutput
            + QStringLiteral("'; it follows on standard output."));
        reportSink(strReport);
        return intExitOutputFailed;
    }
    reportSink(strReport);
    return intStatus;
}
