#pragma once

#ifdef QUORVANE_HISTORY

#include "cli/CliOptions.h"
#include "history/HistorySummary.h"
#include "history/LineSample.h"

#include <functional>

class CliRunHost;
class PageTable;
class PageTrace;
class RouterProfile;

// The line history from the command line. strFolder is the data folder that holds history.sqlite.

// --history and --history-summary: prints the router's samples (or their summary) on reportSink.
// Returns the exit status.
int PrintHistory(const CliOptions& options, const QString& strFolder, const RouterKey& key,
    const std::function<void(const QString&)>& reportSink, const std::function<void(const QString&)>& lineSink);

// --watch: samples the line until the duration passes or Ctrl-C, one line per sample on
// reportSink and the summary of the watch at the end. Returns the exit status.
int RunWatch(const CliOptions& options, const QString& strFolder, CliRunHost& host, const RouterProfile& profile,
    const PageTable& pages, const PageTrace& trace, const std::function<void(const QString&)>& reportSink,
    const std::function<void(const QString&)>& lineSink);

#endif
