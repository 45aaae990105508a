#include "NetFakes.h"
#include "net/IpConfigCapture.h"
#include "support/TestRegistry.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#ifndef Q_OS_WIN
#include <cerrno>
#include <csignal>
#include <unistd.h>
#endif

namespace
{
const QString CRCRLF = QStringLiteral("\r\r\n");
const QChar SEP = QDir::separator();

QString Listing(const QStringList& lines)
{
    return lines.join(CRCRLF) + CRCRLF;
}

// An application folder in a temporary directory with a NetworkInfo script of the given body.
class FakeAppFolder
{
public:
    explicit FakeAppFolder(const QByteArray& scriptBody, const QString& strFolderName = QStringLiteral("app"))
    {
        m_strFolder = QDir(m_root.path()).filePath(strFolderName);
        QDir().mkpath(m_strFolder);
        QFile script(ScriptPath());
        if (script.open(QIODevice::WriteOnly))
            script.write("#!/bin/sh\nhere=$(dirname \"$0\")\n" + scriptBody + "\n");
    }
    QString Folder() const { return m_strFolder + SEP; }
    QString ScriptPath() const { return QDir(m_strFolder).filePath(NetworkInfoScriptName()); }
    QString OutputPath() const { return QDir(m_strFolder).filePath(IpConfigFileName()); }
    QString FilePath(const QString& strName) const { return QDir(m_strFolder).filePath(strName); }

private:
    QTemporaryDir m_root;
    QString m_strFolder;
};

// Used by the tests that start shell scripts, which do not run on Windows.
[[maybe_unused]] QByteArray FileBytes(const QString& strPath)
{
    QFile file(strPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& strPath, const QByteArray& content)
{
    QFile file(strPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

#ifndef Q_OS_WIN
// Ends a script process that a test started and left running on purpose.
void EndStartedProcess(const QString& strPidFile)
{
    const qint64 lngPid = FileBytes(strPidFile).trimmed().toLongLong();
    if (lngPid > 1)
        ::kill(static_cast<pid_t>(lngPid), SIGTERM);
}
#endif
} // namespace

class TestIpConfigCapture : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void findDefaultGateway_data()
    {
        QTest::addColumn<QString>("listing");
        QTest::addColumn<QString>("expected");

        const QString strGateway = QStringLiteral("   Default Gateway . . . . . . . . . : ");
        QTest::newRow("one adapter") << Listing({ QString(), QStringLiteral("Ethernet adapter eth0:"), QString(),
            QStringLiteral("   IPv4 Address. . . . . . . . . . . : 192.0.2.20"),
            strGateway + QStringLiteral("192.0.2.1") })
                                     << QStringLiteral("192.0.2.1");
        QTest::newRow("short label row") << Listing({ QStringLiteral("Default Gateway . . . : 198.51.100.138") })
                                         << QStringLiteral("198.51.100.138");
        QTest::newRow("first adapter without gateway wins") << Listing({ QStringLiteral("Ethernet adapter a:"),
            strGateway, QStringLiteral("Ethernet adapter b:"), strGateway + QStringLiteral("192.0.2.1") })
                                                            << QString();
        QTest::newRow("value followed by a blank")
            << Listing({ strGateway + QStringLiteral("192.0.2.1 ") }) << QString();
        QTest::newRow("further gateways on continuation lines") << Listing(
            { strGateway + QStringLiteral("192.0.2.1"), QStringLiteral("%1fe80::1%3").arg(QString(39, u' ')) })
                                                                << QStringLiteral("192.0.2.1");
        QTest::newRow("label in other case")
            << Listing({ QStringLiteral("   default gateway . . : 192.0.2.1") }) << QString();
        QTest::newRow("no gateway line") << Listing({ QStringLiteral("   Host Name . . . : box") }) << QString();
        QTest::newRow("empty listing") << QString() << QString();
        QTest::newRow("plain CR LF listing after normalising")
            << NormaliseListingLineEnds(strGateway + QStringLiteral("192.0.2.1\r\nnext\r\n"))
            << QStringLiteral("192.0.2.1");
        QTest::newRow("LF listing after normalising")
            << NormaliseListingLineEnds(strGateway + QStringLiteral("192.0.2.1\n")) << QStringLiteral("192.0.2.1");
    }

    void findDefaultGateway()
    {
        QFETCH(QString, listing);
        QFETCH(QString, expected);
        QCOMPARE(FindDefaultGateway(listing), expected);
    }

    void normaliseListingLineEnds_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("already CR CR LF") << QStringLiteral("a\r\r\nb\r\r\n") << QStringLiteral("a\r\r\nb\r\r\n");
        QTest::newRow("CR LF") << QStringLiteral("a\r\nb\r\n") << QStringLiteral("a\r\r\nb\r\r\n");
        QTest::newRow("LF") << QStringLiteral("a\n\nb\n") << QStringLiteral("a\r\r\n\r\r\nb\r\r\n");
        QTest::newRow("mixed") << QStringLiteral("a\nb\r\nc\r\r\n") << QStringLiteral("a\r\r\nb\r\r\nc\r\r\n");
        QTest::newRow("extra carriage returns kept") << QStringLiteral("a\r\r\r\n") << QStringLiteral("a\r\r\r\n");
        QTest::newRow("last line without end") << QStringLiteral("a\r\nb") << QStringLiteral("a\r\r\nb\r\r\n");
        QTest::newRow("lone carriage return inside a line") << QStringLiteral("a\rb\n") << QStringLiteral("a\rb\r\r\n");
        QTest::newRow("empty") << QString() << QString();
    }

    void normaliseListingLineEnds()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(NormaliseListingLineEnds(text), expected);
    }

