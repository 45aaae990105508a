#include "support/LoopbackHttpServer.h"

#include <QHash>
#include <algorithm>
#include <chrono>
#include <httplib.h>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

QByteArray LoopbackRequest::Header(const QByteArray& name) const
{
    for (const auto& header : headers) {
        if (header.first.compare(name, Qt::CaseInsensitive) == 0)
            return header.second;
    }
    return QByteArray();
}

struct LoopbackHttpServer::Private
{
    httplib::Server server;
    std::thread thread;
    int intPort = 0;
    mutable std::mutex mutex;
    QHash<QByteArray, LoopbackHandler> routes;
    QList<LoopbackRequest> requests;
    bool blnRecord = true;

    void Dispatch(const httplib::Request& httpRequest, httplib::Response& httpResponse)
    {
        LoopbackRequest request;
        request.verb = QByteArray::fromStdString(httpRequest.method);
        request.target = QByteArray::fromStdString(httpRequest.target);
        request.path = QByteArray::fromStdString(httpRequest.path);
        const qsizetype lngQuery = request.target.indexOf('?');
        if (lngQuery >= 0)
            request.query = request.target.mid(lngQuery + 1);
        for (const auto& [name, value] : httpRequest.headers)
            request.headers.append({ QByteArray::fromStdString(name), QByteArray::fromStdString(value) });
        request.body = QByteArray::fromStdString(httpRequest.body);

        LoopbackHandler handler;
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (blnRecord)
                requests.append(request);
            handler = routes.value(request.path);
        }
        LoopbackResponse response;
        if (handler) {
            handler(request, response);
        } else {
            response.intStatus = 404;
            response.body = QByteArrayLiteral("<html><body>Not found</body></html>");
        }
        if (!response.blnCompress) {
            // The server would otherwise compress every text answer for a client that accepts
            // it. The request object belongs to the server and is not const itself.
            const_cast<httplib::Request&>(httpRequest).headers.erase("Accept-Encoding");
        }
        httpResponse.status = response.intStatus;
        for (const auto& [name, value] : response.headers)
            httpResponse.set_header(name.toStdString(), value.toStdString());
        if (!response.blnChunked) {
            httpResponse.set_content(response.body.toStdString(), response.contentType.toStdString());
            return;
        }
        const auto body = std::make_shared<std::string>(response.body.toStdString());
        httpResponse.set_chunked_content_provider(
            response.contentType.toStdString(), [body](size_t lngOffset, httplib::DataSink& sink) {
                const size_t lngChunk = std::min<size_t>(4096, body->size() - lngOffset);
                if (lngChunk > 0)
                    sink.write(body->data() + lngOffset, lngChunk);
                if (lngOffset + lngChunk >= body->size())
                    sink.done();
                return true;
            });
    }
};

LoopbackHttpServer::LoopbackHttpServer()
    : d(std::make_unique<Private>())
{
    auto dispatch
        = [this](const httplib::Request& request, httplib::Response& response) { d->Dispatch(request, response); };
    d->server.Get(".*", dispatch);
    d->server.Post(".*", dispatch);
    d->server.Put(".*", dispatch);
    d->server.Delete(".*", dispatch);
    d->server.Options(".*", dispatch);
    d->server.set_keep_alive_timeout(1);
    // Headers and body go out in separate writes: without this, delayed acknowledgements hold
    // every answer back by tens of milliseconds.
    d->server.set_tcp_nodelay(true);
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    Stop();
}

void LoopbackHttpServer::Route(const QByteArray& path, LoopbackHandler handler)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->routes.insert(path, std::move(handler));
}

void LoopbackHttpServer::ServePage(const QByteArray& path, const QByteArray& body, const QByteArray& contentType)
{
    Route(path, [body, contentType](const LoopbackRequest&, LoopbackResponse& response) {
        response.body = body;
        response.contentType = contentType;
    });
}

bool LoopbackHttpServer::Start()
{
    if (d->thread.joinable())
        return true;
    d->intPort = d->server.bind_to_any_port("127.0.0.1");
    if (d->intPort <= 0)
        return false;
    d->thread = std::thread([this] { d->server.listen_after_bind(); });
    // The server only honours stop() once its accept loop runs: wait for that here, so that a
    // server stopped right after starting never leaves its thread behind.
    for (int intWait = 0; intWait < 5000 && !d->server.is_running(); ++intWait)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return d->server.is_running();
}

void LoopbackHttpServer::Stop()
{
    if (!d->thread.joinable())
        return;
    d->server.stop();
    d->thread.join();
}

quint16 LoopbackHttpServer::Port() const
{
    return static_cast<quint16>(d->intPort);
}

QString LoopbackHttpServer::Url(const QString& strPathAndQuery) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(d->intPort).arg(strPathAndQuery);
}

void LoopbackHttpServer::SetRecordRequests(bool blnRecord)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->blnRecord = blnRecord;
}

QList<LoopbackRequest> LoopbackHttpServer::Requests() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->requests;
}

int LoopbackHttpServer::RequestCount(const QByteArray& path) const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    int intCount = 0;
    for (const LoopbackRequest& request : d->requests) {
        if (request.path == path)
            ++intCount;
    }
    return intCount;
}

LoopbackRequest LoopbackHttpServer::LastRequest(const QByteArray& path) const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    for (auto it = d->requests.crbegin(); it != d->requests.crend(); ++it) {
        if (it->path == path)
            return *it;
    }
    return LoopbackRequest();
}

void LoopbackHttpServer::ClearRequests()
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->requests.clear();
}
