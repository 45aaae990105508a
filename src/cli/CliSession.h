#pragma once

#include "cli/CliOptions.h"
#include "cli/PasswordSource.h"
#include "config/CommandLine.h"

#include <functional>

// Exit statuses of quorvane-cli.
enum CliExitStatus {
    intExitFinished = 0, // the run ended through its normal finish, or the dump completed
    intExitOutputFailed = 1, // the report could not be written to --output (it went to standard output)
    intExitUsage = CommandLine::intExitUsage,
    intExitAbnormal = 3,
    intExitLoginFailed = 4, // the router refused the login; the report says so
    intExitInterrupted = 130, // SIGINT (Ctrl-C) during the run; the report so far was written
    intExitTerminated = 143 // SIGTERM during the run; the report so far was written
};

// Loads the configuration the window would load at start-up, applies the options, runs the
// diagnostic (or the dump) to its end and hands the report box's final text to reportSink (or,
// with --output, writes it to that file). SIGINT and SIGTERM cancel the run: it logs out when
// logged in and the report gathered so far is handed on as well. When
// neither the options nor the profile give a password, passwordPrompt is asked for one. A router
// address or port that is not one ends the session as a usage error before anything is sent.
int RunCliSession(const CliOptions& options, const std::function<void(const QString&)>& reportSink,
    const std::function<void(const QString&)>& lineSink, const PasswordPromptFn& passwordPrompt = {});
