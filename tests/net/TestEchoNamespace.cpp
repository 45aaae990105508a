#include "NetNamespace.h"
#include "net/EchoProbe.h"
#include "support/SkipTest.h"
#include "support/TestRegistry.h"

#include <QElapsedTimer>
#include <QTest>
#include <QtEndian>

#ifndef Q_OS_WIN
#include "net/PosixEchoFacility.h"
#endif

// Echo requests that fail in each way, all inside network namespaces that the tests make: no
// packet leaves them.
class TestEchoNamespace : public QObject
{
    Q_OBJECT

#ifndef Q_OS_WIN
    struct Result
    {
        int lngStatus = -100;
        qint64 lngElapsedMs = 0;
        EchoReply reply;
    };

    // Sends one echo request with the given kind of socket from inside the namespace.
    static bool SendInside(ScopedNetNamespace& space, int intChoice, const QString& strAddress, Result& result)
    {
        return space.RunInside([&] {
            PosixEchoFacility facility(static_cast<PosixEchoFacility::Choice>(intChoice));
            QElapsedTimer timer;
            timer.start();
            const quint32 ulAddress = qToBigEndian(static_cast<quint32>(ParseInetAddr(strAddress)));
            result.lngStatus = facility.SendEcho(ulAddress, ProbePayload(), intEchoTimeoutMs, result.reply);
            result.lngElapsedMs = timer.elapsed();
        });
    }

    static void AddSocketKindRows(const char* strPrefix)
    {
        QTest::newRow(qPrintable(QStringLiteral("%1, datagram socket").arg(QLatin1String(strPrefix))))
            << int(PosixEchoFacility::Choice::DatagramOnly);
        QTest::newRow(qPrintable(QStringLiteral("%1, raw socket").arg(QLatin1String(strPrefix))))
            << int(PosixEchoFacility::Choice::RawOnly);
    }

    // A namespace in which both kinds of ICMP socket may be opened.
    static bool Prepare(ScopedNetNamespace& space)
    {
        return space.IsReady() && space.Sysctl(QStringLiteral("net.ipv4.ping_group_range=0 2147483647"));
    }
#endif

private Q_SLOTS:
    void initTestCase()
    {
#ifdef Q_OS_WIN
        QUORVANE_SKIP("network namespaces exist only on Linux");
#else
        ScopedNetNamespace probe;
        if (!probe.IsReady() || !probe.RunInside([] {}))
            QUORVANE_SKIP(qPrintable(QStringLiteral("network namespaces cannot be made here (they need root and the ip "
                                                    "command), so the failure paths cannot be tried without leaving "
                                                    "loopback: %1")
                                         .arg(probe.Problem())));
#endif
    }

#ifndef Q_OS_WIN
    void replyInsideNamespace_data()
    {
        QTest::addColumn<int>("choice");
        AddSocketKindRows("loopback");
    }

    void replyInsideNamespace()
    {
        QFETCH(int, choice);
        ScopedNetNamespace space;
        QVERIFY2(Prepare(space), qPrintable(space.Problem()));
        Result result;
        QVERIFY2(SendInside(space, choice, QStringLiteral("127.0.0.1"), result), qPrintable(space.Problem()));
        QCOMPARE(result.lngStatus, 0);
        QCOMPARE(qFromBigEndian(result.reply.ulAddress), quint32(0x7F000001));
        QCOMPARE(QByteArray(result.reply.chrData, result.reply.intDataSize), QByteArray("Test"));
    }

    // No answer within the time-out: a neighbour that never answers, and a loopback that ignores
    // echo requests.
    void noReplyTimesOut_data()
    {
        QTest::addColumn<bool>("silentNeighbour");
        QTest::addColumn<int>("choice");
        for (const bool blnNeighbour : { true, false }) {
            const char* strArrangement = blnNeighbour ? "silent neighbour" : "loopback ignoring echoes";
            for (const auto choice : { PosixEchoFacility::Choice::DatagramOnly, PosixEchoFacility::Choice::RawOnly }) {
                const char* strKind = choice == PosixEchoFacility::Choice::RawOnly ? "raw" : "datagram";
                QTest::newRow(qPrintable(
                    QStringLiteral("%1, %2 socket").arg(QLatin1String(strArrangement), QLatin1String(strKind))))
                    << blnNeighbour << int(choice);
            }
        }
    }

    void noReplyTimesOut()
    {
        QFETCH(bool, silentNeighbour);
        QFETCH(int, choice);
        ScopedNetNamespace space;
        QVERIFY2(Prepare(space), qPrintable(space.Problem()));
        QString strTarget = QStringLiteral("127.0.0.1");
        if (silentNeighbour) {
            // A link whose far end has no address: the neighbour is looked for and never found.
            QVERIFY2(
                space.Ip({ QStringLiteral("link"), QStringLiteral("add"), QStringLiteral("qv0"), QStringLiteral("type"),
                    QStringLiteral("veth"), QStringLiteral("peer"), QStringLiteral("name"), QStringLiteral("qv1") })
                    && space.Ip({ QStringLiteral("address"), QStringLiteral("add"), QStringLiteral("198.18.0.1/24"),
                        QStringLiteral("dev"), QStringLiteral("qv0") })
                    && space.Ip(
                        { QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("qv0"), QStringLiteral("up") })
                    && space.Ip(
                        { QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("qv1"), QStringLiteral("up") }),
                qPrintable(space.Problem()));
            strTarget = QStringLiteral("198.18.0.2");
        } else {
            QVERIFY2(space.Sysctl(QStringLiteral("net.ipv4.icmp_echo_ignore_all=1")), qPrintable(space.Problem()));
        }
        Result result;
        QVERIFY2(SendInside(space, choice, strTarget, result), qPrintable(space.Problem()));
        QCOMPARE(result.lngStatus, lngStatusRequestTimedOut);
        QCOMPARE(EchoStatusText(result.lngStatus, true), QStringLiteral(" [ip req timed out]"));
        // The probe waited for the answer rather than giving up at once.
        QVERIFY2(result.lngElapsedMs >= intEchoTimeoutMs - 50, qPrintable(QString::number(result.lngElapsedMs)));
    }