    void addBackslashAndTextBefore()
    {
        const QString strTool = QStringLiteral("tool");
        QCOMPARE(AddBackslash(SEP + strTool), SEP + strTool + SEP);
        QCOMPARE(AddBackslash(SEP + strTool + SEP), SEP + strTool + SEP);
        QCOMPARE(AddBackslash(QString(SEP)), QString(SEP));
        QCOMPARE(AddBackslash(QString()), QString(SEP));

        const QString strBackslash = QStringLiteral("\\");
        QCOMPARE(TextBefore(QStringLiteral("Tool\\Sub\\"), strBackslash), QStringLiteral("Tool"));
        QCOMPARE(TextBefore(QStringLiteral("Tool"), strBackslash), QStringLiteral("Tool"));
        QCOMPARE(TextBefore(QStringLiteral("\\Tool"), strBackslash), QString());
        QCOMPARE(TextBefore(QString(), strBackslash), QString());
        QCOMPARE(TextBefore(QStringLiteral("aXbxc"), QStringLiteral("x")), QStringLiteral("aXb"));
        QCOMPARE(TextBefore(QStringLiteral("a::b::c"), QStringLiteral("::")), QStringLiteral("a"));
    }

    void shortPathOfExistingEntries()
    {
        QTemporaryDir root;
        const QString strRoot = QDir::toNativeSeparators(root.path());
        QVERIFY(QDir().mkpath(root.filePath(QStringLiteral("Program Files/Tool"))));
        WriteFile(root.filePath(QStringLiteral("Program Files/Tool/file.txt")), "x");
        const QString strTool = strRoot + SEP + QStringLiteral("Program Files") + SEP + QStringLiteral("Tool");

        // Without short names every component stands as it is; the trailing separator goes.
        QCOMPARE(GetShortPath(strTool + SEP), strTool);
        QCOMPARE(GetShortPath(strTool), strTool);
        QCOMPARE(GetShortPath(strTool + SEP + QStringLiteral("file.txt")), strTool + SEP + QStringLiteral("file.txt"));
        QCOMPARE(GetShortName(strTool + SEP + QStringLiteral("file.txt")), QStringLiteral("file.txt"));
        QCOMPARE(GetShortName(strTool), QStringLiteral("Tool"));
    }

