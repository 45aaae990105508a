#include "PlatformTestSupport.h"
#include "net/platform/AnsiText.h"
#include "net/platform/ListingCapture.h"

#include <chrono>
#include <doctest.h>
#include <thread>

namespace
{
using Clock = std::chrono::steady_clock;

#ifdef _WIN32
const char* const strScriptName = "NetworkInfo.bat";
#else
const char* const strScriptName = "NetworkInfo.sh";
#endif
const char* const strOutputName = "ipcon.txt";

// A script for each platform: a batch file, or a shell script that knows its folder as $here.
struct ScriptText
{
    std::string strBatch;
    std::string strShell;
};

std::string Replace(std::string strText, const std::string& strFrom, const std::string& strTo)
{
    for (size_t intAt = strText.find(strFrom); intAt != std::string::npos;
         intAt = strText.find(strFrom, intAt + strTo.size()))
        strText.replace(intAt, strFrom.size(), strTo);
    return strText;
}

// An application folder whose name has blanks and more than eight letters, holding a script.
// In the script text, {self} stands for this test program (quoted) and {release} for the file
// that lets a held script go on.
class AppFolder
{
public:
    explicit AppFolder(const ScriptText& script)
        : m_folder(m_root.Path() / "Application Folder With Blanks")
    {
        fs::create_directory(m_folder);
#ifdef _WIN32
        std::string strText = "@echo off\r\n" + Replace(script.strBatch, "\n", "\r\n");
#else
        std::string strText = "here=$(dirname \"$0\")\n" + script.strShell;
#endif
        strText = Replace(strText, "{self}", "\"" + SelfPath().string() + "\"");
        strText = Replace(strText, "{release}", "\"" + ReleasePath().string() + "\"");
        WriteBytes(ScriptPath(), strText);
    }
    Native::NativeString Folder() const
    {
        return m_folder.native() + Native::chrNativeSeparator;
    }
    fs::path ScriptPath() const
    {
        return m_folder / strScriptName;
    }
    fs::path OutputPath() const
    {
        return m_folder / strOutputName;
    }
    fs::path ReleasePath() const
    {
        return m_root.Path() / "release";
    }
    fs::path File(const char* strName) const
    {
        return m_folder / strName;
    }

private:
    TempFolder m_root;
    fs::path m_folder;
};

Native::ListingCapture Capture(const AppFolder& app, int intLimitMs, const Native::CaptureHooks& hooks = {})
{
    const std::string strScript(strScriptName);
    const std::string strOutput(strOutputName);
    return Native::CaptureListing(app.Folder(), Native::NativeString(strScript.begin(), strScript.end()),
        Native::NativeString(strOutput.begin(), strOutput.end()), intLimitMs, hooks);
}

long long MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// Every line ends in CR LF (the listing of the system's own command adds one more CR).
bool LinesEndInCrLf(const std::wstring& strText)
{
    for (size_t intAt = strText.find(L'\n'); intAt != std::wstring::npos; intAt = strText.find(L'\n', intAt + 1)) {
        if (intAt == 0 || strText[intAt - 1] != L'\r')
            return false;
    }
    return !strText.empty() && strText.back() == L'\n';
}
} // namespace

TEST_CASE("the shipped script writes its listing and nothing stays behind")
{
    AppFolder app({ "", "" });
    fs::copy_file(fs::path(QUORVANE_DIST_DIR) / strScriptName, app.ScriptPath(), fs::copy_options::overwrite_existing);
    const std::string strScriptBefore = ReadBytes(app.ScriptPath());

    int intWaits = 0;
    bool blnOutputThereAfterRead = false;
    Native::CaptureHooks hooks;
    hooks.waitForExit = [&intWaits](const Native::ScriptProcess& script, int intLimitMs) {
        ++intWaits;
        CHECK(intLimitMs == 20000);
        return script.WaitForExit(intLimitMs);
    };
    hooks.afterRead = [&] { blnOutputThereAfterRead = fs::exists(app.OutputPath()); };
    const Native::ListingCapture capture = Capture(app, 20000, hooks);

    CHECK(capture.blnRead);
    CHECK(capture.error.step == Native::ShortNameError::None);
    CHECK(LinesEndInCrLf(capture.strListing));
    CHECK(capture.strListing.size() > 100);
    CHECK(intWaits == 1);
    // The listing is read before it is deleted, and only the script stays.
    CHECK(blnOutputThereAfterRead);
    std::vector<fs::path> left;
    for (const fs::directory_entry& entry : fs::directory_iterator(app.ScriptPath().parent_path()))
        left.push_back(entry.path().filename());
    CHECK(left == std::vector<fs::path> { fs::path(strScriptName) });
    CHECK(ReadBytes(app.ScriptPath()) == strScriptBefore);
}

