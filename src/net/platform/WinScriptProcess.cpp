#include "net/platform/ScriptProcess.h"

#include <windows.h>

namespace Native
{
ScriptProcess::~ScriptProcess()
{
    Release();
}

void ScriptProcess::Release()
{
    if (m_hProcess != nullptr)
        ::CloseHandle(static_cast<HANDLE>(m_hProcess));
    m_hProcess = nullptr;
}

bool ScriptProcess::Start(const std::wstring& strScriptPath, const std::wstring& strWorkingFolder)
{
    Release();
    // The interpreter by its full path: a cmd.exe lying in the working folder must never run
    // instead of the system's own.
    wchar_t system[MAX_PATH];
    const UINT intLength = ::GetSystemDirectoryW(system, MAX_PATH);
    if (intLength == 0 || intLength >= MAX_PATH)
        return false;
    const std::wstring strInterpreter = std::wstring(system, intLength) + L"\\cmd.exe";
    // With /s the interpreter strips the outer pair of quotes and keeps the rest as it stands:
    // the quoted path, blanks and all.
    std::wstring strCommand = L"cmd.exe /d /s /c \"\"" + strScriptPath + L"\"\"";

    // A console of its own that is never shown.
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process {};
    if (!::CreateProcessW(strInterpreter.c_str(), &strCommand[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
            strWorkingFolder.empty() ? nullptr : strWorkingFolder.c_str(), &startup, &process))
        return false;
    ::CloseHandle(process.hThread);
    m_hProcess = process.hProcess;
    return true;
}

bool ScriptProcess::HasExited() const
{
    return WaitForExit(0);
}

bool ScriptProcess::WaitForExit(int intLimitMs) const
{
    if (m_hProcess == nullptr)
        return true;
    const DWORD lngLimit = intLimitMs > 0 ? static_cast<DWORD>(intLimitMs) : 0;
    return ::WaitForSingleObject(static_cast<HANDLE>(m_hProcess), lngLimit) == WAIT_OBJECT_0;
}
} // namespace Native
