#pragma once

#include "cli/CliOptions.h"

#include <functional>

// Exit statuses of quorvane-cli.
enum CliExitStatus {
    intExitFinished = 0, // the run ended through its normal finish, or the dump completed
    intExitUsage = 2,
    intExitAbnormal = 3
};

// Loads the configuration the window would load at start-up, applies the options, runs the
// diagnostic (or the dump) to its end and hands the report box's final text to reportSink.
int RunCliSession(const CliOptions& options, const std::function<void(const QString&)>& reportSink,
    const std::function<void(const QString&)>& lineSink);
