#pragma once

#include <QString>

class DiagnosticRun;

// The Class II data dump: after the run's login it fetches every page named in ClassIIDump.txt
// through the router's CGI page interface and puts their text into the report box and clipboard.
class ClassIIDump
{
public:
    // Hands the login's end over to RunDataDump whenever the run is in data dump mode.
    explicit ClassIIDump(DiagnosticRun& run);

    // The Data Dump command: logs in the way a run does.
    void Start();
    void RunDataDump();

private:
    // Appends each listed page's name and text to strDump. False when the router sent nothing
    // for the whole no-page bound; the dump then stops after that page's name line.
    // blnLoginRefused is set when a page was the login prompt, which ends the list there.
    bool AppendListedPages(QString& strDump, bool& blnLoginRefused);

    DiagnosticRun& m_run;
};
