#include "history/HistoryStore.h"

#include <QFileInfo>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <atomic>

namespace
{
// Values are stored compactly: decibels in tenths, rates in whole kbps, texts by a number.
QVariant Tenths(const std::optional<double>& value)
{
    return value ? QVariant(qRound64(*value * 10.0)) : QVariant();
}

QVariant Whole(const std::optional<double>& value)
{
    return value ? QVariant(qRound64(*value)) : QVariant();
}

QVariant Count(const std::optional<qint64>& value)
{
    return value ? QVariant(*value) : QVariant();
}

std::optional<double> FromTenths(const QVariant& value)
{
    if (value.isNull())
        return std::nullopt;
    return value.toLongLong() / 10.0;
}

std::optional<double> FromWhole(const QVariant& value)
{
    if (value.isNull())
        return std::nullopt;
    return value.toDouble();
}

std::optional<qint64> FromCount(const QVariant& value)
{
    if (value.isNull())
        return std::nullopt;
    return value.toLongLong();
}

std::atomic<int> intNextConnection { 0 };

// Every write takes the file's write lock at its start. Two watches may share the file (two
// routers, or the window's and the command line's): a transaction that read first and asked for
// the lock only at its first write would fail outright once the other one had committed in between,
// where waiting for the lock up front only waits its turn.
bool BeginWrite(const QSqlDatabase& db)
{
    return QSqlQuery(db).exec(QStringLiteral("BEGIN IMMEDIATE"));
}

const char* const arrSchema[] = {
    "CREATE TABLE routers (id INTEGER PRIMARY KEY, router_class INTEGER NOT NULL, address TEXT NOT NULL, "
    "UNIQUE (router_class, address))",
    "CREATE TABLE labels (id INTEGER PRIMARY KEY, text TEXT NOT NULL UNIQUE)",
    // Keyed by router and time, without a separate row id, so that a year of samples stays small.
    "CREATE TABLE samples (router_id INTEGER NOT NULL, time_ms INTEGER NOT NULL, state INTEGER, modulation "
    "INTEGER, rate_down INTEGER, rate_up INTEGER, snr_down INTEGER, snr_up INTEGER, att_down INTEGER, att_up "
    "INTEGER, uptime INTEGER, crc_errors INTEGER, fec_errors INTEGER, PRIMARY KEY (router_id, time_ms)) "
    "WITHOUT ROWID",
    "CREATE TABLE events (router_id INTEGER NOT NULL, time_ms INTEGER NOT NULL, kind TEXT NOT NULL, detail TEXT)",
    "CREATE INDEX events_by_time ON events (router_id, time_ms)",
};
} // namespace

HistoryStore::HistoryStore()
    : m_strConnection(QStringLiteral("history-%1").arg(intNextConnection++))
{ }

HistoryStore::~HistoryStore()
{
    Close();
}

bool HistoryStore::IsOpen() const
{
    return QSqlDatabase::contains(m_strConnection) && QSqlDatabase::database(m_strConnection, false).isOpen();
}

void HistoryStore::Close()
{
    if (!QSqlDatabase::contains(m_strConnection))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_strConnection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_strConnection);
}

bool HistoryStore::Open(const QString& strFile)
{
    Close();
    m_strFile = strFile;
    m_blnStopped = false;
    m_strError.clear();
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_strConnection);
    db.setDatabaseName(strFile);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open()) {
        m_strError = QStringLiteral("The line history %1 cannot be opened: %2").arg(strFile, db.lastError().text());
        return false;
    }
    const int intVersion = SchemaVersion();
    if (!UsableVersion(intVersion)) {
        Close();
        return false;
    }
    {
        // A committed sample survives a crash and a power cut: WAL with a full sync at each commit.
        QSqlQuery query(db);
        query.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        query.exec(QStringLiteral("PRAGMA synchronous=FULL"));
    }
    if (intVersion == 0 && !CreateSchema()) {
        Close();
        return false;
    }
    return true;
}

int HistoryStore::SchemaVersion()
{
    QSqlQuery query(QSqlDatabase::database(m_strConnection, false));
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next()) {
        m_strError = query.lastError().text();
        return -1;
    }
    return query.value(0).toInt();
}

bool HistoryStore::UsableVersion(int intVersion)
{
    if (intVersion >= 0 && intVersion <= intSchemaVersion)
        return true;
    m_strError = intVersion < 0
        ? QStringLiteral("The line history %1 cannot be read: %2").arg(m_strFile, m_strError)
        : QStringLiteral("The line history %1 was written by a newer version of the program.").arg(m_strFile);
    return false;
}

