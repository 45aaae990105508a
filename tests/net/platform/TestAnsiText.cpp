#include "PlatformTestSupport.h"
#include "net/platform/AnsiText.h"

#include <cstdlib>
#include <doctest.h>
#include <set>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace
{
// Ranges where a code page's published table runs in step with Unicode: bytes bytFirst..bytLast
// are the characters chrFirst.. in order.
struct Run
{
    int bytFirst;
    int bytLast;
    wchar_t chrFirst;
};

// The code page in force, and the runs its table is known to hold.
struct CodePage
{
    unsigned intNumber;
    std::vector<Run> runs;
};

CodePage CodePageInForce()
{
#ifdef _WIN32
    const unsigned intNumber = ::GetACP();
#else
    const unsigned intNumber = 28591; // byte for character
#endif
    switch (intNumber) {
    case 1252: // Western: the euro sign first, the upper half as in Latin-1
        return { intNumber, { { 0x80, 0x80, 0x20AC }, { 0x9F, 0x9F, 0x0178 }, { 0xA0, 0xFF, 0x00A0 } } };
    case 1251: // Cyrillic: the capital and small letters in alphabetical order
        return { intNumber, { { 0x80, 0x80, 0x0402 }, { 0xC0, 0xFF, 0x0410 } } };
    case 1253: // Greek: the capitals from alpha to rho
        return { intNumber, { { 0xC1, 0xD1, 0x0391 } } };
    case 28591:
        return { intNumber, { { 0x80, 0xFF, 0x0080 } } };
    default:
        return { intNumber, {} };
    }
}
} // namespace

TEST_SUITE("ansi")
{
    TEST_CASE("bytes 0x80 to 0xFF through the ANSI code page")
    {
        const CodePage codePage = CodePageInForce();
        CAPTURE(codePage.intNumber);
        // Some code page's runs must be known here, or the check below proves nothing; a run
        // started for a certain code page must have it.
        REQUIRE(!codePage.runs.empty());
        if (const char* strExpected = std::getenv("QUORVANE_EXPECT_CODE_PAGE"))
            REQUIRE(codePage.intNumber == static_cast<unsigned>(std::atoi(strExpected)));

        std::string allBytes;
        std::wstring strOneByOne;
        std::set<wchar_t> seen;
        for (int intByte = 0x80; intByte <= 0xFF; ++intByte) {
            CAPTURE(intByte);
            const std::string one(1, static_cast<char>(intByte));
            const std::wstring strDecoded = Native::DecodeAnsi(one);
            // One character per byte, never the replacement character of a failed conversion
            // nor a sign-extended byte.
            REQUIRE(strDecoded.size() == 1);
            CHECK(strDecoded[0] != 0xFFFD);
            CHECK(static_cast<unsigned>(strDecoded[0]) < 0xFF00);
            CHECK(seen.insert(strDecoded[0]).second);
            for (const Run& run : codePage.runs) {
                if (intByte >= run.bytFirst && intByte <= run.bytLast)
                    CHECK(static_cast<unsigned>(strDecoded[0])
                        == run.chrFirst + static_cast<unsigned>(intByte - run.bytFirst));
            }
            allBytes += one;
            strOneByOne += strDecoded;
        }
        // The whole range at once, between plain text and with a NUL inside, decodes as the bytes
        // one by one: nothing is cut off, nothing depends on its neighbour.
        const std::string strFramed = "Host " + allBytes + std::string(1, '\0') + allBytes + "\r\r\n";
        const std::wstring strExpected = L"Host " + strOneByOne + std::wstring(1, L'\0') + strOneByOne + L"\r\r\n";
        CHECK(Native::DecodeAnsi(strFramed) == strExpected);
        CHECK(Native::DecodeAnsi(std::string()).empty());
    }
}
