#pragma once

#include "cli/CliOptions.h"
#include "config/CommandLine.h"

#include <functional>
#include <optional>

// Exit statuses of quorvane-cli.
enum CliExitStatus {
    intExitFinished = 0, // the run ended through its normal finish, or the dump completed
    intExitUsage = CommandLine::intExitUsage,
    intExitAbnormal = 3
};

// Asks the user for the password; nullopt when nobody can be asked.
using PasswordPromptFn = std::function<std::optional<QString>()>;

// Loads the configuration the window would load at start-up, applies the options, runs the
// diagnostic (or the dump) to its end and hands the report box's final text to reportSink. When
// neither the options nor the profile give a password, passwordPrompt is asked for one. A router
// address or port that is not one ends the session as a usage error before anything is sent.
int RunCliSession(const CliOptions& options, const std::function<void(const QString&)>& reportSink,
    const std::function<void(const QString&)>& lineSink, const PasswordPromptFn& passwordPrompt = {});
