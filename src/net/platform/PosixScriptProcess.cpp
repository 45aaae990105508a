#include "net/platform/ScriptProcess.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace Native
{
namespace
{
using Clock = std::chrono::steady_clock;

// Both ends of a pipe that is closed across exec.
struct Channel
{
    int intRead = -1;
    int intWrite = -1;
    bool Open()
    {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0)
            return false;
        intRead = ends[0];
        intWrite = ends[1];
        return true;
    }
    void Close()
    {
        for (int* end : { &intRead, &intWrite }) {
            if (*end >= 0)
                ::close(*end);
            *end = -1;
        }
    }
};

// Only async-signal-safe calls here: it runs between fork and exec.
void WriteAll(int intDescriptor, const void* data, size_t intSize)
{
    const char* next = static_cast<const char*>(data);
    while (intSize > 0) {
        const ssize_t intWritten = ::write(intDescriptor, next, intSize);
        if (intWritten < 0 && errno == EINTR)
            continue;
        if (intWritten <= 0)
            return;
        next += intWritten;
        intSize -= static_cast<size_t>(intWritten);
    }
}

// True when exactly intSize bytes arrived before the other end was closed.
bool ReadAll(int intDescriptor, void* data, size_t intSize)
{
    char* next = static_cast<char*>(data);
    while (intSize > 0) {
        const ssize_t intRead = ::read(intDescriptor, next, intSize);
        if (intRead < 0 && errno == EINTR)
            continue;
        if (intRead <= 0)
            return false;
        next += intRead;
        intSize -= static_cast<size_t>(intRead);
    }
    return true;
}

// A detached process is not our child, so it is reaped by someone else; until then it lingers as
// a zombie that still answers kill(). Its state letter in /proc tells the two apart.
bool ProcessHasExited(long long lngPid)
{
    if (::kill(static_cast<pid_t>(lngPid), 0) != 0)
        return errno == ESRCH;
    std::ifstream stat("/proc/" + std::to_string(lngPid) + "/stat");
    const std::string line((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // The command name in parentheses may itself hold blanks or parentheses: the state follows
    // the last closing parenthesis.
    const size_t intClose = line.rfind(')');
    if (intClose == std::string::npos || intClose + 2 >= line.size())
        return false;
    const char chrState = line[intClose + 2];
    return chrState == 'Z' || chrState == 'X';
}

int OpenExitDescriptor(long long lngPid)
{
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(lngPid), 0));
#else
    (void)lngPid;
    return -1;
#endif
}
} // namespace

ScriptProcess::~ScriptProcess()
{
    Release();
}

void ScriptProcess::Release()
{
    if (m_intExitDescriptor >= 0)
        ::close(m_intExitDescriptor);
    m_intExitDescriptor = -1;
    m_lngPid = -1;
}

bool ScriptProcess::Start(const std::string& strScriptPath, const std::string& strWorkingFolder)
{
    Release();
    // Everything the new processes need is made before the fork; after it only async-signal-safe
    // calls are allowed.
    const char* arguments[] = { "sh", strScriptPath.c_str(), nullptr };
    const char* folder = strWorkingFolder.empty() ? nullptr : strWorkingFolder.c_str();
    Channel pidChannel;
    Channel errorChannel;
    if (!pidChannel.Open() || !errorChannel.Open()) {
        pidChannel.Close();
        errorChannel.Close();
        return false;
    }

    // The intermediate child starts the script and ends at once, so that the script is adopted by
    // the system and nobody here has to reap it.
    const pid_t intChild = ::fork();
    if (intChild == 0) {
        const pid_t intScript = ::fork();
        if (intScript == 0) {
            ::setsid();
            sigset_t none;
            ::sigemptyset(&none);
            ::sigprocmask(SIG_SETMASK, &none, nullptr);
            ::signal(SIGPIPE, SIG_DFL);
            int intError = 0;
            if (folder != nullptr && ::chdir(folder) != 0) {
                intError = errno;
            } else {
                const int intNull = ::open("/dev/null", O_RDWR);
                if (intNull >= 0) {
                    ::dup2(intNull, STDIN_FILENO);
                    ::dup2(intNull, STDOUT_FILENO);
                    ::dup2(intNull, STDERR_FILENO);
                    if (intNull > STDERR_FILENO)
                        ::close(intNull);
                }
                ::execv("/bin/sh", const_cast<char* const*>(arguments));
                intError = errno;
            }
            WriteAll(errorChannel.intWrite, &intError, sizeof intError);
            ::_exit(127);
        }
        WriteAll(pidChannel.intWrite, &intScript, sizeof intScript);
        ::_exit(intScript > 0 ? 0 : 1);
    }
    ::close(pidChannel.intWrite);
    ::close(errorChannel.intWrite);
    pidChannel.intWrite = errorChannel.intWrite = -1;
    if (intChild > 0) {
        int intStatus = 0;
        while (::waitpid(intChild, &intStatus, 0) < 0 && errno == EINTR) { }
    }

    pid_t intScript = -1;
    const bool blnHavePid = intChild > 0 && ReadAll(pidChannel.intRead, &intScript, sizeof intScript);
    // The error channel closes without a word once the script has been executed.
    int intError = 0;
    const bool blnFailed = intChild > 0 && ReadAll(errorChannel.intRead, &intError, sizeof intError);
    pidChannel.Close();
    errorChannel.Close();
    if (!blnHavePid || intScript <= 0 || blnFailed)
        return false;

    m_lngPid = intScript;
    m_intExitDescriptor = OpenExitDescriptor(m_lngPid);
    return true;
}

bool ScriptProcess::HasExited() const
{
    return m_lngPid <= 0 || ProcessHasExited(m_lngPid);
}

bool ScriptProcess::WaitForExit(int intLimitMs) const
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(intLimitMs > 0 ? intLimitMs : 0);
    while (!HasExited()) {
        const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (remaining.count() <= 0)
            return false;
        if (m_intExitDescriptor >= 0) {
            pollfd exit { m_intExitDescriptor, POLLIN, 0 };
            ::poll(&exit, 1, static_cast<int>(remaining.count()));
        } else {
            std::this_thread::sleep_for(std::min(remaining, std::chrono::milliseconds(intExitPollMs)));
        }
    }
    return true;
}
} // namespace Native
