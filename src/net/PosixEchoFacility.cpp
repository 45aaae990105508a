#include "net/PosixEchoFacility.h"

#ifndef Q_OS_WIN

#include "net/IcmpMessage.h"

#include <QRandomGenerator>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <linux/errqueue.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{
using Clock = std::chrono::steady_clock;

// Large enough for any IPv4 packet.
constexpr int intReceiveBufferSize = 65536;

class SocketHandle
{
public:
    explicit SocketHandle(int intDescriptor)
        : m_intDescriptor(intDescriptor)
    { }
    ~SocketHandle()
    {
        if (m_intDescriptor >= 0)
            ::close(m_intDescriptor);
    }
    SocketHandle(const SocketHandle&) = delete;
    SocketHandle& operator=(const SocketHandle&) = delete;
    int Descriptor() const { return m_intDescriptor; }

private:
    int m_intDescriptor;
};

int OpenIcmpSocket(IcmpSocketKind kind)
{
    const int intType = kind == IcmpSocketKind::Datagram ? SOCK_DGRAM : SOCK_RAW;
    return ::socket(AF_INET, intType | SOCK_CLOEXEC, IPPROTO_ICMP);
}

std::atomic<quint16> g_nextSequence { 1 };

// What arrived on the socket while we were waiting.
struct Arrival
{
    enum Kind {
        Nothing, // unrelated traffic; keep waiting
        Outcome, // the reply or an error about our request
        Failure // the socket itself failed
    };
    Kind kind = Nothing;
    int lngStatus = 0;
    quint32 ulSource = 0;
    quint8 bytTtl = 0;
    quint8 bytTos = 0;
    QByteArray echoedData;
};

// Reads the control messages of a received message: the time to live and type of service of a
// datagram socket's message, and the extended error of its error queue.
struct ControlData
{
    bool blnHasError = false;
    sock_extended_err error {};
    sockaddr_in offender {};
    int intTtl = -1;
    int intTos = -1;
};

ControlData ReadControlData(msghdr& message)
{
    ControlData data;
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr; header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level != IPPROTO_IP)
            continue;
        const unsigned char* body = CMSG_DATA(header);
        const size_t intBodySize = header->cmsg_len - CMSG_LEN(0);
        if (header->cmsg_type == IP_TTL && intBodySize >= sizeof(int)) {
            std::memcpy(&data.intTtl, body, sizeof(int));
        } else if (header->cmsg_type == IP_TOS && intBodySize >= 1) {
            data.intTos = body[0];
        } else if (header->cmsg_type == IP_RECVERR && intBodySize >= sizeof(sock_extended_err)) {
            std::memcpy(&data.error, body, sizeof(sock_extended_err));
            data.blnHasError = true;
            // The sender of the error message follows the error record.
            if (intBodySize >= sizeof(sock_extended_err) + sizeof(sockaddr_in))
                std::memcpy(&data.offender, body + sizeof(sock_extended_err), sizeof(sockaddr_in));
        }
    }
    return data;
}

// Takes one entry from a datagram socket's error queue.
Arrival ReadErrorQueue(int intSocket, quint16 intSequence)
{
    Arrival arrival;
    QByteArray quoted(intReceiveBufferSize, '\0');
    alignas(cmsghdr) char control[512];
    iovec vector { quoted.data(), static_cast<size_t>(quoted.size()) };
    msghdr message {};
    message.msg_iov = &vector;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t intSize = ::recvmsg(intSocket, &message, MSG_ERRQUEUE | MSG_DONTWAIT);
    if (intSize < 0)
        return arrival;
    const ControlData data = ReadControlData(message);
    if (!data.blnHasError)
        return arrival;
    // The queue returns the offending request; an error about an earlier one is not ours.
    if (intSize >= intIcmpHeaderSize) {
        const quint16 intQuotedSequence
            = static_cast<quint16>((static_cast<quint8>(quoted.at(6)) << 8) | static_cast<quint8>(quoted.at(7)));
        if (intQuotedSequence != intSequence)
            return arrival;
    }
    arrival.kind = Arrival::Outcome;
    if (data.error.ee_origin == SO_EE_ORIGIN_ICMP)
        arrival.lngStatus = IcmpErrorStatus(data.error.ee_type, data.error.ee_code);
    else
        arrival.lngStatus = SocketErrorStatus(static_cast<int>(data.error.ee_errno));
    if (data.offender.sin_family == AF_INET)
        arrival.ulSource = data.offender.sin_addr.s_addr;
    return arrival;
}

// Takes one message from the socket and sees whether it answers our request.
Arrival ReadMessage(int intSocket, IcmpSocketKind kind, quint16 intIdentifier, quint16 intSequence)
{
    Arrival arrival;
    QByteArray buffer(intReceiveBufferSize, '\0');
    alignas(cmsghdr) char control[256];
    sockaddr_in from {};
    iovec vector { buffer.data(), static_cast<size_t>(buffer.size()) };
    msghdr message {};
    message.msg_name = &from;
    message.msg_namelen = sizeof from;
    message.msg_iov = &vector;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t intSize = ::recvmsg(intSocket, &message, MSG_DONTWAIT);
    if (intSize < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
            return arrival;
        arrival.kind = Arrival::Failure;
        arrival.lngStatus = SocketErrorStatus(errno);
        return arrival;
    }
    buffer.truncate(intSize);
    const bool blnRaw = kind == IcmpSocketKind::Raw;
    const IcmpOutcome outcome = ReadIcmpMessage(buffer, blnRaw, intIdentifier, intSequence);
    if (outcome.kind == IcmpOutcome::Unrelated)
        return arrival;
    arrival.kind = Arrival::Outcome;
    arrival.lngStatus = outcome.lngStatus;
    arrival.echoedData = outcome.echoedData;
    if (blnRaw) {
        arrival.ulSource = outcome.ulSource;
        arrival.bytTtl = outcome.bytTtl;
        arrival.bytTos = outcome.bytTos;
    } else {
        const ControlData data = ReadControlData(message);
        arrival.ulSource = from.sin_addr.s_addr;
        arrival.bytTtl = static_cast<quint8>(qMax(data.intTtl, 0));
        arrival.bytTos = static_cast<quint8>(qMax(data.intTos, 0));
    }
    return arrival;
}

