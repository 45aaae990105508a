#include "net/WindowsEchoFacility.h"

#ifdef Q_OS_WIN

#include <winsock2.h>
// winsock2.h first: the helper library's headers need its types.
#include <cstring>
#include <icmpapi.h>
#include <iphlpapi.h>
#include <vector>

int WindowsEchoFacility::SendEcho(quint32 ulAddress, const QByteArray& payload, int intTimeoutMs, EchoReply& reply)
{
    const HANDLE hIcmp = ::IcmpCreateFile();
    // Without the service nothing is sent, and that must never read as a reply.
    if (hIcmp == INVALID_HANDLE_VALUE)
        return IP_GENERAL_FAILURE;

    // The platform's reply record is wider than the 32-bit layout on 64-bit systems, so it gets a
    // buffer of its own that also holds the echoed data and an ICMP error's header.
    std::vector<char> buffer(sizeof(ICMP_ECHO_REPLY) + intEchoDataSize + 8, '\0');
    const DWORD lngReplies = ::IcmpSendEcho(hIcmp, static_cast<IPAddr>(ulAddress),
        const_cast<char*>(payload.constData()), static_cast<WORD>(payload.size()), nullptr, buffer.data(),
        static_cast<DWORD>(buffer.size()), static_cast<DWORD>(intTimeoutMs));
    const DWORD lngError = ::GetLastError();
    ::IcmpCloseHandle(hIcmp);

    ICMP_ECHO_REPLY platformReply;
    std::memcpy(&platformReply, buffer.data(), sizeof platformReply);
    int lngStatus = static_cast<int>(platformReply.Status);
    if (lngReplies == 0) {
        // Without a reply the status may stay unwritten; the error code then tells what happened.
        if (lngStatus == IP_SUCCESS)
            lngStatus = lngError >= IP_STATUS_BASE && lngError <= IP_PENDING ? static_cast<int>(lngError)
                                                                             : IP_GENERAL_FAILURE;
        return lngStatus;
    }

    reply.ulAddress = platformReply.Address;
    reply.ulRoundTripTime = platformReply.RoundTripTime;
    reply.Options.bytTtl = platformReply.Options.Ttl;
    reply.Options.bytTos = platformReply.Options.Tos;
    reply.Options.bytFlags = platformReply.Options.Flags;
    const WORD intCopied = qMin<WORD>(platformReply.DataSize, static_cast<WORD>(intEchoDataSize));
    reply.intDataSize = intCopied;
    if (platformReply.Data != nullptr)
        std::memcpy(reply.chrData, platformReply.Data, intCopied);
    return lngStatus;
}

bool WindowsEchoFacility::StartSocketsLibrary()
{
    WSADATA startup {};
    return ::WSAStartup(MAKEWORD(1, 1), &startup) == 0;
}

bool WindowsEchoFacility::StopSocketsLibrary()
{
    return ::WSACleanup() == 0;
}

#endif
