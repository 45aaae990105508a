#pragma once

#include <cstdint>
#include <string>

// The system's ICMP echo service in plain C++: one request, one answer, a status code.
namespace Native
{
// What came back with an answer.
struct EchoAnswer
{
    uint32_t ulAddress = 0; // the address that answered, network order
    uint32_t ulRoundTripTime = 0; // milliseconds
    uint8_t bytTtl = 0;
    uint8_t bytTos = 0;
    uint8_t bytFlags = 0;
    std::string data; // the echoed data
};

// Sends one echo request carrying payload to ulAddress (network order) with the system's default
// options, waits at most intTimeoutMs and fills answer, which starts empty. Returns the status
// code: 0 for a reply, the platform's IP status code of a failure (11010 when nothing came in
// time), and 11050 when the service could not be used at all, so that nothing unsent ever reads
// as a reply.
int SendIcmpEcho(uint32_t ulAddress, const std::string& payload, int intTimeoutMs, EchoAnswer& answer);

// Starts the sockets library in version 1.1; false when it does not start.
bool StartSocketsLibrary();
// Stops it again; false when the library reports an error (for example when it was not started).
bool StopSocketsLibrary();
} // namespace Native
