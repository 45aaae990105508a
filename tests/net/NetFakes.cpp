#include "NetFakes.h"

#include <algorithm>

int ScriptedEchoFacility::SendEcho(quint32 ulAddress, const QByteArray& payload, int intTimeoutMs, EchoReply& reply)
{
    requests.append({ ulAddress, payload, intTimeoutMs, IsZeroFilled(reply) });
    // Leave traces everywhere, so that a later probe that reuses the record would notice.
    reply.ulAddress = ulAddress;
    reply.ulRoundTripTime = ulNextRoundTrip;
    reply.ulDataPointer = 0xDEADBEEF;
    reply.Options.bytTtl = 64;
    reply.intDataSize = static_cast<quint16>(payload.size());
    std::fill(std::begin(reply.chrData), std::end(reply.chrData), 'x');
    return lngNextStatus;
}

bool ScriptedEchoFacility::StartSocketsLibrary()
{
    ++intStarts;
    return !blnStartFails;
}

bool ScriptedEchoFacility::StopSocketsLibrary()
{
    ++intStops;
    return !blnStopFails;
}

bool IsZeroFilled(const EchoReply& reply)
{
    const bool blnHeaderZero = reply.ulAddress == 0 && reply.ulStatus == 0 && reply.ulRoundTripTime == 0
        && reply.intDataSize == 0 && reply.intReserved == 0 && reply.ulDataPointer == 0 && reply.Options.bytTtl == 0
        && reply.Options.bytTos == 0 && reply.Options.bytFlags == 0 && reply.Options.bytOptionsSize == 0
        && reply.Options.ulOptionsData == 0;
    return blnHeaderZero
        && std::all_of(std::begin(reply.chrData), std::end(reply.chrData), [](char chr) { return chr == '\0'; });
}

QString TableHostResolver::ResolveHostAddress(const QString& strHost)
{
    asked.append(strHost);
    return addresses.value(strHost);
}
