#include "net/EchoProbe.h"

#include <QtEndian>

#ifdef Q_OS_WIN
#include "net/WindowsEchoFacility.h"
using PlatformEchoFacility = WindowsEchoFacility;
#else
#include "net/PosixEchoFacility.h"
using PlatformEchoFacility = PosixEchoFacility;
#endif

namespace
{
EchoFacility* g_echoFacility = nullptr;

EchoFacility& ActiveEchoFacility()
{
    static PlatformEchoFacility platformFacility;
    return g_echoFacility ? *g_echoFacility : platformFacility;
}
} // namespace

EchoFacility::~EchoFacility() = default;

void SetEchoFacility(EchoFacility* facility)
{
    g_echoFacility = facility;
}

int SendEcho(const QString& strAddress, const QByteArray& payload, EchoReply& reply)
{
    reply = EchoReply {};
    const qint64 lngAddress = ParseInetAddr(strAddress);
    if (lngAddress == lngBadAddress)
        return lngStatusBadAddress;
    if (payload.size() > intEchoMaxPayload) {
        reply.ulStatus = lngStatusBufferTooSmall;
        return lngStatusBufferTooSmall;
    }
    const quint32 ulAddress = qToBigEndian(static_cast<quint32>(lngAddress));
    const int lngStatus = ActiveEchoFacility().SendEcho(ulAddress, payload, intEchoTimeoutMs, reply);
    reply.ulStatus = static_cast<quint32>(lngStatus);
    return lngStatus;
}

bool StartSockets()
{
    return ActiveEchoFacility().StartSocketsLibrary();
}

void StopSockets(const ErrorBoxFn& errorBox)
{
    if (!ActiveEchoFacility().StopSocketsLibrary())
        ShowErrorBox(errorBox, QString(), QStringLiteral("Windows Sockets error occurred in Cleanup."));
}

bool PingAddress(const QString& strAddress, long& lngRoundTrip, QString& strStatus, const ErrorBoxFn& errorBox)
{
    if (!StartSockets()) {
        ShowErrorBox(errorBox, QString(),
            QStringLiteral("Windows Sockets for 32 bit Windows environments is not successfully responding."));
        // The caller's text of an earlier probe must not stand for this one.
        strStatus = EchoStatusText(lngStatusGeneralFailure, true);
        return false;
    }
    EchoReply reply;
    const int lngStatus = SendEcho(strAddress, ProbePayload(), reply);
    strStatus = EchoStatusText(lngStatus, true);
    lngRoundTrip = static_cast<long>(reply.ulRoundTripTime);
    StopSockets(errorBox);
    return lngStatus == lngStatusSuccess;
}

void PingWithStatus(const QString& strAddress, QString& strStatus, bool& blnPass, const ErrorBoxFn& errorBox)
{
    long lngRoundTrip = 0;
    blnPass = PingAddress(strAddress, lngRoundTrip, strStatus, errorBox);
}
