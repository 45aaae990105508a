#include "support/RawHttpServer.h"

#include <QHash>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace
{
// The few socket calls that differ between Windows and the rest.
#ifdef _WIN32
using Socket = SOCKET;
constexpr Socket kNoSocket = INVALID_SOCKET;
constexpr int kShutWrite = SD_SEND;
constexpr int kShutBoth = SD_BOTH;
constexpr int kSendFlags = 0;
using PollEntry = WSAPOLLFD;

int PollSockets(PollEntry* entry, int intMs)
{
    return WSAPoll(entry, 1, intMs);
}

void CloseSocket(Socket socket)
{
    closesocket(socket);
}

void StartSockets()
{
    static const bool blnStarted = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    (void)blnStarted;
}
#else
using Socket = int;
constexpr Socket kNoSocket = -1;
constexpr int kShutWrite = SHUT_WR;
constexpr int kShutBoth = SHUT_RDWR;
constexpr int kSendFlags = MSG_NOSIGNAL; // a closed peer is an error, not a signal
using PollEntry = pollfd;

int PollSockets(PollEntry* entry, int intMs)
{
    return ::poll(entry, 1, intMs);
}

void CloseSocket(Socket socket)
{
    ::close(socket);
}

void StartSockets() { }
#endif

template <typename T> int SetOption(Socket socket, int intLevel, int intName, const T& value)
{
    return ::setsockopt(socket, intLevel, intName, reinterpret_cast<const char*>(&value), sizeof(value));
}
} // namespace

RawScript& RawScript::Send(const QByteArray& bytes, qint64 lngRepeat)
{
    Step step;
    step.bytes = bytes;
    step.lngRepeat = lngRepeat;
    m_steps.push_back(step);
    return *this;
}

RawScript& RawScript::Pause(int intMs)
{
    Step step;
    step.kind = Step::Kind::Pause;
    step.intMs = intMs;
    m_steps.push_back(step);
    return *this;
}

RawScript& RawScript::Reset()
{
    Step step;
    step.kind = Step::Kind::Reset;
    m_steps.push_back(step);
    return *this;
}

RawScript& RawScript::Hold()
{
    Step step;
    step.kind = Step::Kind::Hold;
    m_steps.push_back(step);
    return *this;
}

struct RawHttpServer::Private
{
    Socket intListen = kNoSocket;
    quint16 intPort = 0;
    std::thread acceptThread;
    std::atomic<bool> blnStopping { false };
    mutable std::mutex mutex;
    std::condition_variable stopped;
    QHash<QByteArray, RawScript> routes;
    QHash<QByteArray, int> requestCounts;
    std::vector<std::thread> connections;
    std::vector<Socket> sockets;

    // Waits up to intMs; false when the server stops meanwhile.
    bool Wait(int intMs)
    {
        std::unique_lock<std::mutex> lock(mutex);
        return !stopped.wait_for(lock, std::chrono::milliseconds(intMs), [this] { return blnStopping.load(); });
    }

    bool SendAll(Socket intSocket, const QByteArray& bytes)
    {
        qsizetype lngSent = 0;
        while (lngSent < bytes.size()) {
            const auto lngWritten = ::send(intSocket, bytes.constData() + lngSent,
                static_cast<int>(std::min<qsizetype>(bytes.size() - lngSent, 1 << 20)), kSendFlags);
            if (lngWritten <= 0 || blnStopping)
                return false;
            lngSent += lngWritten;
        }
        return true;
    }

    // The path of the request read from the socket (its head and any body); empty on failure.
    QByteArray ReadRequest(Socket intSocket)
    {
        QByteArray received;
        char buffer[4096];
        qsizetype lngHeadEnd = -1;
        while ((lngHeadEnd = received.indexOf("\r\n\r\n")) < 0) {
            const auto lngRead = ::recv(intSocket, buffer, static_cast<int>(sizeof(buffer)), 0);
            if (lngRead <= 0 || received.size() > 65536)
                return QByteArray();
            received.append(buffer, lngRead);
        }
        const QByteArray head = received.left(lngHeadEnd);
        qint64 lngBody = 0;
        for (const QByteArray& line : head.split('\n')) {
            if (line.toLower().startsWith("content-length:"))
                lngBody = line.mid(15).trimmed().toLongLong();
        }
        qint64 lngHave = received.size() - lngHeadEnd - 4;
        while (lngHave < lngBody) {
            const auto lngRead = ::recv(intSocket, buffer, static_cast<int>(sizeof(buffer)), 0);
            if (lngRead <= 0)
                return QByteArray();
            lngHave += lngRead;
        }
        const QList<QByteArray> requestLine = head.left(head.indexOf('\r')).split(' ');
        if (requestLine.size() < 2)
            return QByteArray();
        const QByteArray target = requestLine.at(1);
        const qsizetype lngQuery = target.indexOf('?');
        return lngQuery < 0 ? target : target.left(lngQuery);
    }

