#pragma once

#include "net/platform/ScriptProcess.h"
#include "net/platform/ShortNames.h"

#include <functional>
#include <string>

namespace Native
{
// The largest listing that is read; a listing is a few kilobytes.
inline constexpr long lngListingReadLimit = 64L * 1024 * 1024;

// How the capture waits. Empty members keep the plain behaviour: a blocking wait, nothing after
// the read. The window passes a wait that keeps its events flowing.
struct CaptureHooks
{
    std::function<bool(const ScriptProcess& script, int intLimitMs)> waitForExit;
    std::function<void()> afterRead;
};

struct ListingCapture
{
    std::wstring strListing; // the output file's text, decoded as single-byte text (AnsiText.h)
    bool blnRead = false; // an output file was there and has been read
    ShortNameError error; // an unexpected failure while the folder's short path was taken
};

// Runs the script strScriptName that lies in strAppFolder and takes the listing it writes into
// strOutputName beside itself. Any old output file is deleted first (when that fails nothing is
// run, so a stale listing never passes for a new one); the script runs from the short form of the
// folder; the wait ends when the script exits, at the latest after intWaitLimitMs; whatever the
// output file then holds is read and the file deleted. Empty when the folder does not resolve,
// the script is missing or does not start, or no output file was written.
ListingCapture CaptureListing(const NativeString& strAppFolder, const NativeString& strScriptName,
    const NativeString& strOutputName, int intWaitLimitMs, const CaptureHooks& hooks = {});
} // namespace Native