void EnableOption(int intSocket, int intOption)
{
    const int intOn = 1;
    ::setsockopt(intSocket, IPPROTO_IP, intOption, &intOn, sizeof intOn);
}
} // namespace

PosixEchoFacility::PosixEchoFacility(Choice choice)
    : m_choice(choice)
{ }

IcmpSocketKind PosixEchoFacility::AvailableKind()
{
    for (const IcmpSocketKind kind : { IcmpSocketKind::Datagram, IcmpSocketKind::Raw }) {
        const SocketHandle socket(OpenIcmpSocket(kind));
        if (socket.Descriptor() >= 0)
            return kind;
    }
    return IcmpSocketKind::None;
}

int PosixEchoFacility::SendEcho(quint32 ulAddress, const QByteArray& payload, int intTimeoutMs, EchoReply& reply)
{
    IcmpSocketKind kind = IcmpSocketKind::None;
    int intDescriptor = -1;
    if (m_choice != Choice::RawOnly) {
        intDescriptor = OpenIcmpSocket(IcmpSocketKind::Datagram);
        kind = IcmpSocketKind::Datagram;
    }
    if (intDescriptor < 0 && m_choice != Choice::DatagramOnly) {
        intDescriptor = OpenIcmpSocket(IcmpSocketKind::Raw);
        kind = IcmpSocketKind::Raw;
    }
    // Without a socket nothing is sent, and that must never read as a reply.
    if (intDescriptor < 0)
        return lngStatusGeneralFailure;
    const SocketHandle socket(intDescriptor);

    if (kind == IcmpSocketKind::Datagram) {
        // Error messages about our request reach a datagram socket only through its error queue.
        EnableOption(intDescriptor, IP_RECVERR);
        EnableOption(intDescriptor, IP_RECVTTL);
        EnableOption(intDescriptor, IP_RECVTOS);
    }

    quint16 intIdentifier = static_cast<quint16>(QRandomGenerator::global()->bounded(1, 0x10000));
    const quint16 intSequence = g_nextSequence.fetch_add(1);
    const QByteArray request = BuildEchoRequest(intIdentifier, intSequence, payload);

    sockaddr_in destination {};
    destination.sin_family = AF_INET;
    destination.sin_addr.s_addr = ulAddress;

    const Clock::time_point start = Clock::now();
    const Clock::time_point deadline = start + std::chrono::milliseconds(intTimeoutMs);
    ssize_t intSent = -1;
    do {
        intSent = ::sendto(intDescriptor, request.constData(), static_cast<size_t>(request.size()), 0,
            reinterpret_cast<const sockaddr*>(&destination), sizeof destination);
    } while (intSent < 0 && errno == EINTR);
    if (intSent < 0)
        return SocketErrorStatus(errno);

    if (kind == IcmpSocketKind::Datagram) {
        // The system puts its own identifier, the socket's port, into the request.
        sockaddr_in local {};
        socklen_t intLocalSize = sizeof local;
        if (::getsockname(intDescriptor, reinterpret_cast<sockaddr*>(&local), &intLocalSize) == 0)
            intIdentifier = ntohs(local.sin_port);
    }

    for (;;) {
        const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (remaining.count() <= 0)
            return lngStatusRequestTimedOut;
        pollfd waiting { intDescriptor, POLLIN, 0 };
        const int intReady = ::poll(&waiting, 1, static_cast<int>(remaining.count()));
        if (intReady < 0 && errno != EINTR)
            return SocketErrorStatus(errno);
        if (intReady <= 0)
            continue;

        Arrival arrival;
        if ((waiting.revents & POLLERR) != 0) {
            arrival = ReadErrorQueue(intDescriptor, intSequence);
            if (arrival.kind == Arrival::Nothing) {
                // A pending socket error without a queued record; clear it and keep waiting.
                int intError = 0;
                socklen_t intErrorSize = sizeof intError;
                ::getsockopt(intDescriptor, SOL_SOCKET, SO_ERROR, &intError, &intErrorSize);
            }
        }
        if (arrival.kind == Arrival::Nothing && (waiting.revents & POLLIN) != 0)
            arrival = ReadMessage(intDescriptor, kind, intIdentifier, intSequence);
        if (arrival.kind == Arrival::Failure)
            return arrival.lngStatus;
        if (arrival.kind == Arrival::Nothing)
            continue;

        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
        reply.ulAddress = arrival.ulSource;
        reply.ulRoundTripTime = static_cast<quint32>(elapsed.count());
        reply.Options.bytTtl = arrival.bytTtl;
        reply.Options.bytTos = arrival.bytTos;
        const qsizetype intCopied = qMin<qsizetype>(arrival.echoedData.size(), intEchoDataSize);
        reply.intDataSize = static_cast<quint16>(intCopied);
        std::memcpy(reply.chrData, arrival.echoedData.constData(), static_cast<size_t>(intCopied));
        return arrival.lngStatus;
    }
}

#endif
