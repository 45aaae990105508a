#pragma once

#include "browser/document/DocumentBuilder.h"
#include "browser/document/HtmlDocument.h"
#include "browser/transfer/BrowserLimits.h"
#include "browser/transfer/FetchSession.h"
#include "support/Compression.h"
#include "support/RawHttpServer.h"

#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QTimer>

// How long a test waits for a load, and time-outs short enough that failures end quickly.
inline constexpr int kWaitMs = 10000;

inline BrowserLimits ShortLimits()
{
    BrowserLimits limits;
    limits.intConnectTimeoutMs = 3000;
    limits.intResponseTimeoutMs = 3000;
    limits.intMinRefreshDelayMs = 10;
    return limits;
}

// Test text is written with "\n"; the browser writes CR LF.
inline QString Crlf(const QString& strText)
{
    QString strOut = strText;
    strOut.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    return strOut;
}

inline QByteArray Gzip(const QByteArray& data)
{
    return Compressed(data, 15 + 16);
}

// The cap that the transfer rows below are fetched with.
inline constexpr qint64 kTransferCapBytes = 256 * 1024;

// Answers, whole and broken, for the browser and the downloader alike: "expected" is the body
// that arrives, or null when the transfer must fail.
inline void AddTransferRows()
{
    QTest::addColumn<RawScript>("script");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray whole = "whole page";
    auto head
        = [](const QByteArray& lines) { return RawHttpServer::Head(200, "Content-Type: text/plain\r\n" + lines); };
    auto sized = [](const QByteArray& body) { return "Content-Length: " + QByteArray::number(body.size()) + "\r\n"; };
    auto answer = [&](const QByteArray& encoding, const QByteArray& body) {
        return RawScript().Send(head("Content-Encoding: " + encoding + "\r\n" + sized(body)) + body);
    };
    const QByteArray nothing;

    QTest::newRow("length") << RawScript().Send(head(sized(whole)) + whole) << whole;
    QTest::newRow("ends with the connection") << RawScript().Send(head("") + whole) << whole;
    QTest::newRow("chunked") << RawScript().Send(
        head("Transfer-Encoding: chunked\r\n") + "6\r\nwhole \r\n4;x=y\r\npage\r\n0\r\n\r\n")
                             << whole;
    QTest::newRow("reset in the body") << RawScript().Send(head("Content-Length: 1000\r\n") + "half").Pause(50).Reset()
                                       << nothing;
    QTest::newRow("reset, no length") << RawScript().Send(head("") + "half").Pause(50).Reset() << nothing;
    QTest::newRow("shorter than its length") << RawScript().Send(head("Content-Length: 1000\r\n") + "half") << nothing;
    QTest::newRow("error status, cut") << RawScript().Send(RawHttpServer::Head(404, "Content-Length: 100\r\n") + "half")
                                       << nothing;
    QTest::newRow("chunks cut off") << RawScript().Send(head("Transfer-Encoding: chunked\r\n") + "4\r\nhalf\r\n")
                                    << nothing;
    QTest::newRow("chunks reset")
        << RawScript().Send(head("Transfer-Encoding: chunked\r\n") + "4\r\nhalf\r\n").Pause(50).Reset() << nothing;
    QTest::newRow("malformed chunk size")
        << RawScript().Send(head("Transfer-Encoding: chunked\r\n") + "zz\r\nhalf\r\n0\r\n\r\n") << nothing;

    QTest::newRow("gzip") << answer("gzip", Gzip(whole)) << whole;
    QTest::newRow("gzip twice") << answer("gzip, gzip", Gzip(Gzip(whole))) << whole;
    QTest::newRow("deflate, zlib-wrapped") << answer("deflate", Compressed(whole, 15)) << whole;
    QTest::newRow("deflate, raw") << answer("Deflate", Compressed(whole, -15)) << whole;
    QTest::newRow("x-gzip and identity") << answer("identity, x-gzip", Gzip(whole)) << whole;
    QTest::newRow("gzip, chunked") << RawScript().Send(head("Content-Encoding: gzip\r\nTransfer-Encoding: chunked\r\n")
        + QByteArray::number(Gzip(whole).size(), 16) + "\r\n" + Gzip(whole) + "\r\n0\r\n\r\n")
                                   << whole;
    QTest::newRow("data after the stream is ignored") << answer("gzip", Gzip(whole) + "trailing") << whole;
    QTest::newRow("unknown encoding: as it came") << answer("br", whole) << whole;
    QTest::newRow("damaged gzip") << answer("gzip", "\x1F\x8B\x08\0garbage that inflates to nothing") << nothing;
    QTest::newRow("gzip cut short") << answer("gzip", Gzip(QByteArray(2000, 'x')).left(8)) << nothing;
    QTest::newRow("gzip over the cap") << answer("gzip", Gzip(QByteArray(kTransferCapBytes + 1, 'x'))) << nothing;
    QTest::newRow("gzip twice over the cap")
        << answer("gzip,gzip", Gzip(Gzip(QByteArray(8 * kTransferCapBytes, 'x')))) << nothing;
    QTest::newRow("gzip at the cap") << answer("gzip", Gzip(QByteArray(kTransferCapBytes, 'x')))
                                     << QByteArray(kTransferCapBytes, 'x');
    QTest::newRow("plain, chunked over the cap") << RawScript()
                                                        .Send(head("Transfer-Encoding: chunked\r\n"))
                                                        .Send("1000\r\n" + QByteArray(4096, 'x') + "\r\n", 100)
                                                 << nothing;
}

inline HtmlDocument ParseHtml(const QString& strHtml)
{
    return BuildHtmlDocument(strHtml);
}

// A manager whose fetches fail every name lookup themselves: no query ever reaches a resolver.
// Only loopback addresses given as numbers go through; any other address fails like a name.
class FailingLookupManager : public QNetworkAccessManager
{
    Q_OBJECT

public:
    explicit FailingLookupManager(QObject* parent = nullptr)
        : QNetworkAccessManager(parent)
    {
        setProxy(QNetworkProxy::NoProxy);
        FetchSession::Of(this)->SetHostLookup([this](const QString& strHost, QList<QHostAddress>* addresses) {
            const QHostAddress address(strHost);
            if (!address.isNull() && address.isLoopback()) {
                addresses->append(address);
                return true;
            }
            ++intFailedLookups;
            return false;
        });
    }

    int intFailedLookups = 0;
};
