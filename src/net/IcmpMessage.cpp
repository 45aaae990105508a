#include "net/IcmpMessage.h"

#include "net/EchoStatus.h"

#include <cerrno>
#include <cstring>

namespace
{
quint8 ByteAt(const QByteArray& data, qsizetype intAt)
{
    return static_cast<quint8>(data.at(intAt));
}

quint16 WordAt(const QByteArray& data, qsizetype intAt)
{
    return static_cast<quint16>((ByteAt(data, intAt) << 8) | ByteAt(data, intAt + 1));
}

quint32 AddressAt(const QByteArray& data, qsizetype intAt)
{
    // Kept in network order, as the bytes stand in the packet.
    quint32 ulAddress = 0;
    std::memcpy(&ulAddress, data.constData() + intAt, sizeof ulAddress);
    return ulAddress;
}

// Length of the IPv4 header that starts at intAt, or 0 when there is no valid one.
qsizetype IpHeaderLength(const QByteArray& data, qsizetype intAt)
{
    if (data.size() - intAt < 20)
        return 0;
    const quint8 bytFirst = ByteAt(data, intAt);
    const qsizetype intLength = (bytFirst & 0x0F) * 4;
    if ((bytFirst >> 4) != 4 || intLength < 20 || data.size() - intAt < intLength)
        return 0;
    return intLength;
}

constexpr quint8 bytProtocolIcmp = 1;
} // namespace

quint16 InternetChecksum(const QByteArray& data)
{
    quint32 ulSum = 0;
    const qsizetype intSize = data.size();
    for (qsizetype intAt = 0; intAt + 1 < intSize; intAt += 2)
        ulSum += WordAt(data, intAt);
    if (intSize % 2 != 0)
        ulSum += static_cast<quint32>(ByteAt(data, intSize - 1)) << 8;
    while ((ulSum >> 16) != 0)
        ulSum = (ulSum & 0xFFFF) + (ulSum >> 16);
    return static_cast<quint16>(~ulSum & 0xFFFF);
}

QByteArray BuildEchoRequest(quint16 intIdentifier, quint16 intSequence, const QByteArray& payload)
{
    QByteArray request(intIcmpHeaderSize, '\0');
    request[0] = static_cast<char>(IcmpEchoRequest);
    request[4] = static_cast<char>(intIdentifier >> 8);
    request[5] = static_cast<char>(intIdentifier & 0xFF);
    request[6] = static_cast<char>(intSequence >> 8);
    request[7] = static_cast<char>(intSequence & 0xFF);
    request += payload;
    const quint16 intChecksum = InternetChecksum(request);
    request[2] = static_cast<char>(intChecksum >> 8);
    request[3] = static_cast<char>(intChecksum & 0xFF);
    return request;
}

IcmpOutcome ReadIcmpMessage(const QByteArray& message, bool blnWithIpHeader, quint16 intIdentifier, quint16 intSequence)
{
    IcmpOutcome outcome;
    qsizetype intIcmpAt = 0;
    if (blnWithIpHeader) {
        intIcmpAt = IpHeaderLength(message, 0);
        if (intIcmpAt == 0 || ByteAt(message, 9) != bytProtocolIcmp)
            return outcome;
        outcome.bytTos = ByteAt(message, 1);
        outcome.bytTtl = ByteAt(message, 8);
        outcome.ulSource = AddressAt(message, 12);
        // The total length in the header bounds the message; anything after it is not ours.
        const qsizetype intTotal = WordAt(message, 2);
        if (intTotal >= intIcmpAt && intTotal < message.size())
            return ReadIcmpMessage(message.left(intTotal), true, intIdentifier, intSequence);
    }
    const QByteArray icmp = message.mid(intIcmpAt);
    if (icmp.size() < intIcmpHeaderSize)
        return outcome;
    // A raw socket hands over the message unchecked.
    if (blnWithIpHeader && InternetChecksum(icmp) != 0)
        return outcome;

    const quint8 bytType = ByteAt(icmp, 0);
    const quint8 bytCode = ByteAt(icmp, 1);
    if (bytType == IcmpEchoReply) {
        if (WordAt(icmp, 4) != intIdentifier || WordAt(icmp, 6) != intSequence)
            return outcome;
        outcome.kind = IcmpOutcome::Reply;
        outcome.lngStatus = lngStatusSuccess;
        outcome.echoedData = icmp.mid(intIcmpHeaderSize);
        return outcome;
    }
    if (bytType != IcmpDestinationUnreachable && bytType != IcmpSourceQuench && bytType != IcmpTimeExceeded
        && bytType != IcmpParameterProblem)
        return outcome;

    // An error message quotes the IP header of the offending packet and its first eight bytes:
    // for our request, the echo header with our identifier and sequence number.
    const qsizetype intInnerIpLength = IpHeaderLength(icmp, intIcmpHeaderSize);
    if (intInnerIpLength == 0 || ByteAt(icmp, intIcmpHeaderSize + 9) != bytProtocolIcmp)
        return outcome;
    const qsizetype intQuotedAt = intIcmpHeaderSize + intInnerIpLength;
    if (icmp.size() - intQuotedAt < intIcmpHeaderSize)
        return outcome;
    if (ByteAt(icmp, intQuotedAt) != IcmpEchoRequest || WordAt(icmp, intQuotedAt + 4) != intIdentifier
        || WordAt(icmp, intQuotedAt + 6) != intSequence)
        return outcome;
    outcome.kind = IcmpOutcome::Error;
    outcome.lngStatus = IcmpErrorStatus(bytType, bytCode);
    return outcome;
}

int IcmpErrorStatus(int intType, int intCode)
{
    switch (intType) {
    case IcmpDestinationUnreachable:
        switch (intCode) {
        case 0: // network unreachable
        case 6: // destination network unknown
        case 9: // network administratively prohibited
        case 11: // network unreachable for the type of service
            return lngStatusDestNetUnreachable;
        case 2:
            return lngStatusDestProtUnreachable;
        case 3:
            return lngStatusDestPortUnreachable;
        case 4: // fragmentation needed but not allowed
            return lngStatusPacketTooBig;
        case 5: // source route failed
            return lngStatusBadRoute;
        default: // host unreachable, unknown, prohibited, and the rest
            return lngStatusDestHostUnreachable;
        }
    case IcmpSourceQuench:
        return lngStatusSourceQuench;
    case IcmpTimeExceeded:
        return intCode == 1 ? lngStatusTtlExpiredReassembly : lngStatusTtlExpiredTransit;
    case IcmpParameterProblem:
        return lngStatusParameterProblem;
    default:
        return lngStatusGeneralFailure;
    }
}

int SocketErrorStatus(int intErrno)
{
    switch (intErrno) {
    case ENETUNREACH:
    case ENETDOWN:
        return lngStatusDestNetUnreachable;
    case EHOSTUNREACH:
#ifdef EHOSTDOWN
    case EHOSTDOWN:
#endif
    case ECONNREFUSED:
        return lngStatusDestHostUnreachable;
    case EMSGSIZE:
        return lngStatusPacketTooBig;
    case ENOBUFS:
    case ENOMEM:
        return lngStatusNoResources;
    case EADDRNOTAVAIL:
    case EINVAL:
        return lngStatusBadDestination;
    case ETIMEDOUT:
        return lngStatusRequestTimedOut;
    default:
        return lngStatusGeneralFailure;
    }
}
