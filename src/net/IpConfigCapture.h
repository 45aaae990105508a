#pragma once

#include "net/ErrorBox.h"

#include <QString>

// How long the capture waits at most for the script beside the program to write its listing.
inline constexpr int intCaptureWaitLimitMs = 4000;

// The script that writes the IP configuration listing, and the listing it leaves beside itself.
QString NetworkInfoScriptName();
inline QString IpConfigFileName()
{
    return QStringLiteral("ipcon.txt");
}

// Runs the script beside the program (NetworkInfo.bat, or NetworkInfo.sh where there are no batch
// files) from strAppFolder, which ends with a separator, and returns the listing it wrote into
// ipcon.txt; the file is deleted before the script starts and again once it has been read.
// Events keep being processed while the script runs. The wait ends when the script exits, and at
// the latest after intWaitLimitMs; whatever the file then holds is the capture, with every line
// ending in CR CR LF. Empty when the script is missing, cannot start or writes nothing.
QString CaptureIpConfig(
    const QString& strAppFolder, const ErrorBoxFn& errorBox = {}, int intWaitLimitMs = intCaptureWaitLimitMs);

// The value of the first "Default Gateway" line of a captured listing, or "" when there is no such
// line or that line holds no value (later lines are not consulted).
QString FindDefaultGateway(const QString& strIpConfig);

// Gives every line end of strText (CR CR LF, CR LF or a bare LF) the listing's CR CR LF form.
QString NormaliseListingLineEnds(const QString& strText);

// strPath with the platform's path separator appended unless it already ends with one.
QString AddBackslash(const QString& strPath);

// strPath with every component in its short (8.3) form where the file system has short names, and
// without its trailing separator; "" when the path holds no separator or a component does not
// exist. An unexpected error shows the box "Get8_3_Err" and gives "".
QString GetShortPath(const QString& strPath, const ErrorBoxFn& errorBox = {});

// The short (8.3) name of the last component of strPath, or its long name when it has none (as on
// file systems without short names); "" when there is no such entry. An unexpected error shows the
// box "GetShortNameSection_Err" and gives "".
QString GetShortName(const QString& strPath, const ErrorBoxFn& errorBox = {});

// The part of strText before the first strDelimiter (exact comparison); all of it when the
// delimiter does not occur.
QString TextBefore(const QString& strText, const QString& strDelimiter);
