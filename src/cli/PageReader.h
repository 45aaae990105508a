#pragma once

#include "cli/CliOptions.h"
#include "cli/PasswordSource.h"

#include <QString>
#include <QUrl>
#include <functional>

// quorvane-cli --read-page: one page of any router loaded through the run's browser engine - its
// scripts, frames, redirects and log-in answered as in a run - and printed as the page readers
// get it, so that a user whose router is of no known class (or whoever helps them) sees what the
// program would read on it.

// The address to load, with the credentials in its user-info: --user and the password of the
// options (or one already in strUrl, which the options override). "" in strError when it can be
// loaded; otherwise the text that says why not: only http addresses whose host and port pass the
// checks a run makes of the router address.
QUrl PageReadUrl(const QString& strUrl, const std::optional<QString>& strUser,
    const std::optional<QString>& strPassword, QString& strError);

// Loads the page and hands its body text (with --html its body HTML) to outputSink, followed by
// each of its frames' under a line "--- frame <n>: <address>". Returns
// intExitFinished when the page loaded with a successful answer, intExitAbnormal when it did
// not (an error page, a refused log-in, an HTTP error: its text is still printed), intExitUsage
// for an address that cannot be read. When --user is given without a password, passwordPrompt is
// asked for one.
int ReadPage(const CliOptions& options, const std::function<void(const QString&)>& outputSink,
    const std::function<void(const QString&)>& lineSink, const PasswordPromptFn& passwordPrompt = {});
