// The store: values and their absence survive the round trip, two routers never mix, the bounds
// hold, a newer schema is refused, a crash loses at most the sample being written and a full disk
// stops the recording once without losing what was written.
#include "history/HistoryStore.h"
#include "support/SkipTest.h"
#include "support/TestRegistry.h"

#include <QProcess>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <vector>

namespace
{
const QDateTime dtBase = QDateTime(QDate(2026, 12, 1), QTime(0, 0), Qt::UTC);

LineSample FullSample(int intMinute)
{
    LineSample sample;
    sample.dtTime = dtBase.addSecs(60LL * intMinute);
    sample.strLineState = QStringLiteral("Showtime");
    sample.strModulation = QStringLiteral("G.992.5 Annex A");
    sample.dblRateDown = 8128;
    sample.dblRateUp = 448;
    sample.dblSnrDown = 12.5 - intMinute % 7 * 0.1;
    sample.dblSnrUp = 11.0;
    sample.dblAttenuationDown = 31.5;
    sample.dblAttenuationUp = 17.0;
    sample.lngUptime = 3600 + 60LL * intMinute;
    sample.lngCrcErrors = 12;
    sample.lngFecErrors = 0;
    return sample;
}

bool Mount(const QStringList& arguments)
{
    return QProcess::execute(QStringLiteral("mount"), arguments) == 0;
}

const RouterKey routerA { 2, QStringLiteral("127.0.0.1") };
const RouterKey routerB { 3, QStringLiteral("127.0.0.1") };
} // namespace

Q_DECLARE_METATYPE(LineSample)

class TestHistoryStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void samplesComeBackAsWritten_data()
    {
        QTest::addColumn<LineSample>("sample");
        QTest::newRow("every value") << FullSample(3);
        LineSample bare;
        bare.dtTime = dtBase;
        bare.dblSnrUp = 0.0; // a zero is a value, not an absence
        QTest::newRow("only a zero margin") << bare;
        LineSample down = FullSample(1);
        down.strLineState = QStringLiteral("Training");
        down.dblRateDown.reset();
        down.dblSnrDown.reset();
        down.lngUptime.reset();
        QTest::newRow("line down, values absent") << down;
    }

    void samplesComeBackAsWritten()
    {
        QFETCH(LineSample, sample);
        QTemporaryDir dir;
        HistoryStore store;
        QVERIFY(store.Open(dir.filePath(HistoryStore::FileName())));
        const HistoryEvent resync { sample.dtTime, HistoryEventKind::Resync, QStringLiteral("rate changed") };
        QCOMPARE(store.AddSample(routerA, sample, { resync }), HistoryStore::WriteResult::Stored);
        LineSample other = FullSample(2);
        other.dblSnrDown = 3.0;
        QCOMPARE(store.AddSample(routerB, other), HistoryStore::WriteResult::Stored);
        store.Close();

        HistoryStore reopened;
        QVERIFY(reopened.Open(dir.filePath(HistoryStore::FileName())));
        const LineHistory history = reopened.Load(routerA);
        QCOMPARE(history.samples.size(), std::size_t(1));
        const LineSample& back = history.samples.front();
        QCOMPARE(back.dtTime, sample.dtTime);
        QCOMPARE(back.strLineState, sample.strLineState);
        QCOMPARE(back.strModulation, sample.strModulation);
        QCOMPARE(back.dblRateDown, sample.dblRateDown);
        QCOMPARE(back.dblRateUp, sample.dblRateUp);
        QCOMPARE(back.dblSnrDown, sample.dblSnrDown);
        QCOMPARE(back.dblSnrUp, sample.dblSnrUp);
        QCOMPARE(back.dblAttenuationDown, sample.dblAttenuationDown);
        QCOMPARE(back.dblAttenuationUp, sample.dblAttenuationUp);
        QCOMPARE(back.lngUptime, sample.lngUptime);
        QCOMPARE(back.lngCrcErrors, sample.lngCrcErrors);
        QCOMPARE(back.lngFecErrors, sample.lngFecErrors);
        QCOMPARE(history.events.size(), std::size_t(1));
        QCOMPARE(history.events.front().strDetail, resync.strDetail);
        QCOMPARE(reopened.Load(routerB).samples.front().dblSnrDown, std::optional<double>(3.0));
        QVERIFY(reopened.Load({ 2, QStringLiteral("127.0.0.2") }).samples.empty());
        // The oldest sample's time is the router's own, found without loading the history.
        QCOMPARE(reopened.FirstSampleTime(routerA), sample.dtTime);
        QVERIFY(!reopened.FirstSampleTime({ 2, QStringLiteral("127.0.0.2") }).isValid());
        QCOMPARE(reopened.Load(routerA, sample.dtTime.addSecs(1)).samples.size(), std::size_t(0));
    }

    void newerSchemaIsRefused()
    {
        QTemporaryDir dir;
        const QString strFile = dir.filePath(HistoryStore::FileName());
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("newer"));
            db.setDatabaseName(strFile);
            QVERIFY(db.open());
            QSqlQuery(db).exec(QStringLiteral("PRAGMA user_version=%1").arg(HistoryStore::intSchemaVersion + 1));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("newer"));
        HistoryStore store;
        QVERIFY(!store.Open(strFile));
        QVERIFY(store.ErrorText().contains(QStringLiteral("newer version")));
    }

    // Samples beyond 400 days go; beyond the size bound the oldest go until the rest fits.
    void pruningKeepsTheBounds()
    {
        QTemporaryDir dir;
        HistoryStore store;
        QVERIFY(store.Open(dir.filePath(HistoryStore::FileName())));
        const QDateTime dtNow = dtBase.addDays(500);
        LineSample old = FullSample(0);
        QCOMPARE(store.AddSample(routerA, old), HistoryStore::WriteResult::Stored);
        old.dtTime = dtNow.addDays(-HistoryStore::intKeepDays).addSecs(60);
        QCOMPARE(store.AddSample(routerA, old), HistoryStore::WriteResult::Stored);
        QCOMPARE(store.Prune(dtNow), qint64(1));
        QCOMPARE(store.Load(routerA).samples.front().dtTime, old.dtTime);

        for (int i = 0; i < 3000; ++i) {
            LineSample sample = FullSample(i);
            sample.dtTime = dtNow.addSecs(-3000 + i);
            QCOMPARE(store.AddSample(routerB, sample), HistoryStore::WriteResult::Stored);
        }
        const qint64 lngBound = store.UsedBytes() / 2;
        QVERIFY(store.Prune(dtNow, lngBound) > 0);
        QVERIFY(store.UsedBytes() <= lngBound);
        const LineHistory kept = store.Load(routerB);
        QVERIFY(!kept.samples.empty() && kept.samples.size() < 3000);
        QCOMPARE(kept.samples.back().dtTime, dtNow.addSecs(-1));
    }

    // Run as a child by the next tests: writes samples as fast as it can and prints the number of
    // each one committed, until it is killed (or, given a count, until it has written that many, for
    // the second router when asked).
    void childWritesUntilKilled()
    {
        const QString strFile = qEnvironmentVariable("QUORVANE_HISTORY_CHILD");
        if (strFile.isEmpty())
            QUORVANE_SKIP("runs only as the child of crashLosesAtMostTheSampleBeingWritten");
        const int intCount = qEnvironmentVariableIntValue("QUORVANE_HISTORY_CHILD_COUNT");
        const RouterKey& router = qEnvironmentVariableIsSet("QUORVANE_HISTORY_CHILD_SECOND") ? routerB : routerA;
        HistoryStore store;
        QVERIFY2(store.Open(strFile), qPrintable(store.ErrorText()));
        for (int i = 0; intCount == 0 || i < intCount; ++i) {
            QCOMPARE(store.AddSample(router, FullSample(i)), HistoryStore::WriteResult::Stored);
            std::printf("committed %d\n", i + 1);
            std::fflush(stdout);
        }
    }

    void crashLosesAtMostTheSampleBeingWritten()
    {
        QTemporaryDir dir;
        const QString strFile = dir.filePath(HistoryStore::FileName());
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QUORVANE_HISTORY_CHILD"), strFile);
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(),
            { QStringLiteral("TestHistoryStore"), QStringLiteral("childWritesUntilKilled") });
        QVERIFY(child.waitForStarted());
        int intCommitted = 0;
        QByteArray bytOutput;
        while (intCommitted < 40 && child.waitForReadyRead(20000)) {
            bytOutput += child.readAllStandardOutput();
            const qsizetype lngLast = bytOutput.lastIndexOf("committed ");
            if (lngLast >= 0 && bytOutput.indexOf('\n', lngLast) > 0)
                intCommitted = bytOutput.mid(lngLast + 10, bytOutput.indexOf('\n', lngLast) - lngLast - 10).toInt();
        }
        QVERIFY2(intCommitted >= 40, bytOutput.right(400).constData());
        child.kill(); // SIGKILL: no handler, no clean-up
        QVERIFY(child.waitForFinished());
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        HistoryStore store;
        QVERIFY(store.Open(strFile));
        const std::size_t lngKept = store.Load(routerA).samples.size();
        // What was committed when the output was read is there; at most the samples committed since
        // (the child kept writing) and the one being written differ.
        QVERIFY2(lngKept >= std::size_t(intCommitted), qPrintable(QString::number(lngKept)));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("integrity"));
            db.setDatabaseName(strFile);
            QVERIFY(db.open());
            QSqlQuery query(db);
            QVERIFY(query.exec(QStringLiteral("PRAGMA integrity_check")) && query.next());
            QCOMPARE(query.value(0).toString(), QStringLiteral("ok"));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("integrity"));
    }

    // Two watches at once (two routers, or the window's and the command line's) share the file from
    // its creation on: neither may lose a sample or stop recording because the other one writes.
    void twoWritersAtOnceKeepEverySample()
    {
        QTemporaryDir dir;
        const QString strFile = dir.filePath(HistoryStore::FileName());
        const int intCount = 150;
        std::vector<std::unique_ptr<QProcess>> children;
        for (const bool blnSecond : { false, true }) {
            auto child = std::make_unique<QProcess>();
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("QUORVANE_HISTORY_CHILD"), strFile);
            environment.insert(QStringLiteral("QUORVANE_HISTORY_CHILD_COUNT"), QString::number(intCount));
            if (blnSecond)
                environment.insert(QStringLiteral("QUORVANE_HISTORY_CHILD_SECOND"), QStringLiteral("1"));
            child->setProcessEnvironment(environment);
            child->setProcessChannelMode(QProcess::MergedChannels);
            child->start(QCoreApplication::applicationFilePath(),
                { QStringLiteral("TestHistoryStore"), QStringLiteral("childWritesUntilKilled") });
            children.push_back(std::move(child));
        }
        for (const auto& child : children) {
            QVERIFY(child->waitForFinished(120000));
            QVERIFY2(child->exitCode() == 0, child->readAll().right(600).constData());
        }
        HistoryStore store;
        QVERIFY(store.Open(strFile));
        QCOMPARE(store.Load(routerA).samples.size(), std::size_t(intCount));
        QCOMPARE(store.Load(routerB).samples.size(), std::size_t(intCount));
    }

    // A full disk (a small file system mounted in the CTest entry's own mount namespace): the write
    // that fails stops the recording with one warning, later writes are refused quietly, and every
    // sample stored before is still there.
    void fullDiskStopsTheRecordingOnce()
    {
        if (!qEnvironmentVariableIsSet("QUORVANE_PRIVATE_MOUNTS"))
            QUORVANE_SKIP("needs a private mount namespace as root (CTest entry history_faulty_disk)");
        QTemporaryDir dir;
        QVERIFY(Mount({ "-t", "tmpfs", "-o", "size=256k", "tmpfs", dir.path() }));
        const auto unmount = qScopeGuard([&] { QProcess::execute(QStringLiteral("umount"), { "-l", dir.path() }); });
        const QString strFile = dir.filePath(HistoryStore::FileName());
        HistoryStore store;
        QVERIFY(store.Open(strFile));
        int intStored = 0;
        int intStops = 0;
        for (int i = 0; i < 200000 && intStops == 0; ++i) {
            LineSample sample = FullSample(i);
            sample.strModulation = QString(200, QLatin1Char('a' + i % 26)) + QString::number(i);
            const HistoryStore::WriteResult result = store.AddSample(routerA, sample);
            if (result == HistoryStore::WriteResult::Stored)
                ++intStored;
            else if (result == HistoryStore::WriteResult::Stopped)
                ++intStops;
        }
        QCOMPARE(intStops, 1);
        QVERIFY(intStored > 10);
        QVERIFY(!store.Recording());
        QCOMPARE(store.AddSample(routerA, FullSample(999999)), HistoryStore::WriteResult::NotRecording);
        QVERIFY(store.StopWarning().contains(HistoryStore::FileName()));
        store.Close();

        HistoryStore reopened;
        QVERIFY(reopened.Open(strFile));
        QCOMPARE(reopened.Load(routerA).samples.size(), std::size_t(intStored));
    }
};

QUORVANE_REGISTER_TEST(TestHistoryStore)
#include "TestHistoryStore.moc"
