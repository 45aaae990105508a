#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <memory>
#include <vector>

// A loopback server that answers with raw bytes written step by step, for the transfers that a
// well-behaved server library never produces: a connection reset in the middle of a body, a body
// shorter than its Content-Length, broken chunks, an answer that never comes. It binds 127.0.0.1
// on a free port, serves every connection on a thread of its own and stops in its destructor
// (a held connection is released then).
//
//     RawHttpServer server;
//     server.Route("/cut.htm", RawScript().Send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nhalf").Reset());
//     QVERIFY(server.Start());
//
// After its script the server closes the connection. Unrouted paths answer 404.
class RawScript
{
public:
    struct Step
    {
        enum class Kind { Send, Pause, Reset, Hold };
        Kind kind = Kind::Send;
        QByteArray bytes;
        qint64 lngRepeat = 1;
        int intMs = 0;
    };

    // Writes bytes, lngRepeat times over (large bodies without holding them in memory).
    RawScript& Send(const QByteArray& bytes, qint64 lngRepeat = 1);
    RawScript& Pause(int intMs);
    // Ends the connection with a reset instead of an orderly close.
    RawScript& Reset();
    // Keeps the connection open without a word until the server stops.
    RawScript& Hold();

    const std::vector<Step>& Steps() const { return m_steps; }

private:
    std::vector<Step> m_steps;
};

class RawHttpServer
{
public:
    RawHttpServer();
    ~RawHttpServer();
    RawHttpServer(const RawHttpServer&) = delete;
    RawHttpServer& operator=(const RawHttpServer&) = delete;

    // The script for a path (without the query); may change while the server runs.
    void Route(const QByteArray& path, const RawScript& script);
    bool Start();
    void Stop();

    quint16 Port() const;
    QString Url(const QString& strPathAndQuery) const;
    int RequestCount(const QByteArray& path) const;

    // A complete response head for a status with the given header lines (each ending CR LF), closing
    // the connection after the answer.
    static QByteArray Head(int intStatus, const QByteArray& headerLines);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

Q_DECLARE_METATYPE(RawScript)