bool HistoryStore::CreateSchema()
{
    QSqlDatabase db = QSqlDatabase::database(m_strConnection, false);
    QSqlQuery query(db);
    // Set before the first table exists, so that pruning can give space back to the disk.
    query.exec(QStringLiteral("PRAGMA auto_vacuum=INCREMENTAL"));
    if (!BeginWrite(db)) {
        m_strError = QStringLiteral("The line history %1 cannot be created: %2").arg(m_strFile, db.lastError().text());
        return false;
    }
    // Another program may have created it while this one waited for the lock.
    const int intVersion = SchemaVersion();
    if (intVersion != 0) {
        db.rollback();
        return UsableVersion(intVersion);
    }
    for (const char* strStatement : arrSchema) {
        if (!query.exec(QString::fromLatin1(strStatement))) {
            m_strError
                = QStringLiteral("The line history %1 cannot be created: %2").arg(m_strFile, query.lastError().text());
            db.rollback();
            return false;
        }
    }
    query.exec(QStringLiteral("PRAGMA user_version=%1").arg(intSchemaVersion));
    if (!db.commit()) {
        m_strError = QStringLiteral("The line history %1 cannot be created: %2").arg(m_strFile, db.lastError().text());
        return false;
    }
    return true;
}

qint64 HistoryStore::RouterId(const RouterKey& key, bool blnCreate)
{
    QSqlQuery query(QSqlDatabase::database(m_strConnection, false));
    query.prepare(QStringLiteral("SELECT id FROM routers WHERE router_class = ? AND address = ?"));
    query.addBindValue(key.intRouterClass);
    query.addBindValue(key.strAddress);
    if (query.exec() && query.next())
        return query.value(0).toLongLong();
    if (!blnCreate)
        return -1;
    query.prepare(QStringLiteral("INSERT INTO routers (router_class, address) VALUES (?, ?)"));
    query.addBindValue(key.intRouterClass);
    query.addBindValue(key.strAddress);
    if (!query.exec())
        return -1;
    return query.lastInsertId().toLongLong();
}

qint64 HistoryStore::LabelId(const QString& strText)
{
    QSqlQuery query(QSqlDatabase::database(m_strConnection, false));
    query.prepare(QStringLiteral("SELECT id FROM labels WHERE text = ?"));
    query.addBindValue(strText);
    if (query.exec() && query.next())
        return query.value(0).toLongLong();
    query.prepare(QStringLiteral("INSERT INTO labels (text) VALUES (?)"));
    query.addBindValue(strText);
    if (!query.exec())
        return -1;
    return query.lastInsertId().toLongLong();
}

bool HistoryStore::InsertEvent(qint64 lngRouter, const HistoryEvent& event)
{
    QSqlQuery query(QSqlDatabase::database(m_strConnection, false));
    query.prepare(QStringLiteral("INSERT INTO events (router_id, time_ms, kind, detail) VALUES (?, ?, ?, ?)"));
    query.addBindValue(lngRouter);
    query.addBindValue(event.dtTime.toMSecsSinceEpoch());
    query.addBindValue(EventKindName(event.kind));
    query.addBindValue(event.strDetail);
    return query.exec();
}

void HistoryStore::SetDurable(bool blnDurable)
{
    if (IsOpen())
        QSqlQuery(QSqlDatabase::database(m_strConnection, false))
            .exec(blnDurable ? QStringLiteral("PRAGMA synchronous=FULL") : QStringLiteral("PRAGMA synchronous=OFF"));
}

HistoryStore::WriteResult HistoryStore::Fail(const QString& strWhat)
{
    QSqlDatabase db = QSqlDatabase::database(m_strConnection, false);
    db.rollback();
    m_strError = strWhat;
    m_blnStopped = true;
    return WriteResult::Stopped;
}

QString HistoryStore::StopWarning() const
{
    return QStringLiteral("The line history stopped recording: %1 could not be written (is the disk full?). "
                          "The samples written before are kept.")
        .arg(QFileInfo(m_strFile).fileName());
}

