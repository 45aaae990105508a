#include "support/ProcessRunner.h"

#include <QDeadlineTimer>

#ifdef Q_OS_UNIX
#include <signal.h>
#endif

namespace
{
// Starts the program with nothing on its standard input; false when it could not be started.
bool StartWithoutInput(QProcess& process, const QString& strProgram, const QStringList& arguments)
{
    process.setProgram(strProgram);
    process.setArguments(arguments);
    process.start();
    if (!process.waitForStarted(10000))
        return false;
    process.closeWriteChannel();
    return true;
}
} // namespace

ProcessResult RunProgram(const QString& strProgram, const QStringList& arguments, int intTimeoutMs)
{
    ProcessResult result;
    QProcess process;
    if (!StartWithoutInput(process, strProgram, arguments))
        return result;
    if (!process.waitForFinished(intTimeoutMs)) {
        result.blnTimedOut = true;
        process.kill();
        process.waitForFinished(5000);
    }
    result.stdOut = process.readAllStandardOutput();
    result.stdErr = process.readAllStandardError();
    result.intExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return result;
}

ProcessResult RunProgramInterrupted(
    const QString& strProgram, const QStringList& arguments, const QByteArray& bytMarker, int intTimeoutMs)
{
#ifdef Q_OS_UNIX
    return RunProgramUntil(
        strProgram, arguments, bytMarker, [](qint64 lngPid) { ::kill(static_cast<pid_t>(lngPid), SIGINT); },
        intTimeoutMs);
#else
    Q_UNUSED(bytMarker);
    return RunProgram(strProgram, arguments, intTimeoutMs);
#endif
}

ProcessResult RunProgramUntil(const QString& strProgram, const QStringList& arguments, const QByteArray& bytMarker,
    const std::function<void(qint64 lngPid)>& atMarker, int intTimeoutMs)
{
    ProcessResult result;
    QProcess process;
    if (!StartWithoutInput(process, strProgram, arguments))
        return result;
    QDeadlineTimer deadline(intTimeoutMs);
    while (!result.blnInterrupted && process.state() == QProcess::Running && !deadline.hasExpired()) {
        process.waitForReadyRead(100);
        result.stdErr += process.readAllStandardError();
        if (result.stdErr.contains(bytMarker)) {
            atMarker(process.processId());
            result.blnInterrupted = true;
        }
    }
    if (!process.waitForFinished(static_cast<int>(qMax<qint64>(deadline.remainingTime(), 0)))) {
        result.blnTimedOut = true;
        process.kill();
        process.waitForFinished(5000);
    }
    result.stdOut = process.readAllStandardOutput();
    result.stdErr += process.readAllStandardError();
    result.intExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return result;
}

SimulatedRouter::~SimulatedRouter()
{
    Stop();
}

bool SimulatedRouter::Start(const QString& strProgram, const QStringList& arguments)
{
    m_process.setProgram(strProgram);
    m_process.setArguments(arguments);
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start();
    if (!m_process.waitForStarted(10000))
        return false;
    QByteArray output;
    while (!output.contains('\n')) {
        if (!m_process.waitForReadyRead(10000))
            return false;
        output += m_process.readAllStandardOutput();
    }
    const QByteArray line = output.left(output.indexOf('\n')).trimmed();
    if (!line.startsWith("port="))
        return false;
    m_intPort = line.mid(5).toInt();
    return m_intPort > 0;
}

QByteArray SimulatedRouter::Requests()
{
    // The simulator writes a line as it answers; what is still in the pipe is read too.
    do
        m_bytRequests += m_process.readAllStandardError();
    while (m_process.state() == QProcess::Running && m_process.waitForReadyRead(200));
    m_bytRequests += m_process.readAllStandardError();
    return m_bytRequests;
}

void SimulatedRouter::Stop()
{
    if (m_process.state() != QProcess::NotRunning) {
#ifndef Q_OS_WIN
        // Windows has no signal for a console program without a console: it is ended outright.
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
#endif
        {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
}
