#include "net/WindowsEchoFacility.h"

#ifdef Q_OS_WIN

#include "net/platform/IcmpEcho.h"

#include <cstring>

int WindowsEchoFacility::SendEcho(quint32 ulAddress, const QByteArray& payload, int intTimeoutMs, EchoReply& reply)
{
    Native::EchoAnswer answer;
    const int lngStatus = Native::SendIcmpEcho(ulAddress, payload.toStdString(), intTimeoutMs, answer);
    reply.ulAddress = answer.ulAddress;
    reply.ulRoundTripTime = answer.ulRoundTripTime;
    reply.Options.bytTtl = answer.bytTtl;
    reply.Options.bytTos = answer.bytTos;
    reply.Options.bytFlags = answer.bytFlags;
    const size_t intCopied = qMin(answer.data.size(), static_cast<size_t>(intEchoDataSize));
    reply.intDataSize = static_cast<quint16>(intCopied);
    std::memcpy(reply.chrData, answer.data.data(), intCopied);
    return lngStatus;
}

bool WindowsEchoFacility::StartSocketsLibrary()
{
    return Native::StartSocketsLibrary();
}

bool WindowsEchoFacility::StopSocketsLibrary()
{
    return Native::StopSocketsLibrary();
}

#endif
