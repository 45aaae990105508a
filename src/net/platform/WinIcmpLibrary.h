#pragma once

// winsock2.h before the helper library's headers, which need its types.
#include <winsock2.h>
// iphlpapi.h declares the address and option types that icmpapi.h uses.
#include <iphlpapi.h>

namespace Native
{
// The three entry points of the ICMP helper library that an echo goes through. Tests put their
// own in place to produce the failures that an echo on this machine never shows.
struct IcmpLibrary
{
    HANDLE(WINAPI* pfnCreateFile)();
    DWORD(WINAPI* pfnSendEcho)
    (HANDLE hIcmp, IPAddr ulDestination, LPVOID requestData, WORD intRequestSize, PIP_OPTION_INFORMATION requestOptions,
        LPVOID replyBuffer, DWORD lngReplySize, DWORD lngTimeoutMs);
    BOOL(WINAPI* pfnCloseHandle)(HANDLE hIcmp);
};

// Makes library the one every echo uses; nullptr restores the system's. The caller keeps ownership.
void SetIcmpLibrary(const IcmpLibrary* library);
} // namespace Native
