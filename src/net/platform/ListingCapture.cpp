#include "net/platform/ListingCapture.h"

#include "net/platform/AnsiText.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace Native
{
namespace
{
namespace fs = std::filesystem;

// The file's bytes, at most lngListingReadLimit of them; false when it cannot be opened.
bool ReadFileBytes(const fs::path& path, std::string& bytes)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    char chunk[65536];
    while (bytes.size() < static_cast<size_t>(lngListingReadLimit) && file) {
        const size_t intWanted = std::min(sizeof chunk, static_cast<size_t>(lngListingReadLimit) - bytes.size());
        file.read(chunk, static_cast<std::streamsize>(intWanted));
        bytes.append(chunk, static_cast<size_t>(file.gcount()));
    }
    return true;
}
} // namespace

ListingCapture CaptureListing(const NativeString& strAppFolder, const NativeString& strScriptName,
    const NativeString& strOutputName, int intWaitLimitMs, const CaptureHooks& hooks)
{
    ListingCapture capture;
    // A folder that cannot be resolved would leave the bare separator as working folder, that is
    // the root of the drive: nothing is run from there.
    NativeString strWorkingFolder = GetShortPath(strAppFolder, capture.error);
    if (strWorkingFolder.empty())
        return capture;
    if (strWorkingFolder.back() != chrNativeSeparator)
        strWorkingFolder += chrNativeSeparator;
    const fs::path scriptPath(strWorkingFolder + strScriptName);
    const fs::path outputPath(strWorkingFolder + strOutputName);

    // A listing left over from an earlier capture must never pass for a new one.
    std::error_code error;
    fs::remove(outputPath, error);
    if (error)
        return capture;
    if (!fs::is_regular_file(scriptPath, error))
        return capture;

    ScriptProcess script;
    if (!script.Start(scriptPath.native(), strWorkingFolder))
        return capture;
    if (hooks.waitForExit)
        hooks.waitForExit(script, intWaitLimitMs);
    else
        script.WaitForExit(intWaitLimitMs);

    std::string bytes;
    if (!ReadFileBytes(outputPath, bytes))
        return capture;
    capture.strListing = DecodeAnsi(bytes);
    capture.blnRead = true;
    if (hooks.afterRead)
        hooks.afterRead();
    fs::remove(outputPath, error);
    return capture;
}
} // namespace Native
