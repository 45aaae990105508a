#include "PlatformTestSupport.h"
#include "net/platform/ShortNames.h"

#include <doctest.h>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

using Native::NativeString;
using Native::ShortNameError;

namespace
{
// Folder names nested one in the other: blanks, a long name, one that already fits 8.3, dots.
const std::vector<NativeString> folderNames {
#ifdef _WIN32
    L"Quorvane Folder With Blanks", L"averyveryverylongname", L"Tool", L"name.with.many.dots", L"ab c"
#else
    "Quorvane Folder With Blanks", "averyveryverylongname", "Tool", "name.with.many.dots", "ab c"
#endif
};

#ifdef _WIN32
bool IsEightDotThree(const NativeString& strName)
{
    const size_t intDot = strName.find('.');
    const size_t intBase = intDot == NativeString::npos ? strName.size() : intDot;
    const size_t intExtension = intDot == NativeString::npos ? 0 : strName.size() - intDot - 1;
    return intBase >= 1 && intBase <= 8 && intExtension <= 3 && strName.find(' ') == NativeString::npos
        && (intDot == NativeString::npos || strName.find('.', intDot + 1) == NativeString::npos);
}
#endif

NativeString Text(const char* text)
{
    const std::string strText(text);
    return NativeString(strText.begin(), strText.end());
}
} // namespace

TEST_CASE("short names of folders with blanks and long names")
{
    TempFolder root;
    fs::path folder = root.Path();
    NativeString strExpectedShortPath;
    for (const NativeString& strName : folderNames) {
        const fs::path parent = folder;
        folder /= strName;
        REQUIRE(fs::create_directory(folder));
        CAPTURE(Printable(folder.native()));

        ShortNameError error;
        const NativeString strShort = Native::GetShortName(folder.native(), error);
        CHECK(error.step == ShortNameError::None);
        REQUIRE(!strShort.empty());
#ifdef _WIN32
        // A name that fits 8.3 keeps its own; any other gets a short form that names the same
        // folder, without blanks.
        if (IsEightDotThree(strName))
            CHECK(strShort == strName);
        else
            CHECK(strShort != strName);
        CHECK(IsEightDotThree(strShort));
        CHECK(fs::equivalent(parent / strShort, folder));
#else
        // No short names here: every name stands as it is.
        CHECK(strShort == strName);
#endif
    }

    // The short path opens the same file as the long one, and its last component is the deepest
    // folder's short name.
    WriteBytes(folder / "marker.txt", "here");
    ShortNameError error;
    const NativeString strShortPath = Native::GetShortPath(folder.native() + Native::chrNativeSeparator, error);
    CAPTURE(Printable(strShortPath));
    CHECK(error.step == ShortNameError::None);
    REQUIRE(!strShortPath.empty());
    CHECK(strShortPath.back() != Native::chrNativeSeparator);
    CHECK(ReadBytes(fs::path(strShortPath) / "marker.txt") == "here");
    CHECK(strShortPath.substr(strShortPath.rfind(Native::chrNativeSeparator) + 1)
        == Native::GetShortName(folder.native(), error));
#ifdef _WIN32
    // Of the components below the temporary folder, none keeps a blank.
    const NativeString strBelowRoot = strShortPath.substr(Native::GetShortPath(root.Path().native(), error).size());
    CHECK(strBelowRoot.find(L' ') == NativeString::npos);
    // The drive alone loses its separator and nothing else.
    const NativeString strDrive = folder.root_path().native();
    CHECK(Native::GetShortPath(strDrive, error) == strDrive.substr(0, strDrive.size() - 1));
#endif
}

TEST_CASE("paths that name no entry")
{
    TempFolder root;
    const NativeString strRoot = root.Path().native();
    const NativeString sep(1, Native::chrNativeSeparator);
    fs::create_directory(root.Path() / "Tool");

    struct Row
    {
        const char* strName;
        NativeString strPath;
        bool blnWholePath; // GetShortPath, else GetShortName
    };
    const std::vector<Row> rows {
        { "no separator", Text("no separator here"), true },
        { "missing component", strRoot + sep + Text("Missing") + sep + Text("Tool"), true },
        { "doubled separator", strRoot + sep + sep + Text("Tool"), true },
        { "empty path", NativeString(), true },
        { "trailing separator", strRoot + sep + Text("Tool") + sep, false },
        { "absent entry", strRoot + sep + Text("absent"), false },
        { "empty name", NativeString(), false },
#ifdef _WIN32
        // A wildcard would match the first entry of the folder instead of naming one.
        { "wildcard", strRoot + sep + Text("T*"), false },
        { "wildcard in the path", strRoot + sep + Text("T?ol"), true },
#endif
    };
    for (const Row& row : rows) {
        CAPTURE(row.strName);
        ShortNameError error;
        const NativeString strResult
            = row.blnWholePath ? Native::GetShortPath(row.strPath, error) : Native::GetShortName(row.strPath, error);
        CHECK(strResult.empty());
        // Missing entries are no errors.
        CHECK(error.step == ShortNameError::None);
    }
}

TEST_CASE("a NUL in a path is an error of the operation that met it")
{
    TempFolder root;
    fs::create_directory(root.Path() / "Tool");
    NativeString strWithNul = (root.Path() / "Tool").native();
    strWithNul += Native::NativeChar(0);
    strWithNul += Native::NativeChar('x');

    ShortNameError error;
    CHECK(Native::GetShortPath(strWithNul, error).empty());
    CHECK(error.step == ShortNameError::Path);
    CHECK(error.lngCode != 0);
    CHECK(Native::GetShortName(strWithNul, error).empty());
    CHECK(error.step == ShortNameError::Name);
    CHECK(error.lngCode != 0);
    // A later lookup starts without the earlier error.
    CHECK(!Native::GetShortName((root.Path() / "Tool").native(), error).empty());
    CHECK(error.step == ShortNameError::None);
}