    void Serve(Socket intSocket)
    {
        Answer(intSocket);
        std::lock_guard<std::mutex> lock(mutex);
        sockets.erase(std::remove(sockets.begin(), sockets.end(), intSocket), sockets.end());
        CloseSocket(intSocket);
    }

    void Answer(Socket intSocket)
    {
        const int intOn = 1;
        SetOption(intSocket, IPPROTO_TCP, TCP_NODELAY, intOn);
        const QByteArray path = ReadRequest(intSocket);
        RawScript script;
        bool blnRouted = false;
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (!path.isEmpty())
                ++requestCounts[path];
            blnRouted = routes.contains(path);
            if (blnRouted)
                script = routes.value(path);
        }
        if (path.isEmpty()) {
            ::shutdown(intSocket, kShutBoth);
            return;
        }
        if (!blnRouted)
            script.Send(Head(404, "Content-Length: 9\r\n") + "Not found");
        for (const RawScript::Step& step : script.Steps()) {
            switch (step.kind) {
            case RawScript::Step::Kind::Send:
                for (qint64 lngTime = 0; lngTime < step.lngRepeat; ++lngTime) {
                    if (!SendAll(intSocket, step.bytes))
                        return;
                }
                break;
            case RawScript::Step::Kind::Pause:
                if (!Wait(step.intMs))
                    return;
                break;
            case RawScript::Step::Kind::Reset: {
                // A zero linger time makes the close send a reset.
                const linger reset { 1, 0 };
                SetOption(intSocket, SOL_SOCKET, SO_LINGER, reset);
                return;
            }
            case RawScript::Step::Kind::Hold: {
                std::unique_lock<std::mutex> lock(mutex);
                stopped.wait(lock, [this] { return blnStopping.load(); });
                return;
            }
            }
        }
        ::shutdown(intSocket, kShutWrite);
        // Let the client read to the end before the socket goes away.
        char buffer[1024];
        PollEntry wait {};
        wait.fd = intSocket;
        wait.events = POLLIN;
        while (!blnStopping && PollSockets(&wait, 100) >= 0) {
            if ((wait.revents & (POLLIN | POLLHUP | POLLERR))
                && ::recv(intSocket, buffer, static_cast<int>(sizeof(buffer)), 0) <= 0)
                return;
        }
    }

    void AcceptLoop()
    {
        while (!blnStopping) {
            PollEntry wait {};
            wait.fd = intListen;
            wait.events = POLLIN;
            if (PollSockets(&wait, 50) <= 0)
                continue;
            const Socket intSocket = ::accept(intListen, nullptr, nullptr);
            if (intSocket == kNoSocket)
                continue;
            std::lock_guard<std::mutex> lock(mutex);
            sockets.push_back(intSocket);
            connections.emplace_back([this, intSocket] { Serve(intSocket); });
        }
    }
};

RawHttpServer::RawHttpServer()
    : d(std::make_unique<Private>())
{ }

RawHttpServer::~RawHttpServer()
{
    Stop();
}

void RawHttpServer::Route(const QByteArray& path, const RawScript& script)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->routes.insert(path, script);
}

bool RawHttpServer::Start()
{
    if (d->intListen != kNoSocket)
        return true;
    StartSockets();
    d->intListen = ::socket(AF_INET, SOCK_STREAM, 0);
    if (d->intListen == kNoSocket)
        return false;
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t lngLength = sizeof(address);
    if (::bind(d->intListen, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0
        || ::listen(d->intListen, 64) != 0
        || ::getsockname(d->intListen, reinterpret_cast<sockaddr*>(&address), &lngLength) != 0) {
        CloseSocket(d->intListen);
        d->intListen = kNoSocket;
        return false;
    }
    d->intPort = ntohs(address.sin_port);
    d->acceptThread = std::thread([this] { d->AcceptLoop(); });
    return true;
}

void RawHttpServer::Stop()
{
    if (d->intListen == kNoSocket)
        return;
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        d->blnStopping = true;
    }
    d->stopped.notify_all();
    d->acceptThread.join();
    std::vector<std::thread> connections;
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        for (Socket intSocket : d->sockets)
            ::shutdown(intSocket, kShutBoth);
        connections.swap(d->connections);
    }
    for (std::thread& connection : connections)
        connection.join();
    CloseSocket(d->intListen);
    d->intListen = kNoSocket;
}

quint16 RawHttpServer::Port() const
{
    return d->intPort;
}

QString RawHttpServer::Url(const QString& strPathAndQuery) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(d->intPort).arg(strPathAndQuery);
}

int RawHttpServer::RequestCount(const QByteArray& path) const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->requestCounts.value(path);
}

QByteArray RawHttpServer::Head(int intStatus, const QByteArray& headerLines)
{
    return "HTTP/1.1 " + QByteArray::number(intStatus) + " Status\r\n" + headerLines + "Connection: close\r\n\r\n";
}
