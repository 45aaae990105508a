#include "net/DetachedScript.h"

#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <memory>

#ifdef Q_OS_WIN
#include <QWinEventNotifier>
#include <windows.h>
#else
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace
{
// Poll interval for platforms where the exit of a process that is not our child cannot be
// waited for directly.
constexpr int intExitPollMs = 20;

#ifndef Q_OS_WIN
// A detached process is not our child, so it is reaped by someone else; until then it lingers as
// a zombie that still answers kill(). Its state letter in /proc tells the two apart.
bool HasExited(qint64 lngPid)
{
    if (::kill(static_cast<pid_t>(lngPid), 0) != 0)
        return errno == ESRCH;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(lngPid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    // The command name in parentheses may itself hold blanks or parentheses: the state follows
    // the last closing parenthesis.
    const qsizetype intClose = line.lastIndexOf(')');
    if (intClose < 0 || intClose + 2 >= line.size())
        return false;
    const char chrState = line.at(intClose + 2);
    return chrState == 'Z' || chrState == 'X';
}

// A descriptor that becomes readable when the process exits, or -1 where the kernel offers none.
int OpenProcessDescriptor(qint64 lngPid)
{
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(lngPid), 0));
#else
    Q_UNUSED(lngPid);
    errno = ENOSYS;
    return -1;
#endif
}
#endif
} // namespace

qint64 StartScriptDetached(const QString& strScriptPath, const QString& strWorkingFolder)
{
    QProcess process;
#ifdef Q_OS_WIN
    process.setProgram(QStringLiteral("cmd.exe"));
    // cmd strips the outer pair of quotes, so the quoted path keeps its own quotes.
    process.setNativeArguments(QStringLiteral("/d /c \"\"%1\"\"").arg(strScriptPath));
    process.setCreateProcessArgumentsModifier(
        [](QProcess::CreateProcessArguments* args) { args->flags |= CREATE_NO_WINDOW; });
#else
    process.setProgram(QStringLiteral("/bin/sh"));
    process.setArguments({ strScriptPath });
#endif
    process.setWorkingDirectory(strWorkingFolder);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    qint64 lngPid = -1;
    if (!process.startDetached(&lngPid))
        return -1;
    return lngPid;
}

bool WaitForProcessExit(qint64 lngPid, int intLimitMs)
{
    if (lngPid <= 0)
        return true;

    QEventLoop loop;
    bool blnExited = false;
    const auto finish = [&blnExited, &loop] {
        blnExited = true;
        loop.quit();
    };
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    QTimer poll;

#ifdef Q_OS_WIN
    const HANDLE hProcess = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(lngPid));
    if (hProcess == nullptr)
        return true;
    if (::WaitForSingleObject(hProcess, 0) == WAIT_OBJECT_0) {
        ::CloseHandle(hProcess);
        return true;
    }
    QWinEventNotifier notifier(hProcess);
    QObject::connect(&notifier, &QWinEventNotifier::activated, &loop, finish);
    limit.start(intLimitMs);
    loop.exec();
    notifier.setEnabled(false);
    ::CloseHandle(hProcess);
#else
    const int intDescriptor = OpenProcessDescriptor(lngPid);
    if (intDescriptor < 0 && errno == ESRCH)
        return true;
    std::unique_ptr<QSocketNotifier> notifier;
    if (intDescriptor >= 0) {
        notifier = std::make_unique<QSocketNotifier>(intDescriptor, QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, &loop, finish);
    } else {
        QObject::connect(&poll, &QTimer::timeout, &loop, [lngPid, &finish] {
            if (HasExited(lngPid))
                finish();
        });
        poll.start(intExitPollMs);
    }
    // The process may have ended before the notifier was in place.
    if (HasExited(lngPid)) {
        blnExited = true;
    } else {
        limit.start(intLimitMs);
        loop.exec();
    }
    notifier.reset();
    if (intDescriptor >= 0)
        ::close(intDescriptor);
#endif
    return blnExited;
}
