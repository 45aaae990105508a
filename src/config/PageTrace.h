#pragma once

#include <QString>

// The page trace: while the debug view is on, every navigation and every loaded page is recorded
// in "log.txt" in the application folder. Nothing reads the trace back, so a file that cannot be
// opened or written is skipped without notice.
//
// The trace is bounded: a line that would take the file past lngTraceLimit bytes starts a new
// file, and the previous one is kept as "log.old.txt" (replacing an older one), so the two never
// hold more than twice the limit however long the debug view stays on.
class PageTrace
{
public:
    // Appends one line ended by CR LF to strAppFolder + strFileName ("log.txt" when empty): the
    // text as it is when blnRaw is set, otherwise the local time as "dd/mm/yyyy hh:nn:ss", a blank
    // and the text. Does nothing while blnDebugView is off. A line longer than the limit is cut to
    // it.
    void WriteTrace(const QString& strText, bool blnRaw, const QString& strFileName = QString()) const;

    bool blnDebugView = false;
    QString strAppFolder; // with a trailing separator
    int lngTraceLimit = 10 * 1024 * 1024; // bytes
};
