#pragma once

#include "net/platform/ScriptProcess.h"

// Waits until script has ended, at most intLimitMs, while the event loop keeps running; the wait
// sleeps in the event loop and never spins. True when the script has ended (or never started),
// false when the limit was reached first.
bool WaitForScriptExit(const Native::ScriptProcess& script, int intLimitMs);
