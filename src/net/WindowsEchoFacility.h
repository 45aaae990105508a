#pragma once

#include "net/EchoProbe.h"

#ifdef Q_OS_WIN

// Echo service of the platform's ICMP helper library, with the sockets library started in version
// 1.1 around each probe: the Qt side of the plain calls in net/platform/IcmpEcho.h.
class WindowsEchoFacility : public EchoFacility
{
public:
    int SendEcho(quint32 ulAddress, const QByteArray& payload, int intTimeoutMs, EchoReply& reply) override;
    bool StartSocketsLibrary() override;
    bool StopSocketsLibrary() override;
};

#endif
