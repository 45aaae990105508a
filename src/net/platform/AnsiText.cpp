#include "net/platform/AnsiText.h"

#include <climits>

#ifdef _WIN32
#include <windows.h>
#endif

namespace Native
{
std::wstring DecodeAnsi(const std::string& bytes)
{
    if (bytes.empty())
        return {};
#ifdef _WIN32
    // The conversion counts in int; a listing never comes near that.
    const int intLength = bytes.size() > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(bytes.size());
    const int intChars = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), intLength, nullptr, 0);
    if (intChars <= 0)
        return {};
    std::wstring strText(static_cast<size_t>(intChars), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), intLength, &strText[0], intChars);
    return strText;
#else
    std::wstring strText;
    strText.reserve(bytes.size());
    for (const char chr : bytes)
        strText += static_cast<wchar_t>(static_cast<unsigned char>(chr));
    return strText;
#endif
}
} // namespace Native
