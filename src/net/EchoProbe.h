#pragma once

#include "net/EchoStatus.h"
#include "net/ErrorBox.h"
#include "net/InetAddr.h"

#include <QByteArray>
#include <QString>
#include <cstddef>

// IP options of an echo reply.
struct IpOptions
{
    quint8 bytTtl = 0;
    quint8 bytTos = 0;
    quint8 bytFlags = 0;
    quint8 bytOptionsSize = 0;
    quint32 ulOptionsData = 0; // where the platform keeps the option bytes; not used here
};

inline constexpr int intEchoDataSize = 250;

// The record an echo request fills. Its first 28 bytes follow the platform's reply layout; the
// probe reads only the status and the round-trip time.
struct EchoReply
{
    quint32 ulAddress = 0; // the address that replied, network order
    quint32 ulStatus = 0; // status code of the reply; 0 for success
    quint32 ulRoundTripTime = 0; // milliseconds
    quint16 intDataSize = 0; // size of the echoed data
    quint16 intReserved = 0;
    quint32 ulDataPointer = 0; // where the platform put the echoed data; not used here
    IpOptions Options;
    char chrData[intEchoDataSize] = {}; // the echoed data, as far as it fits
};

// Fixed values of every echo request.
inline constexpr int intEchoReplyBufferSize = 278;
inline constexpr int intEchoTimeoutMs = 500;
// The reply buffer must also hold the echoed request's ICMP header.
inline constexpr int intEchoMaxPayload = intEchoReplyBufferSize - 28 - 8;
static_assert(offsetof(EchoReply, chrData) == 28 && offsetof(EchoReply, chrData) + intEchoDataSize == 278,
    "EchoReply keeps the platform's 278-byte reply layout");

inline QByteArray ProbePayload()
{
    return QByteArrayLiteral("Test");
}
inline QByteArray HostProbePayload()
{
    return QByteArrayLiteral("Echo this");
}

// The platform's ICMP echo service. SendEcho sends one echo request carrying payload to
// ulAddress (network order), waits at most intTimeoutMs for the answer, fills reply and returns
// its status code: 0 for a reply, 11010 when none came in time, the unreachable and expiry codes
// for the matching error messages, and 11050 when the service could not be used at all. The
// sockets library that the service needs is started and stopped around each probe.
class EchoFacility
{
public:
    virtual ~EchoFacility();
    virtual int SendEcho(quint32 ulAddress, const QByteArray& payload, int intTimeoutMs, EchoReply& reply) = 0;
    virtual bool StartSocketsLibrary() { return true; }
    virtual bool StopSocketsLibrary() { return true; }
};

// Makes facility the echo service of every probe; nullptr restores the platform's own.
// The caller keeps ownership.
void SetEchoFacility(EchoFacility* facility);

// Sends one echo request with payload to the dotted address strAddress and fills reply, which
// starts zero-filled. Returns the status code; -1, without sending anything, when the address
// does not parse (or is 255.255.255.255), and 11001 when the payload does not fit the reply.
int SendEcho(const QString& strAddress, const QByteArray& payload, EchoReply& reply);

// Starts the sockets library that the echo service needs; false when it does not start.
bool StartSockets();
// Stops it again; a failure is reported through errorBox.
void StopSockets(const ErrorBoxFn& errorBox = {});

// Pings strAddress once with the payload "Test". True exactly when the reply's status is 0;
// strStatus receives the bracketed status text and lngRoundTrip the round-trip time. When the
// sockets library does not start, errorBox shows why and strStatus becomes " [ip general failure]".
bool PingAddress(const QString& strAddress, long& lngRoundTrip, QString& strStatus, const ErrorBoxFn& errorBox = {});

// The window's probe: blnPass and strStatus as PingAddress gives them.
void PingWithStatus(const QString& strAddress, QString& strStatus, bool& blnPass, const ErrorBoxFn& errorBox = {});
