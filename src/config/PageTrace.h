#pragma once

#include <QString>

// The page trace: while the debug view is on, every navigation and every loaded page is recorded
// in "log.txt" in the application folder. Nothing reads the trace back, so a file that cannot be
// opened or written is skipped without notice.
class PageTrace
{
public:
    // Appends one line ended by CR LF to strAppFolder + strFileName ("log.txt" when empty): the
    // text as it is when blnRaw is set, otherwise the local time as "dd/mm/yyyy hh:nn:ss", a blank
    // and the text. Does nothing while blnDebugView is off.
    void WriteTrace(const QString& strText, bool blnRaw, const QString& strFileName = QString()) const;

    bool blnDebugView = false;
    QString strAppFolder; // with a trailing separator
};
