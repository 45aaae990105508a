#pragma once

#include "history/LineSample.h"

#include <QString>

// The line history on disk: one SQLite database, history.sqlite in the data folder, written in WAL
// mode with one transaction per sample, so that a crash or power cut loses at most the sample being
// written. Samples and events are keyed by router class and address, so two routers' histories never
// mix. The file is kept under a bound: samples older than 400 days go, and beyond 200 MB the oldest
// go until it fits. A write that fails (the disk is full) stops the recording: what was written
// stays, and the warning is given once.
class HistoryStore
{
public:
    static constexpr int intSchemaVersion = 1;
    static constexpr int intKeepDays = 400;
    static constexpr qint64 lngMaxBytes = 200LL * 1024 * 1024;

    enum class WriteResult {
        Stored,
        Stopped, // this write failed and stopped the recording: show StopWarning() now
        NotRecording // the recording had stopped before; nothing is written any more
    };

    HistoryStore();
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    static QString FileName() { return QStringLiteral("history.sqlite"); }

    // Opens (and creates or upgrades) the database strFile. False with ErrorText() when it cannot be
    // opened, or when it was written by a newer version of the program.
    bool Open(const QString& strFile);
    bool IsOpen() const;
    void Close();
    QString ErrorText() const { return m_strError; }

    // One sample with the events it brought (a resync), in one transaction.
    WriteResult AddSample(const RouterKey& key, const LineSample& sample, const std::vector<HistoryEvent>& events = {});
    WriteResult AddEvent(const RouterKey& key, const HistoryEvent& event);
    bool Recording() const { return !m_blnStopped; }
    // Without a sync at every commit (imports and benchmarks only: a power cut may then lose the
    // last samples).
    void SetDurable(bool blnDurable);
    QString StopWarning() const;

    // The samples and events of one router from dtSince on (everything when dtSince is invalid),
    // oldest first.
    LineHistory Load(const RouterKey& key, const QDateTime& dtSince = QDateTime()) const;
    // The time of the router's oldest sample (UTC); invalid when it has none.
    QDateTime FirstSampleTime(const RouterKey& key) const;

    // Drops what is older than the bound and, while the file holds more than lngMaxBytes (the
    // bound given for tests), the oldest samples. dtNow is the current time. The number of samples
    // dropped.
    qint64 Prune(const QDateTime& dtNow, qint64 lngMaxBytesBound = lngMaxBytes);
    // The bytes that the database's pages in use take.
    qint64 UsedBytes() const;

private:
    bool CreateSchema();
    // The schema version the file holds (0: none yet), or -1 with ErrorText() when it cannot be read.
    int SchemaVersion();
    // True for a version this program reads (0 to its own); otherwise false, with ErrorText() set.
    bool UsableVersion(int intVersion);
    qint64 RouterId(const RouterKey& key, bool blnCreate);
    qint64 LabelId(const QString& strText);
    bool InsertEvent(qint64 lngRouter, const HistoryEvent& event);
    WriteResult Fail(const QString& strWhat);

    QString m_strConnection;
    QString m_strFile;
    QString m_strError;
    bool m_blnStopped = false;
    int m_intSamplesSincePrune = 0;
};
