#include "net/EchoStatus.h"
#include "net/IcmpMessage.h"
#include "support/TestRegistry.h"

#include <QTest>
#include <QtEndian>
#include <cerrno>

namespace
{
constexpr quint16 intOurId = 0x1234;
constexpr quint16 intOurSeq = 0x0102;
constexpr quint8 bytProtocolIcmp = 1;
constexpr quint8 bytProtocolUdp = 17;

// An IPv4 header (with intOptionBytes of options) in front of payload.
QByteArray IpPacket(
    const QByteArray& payload, quint8 bytProtocol = bytProtocolIcmp, quint8 bytTtl = 64, int intOptionBytes = 0)
{
    const int intHeaderSize = 20 + intOptionBytes;
    QByteArray packet(intHeaderSize, '\0');
    packet[0] = static_cast<char>(0x40 | (intHeaderSize / 4));
    packet[1] = static_cast<char>(0x10);
    const quint16 intTotal = static_cast<quint16>(intHeaderSize + payload.size());
    packet[2] = static_cast<char>(intTotal >> 8);
    packet[3] = static_cast<char>(intTotal & 0xFF);
    packet[8] = static_cast<char>(bytTtl);
    packet[9] = static_cast<char>(bytProtocol);
    const char source[4] = { char(192), 0, 2, 1 };
    const char destination[4] = { char(192), 0, 2, 20 };
    packet.replace(12, 4, source, 4);
    packet.replace(16, 4, destination, 4);
    const quint16 intChecksum = InternetChecksum(packet);
    packet[10] = static_cast<char>(intChecksum >> 8);
    packet[11] = static_cast<char>(intChecksum & 0xFF);
    return packet + payload;
}

// An echo reply: our request with its type changed and the checksum made right again.
QByteArray EchoReplyMessage(quint16 intId, quint16 intSeq, const QByteArray& data)
{
    QByteArray reply = BuildEchoRequest(intId, intSeq, data);
    reply[0] = static_cast<char>(IcmpEchoReply);
    reply[2] = 0;
    reply[3] = 0;
    const quint16 intChecksum = InternetChecksum(reply);
    reply[2] = static_cast<char>(intChecksum >> 8);
    reply[3] = static_cast<char>(intChecksum & 0xFF);
    return reply;
}

// An error message of the given type and code that quotes the IP header and first eight bytes of
// the offending packet.
QByteArray ErrorMessage(quint8 bytType, quint8 bytCode, const QByteArray& offendingPacket)
{
    QByteArray message(intIcmpHeaderSize, '\0');
    message[0] = static_cast<char>(bytType);
    message[1] = static_cast<char>(bytCode);
    const qsizetype intHeader = (static_cast<quint8>(offendingPacket.at(0)) & 0x0F) * 4;
    message += offendingPacket.left(intHeader + 8);
    const quint16 intChecksum = InternetChecksum(message);
    message[2] = static_cast<char>(intChecksum >> 8);
    message[3] = static_cast<char>(intChecksum & 0xFF);
    return message;
}

QByteArray OurRequestPacket()
{
    return IpPacket(BuildEchoRequest(intOurId, intOurSeq, "Test"));
}
} // namespace

