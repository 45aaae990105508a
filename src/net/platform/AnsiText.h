#pragma once

#include <string>

namespace Native
{
// Text written in single-byte characters, as the system's programs write their listings: decoded
// through the ANSI code page on Windows, byte for character (Latin-1) elsewhere. Every byte
// counts, NUL included.
std::wstring DecodeAnsi(const std::string& bytes);
} // namespace Native
