#pragma once

#include "net/EchoProbe.h"

#ifndef Q_OS_WIN

// The kinds of ICMP socket the POSIX echo service can use.
enum class IcmpSocketKind {
    None, // neither kind may be opened here
    Datagram, // the unprivileged ICMP datagram ("ping") socket
    Raw // a raw ICMP socket, which needs privileges
};

// Echo service over an ICMP socket: the unprivileged datagram socket where the system allows it
// (its ping group range), else a raw socket. Replies are matched to the request by identifier and
// sequence number; other ICMP traffic on the socket is ignored. Error messages about the request
// and the socket layer's own refusals are turned into the platform status codes.
class PosixEchoFacility : public EchoFacility
{
public:
    // Automatic tries the datagram socket first and falls back to a raw one; the other values
    // insist on one kind.
    enum class Choice { Automatic, DatagramOnly, RawOnly };

    explicit PosixEchoFacility(Choice choice = Choice::Automatic);

    int SendEcho(quint32 ulAddress, const QByteArray& payload, int intTimeoutMs, EchoReply& reply) override;

    // The kind of socket that Automatic would use in the calling thread's network namespace.
    static IcmpSocketKind AvailableKind();

private:
    Choice m_choice;
};

#endif
