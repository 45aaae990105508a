#pragma once

#include "browser/BrowserLimits.h"
#include "browser/DocumentBuilder.h"
#include "browser/HtmlDocument.h"

#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QString>
#include <QStringList>
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

inline HtmlDocument ParseHtml(const QString& strHtml)
{
    return BuildHtmlDocument(strHtml);
}

// A reply that fails its name lookup, as a resolver would for an unknown host.
class FailedLookupReply : public QNetworkReply
{
    Q_OBJECT

public:
    FailedLookupReply(QNetworkAccessManager::Operation operation, const QNetworkRequest& request, QObject* parent)
        : QNetworkReply(parent)
    {
        setRequest(request);
        setUrl(request.url());
        setOperation(operation);
        open(QIODevice::ReadOnly);
        QTimer::singleShot(0, this, [this] {
            setError(QNetworkReply::HostNotFoundError, QStringLiteral("Host not found"));
            Q_EMIT errorOccurred(QNetworkReply::HostNotFoundError);
            setFinished(true);
            Q_EMIT finished();
        });
    }

    void abort() override { }

protected:
    qint64 readData(char*, qint64) override { return -1; }
};

// A manager that lets requests to loopback addresses through and fails every other host's name
// lookup itself: no query ever reaches a resolver.
class FailingLookupManager : public QNetworkAccessManager
{
    Q_OBJECT

public:
    explicit FailingLookupManager(QObject* parent = nullptr)
        : QNetworkAccessManager(parent)
    {
        setProxy(QNetworkProxy::NoProxy);
    }

    int intFailedLookups = 0;

protected:
    QNetworkReply* createRequest(Operation operation, const QNetworkRequest& request, QIODevice* outgoingData) override
    {
        const QHostAddress address(request.url().host());
        if (!address.isNull() && address.isLoopback())
            return QNetworkAccessManager::createRequest(operation, request, outgoingData);
        ++intFailedLookups;
        return new FailedLookupReply(operation, request, this);
    }
};
