#pragma once

#include "net/ErrorBox.h"

#include <QString>

// The platform's name resolver, behind an interface so that tests never send a lookup anywhere.
class HostResolver
{
public:
    virtual ~HostResolver();
    // The first IPv4 address of strHost as dotted text; "" when the name does not resolve.
    virtual QString ResolveHostAddress(const QString& strHost) = 0;
};

// Makes resolver the one every probe uses; nullptr restores the platform's (getaddrinfo, IPv4).
// The caller keeps ownership.
void SetHostResolver(HostResolver* resolver);

// The first IPv4 address of strHost as dotted text, by the resolver in use; "" when none.
QString ResolveHostAddress(const QString& strHost);

// Resolves strHost, pings its first IPv4 address once with the payload "Echo this" and returns
// the report line "Ping " + name + " (" + address + ") = " + plain status text; an unresolved name
// reads "Ping N () = inet_addr: bad IP format". "" when the sockets library does not start, which
// errorBox then reports.
QString PingHostByName(const QString& strHost, const ErrorBoxFn& errorBox = {});

// ulAddress (network order) as dotted-decimal text.
QString AddressToText(quint32 ulAddress);

// The characters of a NUL-terminated single-byte string; "" for a null pointer.
QString CopyAnsiText(const char* text);
