#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkCookieJar>
#include <QUrl>

// The cookie jar of a browser instance, bounded as browsers bound theirs: a cookie larger than
// a browser keeps is dropped, a host keeps only its latest cookies, and a request carries only
// as many as fit into one header. What a router's page sets beyond that is dropped, never the
// run: a page that sets thousands of large cookies costs a few hundred kilobytes at most.
class BoundedCookieJar : public QNetworkCookieJar
{
    Q_OBJECT

public:
    static constexpr int intMaxCookieBytes = 4096; // name and value of one cookie
    static constexpr int intMaxCookiesPerDomain = 50; // the oldest make way
    static constexpr int intMaxCookies = 1000; // in the whole jar
    static constexpr int intMaxHeaderBytes = 8192; // the Cookie header of one request

    using QNetworkCookieJar::QNetworkCookieJar;

    bool setCookiesFromUrl(const QList<QNetworkCookie>& cookies, const QUrl& url) override;

    // The value of the Cookie header for a request to url, empty when there is none: the jar's
    // cookies for it, newest first, as many as fit within intMaxHeaderBytes.
    static QByteArray CookieHeader(const QNetworkCookieJar& jar, const QUrl& url);

    // What the jar holds, in bytes of names and values (for the tests and benchmarks).
    qint64 HeldBytes() const;
};
