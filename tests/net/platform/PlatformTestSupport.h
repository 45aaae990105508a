#pragma once

#include "net/platform/ShortNames.h"

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

// A folder of its own under the system's temporary folder, removed with everything in it.
class TempFolder
{
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const fs::path& Path() const { return m_path; }

private:
    fs::path m_path;
};

void WriteBytes(const fs::path& path, const std::string& bytes);
// The file's bytes; empty when it cannot be read.
std::string ReadBytes(const fs::path& path);

// This test program's own path, for scripts that call it back (HoldUntilFileExists).
fs::path SelfPath();

// The helper mode of this program: waits until strFile exists, at most intLimitMs, then exits.
// Scripts use it to stay running for as long as a test wants.
int HoldUntilFileExists(const std::string& strFile, int intLimitMs);

// The text of a narrow or wide string for test messages.
std::string Printable(const std::wstring& strText);
std::string Printable(const std::string& strText);
