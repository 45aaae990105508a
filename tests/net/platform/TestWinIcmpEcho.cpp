#include "PlatformTestSupport.h"
#include "net/platform/EchoCodes.h"
#include "net/platform/IcmpEcho.h"
#include "net/platform/WinIcmpLibrary.h"

#include <cstring>
#include <doctest.h>
#include <icmpapi.h>
#include <vector>

namespace
{
// 127.0.0.1 and 127.0.0.2 in network order: the loopback answers both.
const uint32_t ulLoopback = htonl(0x7F000001);
const uint32_t ulLoopbackTwo = htonl(0x7F000002);

// An ICMP helper library that answers as a row says and records how it was called.
struct FakeIcmp
{
    bool blnCreateFails = false;
    DWORD lngReplies = 0; // what the send returns
    ULONG lngStatus = 0; // written into the reply record
    DWORD lngLastError = 0; // set as the thread's last error by the send
    bool blnWriteReply = true; // false leaves the reply buffer as it was given
    long lngDataOffset = 0; // where the echoed data lies, from the buffer's end backwards; <0: elsewhere
    USHORT intDataSize = 0;

    // What the echo passed in.
    int intCreates = 0;
    int intCloses = 0;
    HANDLE hClosed = nullptr;
    std::string request;
    DWORD lngReplySize = 0;
    DWORD lngTimeout = 0;
    bool blnOptions = false;
};

FakeIcmp g_fake;
HANDLE const hFakeHandle = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x4711));
char g_elsewhere[16] = "far away";

HANDLE WINAPI FakeCreateFile()
{
    ++g_fake.intCreates;
    return g_fake.blnCreateFails ? INVALID_HANDLE_VALUE : hFakeHandle;
}

DWORD WINAPI FakeSendEcho(HANDLE hIcmp, IPAddr ulDestination, LPVOID requestData, WORD intRequestSize,
    PIP_OPTION_INFORMATION requestOptions, LPVOID replyBuffer, DWORD lngReplySize, DWORD lngTimeoutMs)
{
    (void)ulDestination;
    CHECK(hIcmp == hFakeHandle);
    g_fake.request.assign(static_cast<const char*>(requestData), intRequestSize);
    g_fake.lngReplySize = lngReplySize;
    g_fake.lngTimeout = lngTimeoutMs;
    g_fake.blnOptions = requestOptions != nullptr;
    if (g_fake.blnWriteReply) {
        auto* reply = static_cast<ICMP_ECHO_REPLY*>(replyBuffer);
        reply->Address = ulDestination;
        reply->Status = g_fake.lngStatus;
        reply->RoundTripTime = 7;
        reply->DataSize = g_fake.intDataSize;
        reply->Options.Ttl = 128;
        char* end = static_cast<char*>(replyBuffer) + lngReplySize;
        reply->Data = g_fake.lngDataOffset < 0 ? g_elsewhere : end - g_fake.lngDataOffset;
        if (g_fake.lngDataOffset >= g_fake.intDataSize && g_fake.intDataSize > 0)
            std::memset(end - g_fake.lngDataOffset, 'e', g_fake.intDataSize);
    }
    ::SetLastError(g_fake.lngLastError);
    return g_fake.lngReplies;
}

BOOL WINAPI FakeCloseHandle(HANDLE hIcmp)
{
    ++g_fake.intCloses;
    g_fake.hClosed = hIcmp;
    return TRUE;
}

const Native::IcmpLibrary fakeLibrary { &FakeCreateFile, &FakeSendEcho, &FakeCloseHandle };

struct ScopedFakeIcmp
{
    explicit ScopedFakeIcmp(const FakeIcmp& fake)
    {
        g_fake = fake;
        Native::SetIcmpLibrary(&fakeLibrary);
    }
    ~ScopedFakeIcmp() { Native::SetIcmpLibrary(nullptr); }
};
} // namespace

