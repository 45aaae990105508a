#pragma once

#include "net/EchoProbe.h"
#include "net/HostPing.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QStringList>

// Echo service for tests: answers every request with a chosen status, records what was asked and
// can refuse to start or stop the sockets library.
class ScriptedEchoFacility : public EchoFacility
{
public:
    struct Request
    {
        quint32 ulAddress = 0;
        QByteArray payload;
        int intTimeoutMs = 0;
        bool blnReplyZeroFilled = false;
    };

    int SendEcho(quint32 ulAddress, const QByteArray& payload, int intTimeoutMs, EchoReply& reply) override;
    bool StartSocketsLibrary() override;
    bool StopSocketsLibrary() override;

    QList<Request> requests;
    int lngNextStatus = 0;
    quint32 ulNextRoundTrip = 0;
    bool blnStartFails = false;
    bool blnStopFails = false;
    int intStarts = 0;
    int intStops = 0;
};

// True when every field of reply, data included, is zero.
bool IsZeroFilled(const EchoReply& reply);

// Resolver for tests: answers from a table and records every name it was asked for.
class TableHostResolver : public HostResolver
{
public:
    QString ResolveHostAddress(const QString& strHost) override;

    QHash<QString, QString> addresses;
    QStringList asked;
};

// Installs a fake echo service or resolver for the lifetime of the guard.
class ScopedEchoFacility
{
public:
    explicit ScopedEchoFacility(EchoFacility* facility) { SetEchoFacility(facility); }
    ~ScopedEchoFacility() { SetEchoFacility(nullptr); }
    ScopedEchoFacility(const ScopedEchoFacility&) = delete;
    ScopedEchoFacility& operator=(const ScopedEchoFacility&) = delete;
};

class ScopedHostResolver
{
public:
    explicit ScopedHostResolver(HostResolver* resolver) { SetHostResolver(resolver); }
    ~ScopedHostResolver() { SetHostResolver(nullptr); }
    ScopedHostResolver(const ScopedHostResolver&) = delete;
    ScopedHostResolver& operator=(const ScopedHostResolver&) = delete;
};

// Collects the message boxes that an operation shows.
class MessageBoxLog
{
public:
    ErrorBoxFn Fn()
    {
        return [this](const QString& strTitle, const QString& strText) { boxes.append({ strTitle, strText }); };
    }
    QList<QPair<QString, QString>> boxes;
};
