#include "net/platform/EchoCodes.h"
#include "net/platform/IcmpEcho.h"
#include "net/platform/WinIcmpLibrary.h"

#include <cstring>
#include <icmpapi.h>
#include <vector>

namespace Native
{
namespace
{
const IcmpLibrary systemLibrary { &::IcmpCreateFile, &::IcmpSendEcho, &::IcmpCloseHandle };
const IcmpLibrary* g_library = nullptr;

// Room after the reply record for an ICMP error's header and the status block that newer
// systems put at the end of the buffer.
constexpr size_t intReplySlack = 8 + 16;
} // namespace

void SetIcmpLibrary(const IcmpLibrary* library)
{
    g_library = library;
}

int SendIcmpEcho(uint32_t ulAddress, const std::string& payload, int intTimeoutMs, EchoAnswer& answer)
{
    answer = EchoAnswer {};
    // The request's size travels as a 16-bit value.
    if (payload.size() > 0xFFFF)
        return lngStatusPacketTooBig;
    const IcmpLibrary& library = g_library != nullptr ? *g_library : systemLibrary;

    const HANDLE hIcmp = library.pfnCreateFile();
    if (hIcmp == INVALID_HANDLE_VALUE || hIcmp == nullptr)
        return lngStatusGeneralFailure;

    // The reply record is the platform's own (wider than the 32-bit layout on 64-bit systems),
    // followed by the echoed data.
    std::vector<unsigned char> buffer(sizeof(ICMP_ECHO_REPLY) + payload.size() + intReplySlack, 0);
    std::vector<char> request(payload.begin(), payload.end());
    const DWORD lngReplies = library.pfnSendEcho(hIcmp, static_cast<IPAddr>(ulAddress), request.data(),
        static_cast<WORD>(request.size()), nullptr, buffer.data(), static_cast<DWORD>(buffer.size()),
        static_cast<DWORD>(intTimeoutMs > 0 ? intTimeoutMs : 0));
    const DWORD lngError = ::GetLastError();
    library.pfnCloseHandle(hIcmp);

    ICMP_ECHO_REPLY reply;
    std::memcpy(&reply, buffer.data(), sizeof reply);
    int lngStatus = static_cast<int>(reply.Status);
    if (lngReplies == 0) {
        // Without a reply the status may stay unwritten; the error code then tells what happened,
        // and an error that is no IP status (a refused call) must not read as success.
        if (lngStatus == lngStatusSuccess)
            lngStatus
                = IsIpStatusCode(static_cast<long>(lngError)) ? static_cast<int>(lngError) : lngStatusGeneralFailure;
        return lngStatus;
    }

    answer.ulAddress = reply.Address;
    answer.ulRoundTripTime = reply.RoundTripTime;
    answer.bytTtl = reply.Options.Ttl;
    answer.bytTos = reply.Options.Tos;
    answer.bytFlags = reply.Options.Flags;
    // The echoed data lies in the buffer; a pointer or size that leads outside it is not followed.
    const auto ulStart = reinterpret_cast<uintptr_t>(buffer.data());
    const uintptr_t ulEnd = ulStart + buffer.size();
    const auto ulData = reinterpret_cast<uintptr_t>(reply.Data);
    if (ulData >= ulStart && ulData <= ulEnd && reply.DataSize <= ulEnd - ulData)
        answer.data.assign(reinterpret_cast<const char*>(buffer.data() + (ulData - ulStart)), reply.DataSize);
    return lngStatus;
}

bool StartSocketsLibrary()
{
    WSADATA startup {};
    return ::WSAStartup(MAKEWORD(1, 1), &startup) == 0;
}

bool StopSocketsLibrary()
{
    return ::WSACleanup() == 0;
}
} // namespace Native
