#include "PlatformTestSupport.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#endif

TempFolder::TempFolder()
{
    std::random_device random;
    static std::atomic<int> intNext { 0 };
    const std::string strName = "quorvane-test-" + std::to_string(random()) + "-" + std::to_string(intNext++);
    m_path = fs::temp_directory_path() / strName;
    fs::create_directories(m_path);
}

TempFolder::~TempFolder()
{
    std::error_code error;
    fs::remove_all(m_path, error);
}

void WriteBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

fs::path SelfPath()
{
#ifdef _WIN32
    wchar_t path[MAX_PATH];
    const DWORD lngLength = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return fs::path(std::wstring(path, lngLength));
#else
    return fs::read_symlink("/proc/self/exe");
#endif
}

int HoldUntilFileExists(const std::string& strFile, int intLimitMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(intLimitMs);
    while (!fs::exists(fs::path(strFile)) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return 0;
}

std::string Printable(const std::wstring& strText)
{
    std::string strResult;
    for (const wchar_t chr : strText) {
        if (chr >= 0x20 && chr < 0x7F) {
            strResult += static_cast<char>(chr);
        } else {
            char escaped[16];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(chr));
            strResult += escaped;
        }
    }
    return strResult;
}

std::string Printable(const std::string& strText)
{
    return strText;
}
