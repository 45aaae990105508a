#include "net/platform/ShortNames.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <sys/stat.h>
#endif

namespace Native
{
namespace
{
#ifdef _WIN32
constexpr long lngInvalidArgument = ERROR_INVALID_NAME;

// The lookup's ways of saying that there is no such entry.
bool IsMissingEntry(DWORD lngError)
{
    return lngError == ERROR_FILE_NOT_FOUND || lngError == ERROR_PATH_NOT_FOUND || lngError == ERROR_INVALID_NAME
        || lngError == ERROR_BAD_NETPATH || lngError == ERROR_BAD_NET_NAME || lngError == ERROR_NOT_READY;
}
#else
constexpr long lngInvalidArgument = EINVAL;
#endif

// A NUL would cut the path short on its way to the file system, which would then look at a
// different entry.
bool HoldsNul(const NativeString& strPath)
{
    return strPath.find(NativeChar(0)) != NativeString::npos;
}
} // namespace

NativeString GetShortPath(const NativeString& strPath, ShortNameError& error)
{
    error = {};
    if (HoldsNul(strPath)) {
        error = { ShortNameError::Path, lngInvalidArgument };
        return {};
    }
    const size_t intFirst = strPath.find(chrNativeSeparator);
    if (intFirst == NativeString::npos)
        return {};

    // The drive part ("C:\") stands as it is; each component after it is looked up on its own.
    NativeString strResult = strPath.substr(0, intFirst + 1);
    size_t intPos = intFirst + 1;
    while (intPos < strPath.size()) {
        size_t intEnd = strPath.find(chrNativeSeparator, intPos);
        if (intEnd == NativeString::npos)
            intEnd = strPath.size();
        const NativeString strShortName = GetShortName(strResult + strPath.substr(intPos, intEnd - intPos), error);
        if (strShortName.empty())
            return {};
        strResult += strShortName;
        strResult += chrNativeSeparator;
        intPos = intEnd + 1;
    }
    strResult.pop_back();
    return strResult;
}

NativeString GetShortName(const NativeString& strPath, ShortNameError& error)
{
    error = {};
    if (HoldsNul(strPath)) {
        error = { ShortNameError::Name, lngInvalidArgument };
        return {};
    }
    if (strPath.empty() || strPath.back() == chrNativeSeparator)
        return {};

#ifdef _WIN32
    // No entry's name holds a wildcard; the lookup would take one as a pattern and answer with
    // whichever entry matches first.
    if (strPath.find_first_of(L"*?") != NativeString::npos)
        return {};
    WIN32_FIND_DATAW found {};
    const HANDLE hFind = ::FindFirstFileW(strPath.c_str(), &found);
    if (hFind == INVALID_HANDLE_VALUE) {
        const DWORD lngError = ::GetLastError();
        if (!IsMissingEntry(lngError))
            error = { ShortNameError::Name, static_cast<long>(lngError) };
        return {};
    }
    ::FindClose(hFind);
    if (found.cAlternateFileName[0] == L'\0')
        return found.cFileName;
    return found.cAlternateFileName;
#else
    // No short names here: an existing entry keeps its own name. The entry itself counts, even a
    // link that leads nowhere.
    struct stat info
    {
    };
    if (::lstat(strPath.c_str(), &info) != 0) {
        const int intError = errno;
        if (intError != ENOENT && intError != ENOTDIR)
            error = { ShortNameError::Name, intError };
        return {};
    }
    return strPath.substr(strPath.rfind(chrNativeSeparator) + 1);
#endif
}
} // namespace Native
