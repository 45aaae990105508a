#pragma once

#include <string>

// Paths in the form the system's file functions take them, and their short (8.3) form.
namespace Native
{
#ifdef _WIN32
using NativeString = std::wstring; // UTF-16, for the wide file functions
using NativeChar = wchar_t;
inline constexpr NativeChar chrNativeSeparator = L'\\';
#else
using NativeString = std::string; // bytes, as the file system keeps them
using NativeChar = char;
inline constexpr NativeChar chrNativeSeparator = '/';
#endif

// An unexpected failure of a short-name lookup (a missing entry is none). step tells whether
// the whole path or one component's lookup failed; lngCode is the system's error number.
struct ShortNameError
{
    enum Step { None, Path, Name };
    Step step = None;
    long lngCode = 0;
};

// strPath with every component in its short (8.3) form where the file system has short names,
// without its trailing separator: "C:\Program Files\Tool\" gives "C:\PROGRA~1\Tool" when only
// "Program Files" has a short name, "C:\" gives "C:". Empty when the path holds no separator or a
// component does not exist (a doubled separator makes an empty component, which never exists).
NativeString GetShortPath(const NativeString& strPath, ShortNameError& error);

// The short name of the entry strPath names, or its long name when it has none (always, on file
// systems without short names); empty when there is no such entry, and for a path that ends with
// a separator.
NativeString GetShortName(const NativeString& strPath, ShortNameError& error);
} // namespace Native