class TestIcmpMessage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void checksum()
    {
        // The worked example of the Internet checksum's description: sum ddf2, checksum 220d.
        QCOMPARE(InternetChecksum(QByteArray::fromHex("0001f203f4f5f6f7")), quint16(0x220D));
        // An odd length pads its last byte with a zero byte.
        QCOMPARE(InternetChecksum(QByteArray::fromHex("0001f203f4f5f6")),
            InternetChecksum(QByteArray::fromHex("0001f203f4f5f600")));
        // Carries fold back into the sum.
        QCOMPARE(InternetChecksum(QByteArray::fromHex("ffffffff")), quint16(0x0000));
        QCOMPARE(InternetChecksum(QByteArray()), quint16(0xFFFF));
    }

    void echoRequestLayout()
    {
        const QByteArray request = BuildEchoRequest(0xABCD, 0x0001, "Echo this");
        QCOMPARE(request.size(), intIcmpHeaderSize + 9);
        QCOMPARE(quint8(request.at(0)), quint8(IcmpEchoRequest));
        QCOMPARE(quint8(request.at(1)), quint8(0));
        QCOMPARE(qFromBigEndian<quint16>(request.constData() + 4), quint16(0xABCD));
        QCOMPARE(qFromBigEndian<quint16>(request.constData() + 6), quint16(0x0001));
        QCOMPARE(request.mid(intIcmpHeaderSize), QByteArray("Echo this"));
        // A message with a correct checksum sums to zero.
        QCOMPARE(InternetChecksum(request), quint16(0));
        QCOMPARE(InternetChecksum(BuildEchoRequest(1, 2, QByteArray())), quint16(0));
    }

    void replyMatching_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<bool>("withIpHeader");
        QTest::addColumn<int>("kind");

        const QByteArray ours = EchoReplyMessage(intOurId, intOurSeq, "Test");
        QTest::newRow("reply without IP header") << ours << false << int(IcmpOutcome::Reply);
        QTest::newRow("reply with IP header") << IpPacket(ours) << true << int(IcmpOutcome::Reply);
        QTest::newRow("reply after IP options")
            << IpPacket(ours, bytProtocolIcmp, 64, 8) << true << int(IcmpOutcome::Reply);
        QTest::newRow("reply to another identifier")
            << IpPacket(EchoReplyMessage(intOurId + 1, intOurSeq, "Test")) << true << int(IcmpOutcome::Unrelated);
        QTest::newRow("reply to another sequence")
            << EchoReplyMessage(intOurId, intOurSeq + 1, "Test") << false << int(IcmpOutcome::Unrelated);
        QTest::newRow("our own request seen on loopback") << OurRequestPacket() << true << int(IcmpOutcome::Unrelated);
        QByteArray damaged = IpPacket(ours);
        damaged[damaged.size() - 1] = 'X';
        QTest::newRow("damaged reply on a raw socket") << damaged << true << int(IcmpOutcome::Unrelated);
        QTest::newRow("not ICMP") << IpPacket(ours, bytProtocolUdp) << true << int(IcmpOutcome::Unrelated);
        QTest::newRow("shorter than an ICMP header") << ours.left(7) << false << int(IcmpOutcome::Unrelated);
        QTest::newRow("IP header only") << IpPacket(QByteArray()) << true << int(IcmpOutcome::Unrelated);
        QTest::newRow("truncated IP header") << IpPacket(ours).left(12) << true << int(IcmpOutcome::Unrelated);
        QByteArray badLength = IpPacket(ours);
        badLength[0] = static_cast<char>(0x43); // header length 12, below the minimum
        QTest::newRow("header length below minimum") << badLength << true << int(IcmpOutcome::Unrelated);
        QByteArray ipv6 = IpPacket(ours);
        ipv6[0] = static_cast<char>(0x65);
        QTest::newRow("not IPv4") << ipv6 << true << int(IcmpOutcome::Unrelated);
        QTest::newRow("empty") << QByteArray() << true << int(IcmpOutcome::Unrelated);
    }

    void replyMatching()
    {
        QFETCH(QByteArray, message);
        QFETCH(bool, withIpHeader);
        QFETCH(int, kind);
        const IcmpOutcome outcome = ReadIcmpMessage(message, withIpHeader, intOurId, intOurSeq);
        QCOMPARE(int(outcome.kind), kind);
        if (kind == IcmpOutcome::Reply) {
            QCOMPARE(outcome.lngStatus, lngStatusSuccess);
            QCOMPARE(outcome.echoedData, QByteArray("Test"));
        }
    }

    void replyDetailsFromIpHeader()
    {
        const QByteArray packet = IpPacket(EchoReplyMessage(intOurId, intOurSeq, "Test"), bytProtocolIcmp, 57);
        // Bytes after the length that the IP header gives are not part of the message.
        const IcmpOutcome outcome = ReadIcmpMessage(packet + QByteArray("trailer"), true, intOurId, intOurSeq);
        QCOMPARE(int(outcome.kind), int(IcmpOutcome::Reply));
        QCOMPARE(outcome.bytTtl, quint8(57));
        QCOMPARE(outcome.bytTos, quint8(0x10));
        QCOMPARE(qFromBigEndian(outcome.ulSource), quint32(0xC0000201));
        QCOMPARE(outcome.echoedData, QByteArray("Test"));
    }

    void errorMessages_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("status");

        const QByteArray ours = OurRequestPacket();
        QTest::newRow("host unreachable") << ErrorMessage(IcmpDestinationUnreachable, 1, ours)
                                          << int(IcmpOutcome::Error) << lngStatusDestHostUnreachable;
        QTest::newRow("network unreachable") << ErrorMessage(IcmpDestinationUnreachable, 0, ours)
                                             << int(IcmpOutcome::Error) << lngStatusDestNetUnreachable;
        QTest::newRow("time exceeded in transit")
            << ErrorMessage(IcmpTimeExceeded, 0, ours) << int(IcmpOutcome::Error) << lngStatusTtlExpiredTransit;
        QTest::newRow("quoting our request after options") << ErrorMessage(IcmpDestinationUnreachable, 3,
            IpPacket(BuildEchoRequest(intOurId, intOurSeq, "Test"), bytProtocolIcmp, 64, 4))
                                                           << int(IcmpOutcome::Error) << lngStatusDestPortUnreachable;
        QTest::newRow("quoting another request")
            << ErrorMessage(IcmpDestinationUnreachable, 1, IpPacket(BuildEchoRequest(intOurId, intOurSeq + 1, "Test")))
            << int(IcmpOutcome::Unrelated) << 0;
        QTest::newRow("quoting a UDP packet")
            << ErrorMessage(IcmpDestinationUnreachable, 3, IpPacket(QByteArray(8, '\0'), bytProtocolUdp))
            << int(IcmpOutcome::Unrelated) << 0;
        QTest::newRow("quote cut short") << ErrorMessage(IcmpDestinationUnreachable, 1, ours).left(8 + 20 + 7)
                                         << int(IcmpOutcome::Unrelated) << 0;
        QTest::newRow("redirect is not an error") << ErrorMessage(5, 1, ours) << int(IcmpOutcome::Unrelated) << 0;
    }

    void errorMessages()
    {
        QFETCH(QByteArray, message);
        QFETCH(int, kind);
        QFETCH(int, status);
        // The same message arrives bare on a datagram socket and behind an IP header on a raw one.
        for (const bool blnWithIpHeader : { false, true }) {
            const QByteArray received = blnWithIpHeader ? IpPacket(message) : message;
            const IcmpOutcome outcome = ReadIcmpMessage(received, blnWithIpHeader, intOurId, intOurSeq);
            QCOMPARE(int(outcome.kind), kind);
            if (kind == IcmpOutcome::Error)
                QCOMPARE(outcome.lngStatus, status);
        }
    }

    // Whatever an error message or a socket error says, it never reads as a reply.
    void errorsNeverReadAsSuccess()
    {
        for (int intType = 0; intType < 256; ++intType) {
            for (int intCode = 0; intCode < 256; ++intCode)
                QVERIFY(IcmpErrorStatus(intType, intCode) != lngStatusSuccess);
        }
        for (int intErrno = 0; intErrno < 256; ++intErrno)
            QVERIFY(SocketErrorStatus(intErrno) != lngStatusSuccess);
        // Refusals that are not about the destination are general failures.
        QCOMPARE(SocketErrorStatus(EPERM), lngStatusGeneralFailure);
        QCOMPARE(SocketErrorStatus(EACCES), lngStatusGeneralFailure);
    }
};

QUORVANE_REGISTER_TEST(TestIcmpMessage)
#include "TestIcmpMessage.moc"