    void shortPathFailures()
    {
        QTemporaryDir root;
        const QString strRoot = QDir::toNativeSeparators(root.path());
        QVERIFY(QDir().mkpath(root.filePath(QStringLiteral("Tool"))));
        MessageBoxLog log;

        QCOMPARE(GetShortPath(QStringLiteral("no separator here"), log.Fn()), QString());
        QCOMPARE(GetShortPath(strRoot + SEP + QStringLiteral("Missing") + SEP + QStringLiteral("Tool"), log.Fn()),
            QString());
        // A doubled separator makes an empty component, which names no entry.
        QCOMPARE(GetShortPath(strRoot + SEP + SEP + QStringLiteral("Tool"), log.Fn()), QString());
        QCOMPARE(GetShortName(strRoot + SEP + QStringLiteral("Tool") + SEP, log.Fn()), QString());
        QCOMPARE(GetShortName(strRoot + SEP + QStringLiteral("absent"), log.Fn()), QString());
        QCOMPARE(GetShortName(QString(), log.Fn()), QString());
        // Missing entries are no errors: no box.
        QVERIFY(log.boxes.isEmpty());
    }

    void unexpectedErrorsShowTheirBoxes()
    {
        QTemporaryDir root;
        const QString strRoot = QDir::toNativeSeparators(root.path());
        MessageBoxLog log;

        // A NUL would silently shorten the path that the file system sees.
        const QString strWithNul = strRoot + SEP + QStringLiteral("Tool") + QChar(0) + QStringLiteral("x");
        QCOMPARE(GetShortPath(strWithNul, log.Fn()), QString());
        QCOMPARE(log.boxes.size(), 1);
        QCOMPARE(log.boxes.at(0).first, QStringLiteral("Get8_3_Err"));
        QVERIFY2(log.boxes.at(0).second.startsWith(QStringLiteral("Error: ")), qPrintable(log.boxes.at(0).second));
        QVERIFY(log.boxes.at(0).second.contains(QStringLiteral(", ")));

        log.boxes.clear();
        QCOMPARE(GetShortName(strWithNul, log.Fn()), QString());
        QCOMPARE(log.boxes.size(), 1);
        QCOMPARE(log.boxes.at(0).first, QStringLiteral("GetShortNameSection_Err"));

#ifndef Q_OS_WIN
        // A symbolic link that points at itself cannot be walked through: the lookup fails with an
        // error other than "no such entry".
        QVERIFY(QFile::link(QStringLiteral("loop"), root.filePath(QStringLiteral("loop"))));
        log.boxes.clear();
        QCOMPARE(
            GetShortPath(strRoot + SEP + QStringLiteral("loop") + SEP + QStringLiteral("inner"), log.Fn()), QString());
        QCOMPARE(log.boxes.size(), 1);
        QCOMPARE(log.boxes.at(0).first, QStringLiteral("GetShortNameSection_Err"));
        QCOMPARE(log.boxes.at(0).second, QStringLiteral("Error: %1, %2").arg(ELOOP).arg(qt_error_string(ELOOP)));
        // The link itself is an entry, even though it leads nowhere.
        QCOMPARE(GetShortName(strRoot + SEP + QStringLiteral("loop")), QStringLiteral("loop"));
#endif
    }

#ifndef Q_OS_WIN
    void captureReadsAndDeletesTheListing()
    {
        const QString strListing = Listing({ QString(), QStringLiteral("Ethernet adapter eth0:"),
            QStringLiteral("   Default Gateway . . . . . . . . . : 192.0.2.1") });
        FakeAppFolder app("printf '\\r\\r\\nEthernet adapter eth0:\\r\\r\\n"
                          "   Default Gateway . . . . . . . . . : 192.0.2.1\\r\\r\\n' > \"$here/ipcon.txt\"");
        const QByteArray scriptBefore = FileBytes(app.ScriptPath());
        const QDateTime dtScriptModified = QFileInfo(app.ScriptPath()).lastModified();

        MessageBoxLog log;
        const QString strCapture = CaptureIpConfig(app.Folder(), log.Fn());
        QCOMPARE(strCapture, strListing);
        QCOMPARE(FindDefaultGateway(strCapture), QStringLiteral("192.0.2.1"));
        QVERIFY(!QFileInfo::exists(app.OutputPath()));
        QCOMPARE(FileBytes(app.ScriptPath()), scriptBefore);
        QCOMPARE(QFileInfo(app.ScriptPath()).lastModified(), dtScriptModified);
        QVERIFY(log.boxes.isEmpty());
    }

