#pragma once

#include "support/ProcessRunner.h"

#include <QTemporaryDir>

// quorvane-cli against quorvane-routersim on loopback, in a temporary application folder that
// holds the test profiles and a NetworkInfo script writing a fixed listing (gateway 127.0.0.1).
struct EndToEndCase
{
    QString strClass; // I, II or V
    QString strScenario; // the simulator's scenario
    QStringList extraArgs; // further quorvane-cli options
    QString strProfileOverride; // a profile of tools/routersim/profiles copied in as the class's own
    bool blnNoRouter = false; // the simulator is stopped before the run: nothing answers at its port
    QByteArray bytInterruptAt = {}; // quorvane-cli gets SIGINT once its standard error holds this
    QByteArray bytRequestSeen = {}; // a request line that the simulator must have answered
    QByteArray bytStopRouterAt = {}; // the simulator is stopped once quorvane-cli's standard error holds this
};

class EndToEndRunner
{
public:
    EndToEndRunner();
    bool Prepare(const EndToEndCase& testCase, QString& strError);
    ProcessResult RunCli(const EndToEndCase& testCase, int intTimeoutMs);
    QString AppFolder() const { return m_dir.path(); }
    int RouterPort() const { return m_router.Port(); }
    QByteArray RouterRequests() { return m_router.Requests(); }

    static QString ProgramPath(const QString& strName);
    // The report with what changes from run to run masked: the header's time stamp and the
    // simulator's port (":port" and "port N").
    static QString MaskReport(const QString& strReport, int intPort);
    // Compares with tests/data/e2e/<name>.txt; writes <name>.txt.actual beside it on mismatch.
    static bool MatchesGolden(const QString& strName, const QString& strActual, QString& strMessage);

private:
    QTemporaryDir m_dir;
    SimulatedRouter m_router;
};
