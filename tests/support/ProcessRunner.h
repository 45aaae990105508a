#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <functional>

// Runs the project's own programs from tests: one to completion with a time bound, and the
// simulated router in the background for as long as the object lives.
struct ProcessResult
{
    int intExitCode = -1;
    bool blnTimedOut = false;
    bool blnInterrupted = false;
    QByteArray stdOut;
    QByteArray stdErr;
};

ProcessResult RunProgram(const QString& strProgram, const QStringList& arguments, int intTimeoutMs);
// As RunProgram, but sends the program SIGINT once its standard error holds bytMarker (POSIX only;
// elsewhere the program runs uninterrupted). blnInterrupted tells whether the signal was sent.
ProcessResult RunProgramInterrupted(
    const QString& strProgram, const QStringList& arguments, const QByteArray& bytMarker, int intTimeoutMs);
// As RunProgram, but calls atMarker once (on every platform) when the program's standard error
// holds bytMarker; blnInterrupted tells whether it was called.
ProcessResult RunProgramUntil(const QString& strProgram, const QStringList& arguments, const QByteArray& bytMarker,
    const std::function<void(qint64 lngPid)>& atMarker, int intTimeoutMs);

class SimulatedRouter
{
public:
    SimulatedRouter() = default;
    ~SimulatedRouter();
    SimulatedRouter(const SimulatedRouter&) = delete;
    SimulatedRouter& operator=(const SimulatedRouter&) = delete;

    // Starts quorvane-routersim on a free loopback port; false when it did not report its port.
    bool Start(const QString& strProgram, const QStringList& arguments);
    int Port() const { return m_intPort; }
    void Stop();
    // What the simulator has written to its standard error so far (with --verbose: a line for each
    // request, "GET /path 200").
    QByteArray Requests();

private:
    QProcess m_process;
    int m_intPort = 0;
    QByteArray m_bytRequests;
};