    // A router in a second namespace answers for a network it cannot reach.
    void errorMessageFromARouter_data()
    {
        QTest::addColumn<int>("choice");
        AddSocketKindRows("router");
    }

    void errorMessageFromARouter()
    {
        QFETCH(int, choice);
        ScopedNetNamespace host;
        ScopedNetNamespace router;
        QVERIFY2(Prepare(host), qPrintable(host.Problem()));
        QVERIFY2(router.IsReady(), qPrintable(router.Problem()));
        QVERIFY2(host.Ip({ QStringLiteral("link"), QStringLiteral("add"), QStringLiteral("qh0"), QStringLiteral("type"),
                     QStringLiteral("veth"), QStringLiteral("peer"), QStringLiteral("name"), QStringLiteral("qr0"),
                     QStringLiteral("netns"), router.Name() })
                && host.Ip({ QStringLiteral("address"), QStringLiteral("add"), QStringLiteral("198.18.1.1/24"),
                    QStringLiteral("dev"), QStringLiteral("qh0") })
                && host.Ip(
                    { QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("qh0"), QStringLiteral("up") })
                && host.Ip({ QStringLiteral("route"), QStringLiteral("add"), QStringLiteral("198.18.9.0/24"),
                    QStringLiteral("via"), QStringLiteral("198.18.1.2") }),
            qPrintable(host.Problem()));
        QVERIFY2(router.Ip({ QStringLiteral("address"), QStringLiteral("add"), QStringLiteral("198.18.1.2/24"),
                     QStringLiteral("dev"), QStringLiteral("qr0") })
                && router.Ip(
                    { QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("qr0"), QStringLiteral("up") })
                && router.Ip({ QStringLiteral("route"), QStringLiteral("add"), QStringLiteral("unreachable"),
                    QStringLiteral("198.18.9.0/24") })
                && router.Sysctl(QStringLiteral("net.ipv4.ip_forward=1")),
            qPrintable(router.Problem()));

        Result result;
        QVERIFY2(SendInside(host, choice, QStringLiteral("198.18.9.9"), result), qPrintable(host.Problem()));
        QCOMPARE(result.lngStatus, lngStatusDestHostUnreachable);
        QCOMPARE(qFromBigEndian(result.reply.ulAddress), quint32(0xC6120102));
    }

    // Refusals of the sending host itself, before anything is sent.
    void localRefusals_data()
    {
        QTest::addColumn<int>("choice");
        AddSocketKindRows("refusal");
    }

    void localRefusals()
    {
        QFETCH(int, choice);
        ScopedNetNamespace space;
        QVERIFY2(Prepare(space), qPrintable(space.Problem()));
        QVERIFY2(space.Ip({ QStringLiteral("route"), QStringLiteral("add"), QStringLiteral("unreachable"),
                     QStringLiteral("198.18.5.0/24") }),
            qPrintable(space.Problem()));
        Result noRoute;
        QVERIFY2(SendInside(space, choice, QStringLiteral("198.18.0.2"), noRoute), qPrintable(space.Problem()));
        QCOMPARE(noRoute.lngStatus, lngStatusDestNetUnreachable);
        Result unreachable;
        QVERIFY2(SendInside(space, choice, QStringLiteral("198.18.5.1"), unreachable), qPrintable(space.Problem()));
        QCOMPARE(unreachable.lngStatus, lngStatusDestHostUnreachable);
    }

    // Where neither kind of socket may be opened, the probe fails; nothing reads as a reply.
    void withoutPermissionTheProbeFails()
    {
        ScopedNetNamespace space;
        QVERIFY2(space.IsReady(), qPrintable(space.Problem()));
        // A fresh namespace keeps datagram sockets closed to every group.
        QVERIFY2(space.Sysctl(QStringLiteral("net.ipv4.ping_group_range=1 0")), qPrintable(space.Problem()));
        IcmpSocketKind kind = IcmpSocketKind::Raw;
        int lngStatus = -100;
        bool blnPass = true;
        QString strStatus;
        const bool blnEntered = space.RunInside(
            [&] {
                kind = PosixEchoFacility::AvailableKind();
                EchoReply reply;
                lngStatus = SendEcho(QStringLiteral("127.0.0.1"), ProbePayload(), reply);
                PingWithStatus(QStringLiteral("127.0.0.1"), strStatus, blnPass);
            },
            true);
        QVERIFY2(blnEntered, qPrintable(space.Problem()));
        QCOMPARE(int(kind), int(IcmpSocketKind::None));
        QCOMPARE(lngStatus, lngStatusGeneralFailure);
        QVERIFY(!blnPass);
        QCOMPARE(strStatus, QStringLiteral(" [ip general failure]"));
    }
#endif
};

QUORVANE_REGISTER_TEST(TestEchoNamespace)
#include "TestEchoNamespace.moc"
