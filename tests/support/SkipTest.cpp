#include "support/SkipTest.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

bool RunsUnderWine()
{
#ifdef Q_OS_WIN
    // Wine's own system library exports its version; that of Windows does not.
    const HMODULE hNtdll = GetModuleHandleW(L"ntdll.dll");
    return hNtdll && GetProcAddress(hNtdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}