HistoryStore::WriteResult HistoryStore::AddSample(
    const RouterKey& key, const LineSample& sample, const std::vector<HistoryEvent>& events)
{
    if (m_blnStopped || !IsOpen())
        return WriteResult::NotRecording;
    QSqlDatabase db = QSqlDatabase::database(m_strConnection, false);
    if (!BeginWrite(db))
        return Fail(db.lastError().text());
    const qint64 lngRouter = RouterId(key, true);
    const qint64 lngState = sample.strLineState.isEmpty() ? 0 : LabelId(sample.strLineState);
    const qint64 lngModulation = sample.strModulation.isEmpty() ? 0 : LabelId(sample.strModulation);
    if (lngRouter < 0 || lngState < 0 || lngModulation < 0)
        return Fail(db.lastError().text());
    QSqlQuery query(db);
    query.prepare(QStringLiteral("INSERT OR REPLACE INTO samples (router_id, time_ms, state, modulation, rate_down, "
                                 "rate_up, snr_down, snr_up, att_down, att_up, uptime, crc_errors, fec_errors) "
                                 "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    query.addBindValue(lngRouter);
    query.addBindValue(sample.dtTime.toMSecsSinceEpoch());
    query.addBindValue(lngState ? QVariant(lngState) : QVariant());
    query.addBindValue(lngModulation ? QVariant(lngModulation) : QVariant());
    query.addBindValue(Whole(sample.dblRateDown));
    query.addBindValue(Whole(sample.dblRateUp));
    query.addBindValue(Tenths(sample.dblSnrDown));
    query.addBindValue(Tenths(sample.dblSnrUp));
    query.addBindValue(Tenths(sample.dblAttenuationDown));
    query.addBindValue(Tenths(sample.dblAttenuationUp));
    query.addBindValue(Count(sample.lngUptime));
    query.addBindValue(Count(sample.lngCrcErrors));
    query.addBindValue(Count(sample.lngFecErrors));
    if (!query.exec())
        return Fail(query.lastError().text());
    for (const HistoryEvent& event : events) {
        if (!InsertEvent(lngRouter, event))
            return Fail(db.lastError().text());
    }
    if (!db.commit())
        return Fail(db.lastError().text());
    // The bound is looked at now and then, not at every sample.
    if (++m_intSamplesSincePrune >= 1000) {
        m_intSamplesSincePrune = 0;
        Prune(sample.dtTime);
    }
    return WriteResult::Stored;
}

HistoryStore::WriteResult HistoryStore::AddEvent(const RouterKey& key, const HistoryEvent& event)
{
    if (m_blnStopped || !IsOpen())
        return WriteResult::NotRecording;
    QSqlDatabase db = QSqlDatabase::database(m_strConnection, false);
    if (!BeginWrite(db))
        return Fail(db.lastError().text());
    const qint64 lngRouter = RouterId(key, true);
    if (lngRouter < 0 || !InsertEvent(lngRouter, event))
        return Fail(db.lastError().text());
    if (!db.commit())
        return Fail(db.lastError().text());
    return WriteResult::Stored;
}

QDateTime HistoryStore::FirstSampleTime(const RouterKey& key) const
{
    if (!IsOpen())
        return QDateTime();
    QSqlQuery query(QSqlDatabase::database(m_strConnection, false));
    query.prepare(QStringLiteral("SELECT MIN(time_ms) FROM samples JOIN routers ON routers.id = samples.router_id "
                                 "WHERE router_class = ? AND address = ?"));
    query.addBindValue(key.intRouterClass);
    query.addBindValue(key.strAddress);
    if (!query.exec() || !query.next() || query.value(0).isNull())
        return QDateTime();
    return QDateTime::fromMSecsSinceEpoch(query.value(0).toLongLong(), Qt::UTC);
}

LineHistory HistoryStore::Load(const RouterKey& key, const QDateTime& dtSince) const
{
    LineHistory history;
    if (!IsOpen())
        return history;
    QSqlDatabase db = QSqlDatabase::database(m_strConnection, false);
    QSqlQuery query(db);
    query.setForwardOnly(true);
    QHash<qint64, QString> labels;
    if (query.exec(QStringLiteral("SELECT id, text FROM labels"))) {
        while (query.next())
            labels.insert(query.value(0).toLongLong(), query.value(1).toString());
    }
    query.prepare(QStringLiteral("SELECT id FROM routers WHERE router_class = ? AND address = ?"));
    query.addBindValue(key.intRouterClass);
    query.addBindValue(key.strAddress);
    if (!query.exec() || !query.next())
        return history;
    const qint64 lngRouter = query.value(0).toLongLong();
    const qint64 lngSince = dtSince.isValid() ? dtSince.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min();

    query.prepare(QStringLiteral("SELECT time_ms, state, modulation, rate_down, rate_up, snr_down, snr_up, att_down, "
                                 "att_up, uptime, crc_errors, fec_errors FROM samples WHERE router_id = ? AND time_ms "
                                 ">= ? ORDER BY time_ms"));
    query.addBindValue(lngRouter);
    query.addBindValue(lngSince);
    if (query.exec()) {
        while (query.next()) {
            LineSample sample;
            sample.dtTime = QDateTime::fromMSecsSinceEpoch(query.value(0).toLongLong(), Qt::UTC);
            sample.strLineState = labels.value(query.value(1).toLongLong());
            sample.strModulation = labels.value(query.value(2).toLongLong());
            sample.dblRateDown = FromWhole(query.value(3));
            sample.dblRateUp = FromWhole(query.value(4));
            sample.dblSnrDown = FromTenths(query.value(5));
            sample.dblSnrUp = FromTenths(query.value(6));
            sample.dblAttenuationDown = FromTenths(query.value(7));
            sample.dblAttenuationUp = FromTenths(query.value(8));
            sample.lngUptime = FromCount(query.value(9));
            sample.lngCrcErrors = FromCount(query.value(10));
            sample.lngFecErrors = FromCount(query.value(11));
            history.samples.push_back(std::move(sample));
        }
    }
    query.prepare(QStringLiteral(
        "SELECT time_ms, kind, detail FROM events WHERE router_id = ? AND time_ms >= ? ORDER BY time_ms, rowid"));
    query.addBindValue(lngRouter);
    query.addBindValue(lngSince);
    if (query.exec()) {
        while (query.next()) {
            const std::optional<HistoryEventKind> kind = EventKindFromName(query.value(1).toString());
            if (!kind)
                continue;
            history.events.push_back({ QDateTime::fromMSecsSinceEpoch(query.value(0).toLongLong(), Qt::UTC), *kind,
                query.value(2).toString() });
        }
    }
    return history;
}

qint64 HistoryStore::UsedBytes() const
{
    QSqlQuery query(QSqlDatabase::database(m_strConnection, false));
    qint64 lngPages = 0;
    qint64 lngFree = 0;
    qint64 lngPageSize = 0;
    if (query.exec(QStringLiteral("PRAGMA page_count")) && query.next())
        lngPages = query.value(0).toLongLong();
    if (query.exec(QStringLiteral("PRAGMA freelist_count")) && query.next())
        lngFree = query.value(0).toLongLong();
    if (query.exec(QStringLiteral("PRAGMA page_size")) && query.next())
        lngPageSize = query.value(0).toLongLong();
    return (lngPages - lngFree) * lngPageSize;
}

qint64 HistoryStore::Prune(const QDateTime& dtNow, qint64 lngMaxBytesBound)
{
    if (!IsOpen() || m_blnStopped)
        return 0;
    QSqlDatabase db = QSqlDatabase::database(m_strConnection, false);
    QSqlQuery query(db);
    const qint64 lngCutoff = dtNow.addDays(-intKeepDays).toMSecsSinceEpoch();
    qint64 lngDropped = 0;
    BeginWrite(db);
    query.prepare(QStringLiteral("DELETE FROM samples WHERE time_ms < ?"));
    query.addBindValue(lngCutoff);
    if (query.exec())
        lngDropped += query.numRowsAffected();
    query.prepare(QStringLiteral("DELETE FROM events WHERE time_ms < ?"));
    query.addBindValue(lngCutoff);
    query.exec();
    db.commit();
    // Beyond the size bound the oldest tenth of the samples goes, until the rest fits.
    while (UsedBytes() > lngMaxBytesBound) {
        qint64 lngCount = 0;
        if (query.exec(QStringLiteral("SELECT COUNT(*) FROM samples")) && query.next())
            lngCount = query.value(0).toLongLong();
        if (lngCount == 0)
            break;
        const qint64 lngDrop = std::max<qint64>(1, lngCount / 10);
        qint64 lngBefore = 0;
        query.prepare(QStringLiteral("SELECT time_ms FROM samples ORDER BY time_ms LIMIT 1 OFFSET ?"));
        query.addBindValue(lngDrop - 1);
        if (!query.exec() || !query.next())
            break;
        lngBefore = query.value(0).toLongLong();
        query.finish();
        BeginWrite(db);
        query.prepare(QStringLiteral("DELETE FROM samples WHERE time_ms <= ?"));
        query.addBindValue(lngBefore);
        const bool blnDeleted = query.exec();
        const qint64 lngRows = query.numRowsAffected();
        query.prepare(QStringLiteral("DELETE FROM events WHERE time_ms <= ?"));
        query.addBindValue(lngBefore);
        query.exec();
        db.commit();
        if (!blnDeleted || lngRows <= 0)
            break;
        lngDropped += lngRows;
    }
    query.exec(QStringLiteral("PRAGMA incremental_vacuum"));
    while (query.next()) { }
    return lngDropped;
}
