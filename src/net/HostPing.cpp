#include "net/HostPing.h"

#include "net/EchoProbe.h"

#include <QUrl>
#include <QtEndian>

#ifdef Q_OS_WIN
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

#include <cstring>

namespace
{
// The resolver name lookups go to: getaddrinfo restricted to IPv4.
class SystemHostResolver : public HostResolver
{
public:
    QString ResolveHostAddress(const QString& strHost) override
    {
        // A NUL would cut the name short on its way to the resolver, which would then look up a
        // different name.
        if (strHost.isEmpty() || strHost.contains(QChar(0)))
            return QString();
        QByteArray name;
        bool blnAscii = true;
        for (const QChar chr : strHost)
            blnAscii = blnAscii && chr.unicode() < 0x80;
        // An international name travels in its ASCII-compatible form.
        name = blnAscii ? strHost.toLatin1() : QUrl::toAce(strHost);
        if (name.isEmpty())
            return QString();

        addrinfo hints {};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* results = nullptr;
        if (::getaddrinfo(name.constData(), nullptr, &hints, &results) != 0 || results == nullptr)
            return QString();
        QString strAddress;
        for (const addrinfo* entry = results; entry != nullptr; entry = entry->ai_next) {
            if (entry->ai_family != AF_INET || entry->ai_addr == nullptr || entry->ai_addrlen < sizeof(sockaddr_in))
                continue;
            sockaddr_in address {};
            std::memcpy(&address, entry->ai_addr, sizeof address);
            strAddress = AddressToText(address.sin_addr.s_addr);
            break;
        }
        ::freeaddrinfo(results);
        return strAddress;
    }
};

HostResolver* g_hostResolver = nullptr;

HostResolver& ActiveHostResolver()
{
    static SystemHostResolver systemResolver;
    return g_hostResolver ? *g_hostResolver : systemResolver;
}
} // namespace

HostResolver::~HostResolver() = default;

void SetHostResolver(HostResolver* resolver)
{
    g_hostResolver = resolver;
}

QString ResolveHostAddress(const QString& strHost)
{
    return ActiveHostResolver().ResolveHostAddress(strHost);
}

QString PingHostByName(const QString& strHost, const ErrorBoxFn& errorBox)
{
    if (!StartSockets()) {
        ShowErrorBox(
            errorBox, QString(), QStringLiteral("Windows Sockets for 32 bit Windows is not successfully responding."));
        return QString();
    }
    const QString strAddress = ResolveHostAddress(strHost);
    EchoReply reply;
    const int lngStatus = SendEcho(strAddress, HostProbePayload(), reply);
    const QString strLine
        = QStringLiteral("Ping %1 (%2) = %3").arg(strHost, strAddress, EchoStatusText(lngStatus, false));
    StopSockets(errorBox);
    return strLine;
}

QString AddressToText(quint32 ulAddress)
{
    const quint32 ulHostOrder = qFromBigEndian(ulAddress);
    return QStringLiteral("%1.%2.%3.%4")
        .arg(ulHostOrder >> 24)
        .arg((ulHostOrder >> 16) & 0xFF)
        .arg((ulHostOrder >> 8) & 0xFF)
        .arg(ulHostOrder & 0xFF);
}

QString CopyAnsiText(const char* text)
{
    if (text == nullptr)
        return QString();
    return QString::fromLocal8Bit(text, static_cast<qsizetype>(std::strlen(text)));
}
