#include "config/PageTable.h"
#include "config/PageTrace.h"
#include "config/RouterProfile.h"
#include "support/TestRegistry.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace
{

QByteArray FileBytes(const QString& strFile)
{
    QFile file(strFile);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestPageTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void longestMatchingPathWinsWhateverTheCase()
    {
        PageTable pages;
        pages.RegisterPage(QStringLiteral("/doc/syslog.htm"), RouterPage::SystemLog);
        pages.RegisterPage(QStringLiteral("/doc/"), RouterPage::Home);
        pages.SortPages();
        QCOMPARE(pages.FindPage(QStringLiteral("http://127.0.0.1:80/DOC/SYSLOG.HTM")), RouterPage::SystemLog);
        QCOMPARE(pages.FindPage(QStringLiteral("http://127.0.0.1:80/Doc/other.htm")), RouterPage::Home);
        QCOMPARE(pages.FindPage(QStringLiteral("http://127.0.0.1:80/status.htm")), RouterPage::None);
        QCOMPARE(pages.FindPage(QString()), RouterPage::None);
    }

    // The browser reports a path's blanks and non-ASCII letters percent-encoded, in either case
    // of hex digits; a profile may hold the path as typed or encoded.
    void pathsMatchEncodedOrAsTyped_data()
    {
        QTest::addColumn<QString>("strPath");
        QTest::addColumn<QString>("strUrl");
        QTest::addColumn<bool>("blnFound");
        QTest::newRow("blank reported encoded") << "/doc/sys log.htm"
                                                << "http://127.0.0.1:80/doc/sys%20log.htm" << true;
        QTest::newRow("letter reported encoded")
            << QStringLiteral("/doc/\u00E9tat.htm") << "http://127.0.0.1:80/doc/%C3%A9tat.htm" << true;
        QTest::newRow("lower-case hex digits")
            << QStringLiteral("/DOC/\u00C9TAT.HTM") << "http://127.0.0.1:80/doc/%c3%a9tat.htm" << true;
        QTest::newRow("letter reported as is")
            << QStringLiteral("/doc/\u00E9tat.htm") << QStringLiteral("http://127.0.0.1:80/doc/\u00E9tat.htm") << true;
        QTest::newRow("path written encoded") << "/doc/sys%20log.htm"
                                              << "http://127.0.0.1:80/doc/sys log.htm" << true;
        QTest::newRow("encoded percent sign") << "/doc/100%.htm"
                                              << "http://127.0.0.1:80/doc/100%25.htm" << true;
        QTest::newRow("other letter") << QStringLiteral("/doc/\u00E9tat.htm") << "http://127.0.0.1:80/doc/%C3%A8tat.htm"
                                      << false;
        QTest::newRow("blank is not an underscore") << "/doc/sys log.htm"
                                                    << "http://127.0.0.1:80/doc/sys_log.htm" << false;
    }

    void pathsMatchEncodedOrAsTyped()
    {
        QFETCH(QString, strPath);
        QFETCH(QString, strUrl);
        QFETCH(bool, blnFound);
        PageTable pages;
        pages.RegisterPage(strPath, RouterPage::SystemLog);
        pages.RegisterPage(QStringLiteral("/doc/"), RouterPage::Home);
        pages.SortPages();
        QCOMPARE(pages.FindPage(strUrl), blnFound ? RouterPage::SystemLog : RouterPage::Home);
    }

    void registerTakesOverAnEmptyFirstEntry()
    {
        PageTable pages;
        pages.RegisterPage(QString(), RouterPage::Login); // an empty table gets the entry appended
        pages.RegisterPage(QStringLiteral("/a"), RouterPage::Adsl); // takes over the empty entry 0
        pages.RegisterPage(QString(), RouterPage::Logout); // entry 0 is used now: appended, even though empty
        QCOMPARE(pages.arrPages.size(), std::size_t(2));
        QCOMPARE(pages.arrPages[0].strPath, QStringLiteral("/a"));
        QCOMPARE(pages.arrPages[0].lngPage, RouterPage::Adsl);
        QCOMPARE(pages.arrPages[1].strPath, QString());
        QCOMPARE(pages.arrPages[1].lngPage, RouterPage::Logout);
    }

    void rebuildRegistersTheProfilePaths()
    {
        RouterProfile profile;
        profile.strLoginPage = QStringLiteral("/login.htm");
        profile.strSystemLogPage = QStringLiteral("/status/syslog.htm");
        profile.strAdslPage = QStringLiteral("/status/adsl.htm");
        profile.strDiagTestPage = QStringLiteral("/diag/diagtest.htm");
        profile.strPppPage = QStringLiteral("/setup/ppp.htm");
        profile.strLogoutPage = QStringLiteral("/logout.htm");
        profile.strHomePage = QStringLiteral("/status/");

        PageTable pages;
        pages.RegisterPage(QStringLiteral("/setup/ppp_link.htm"), RouterPage::PppLink); // left from a run
        pages.RebuildPageTable(profile);
        QCOMPARE(pages.FindPage(QStringLiteral("http://127.0.0.1:80/setup/ppp_link.htm")), RouterPage::None);
        QCOMPARE(pages.FindPage(QStringLiteral("http://127.0.0.1:80/Login.htm")), RouterPage::Login);
        QCOMPARE(pages.FindPage(QStringLiteral("http://127.0.0.1:80/logout.htm")), RouterPage::Logout);
        QCOMPARE(pages.FindPage(QStringLiteral("http://127.0.0.1:80/status/syslog.htm")), RouterPage::SystemLog);
        QCOMPARE(pages.FindPage(QStringLiteral("http://127.0.0.1:80/status/adsl.htm?x=1")), RouterPage::Adsl);
        QCOMPARE(pages.FindPage(QStringLiteral("http://127.0.0.1:80/status/home.htm")), RouterPage::Home);
        QCOMPARE(pages.FindPage(QStringLiteral("http://127.0.0.1:80/diag/diagtest.htm")), RouterPage::DiagTest);
        QCOMPARE(pages.FindPage(QStringLiteral("http://127.0.0.1:80/setup/ppp.htm")), RouterPage::Ppp);
        // The product and modem pages are empty here: they stand in the table but never match.
        QCOMPARE(pages.FindPage(QStringLiteral("http://127.0.0.1:80/product.htm")), RouterPage::None);
        for (const PageEntry& entry : pages.arrPages)
            QVERIFY(entry.lngPage != RouterPage::PppLink && entry.lngPage != RouterPage::None);

        // A page that the run registers later is found as well.
        pages.RegisterPage(QStringLiteral("/setup/ppp_link.htm"), RouterPage::PppLink);
        QCOMPARE(pages.FindPage(QStringLiteral("http://127.0.0.1:80/setup/ppp_link.htm")), RouterPage::PppLink);
    }

    void traceLines()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        PageTrace trace;
        trace.strAppFolder = dir.path() + QLatin1Char('/');
        const QString strLog = dir.filePath(QStringLiteral("log.txt"));

        trace.WriteTrace(QStringLiteral("Moving to /doc/syslog.htm"), false);
        trace.WriteTrace(QStringLiteral("<<Page 2>>"), true);
        QVERIFY(!QFile::exists(strLog));

        trace.blnDebugView = true;
        const QDateTime dtBefore = QDateTime::currentDateTime().addSecs(-1);
        trace.WriteTrace(QStringLiteral("<<Page 2>>"), true);
        trace.WriteTrace(QStringLiteral("line one\r\nline two"), false);
        trace.WriteTrace(QStringLiteral("elsewhere"), true, QStringLiteral("other.txt"));
        const QDateTime dtAfter = QDateTime::currentDateTime().addSecs(1);

        const QByteArray bytLog = FileBytes(strLog);
        QVERIFY(bytLog.startsWith("<<Page 2>>\r\n"));
        const QRegularExpression rxStamped(
            QStringLiteral("^(\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d) line one\r\nline two\r\n$"));
        const QRegularExpressionMatch match = rxStamped.match(QString::fromUtf8(bytLog.mid(12)));
        QVERIFY2(match.hasMatch(), bytLog.constData());
        const QDateTime dtStamp = QDateTime::fromString(match.captured(1), QStringLiteral("dd/MM/yyyy HH:mm:ss"));
        QVERIFY(dtStamp >= dtBefore.addMSecs(-dtBefore.time().msec()) && dtStamp <= dtAfter);
        QCOMPARE(FileBytes(dir.filePath(QStringLiteral("other.txt"))), QByteArray("elsewhere\r\n"));

        // Lines are appended to what is there.
        trace.WriteTrace(QStringLiteral("again"), true);
        QCOMPARE(FileBytes(strLog), bytLog + "again\r\n");
    }

    void traceStaysBounded()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        PageTrace trace;
        trace.blnDebugView = true;
        trace.strAppFolder = dir.path() + QLatin1Char('/');
        trace.lngTraceLimit = 100;
        const QString strLog = dir.filePath(QStringLiteral("log.txt"));
        const QString strOld = dir.filePath(QStringLiteral("log.old.txt"));

        // Whatever the lengths, the two files hold the latest lines written, in order, each file
        // within the limit.
        QByteArray bytWritten;
        for (int intLine = 0; intLine < 60; ++intLine) {
            const QByteArray bytLine(intLine * 7 % 41, static_cast<char>('a' + intLine % 26));
            trace.WriteTrace(QString::fromLatin1(bytLine), true);
            bytWritten += bytLine + "\r\n";
            const QByteArray bytLog = FileBytes(strLog);
            const QByteArray bytOld = FileBytes(strOld);
            QVERIFY(bytLog.size() <= trace.lngTraceLimit && bytOld.size() <= trace.lngTraceLimit);
            QVERIFY(bytLog.endsWith(bytLine + "\r\n"));
            QVERIFY(bytWritten.endsWith(bytOld + bytLog));
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);

        // A line longer than the limit is cut to it without splitting a character, in a new file.
        const QByteArray bytPrevious = FileBytes(strLog);
        trace.WriteTrace(QString(60, QChar(0x20AC)), true);
        QCOMPARE(FileBytes(strLog), QString(32, QChar(0x20AC)).toUtf8() + "\r\n");
        QCOMPARE(FileBytes(strOld), bytPrevious);

        // When the old trace cannot be replaced the full one starts over instead.
        QVERIFY(QFile::remove(strOld));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("log.old.txt")));
        trace.WriteTrace(QString(50, QLatin1Char('x')), true);
        QCOMPARE(FileBytes(strLog), QByteArray(50, 'x') + "\r\n");
    }

    void unopenableTraceIsSkipped()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("log.txt")));
        PageTrace trace;
        trace.blnDebugView = true;
        trace.strAppFolder = dir.path() + QLatin1Char('/');
        trace.WriteTrace(QStringLiteral("x"), true);
        trace.strAppFolder = dir.filePath(QStringLiteral("missing/"));
        trace.WriteTrace(QStringLiteral("x"), true);
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("log.txt"))).isDir());
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("missing"))));
    }
};

QUORVANE_REGISTER_TEST(TestPageTable)
#include "TestPageTable.moc"