    void staleListingIsDeletedBeforeTheScriptStarts()
    {
        // The script writes nothing, but notes whether it still found an old listing.
        FakeAppFolder app("if [ -e \"$here/ipcon.txt\" ]; then echo seen > \"$here/seen.txt\"; fi");
        WriteFile(app.OutputPath(), "   Default Gateway . . . : 203.0.113.1\r\r\n");
        QCOMPARE(CaptureIpConfig(app.Folder()), QString());
        QVERIFY(!QFileInfo::exists(app.OutputPath()));
        QVERIFY(!QFileInfo::exists(app.FilePath(QStringLiteral("seen.txt"))));
    }

    void missingScriptOrFolderGivesEmptyCapture()
    {
        FakeAppFolder app("exit 0");
        QVERIFY(QFile::remove(app.ScriptPath()));
        WriteFile(app.OutputPath(), "stale");
        QCOMPARE(CaptureIpConfig(app.Folder()), QString());
        QVERIFY(!QFileInfo::exists(app.OutputPath()));

        // A folder that does not exist does not resolve; nothing is run from the root instead.
        QCOMPARE(CaptureIpConfig(app.Folder() + QStringLiteral("missing") + SEP), QString());
        QCOMPARE(CaptureIpConfig(QString()), QString());
    }

    void scriptWithPlainLineEndsIsNormalised()
    {
        FakeAppFolder app("printf 'Default Gateway . . : 192.0.2.1\\nlast' > \"$here/ipcon.txt\"");
        const QString strCapture = CaptureIpConfig(app.Folder());
        QCOMPARE(strCapture, QStringLiteral("Default Gateway . . : 192.0.2.1\r\r\nlast\r\r\n"));
        QCOMPARE(FindDefaultGateway(strCapture), QStringLiteral("192.0.2.1"));
    }

    void folderNameWithBlanksAndQuotes()
    {
        FakeAppFolder app("printf 'ok\\r\\r\\n' > \"$here/ipcon.txt\"", QStringLiteral("my tool's \"folder\""));
        QCOMPARE(CaptureIpConfig(app.Folder()), QStringLiteral("ok\r\r\n"));
        QVERIFY(!QFileInfo::exists(app.OutputPath()));
    }

    void waitEndsWhenTheScriptExits()
    {
        FakeAppFolder app("printf 'done\\r\\r\\n' > \"$here/ipcon.txt\"");
        QElapsedTimer timer;
        timer.start();
        // With a bound this long, only the script's exit can end the wait early.
        QCOMPARE(CaptureIpConfig(app.Folder(), {}, 60000), QStringLiteral("done\r\r\n"));
        QVERIFY2(timer.elapsed() < 30000, qPrintable(QString::number(timer.elapsed())));
    }

    void scriptThatNeverExitsIsBounded()
    {
        // The script leaves part of a listing and then hangs; the capture takes what is there.
        FakeAppFolder app("echo $$ > \"$here/pid.txt\"\n"
                          "printf 'partial\\r\\r\\n' > \"$here/ipcon.txt\"\n"
                          "exec sleep 60");
        QElapsedTimer timer;
        timer.start();
        const QString strCapture = CaptureIpConfig(app.Folder(), {}, 700);
        const qint64 lngElapsed = timer.elapsed();
        EndStartedProcess(app.FilePath(QStringLiteral("pid.txt")));
        QCOMPARE(strCapture, QStringLiteral("partial\r\r\n"));
        QVERIFY(!QFileInfo::exists(app.OutputPath()));
        QVERIFY2(lngElapsed >= 650 && lngElapsed < 30000, qPrintable(QString::number(lngElapsed)));
    }

    void eventsAreProcessedDuringTheWait()
    {
        FakeAppFolder app("sleep 0.4\nprintf 'late\\r\\r\\n' > \"$here/ipcon.txt\"");
        int intTicks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&intTicks] { ++intTicks; });
        ticker.start(20);
        QCOMPARE(CaptureIpConfig(app.Folder(), {}, 10000), QStringLiteral("late\r\r\n"));
        ticker.stop();
        QVERIFY2(intTicks >= 3, qPrintable(QString::number(intTicks)));
    }
#endif
};

QUORVANE_REGISTER_TEST(TestIpConfigCapture)
#include "TestIpConfigCapture.moc"
