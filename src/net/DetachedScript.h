#pragma once

#include <QString>

// Starts the script at strScriptPath as a detached process without a window, with its working
// folder set to strWorkingFolder and its standard streams connected to nothing: a batch file
// through the command interpreter, a shell script through /bin/sh. Returns the process
// identifier, or -1 when the script could not be started.
qint64 StartScriptDetached(const QString& strScriptPath, const QString& strWorkingFolder);

// Waits until the process lngPid has exited, at most intLimitMs, while the event loop keeps
// running; the wait sleeps in the event loop and never spins. True when the process has exited
// (or no longer exists), false when the limit was reached first.
bool WaitForProcessExit(qint64 lngPid, int intLimitMs);
