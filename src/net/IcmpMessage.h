#pragma once

#include <QByteArray>

// ICMP message types that the echo probe sends or understands.
enum IcmpType : quint8 {
    IcmpEchoReply = 0,
    IcmpDestinationUnreachable = 3,
    IcmpSourceQuench = 4,
    IcmpEchoRequest = 8,
    IcmpTimeExceeded = 11,
    IcmpParameterProblem = 12
};

inline constexpr int intIcmpHeaderSize = 8;

// What one received ICMP message means for the echo request we are waiting for.
struct IcmpOutcome
{
    enum Kind {
        Unrelated, // someone else's traffic, our own request seen on loopback, or a damaged message
        Reply, // the echo reply to our request
        Error // an error message about our request
    };
    Kind kind = Unrelated;
    int lngStatus = 0; // the echo status code of a reply (0) or an error
    quint32 ulSource = 0; // sender of the message, network order, when the IP header was seen
    quint8 bytTtl = 0; // time to live of the message, when the IP header was seen
    quint8 bytTos = 0; // type of service of the message, when the IP header was seen
    QByteArray echoedData; // the data of a reply
};

// The Internet checksum (one's complement of the one's complement sum of 16-bit words).
quint16 InternetChecksum(const QByteArray& data);

// An echo request with the given identifier, sequence number and data, checksum filled in.
QByteArray BuildEchoRequest(quint16 intIdentifier, quint16 intSequence, const QByteArray& payload);

// Reads one received message. blnWithIpHeader: the message starts with its IPv4 header (raw
// sockets); otherwise it starts with the ICMP header (datagram sockets, where the system has
// already checked the checksum). A reply or error counts only when it concerns the request with
// the given identifier and sequence number.
IcmpOutcome ReadIcmpMessage(
    const QByteArray& message, bool blnWithIpHeader, quint16 intIdentifier, quint16 intSequence);

// The echo status code for an ICMP error message of the given type and code.
int IcmpErrorStatus(int intType, int intCode);

// The echo status code for a failure that the socket layer reports as an errno value.
int SocketErrorStatus(int intErrno);