TEST_CASE("the capture waits for the script's exit")
{
    // The script writes half its listing, is held for a while, then writes the rest.
    AppFolder app({ "echo first> \"%~dp0ipcon.txt\"\n{self} --hold {release} 600\necho second>> \"%~dp0ipcon.txt\"\n",
        "printf 'first\\r\\n' > \"$here/ipcon.txt\"\n{self} --hold {release} 600\n"
        "printf 'second\\r\\n' >> \"$here/ipcon.txt\"\n" });
    const Clock::time_point start = Clock::now();
    const Native::ListingCapture capture = Capture(app, 60000);
    CHECK(capture.strListing == L"first\r\nsecond\r\n");
    // With a bound this long, only the script's exit can have ended the wait.
    CHECK(MillisecondsSince(start) < 30000);
    CHECK(!fs::exists(app.OutputPath()));
}

TEST_CASE("the capture gives up after its bound and leaves the script running")
{
    AppFolder app({ "{self} --hold {release} 20000\necho late> \"%~dp0ipcon.txt\"\n",
        "{self} --hold {release} 20000\nprintf 'late\\r\\n' > \"$here/ipcon.txt\"\n" });
    const Clock::time_point start = Clock::now();
    const Native::ListingCapture capture = Capture(app, 500);
    const long long lngElapsed = MillisecondsSince(start);
    CHECK(!capture.blnRead);
    CHECK(capture.strListing.empty());
    CHECK(lngElapsed >= 450);
    CHECK(lngElapsed < 15000);

    // Let the script go on: it was not ended, and writes its listing after all.
    WriteBytes(app.ReleasePath(), "go");
    const Clock::time_point release = Clock::now();
    while (!fs::exists(app.OutputPath()) && MillisecondsSince(release) < 20000)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    CHECK(fs::exists(app.OutputPath()));
    // The interpreter leaves the folder.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
}

TEST_CASE("an old listing never passes for a new one")
{
    // The script writes nothing, but notes whether it still found an old listing.
    AppFolder app({ "if exist \"%~dp0ipcon.txt\" echo seen> \"%~dp0seen.txt\"\n",
        "if [ -e \"$here/ipcon.txt\" ]; then echo seen > \"$here/seen.txt\"; fi\n" });
    WriteBytes(app.OutputPath(), "   Default Gateway . . . : 203.0.113.1\r\r\n");
    const Native::ListingCapture capture = Capture(app, 20000);
    CHECK(!capture.blnRead);
    CHECK(capture.strListing.empty());
    CHECK(!fs::exists(app.OutputPath()));
    CHECK(!fs::exists(app.File("seen.txt")));
}

TEST_CASE("nothing runs without the script or its folder")
{
    AppFolder app({ "echo ran> \"%~dp0ipcon.txt\"\n", "echo ran > \"$here/ipcon.txt\"\n" });
    fs::remove(app.ScriptPath());
    WriteBytes(app.OutputPath(), "stale");
    CHECK(Capture(app, 20000).strListing.empty());
    CHECK(!fs::exists(app.OutputPath()));

    const std::string strMissing("missing");
    const Native::ListingCapture capture = Native::CaptureListing(
        app.Folder() + Native::NativeString(strMissing.begin(), strMissing.end()) + Native::chrNativeSeparator,
        Native::NativeString(1, 'x'), Native::NativeString(1, 'y'), 20000);
    CHECK(!capture.blnRead);
    CHECK(capture.error.step == Native::ShortNameError::None);
}

TEST_CASE("the listing is read as single-byte text")
{
    std::string bytes = "Host ";
    for (int intByte = 0x80; intByte <= 0xFF; ++intByte)
        bytes += static_cast<char>(intByte);
    bytes += "\r\r\n";
    AppFolder app(
        { "copy /y /b \"%~dp0bytes.bin\" \"%~dp0ipcon.txt\" > nul\n", "cp \"$here/bytes.bin\" \"$here/ipcon.txt\"\n" });
    WriteBytes(app.File("bytes.bin"), bytes);
    const Native::ListingCapture capture = Capture(app, 20000);
    CHECK(capture.blnRead);
    CHECK(capture.strListing == Native::DecodeAnsi(bytes));
}
