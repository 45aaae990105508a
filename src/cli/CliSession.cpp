#include "cli/CliSession.h"

#include "cli/CliRunHost.h"
#include "config/PageTable.h"
#include "config/PageTrace.h"
#include "config/RouterProfile.h"
#include "dump/ClassIIDump.h"
#include "readers/VendorTable.h"
#include "run/DiagnosticRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>

int RunCliSession(const CliOptions& options, const std::function<void(const QString&)>& reportSink,
    const std::function<void(const QString&)>& lineSink)
{
    QString strFolder = options.strAppDir.isEmpty() ? QCoreApplication::applicationDirPath() : options.strAppDir;
    strFolder = QDir(strFolder).absolutePath();

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
        lineSink(QStringLiteral("quorvane-cli: --dump needs a Class II router (--class II)"));
        return intExitUsage;
    }

    CliRunHost host(lineSink);
    host.SetAppFolder(profile.strAppFolder);
    host.SetFieldText(RunField::Admin, options.strUser.value_or(profile.strAdmin));
    host.SetFieldText(RunField::Password, options.strPassword.value_or(profile.strPassword));
    host.SetFieldText(RunField::Address, options.strAddress.value_or(profile.strRouterIP));
    host.SetFieldText(RunField::Port, options.strPort.value_or(profile.strPort));
    host.SetCheckValue(RunCheck::HidePassword, profile.intHidePassword);
    host.SetCheckValue(RunCheck::SavePassword, profile.intSavePassword);
    host.SetCheckValue(RunCheck::IPConfig, options.intIPConfig.value_or(profile.intIPConfig));
    host.SetCheckValue(RunCheck::Censor, options.intCensor.value_or(profile.intCensor));

    DiagnosticRun run(host, profile, pages, trace, vendors);
    ClassIIDump dump(run);
    host.SetTimerHandler([&run](RunTimer timer) { run.OnTimer(timer); });

    QEventLoop loop;
    int intStatus = intExitAbnormal;
    bool blnEnded = false;
    run.SetRunEndedHandler([&](RunOutcome outcome) {
        intStatus = outcome == RunOutcome::Finished ? intExitFinished : intExitAbnormal;
        blnEnded = true;
        // Let the handler that ended the run return first; a second ending in the same page load
        // (it can render the report again) still happens before the loop stops.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
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

    reportSink(host.ReportText());
    return intStatus;
}
