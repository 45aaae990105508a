#pragma once

#include <QString>

// The file downloader as the run and the data dump see it: start a download, then poll the two
// flags while letting the event loop run; the text is in FileContents() once it has ended.
class FileDownload
{
public:
    virtual ~FileDownload() = default;

    // Resets the flags and contents and starts fetching strURL past any cache. Returns at once.
    virtual void BeginDownload(const QString& strURL, const QString& strFilename) = 0;
    // Abandons the current download: it ends at once as failed, and nothing of it arrives later.
    virtual void CancelDownload() = 0;

    virtual bool DownloadComplete() const = 0;
    virtual bool DownloadError() const = 0;
    virtual QString FileContents() const = 0;
    // The download ended without any answer from the server (refused, reset, timed out), as
    // against an answer that was empty or an error page.
    virtual bool NoAnswer() const { return false; }
};
