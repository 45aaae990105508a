#pragma once

// Status codes of an echo request: the platform's IP status codes, the time-out in milliseconds
// (listed as a code of its own) and -1 for an address text that could not be parsed. Plain values,
// shared by the echo backends and the status texts.
inline constexpr int lngStatusSuccess = 0;
inline constexpr int lngStatusPingTimeout = 500;
inline constexpr int lngStatusBufferTooSmall = 11001;
inline constexpr int lngStatusDestNetUnreachable = 11002;
inline constexpr int lngStatusDestHostUnreachable = 11003;
inline constexpr int lngStatusDestProtUnreachable = 11004;
inline constexpr int lngStatusDestPortUnreachable = 11005;
inline constexpr int lngStatusNoResources = 11006;
inline constexpr int lngStatusPacketTooBig = 11009;
inline constexpr int lngStatusRequestTimedOut = 11010;
inline constexpr int lngStatusBadRoute = 11012;
inline constexpr int lngStatusTtlExpiredTransit = 11013;
inline constexpr int lngStatusTtlExpiredReassembly = 11014;
inline constexpr int lngStatusParameterProblem = 11015;
inline constexpr int lngStatusSourceQuench = 11016;
inline constexpr int lngStatusBadDestination = 11018;
inline constexpr int lngStatusGeneralFailure = 11050;
inline constexpr int lngStatusPending = 11255;
inline constexpr int lngStatusBadAddress = -1;

// The platform's IP status codes run from 11000 (success's base) to 11255.
inline constexpr int lngIpStatusBase = 11000;

inline constexpr bool IsIpStatusCode(long lngCode)
{
    return lngCode > lngIpStatusBase && lngCode <= lngStatusPending;
}
