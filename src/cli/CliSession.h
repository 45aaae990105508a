#pragma once

#include "cli/CliOptions.h"
#include "cli/PasswordSource.h"
#include "config/CommandLine.h"

#include <functional>

// Exit statuses of quorvane-cli.
enum CliExitStatus {
    intExitFinished = 0, // the run ended through its normal finish, or the dump completed
    intExitUsage = CommandLine::intExitUsage,
    intExitAbnormal = 3
};

// Loads the configuration the window would load at start-up, applies the options, runs the
// diagnostic (or the dump) to its end and hands the report box's final text to reportSink. When
// neither the options nor the profile give a password, passwordPrompt is asked for one. A router
// address or port that is not one ends the session as a usage error before anything is sent.
int RunCliSession(const CliOptions& options, const std::function<void(const QString&)>& reportSink,
    const std::function<void(const QString&)>& lineSink, const PasswordPromptFn& passwordPrompt = {});
