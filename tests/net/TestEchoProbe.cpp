#include "NetFakes.h"
#include "net/EchoProbe.h"
#include "support/SkipTest.h"
#include "support/TestRegistry.h"

#include <QTest>
#include <QtEndian>

#ifndef Q_OS_WIN
#include "net/PosixEchoFacility.h"
#endif

namespace
{
// The line that the run writes for a probe by address.
QString ReportLine(const QString& strAddress, bool blnPass, const QString& strStatus)
{
    return QStringLiteral("Ping ") + strAddress
        + (blnPass ? QStringLiteral(" = PASS") : QStringLiteral(" = FAIL") + strStatus);
}

bool CanOpenIcmpSocket()
{
#ifdef Q_OS_WIN
    return true;
#else
    return PosixEchoFacility::AvailableKind() != IcmpSocketKind::None;
#endif
}

const char* const strNoIcmpPermission = "no permission to open an ICMP socket here (neither the unprivileged "
                                        "datagram socket nor a raw one): the real echo cannot be tried";
} // namespace

class TestEchoProbe : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void requestCarriesTheFixedValues()
    {
        ScriptedEchoFacility facility;
        const ScopedEchoFacility installed(&facility);
        facility.ulNextRoundTrip = 7;
        long lngRoundTrip = -1;
        QString strStatus;
        QVERIFY(PingAddress(QStringLiteral("192.0.2.1"), lngRoundTrip, strStatus));
        QCOMPARE(strStatus, QStringLiteral(" [ip success]"));
        QCOMPARE(lngRoundTrip, 7L);

        QCOMPARE(facility.requests.size(), 1);
        const ScriptedEchoFacility::Request& request = facility.requests.at(0);
        // The address travels in network order: its bytes read 192, 0, 2, 1 in memory.
        const quint32 ulAddress = request.ulAddress;
        const auto* bytes = reinterpret_cast<const unsigned char*>(&ulAddress);
        QCOMPARE(QList<int>({ bytes[0], bytes[1], bytes[2], bytes[3] }), QList<int>({ 192, 0, 2, 1 }));
        QCOMPARE(request.payload, QByteArray("Test"));
        QCOMPARE(request.intTimeoutMs, 500);
        QVERIFY(request.blnReplyZeroFilled);
        QCOMPARE(facility.intStarts, 1);
        QCOMPARE(facility.intStops, 1);
    }

    void passOnlyForStatusZero_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("line");
        QTest::newRow("reply") << 0 << QStringLiteral("Ping 192.0.2.1 = PASS");
        QTest::newRow("no reply in time") << 11010 << QStringLiteral("Ping 192.0.2.1 = FAIL [ip req timed out]");
        QTest::newRow("host unreachable")
            << 11003 << QStringLiteral("Ping 192.0.2.1 = FAIL [ip dest host unreachable]");
        QTest::newRow("general failure") << 11050 << QStringLiteral("Ping 192.0.2.1 = FAIL [ip general failure]");
        QTest::newRow("time-out code") << 500 << QStringLiteral("Ping 192.0.2.1 = FAIL [ping timeout]");
        QTest::newRow("code outside the table")
            << 11030 << QStringLiteral("Ping 192.0.2.1 = FAIL [unknown  msg returned]");
    }

    void passOnlyForStatusZero()
    {
        QFETCH(int, status);
        QFETCH(QString, line);
        ScriptedEchoFacility facility;
        const ScopedEchoFacility installed(&facility);
        facility.lngNextStatus = status;
        QString strStatus = QStringLiteral("stale");
        bool blnPass = status != 0;
        PingWithStatus(QStringLiteral("192.0.2.1"), strStatus, blnPass);
        QCOMPARE(blnPass, status == 0);
        QCOMPARE(strStatus, EchoStatusText(status, true));
        QCOMPARE(ReportLine(QStringLiteral("192.0.2.1"), blnPass, strStatus), line);
    }

    void badAddressSendsNothing_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("letters") << QStringLiteral("abc");
        QTest::newRow("empty") << QString();
        QTest::newRow("all ones") << QStringLiteral("255.255.255.255");
        QTest::newRow("five parts") << QStringLiteral("192.0.2.1.5");
        QTest::newRow("host name") << QStringLiteral("localhost");
    }

    void badAddressSendsNothing()
    {
        QFETCH(QString, address);
        ScriptedEchoFacility facility;
        const ScopedEchoFacility installed(&facility);
        MessageBoxLog log;
        QString strStatus;
        bool blnPass = true;
        PingWithStatus(address, strStatus, blnPass, log.Fn());
        QVERIFY(!blnPass);
        QCOMPARE(strStatus, QStringLiteral(" [inet_addr: bad IP format]"));
        QVERIFY(facility.requests.isEmpty());
        QVERIFY(log.boxes.isEmpty());
        if (address == QStringLiteral("abc"))
            QCOMPARE(
                ReportLine(address, blnPass, strStatus), QStringLiteral("Ping abc = FAIL [inet_addr: bad IP format]"));

        EchoReply reply;
        QCOMPARE(SendEcho(address, ProbePayload(), reply), -1);
        QVERIFY(facility.requests.isEmpty());
    }

    void everyProbeStartsWithAZeroFilledRecord()
    {
        ScriptedEchoFacility facility;
        const ScopedEchoFacility installed(&facility);
        facility.ulNextRoundTrip = 3;
        EchoReply reply;
        QCOMPARE(SendEcho(QStringLiteral("192.0.2.1"), ProbePayload(), reply), 0);
        QVERIFY(!IsZeroFilled(reply));
        // The same record again: the traces of the first probe are gone before the second is sent.
        QCOMPARE(SendEcho(QStringLiteral("192.0.2.2"), ProbePayload(), reply), 0);
        QCOMPARE(facility.requests.size(), 2);
        QVERIFY(facility.requests.at(1).blnReplyZeroFilled);

        // A rejected address leaves no traces of an earlier probe either.
        QCOMPARE(SendEcho(QStringLiteral("abc"), ProbePayload(), reply), -1);
        QVERIFY(IsZeroFilled(reply));
    }

    void statusIsWrittenIntoTheRecord()
    {
        ScriptedEchoFacility facility;
        const ScopedEchoFacility installed(&facility);
        facility.lngNextStatus = 11010;
        EchoReply reply;
        QCOMPARE(SendEcho(QStringLiteral("192.0.2.1"), ProbePayload(), reply), 11010);
        QCOMPARE(reply.ulStatus, 11010u);
    }

    void payloadMustFitTheReplyBuffer()
    {
        ScriptedEchoFacility facility;
        const ScopedEchoFacility installed(&facility);
        EchoReply reply;
        // 278 bytes of reply: 28 for the record's head, 8 for the echoed ICMP header, the rest data.
        QCOMPARE(SendEcho(QStringLiteral("192.0.2.1"), QByteArray(242, 'a'), reply), 0);
        QCOMPARE(facility.requests.size(), 1);
        QCOMPARE(SendEcho(QStringLiteral("192.0.2.1"), QByteArray(243, 'a'), reply), 11001);
        QCOMPARE(reply.ulStatus, 11001u);
        QCOMPARE(facility.requests.size(), 1);
    }

    void socketsLibraryThatDoesNotStart()
    {
        ScriptedEchoFacility facility;
        const ScopedEchoFacility installed(&facility);
        facility.blnStartFails = true;
        MessageBoxLog log;
        long lngRoundTrip = 99;
        // Text left over from an earlier, successful probe.
        QString strStatus = QStringLiteral(" [ip success]");
        QVERIFY(!PingAddress(QStringLiteral("192.0.2.1"), lngRoundTrip, strStatus, log.Fn()));
        QCOMPARE(strStatus, QStringLiteral(" [ip general failure]"));
        QCOMPARE(lngRoundTrip, 99L);
        QVERIFY(facility.requests.isEmpty());
        QCOMPARE(facility.intStops, 0);
        QCOMPARE(log.boxes.size(), 1);
        QCOMPARE(log.boxes.at(0).second,
            QStringLiteral("Windows Sockets for 32 bit Windows environments is not successfully responding."));
    }

    void socketsLibraryThatDoesNotStop()
    {
        ScriptedEchoFacility facility;
        const ScopedEchoFacility installed(&facility);
        facility.blnStopFails = true;
        MessageBoxLog log;
        QString strStatus;
        bool blnPass = false;
        PingWithStatus(QStringLiteral("192.0.2.1"), strStatus, blnPass, log.Fn());
        // The warning does not change the probe's result.
        QVERIFY(blnPass);
        QCOMPARE(strStatus, QStringLiteral(" [ip success]"));
        QCOMPARE(log.boxes.size(), 1);
        QCOMPARE(log.boxes.at(0).second, QStringLiteral("Windows Sockets error occurred in Cleanup."));
    }

    // The platform's own echo service, to loopback only.
    void loopbackAnswers()
    {
        if (!CanOpenIcmpSocket())
            QUORVANE_SKIP(strNoIcmpPermission);
        QString strStatus;
        bool blnPass = false;
        PingWithStatus(QStringLiteral("127.0.0.1"), strStatus, blnPass);
        QCOMPARE(strStatus, QStringLiteral(" [ip success]"));
        QVERIFY(blnPass);

        EchoReply reply;
        QCOMPARE(SendEcho(QStringLiteral("127.1"), HostProbePayload(), reply), 0);
        QCOMPARE(qFromBigEndian(reply.ulAddress), quint32(0x7F000001));
        QCOMPARE(reply.ulStatus, 0u);
        QCOMPARE(reply.intDataSize, quint16(9));
        QCOMPARE(QByteArray(reply.chrData, reply.intDataSize), QByteArray("Echo this"));
        QVERIFY(reply.ulRoundTripTime < 500);
    }

#ifndef Q_OS_WIN
    void loopbackAnswersEachSocketKind_data()
    {
        QTest::addColumn<int>("choice");
        QTest::newRow("datagram socket") << int(PosixEchoFacility::Choice::DatagramOnly);
        QTest::newRow("raw socket") << int(PosixEchoFacility::Choice::RawOnly);
    }

    void loopbackAnswersEachSocketKind()
    {
        QFETCH(int, choice);
        PosixEchoFacility facility(static_cast<PosixEchoFacility::Choice>(choice));
        const ScopedEchoFacility installed(&facility);
        EchoReply reply;
        const int lngStatus = SendEcho(QStringLiteral("127.0.0.1"), ProbePayload(), reply);
        if (lngStatus == lngStatusGeneralFailure)
            QUORVANE_SKIP("this kind of ICMP socket may not be opened here");
        QCOMPARE(lngStatus, 0);
        QCOMPARE(QByteArray(reply.chrData, reply.intDataSize), QByteArray("Test"));
        QVERIFY(reply.Options.bytTtl > 0);
    }
#endif
};

QUORVANE_REGISTER_TEST(TestEchoProbe)
#include "TestEchoProbe.moc"
