#include "net/IpConfigCapture.h"
#include "privacy/ReportFilter.h"
#include "support/SkipTest.h"
#include "support/TestRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace
{
const QString strDataDir = QStringLiteral(QUORVANE_TEST_DATA_DIR "/net/listing");

QByteArray FileBytes(const QString& strPath)
{
    QFile file(strPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Sets an environment variable for the lifetime of the guard; the capture's script inherits it.
class ScopedEnvironment
{
public:
    ScopedEnvironment(const char* name, const QByteArray& value)
        : m_name(name)
        , m_blnHadValue(qEnvironmentVariableIsSet(name))
        , m_oldValue(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnvironment()
    {
        if (m_blnHadValue)
            qputenv(m_name, m_oldValue);
        else
            qunsetenv(m_name);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* m_name;
    bool m_blnHadValue;
    QByteArray m_oldValue;
};

// An application folder holding a copy of the script that ships beside the program.
bool MakeAppFolder(const QTemporaryDir& dir)
{
    const QString strShipped = QStringLiteral(QUORVANE_SOURCE_DIR "/dist/") + NetworkInfoScriptName();
    return QFile::copy(strShipped, QDir(dir.path()).filePath(NetworkInfoScriptName()));
}

// Every line of a listing ends in CR CR LF: no LF without its two carriage returns.
bool HasListingLineEnds(const QString& strListing)
{
    if (!strListing.endsWith(QStringLiteral("\r\r\n")))
        return false;
    for (qsizetype intAt = strListing.indexOf(u'\n'); intAt >= 0; intAt = strListing.indexOf(u'\n', intAt + 1)) {
        if (intAt < 2 || strListing.at(intAt - 1) != u'\r' || strListing.at(intAt - 2) != u'\r')
            return false;
    }
    return true;
}
} // namespace

class TestNetworkInfoScript : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
#ifdef Q_OS_WIN
        QUORVANE_SKIP("the shell script is the listing of systems without batch files");
#endif
    }

    // The listing made from prepared data (a stand-in ip command and a prepared file tree) matches
    // the saved one: adapter order, label layout, masks, gateways and line ends.
    void listingFromPreparedData()
    {
        QTemporaryDir app;
        QTemporaryDir tools;
        QVERIFY(MakeAppFolder(app));
        QFile fakeIp(QDir(tools.path()).filePath(QStringLiteral("ip")));
        QVERIFY(fakeIp.open(QIODevice::WriteOnly));
        fakeIp.write(QStringLiteral("#!/bin/sh\n"
                                    "data='%1/ip'\n"
                                    "case \"$*\" in\n"
                                    "'-o link show') cat \"$data/link.txt\" ;;\n"
                                    "'-o addr show') cat \"$data/addr.txt\" ;;\n"
                                    "'-4 route show default') cat \"$data/route4.txt\" ;;\n"
                                    "'-6 route show default') cat \"$data/route6.txt\" ;;\n"
                                    "*) exit 1 ;;\n"
                                    "esac\n")
                         .arg(strDataDir)
                         .toUtf8());
        fakeIp.close();
        QVERIFY(fakeIp.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));

        QString strCapture;
        {
            const ScopedEnvironment path("PATH", tools.path().toUtf8() + ":/usr/bin:/bin");
            const ScopedEnvironment root("NETWORKINFO_ROOT", (strDataDir + QStringLiteral("/root")).toUtf8());
            strCapture = CaptureIpConfig(app.path() + QDir::separator(), {}, 20000);
        }

        const QString strExpectedPath = strDataDir + QStringLiteral("/ipcon.txt");
        const QString strExpected = QString::fromUtf8(FileBytes(strExpectedPath));
        if (strCapture != strExpected) {
            QFile actual(strExpectedPath + QStringLiteral(".actual"));
            if (actual.open(QIODevice::WriteOnly))
                actual.write(strCapture.toUtf8());
        }
        QCOMPARE(strCapture, strExpected);
        // The adapter with the preferred IPv4 default route is listed first.
        QCOMPARE(FindDefaultGateway(strCapture), QStringLiteral("192.0.2.1"));
        QCOMPARE(QDir(app.path()).entryList(QDir::Files), QStringList { NetworkInfoScriptName() });
    }

    // The real script on this machine: only local state is read, and no address is contacted.
    void listingOfThisMachine()
    {
        QTemporaryDir app;
        QVERIFY(MakeAppFolder(app));
        const QString strCapture = CaptureIpConfig(app.path() + QDir::separator(), {}, 20000);

        QVERIFY(!strCapture.isEmpty());
        QVERIFY(HasListingLineEnds(strCapture));
        QVERIFY(strCapture.contains(QStringLiteral("   Host Name . . . . . . . . . . . . : ")));
        // Nothing but the script stays behind: the listing and its temporary file are gone.
        QCOMPARE(QDir(app.path()).entryList(QDir::Files), QStringList { NetworkInfoScriptName() });

        // Hardware addresses are written as six dash-separated pairs of capital hex digits.
        const QRegularExpression physical(
            QStringLiteral("^   Physical Address\\. \\.[ .]* : [0-9A-F]{2}(-[0-9A-F]{2}){5}\r$"));
        for (const QString& strLine : strCapture.split(QStringLiteral("\r\n"))) {
            if (strLine.contains(QStringLiteral("Physical Address")))
                QVERIFY2(physical.match(strLine).hasMatch(), qPrintable(strLine));
        }

        // Censoring masks every hardware address of the listing (the all-zero one stays).
        const QString strMasked = CensorMacAddresses(strCapture);
        static const QRegularExpression mac(QStringLiteral("[0-9A-F]{2}(-[0-9A-F]{2}){5}"));
        for (auto it = mac.globalMatch(strMasked); it.hasNext();)
            QCOMPARE(it.next().captured(), QStringLiteral("00-00-00-00-00-00"));
        QCOMPARE(FindDefaultGateway(strMasked), FindDefaultGateway(strCapture));

        // The gateway found is the one of the system's preferred IPv4 default route, or none.
        QProcess route;
        route.start(QStringLiteral("ip"),
            { QStringLiteral("-4"), QStringLiteral("route"), QStringLiteral("show"), QStringLiteral("default") });
        if (!route.waitForFinished(10000) || route.exitCode() != 0)
            QUORVANE_SKIP("the ip command is not available to compare the gateway with");
        QString strExpectedGateway;
        for (const QString& strRoute : QString::fromUtf8(route.readAllStandardOutput()).split(u'\n')) {
            const QStringList words = strRoute.split(u' ');
            const qsizetype intVia = words.indexOf(QStringLiteral("via"));
            if (intVia >= 0) {
                strExpectedGateway = words.value(intVia + 1);
                break;
            }
        }
        QCOMPARE(FindDefaultGateway(strCapture), strExpectedGateway);
    }
};

QUORVANE_REGISTER_TEST(TestNetworkInfoScript)
#include "TestNetworkInfoScript.moc"