TEST_CASE("an echo to the loopback answers with its fields filled")
{
    struct Row
    {
        const char* strName;
        uint32_t ulAddress;
        std::string payload;
    };
    const std::vector<Row> rows {
        { "probe by address", ulLoopback, "Test" },
        { "another payload", ulLoopback, "Echo this" },
        { "second loopback address", ulLoopbackTwo, "Test" },
        { "largest payload of the reply record", ulLoopback, std::string(242, 'q') },
        { "empty payload", ulLoopback, std::string() },
    };
    REQUIRE(Native::StartSocketsLibrary());
    for (const Row& row : rows) {
        CAPTURE(row.strName);
        Native::EchoAnswer answer;
        answer.data = "left over";
        CHECK(Native::SendIcmpEcho(row.ulAddress, row.payload, 500, answer) == lngStatusSuccess);
        CHECK(answer.ulAddress == row.ulAddress);
        CHECK(answer.data == row.payload);
        CHECK(answer.bytTtl > 0);
        CHECK(answer.ulRoundTripTime < 500);
    }
    CHECK(Native::StopSocketsLibrary());
}

TEST_CASE("the sockets library reports a stop without a start")
{
    REQUIRE(Native::StartSocketsLibrary());
    REQUIRE(Native::StartSocketsLibrary());
    CHECK(Native::StopSocketsLibrary());
    CHECK(Native::StopSocketsLibrary());
    CHECK(!Native::StopSocketsLibrary());
}

TEST_CASE("failures of the helper library map to status codes")
{
    struct Row
    {
        const char* strName;
        FakeIcmp fake;
        int lngExpected;
        bool blnSent;
        std::string expectedData;
    };
    const auto fake = [](auto change) {
        FakeIcmp result;
        change(result);
        return result;
    };
    const std::vector<Row> rows {
        { "service does not open", fake([](FakeIcmp& f) { f.blnCreateFails = true; }), lngStatusGeneralFailure, false,
            "" },
        { "time-out written into the record", fake([](FakeIcmp& f) {
             f.lngStatus = lngStatusRequestTimedOut, f.lngLastError = lngStatusRequestTimedOut;
         }),
            lngStatusRequestTimedOut, true, "" },
        { "no reply, the status only in the last error",
            fake([](FakeIcmp& f) { f.blnWriteReply = false, f.lngLastError = lngStatusDestHostUnreachable; }),
            lngStatusDestHostUnreachable, true, "" },
        { "no reply, a refused call",
            fake([](FakeIcmp& f) { f.blnWriteReply = false, f.lngLastError = ERROR_ACCESS_DENIED; }),
            lngStatusGeneralFailure, true, "" },
        { "no reply and no error at all", fake([](FakeIcmp& f) { f.blnWriteReply = false; }), lngStatusGeneralFailure,
            true, "" },
        { "an error message as the reply",
            fake([](FakeIcmp& f) { f.lngReplies = 1, f.lngStatus = lngStatusTtlExpiredTransit; }),
            lngStatusTtlExpiredTransit, true, "" },
        { "status outside the table passes through", fake([](FakeIcmp& f) { f.lngReplies = 1, f.lngStatus = 11030; }),
            11030, true, "" },
        { "reply with its data at the buffer's end",
            fake([](FakeIcmp& f) { f.lngReplies = 1, f.intDataSize = 4, f.lngDataOffset = 4; }), lngStatusSuccess, true,
            "eeee" },
        { "data said to reach past the buffer",
            fake([](FakeIcmp& f) { f.lngReplies = 1, f.intDataSize = 40, f.lngDataOffset = 4; }), lngStatusSuccess,
            true, "" },
        { "data pointer outside the buffer",
            fake([](FakeIcmp& f) { f.lngReplies = 1, f.intDataSize = 4, f.lngDataOffset = -1; }), lngStatusSuccess,
            true, "" },
    };
    for (const Row& row : rows) {
        CAPTURE(row.strName);
        const ScopedFakeIcmp scoped(row.fake);
        Native::EchoAnswer answer;
        CHECK(Native::SendIcmpEcho(ulLoopback, "Test", 500, answer) == row.lngExpected);
        CHECK(answer.data == row.expectedData);
        CHECK(g_fake.intCreates == 1);
        if (!row.blnSent) {
            CHECK(g_fake.request.empty());
            CHECK(g_fake.intCloses == 0);
            continue;
        }
        // One request with the payload, the time-out, no options and room for the reply; the
        // handle is closed again.
        CHECK(g_fake.request == "Test");
        CHECK(g_fake.lngTimeout == 500);
        CHECK(!g_fake.blnOptions);
        CHECK(g_fake.lngReplySize >= sizeof(ICMP_ECHO_REPLY) + 4 + 8);
        CHECK(g_fake.intCloses == 1);
        CHECK(g_fake.hClosed == hFakeHandle);
    }
}
