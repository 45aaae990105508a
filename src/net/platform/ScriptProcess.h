#pragma once

#include "net/platform/ShortNames.h"

// A script started without a window and without waiting for it: a batch file through the command
// interpreter on Windows, a shell script through /bin/sh elsewhere.
namespace Native
{
class ScriptProcess
{
public:
    ScriptProcess() = default;
    // Lets go of the process without ending it.
    ~ScriptProcess();
    ScriptProcess(const ScriptProcess&) = delete;
    ScriptProcess& operator=(const ScriptProcess&) = delete;

    // Starts strScriptPath with strWorkingFolder as its working folder and its standard streams
    // connected to nothing. The process is not a child that has to be waited for: it goes on by
    // itself when this object is gone. False when it could not be started.
    bool Start(const NativeString& strScriptPath, const NativeString& strWorkingFolder);

    // True once the process has ended, and for a process that was never started.
    bool HasExited() const;
    // Blocks until the process has ended, at most intLimitMs; true when it has ended.
    bool WaitForExit(int intLimitMs) const;

#ifdef _WIN32
    // The process handle, signalled when the process ends; null before a start.
    void* ExitHandle() const
    {
        return m_hProcess;
    }
#else
    // A descriptor that becomes readable when the process ends; -1 where the system offers none,
    // and a wait then asks HasExited() every intExitPollMs.
    int ExitDescriptor() const
    {
        return m_intExitDescriptor;
    }
    static constexpr int intExitPollMs = 20;
#endif

private:
    void Release();

#ifdef _WIN32
    void* m_hProcess = nullptr;
#else
    long long m_lngPid = -1;
    int m_intExitDescriptor = -1;
#endif
};
} // namespace Native
