#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class DiagnosticRun;
enum class RunOutcome;
class QDateTime;

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

    // The bounds of one dump: a list edited by hand can name any number of pages, each of which
    // costs at least a second. The dump text says so when a bound stops it.
    static constexpr int intMaxPages = 500;
    static constexpr qint64 lngTimeLimitMs = 10 * 60 * 1000;

    // The page names of a list file's contents: UTF-16 (by its byte-order mark, or by the zero
    // bytes of ASCII text), UTF-8 with or without its mark, else single-byte text; lines end in
    // CR LF, LF or CR; blanks at either end are trimmed and empty lines skipped.
    static QStringList ListedPages(const QByteArray& bytList);

private:
    // Appends each listed page's name and text to strDump, until a bound of the dump (which the text
    // then tells of) or the list's end. Abnormal when the router sent nothing for the whole no-page
    // bound (the dump then stops after that page's name line), LoginFailed when a page was the login
    // prompt, Cancelled when the run was cancelled meanwhile.
    RunOutcome AppendListedPages(QString& strDump, const QDateTime& dtStart);

    DiagnosticRun& m_run;
    bool m_blnUnanswered = false; // the dump stopped at a page the router did not answer
};
