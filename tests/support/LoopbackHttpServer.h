#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <functional>
#include <memory>

// A small HTTP/1.1 server for tests, bound to 127.0.0.1 on a free port and running in threads of
// its own; it stops in its destructor. Handlers run on the server's threads: they must only use
// what they captured by value (or guard it themselves). Every request is recorded for the test
// to inspect afterwards.
//
//     LoopbackHttpServer server;
//     server.ServePage("/status.htm", "<html>...</html>");
//     QVERIFY(server.Start());
//     engine.Navigate(server.Url("/status.htm"));

struct LoopbackRequest
{
    QByteArray verb;
    QByteArray path; // without the query
    QByteArray query; // as sent, without '?'
    QByteArray target; // path and query as sent
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;

    // First header of that name (case-insensitive), empty when absent.
    QByteArray Header(const QByteArray& name) const;
};

struct LoopbackResponse
{
    int intStatus = 200;
    QByteArray body;
    QByteArray contentType = QByteArrayLiteral("text/html");
    QList<QPair<QByteArray, QByteArray>> headers; // sent in this order; a name may repeat
    bool blnChunked = false; // send the body in chunks, without a Content-Length
    bool blnCompress = false; // compress text when the client accepts it (routers do not)

    void AddHeader(const QByteArray& name, const QByteArray& value) { headers.append({ name, value }); }
};

using LoopbackHandler = std::function<void(const LoopbackRequest& request, LoopbackResponse& response)>;

class LoopbackHttpServer
{
public:
    LoopbackHttpServer();
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    // Routes take the exact path (without the query) for every method; a later route for the
    // same path replaces the earlier one. Unrouted paths answer 404. Routes may change while
    // the server runs.
    void Route(const QByteArray& path, LoopbackHandler handler);
    void ServePage(
        const QByteArray& path, const QByteArray& body, const QByteArray& contentType = QByteArrayLiteral("text/html"));

    // Binds 127.0.0.1 on a free port and starts serving; false when that fails.
    bool Start();
    void Stop();

    quint16 Port() const;
    // "http://127.0.0.1:<port>" followed by strPathAndQuery.
    QString Url(const QString& strPathAndQuery) const;

    // Requests are recorded unless switched off (benchmarks send millions).
    void SetRecordRequests(bool blnRecord);
    QList<LoopbackRequest> Requests() const;
    int RequestCount(const QByteArray& path) const;
    // The latest request for path (an empty request when there was none).
    LoopbackRequest LastRequest(const QByteArray& path) const;
    void ClearRequests();

private:
    struct Private;
    std::unique_ptr<Private> d;
};
