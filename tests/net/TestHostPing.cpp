#include "NetFakes.h"
#include "net/EchoProbe.h"
#include "net/HostPing.h"
#include "support/SkipTest.h"
#include "support/TestRegistry.h"

#include <QFile>
#include <QTest>
#include <QtEndian>

#ifndef Q_OS_WIN
#include "net/PosixEchoFacility.h"
#endif

namespace
{
// True when /etc/hosts maps the name, so that resolving it asks no name server.
bool InHostsFile(const QString& strHost)
{
    QFile hosts(QStringLiteral("/etc/hosts"));
    if (!hosts.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    while (!hosts.atEnd()) {
        const QString strLine = QString::fromUtf8(hosts.readLine()).section(u'#', 0, 0);
        const QStringList words = strLine.simplified().split(u' ', Qt::SkipEmptyParts);
        if (words.size() > 1 && words.mid(1).contains(strHost))
            return true;
    }
    return false;
}
} // namespace

class TestHostPing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lineForAResolvedName_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("line");
        QTest::newRow("reply") << 0 << QStringLiteral("Ping router.test (192.0.2.7) = ip success");
        QTest::newRow("no reply") << 11010 << QStringLiteral("Ping router.test (192.0.2.7) = ip req timed out");
        QTest::newRow("unknown code, one blank")
            << 11100 << QStringLiteral("Ping router.test (192.0.2.7) = unknown msg returned");
    }

    void lineForAResolvedName()
    {
        QFETCH(int, status);
        QFETCH(QString, line);
        ScriptedEchoFacility facility;
        TableHostResolver resolver;
        const ScopedEchoFacility installedFacility(&facility);
        const ScopedHostResolver installedResolver(&resolver);
        resolver.addresses.insert(QStringLiteral("router.test"), QStringLiteral("192.0.2.7"));
        facility.lngNextStatus = status;

        QCOMPARE(PingHostByName(QStringLiteral("router.test")), line);
        QCOMPARE(resolver.asked, QStringList { QStringLiteral("router.test") });
        QCOMPARE(facility.requests.size(), 1);
        QCOMPARE(qFromBigEndian(facility.requests.at(0).ulAddress), quint32(0xC0000207));
        QCOMPARE(facility.requests.at(0).payload, QByteArray("Echo this"));
        QCOMPARE(facility.requests.at(0).intTimeoutMs, 500);
        QVERIFY(facility.requests.at(0).blnReplyZeroFilled);
        QCOMPARE(facility.intStarts, 1);
        QCOMPARE(facility.intStops, 1);
    }

    void unresolvedNameSendsNothing()
    {
        ScriptedEchoFacility facility;
        TableHostResolver resolver;
        const ScopedEchoFacility installedFacility(&facility);
        const ScopedHostResolver installedResolver(&resolver);
        QCOMPARE(PingHostByName(QStringLiteral("nowhere.invalid")),
            QStringLiteral("Ping nowhere.invalid () = inet_addr: bad IP format"));
        QCOMPARE(PingHostByName(QString()), QStringLiteral("Ping  () = inet_addr: bad IP format"));
        QVERIFY(facility.requests.isEmpty());
    }

    void socketsLibraryThatDoesNotStart()
    {
        ScriptedEchoFacility facility;
        TableHostResolver resolver;
        const ScopedEchoFacility installedFacility(&facility);
        const ScopedHostResolver installedResolver(&resolver);
        facility.blnStartFails = true;
        MessageBoxLog log;
        QCOMPARE(PingHostByName(QStringLiteral("router.test"), log.Fn()), QString());
        QCOMPARE(log.boxes.size(), 1);
        QCOMPARE(log.boxes.at(0).second,
            QStringLiteral("Windows Sockets for 32 bit Windows is not successfully responding."));
        QVERIFY(resolver.asked.isEmpty());
        QVERIFY(facility.requests.isEmpty());
    }

    void socketsLibraryThatDoesNotStop()
    {
        ScriptedEchoFacility facility;
        TableHostResolver resolver;
        const ScopedEchoFacility installedFacility(&facility);
        const ScopedHostResolver installedResolver(&resolver);
        resolver.addresses.insert(QStringLiteral("router.test"), QStringLiteral("192.0.2.7"));
        facility.blnStopFails = true;
        MessageBoxLog log;
        QCOMPARE(PingHostByName(QStringLiteral("router.test"), log.Fn()),
            QStringLiteral("Ping router.test (192.0.2.7) = ip success"));
        QCOMPARE(log.boxes.size(), 1);
        QCOMPARE(log.boxes.at(0).second, QStringLiteral("Windows Sockets error occurred in Cleanup."));
    }

    // The platform resolver, with names that never reach a name server.
    void platformResolver()
    {
        // A dotted address is its own resolution.
        QCOMPARE(ResolveHostAddress(QStringLiteral("127.0.0.1")), QStringLiteral("127.0.0.1"));
        QCOMPARE(ResolveHostAddress(QString()), QString());
        if (!InHostsFile(QStringLiteral("localhost")))
            QUORVANE_SKIP("/etc/hosts does not name localhost; no other name may be looked up");
        QCOMPARE(ResolveHostAddress(QStringLiteral("localhost")), QStringLiteral("127.0.0.1"));
        // A NUL would shorten the name to "localhost" on its way to the resolver.
        QCOMPARE(ResolveHostAddress(QStringLiteral("localhost") + QChar(0) + QStringLiteral("x")), QString());
    }

    void localhostAnswers()
    {
        if (!InHostsFile(QStringLiteral("localhost")))
            QUORVANE_SKIP("/etc/hosts does not name localhost; no other name may be looked up");
#ifndef Q_OS_WIN
        if (PosixEchoFacility::AvailableKind() == IcmpSocketKind::None)
            QUORVANE_SKIP(
                "no permission to open an ICMP socket here (neither the unprivileged datagram socket nor a raw "
                "one): the real echo cannot be tried");
#endif
        QCOMPARE(
            PingHostByName(QStringLiteral("localhost")), QStringLiteral("Ping localhost (127.0.0.1) = ip success"));
    }

    void addressToText()
    {
        QCOMPARE(AddressToText(qToBigEndian(quint32(0x7F000001))), QStringLiteral("127.0.0.1"));
        QCOMPARE(AddressToText(qToBigEndian(quint32(0xC0000207))), QStringLiteral("192.0.2.7"));
        QCOMPARE(AddressToText(0), QStringLiteral("0.0.0.0"));
        QCOMPARE(AddressToText(0xFFFFFFFF), QStringLiteral("255.255.255.255"));
    }

    void copyAnsiText()
    {
        QCOMPARE(CopyAnsiText(nullptr), QString());
        QCOMPARE(CopyAnsiText(""), QString());
        QCOMPARE(CopyAnsiText("192.0.2.7"), QStringLiteral("192.0.2.7"));
        const char withNul[] = { 'a', 'b', '\0', 'c', '\0' };
        QCOMPARE(CopyAnsiText(withNul), QStringLiteral("ab"));
    }
};

QUORVANE_REGISTER_TEST(TestHostPing)
#include "TestHostPing.moc"
