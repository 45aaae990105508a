#include "browser/transfer/BoundedCookieJar.h"

#include <QNetworkCookie>
#include <QSet>
#include <vector>

bool BoundedCookieJar::setCookiesFromUrl(const QList<QNetworkCookie>& cookies, const QUrl& url)
{
    QList<QNetworkCookie> kept;
    for (const QNetworkCookie& cookie : cookies) {
        if (cookie.name().size() + cookie.value().size() <= intMaxCookieBytes)
            kept.append(cookie);
    }
    if (kept.isEmpty() || !QNetworkCookieJar::setCookiesFromUrl(kept, url))
        return false;

    // The jar keeps its cookies oldest first (a cookie set again moves to the end): the oldest of
    // a domain over its count, then the oldest of all over the total, are dropped.
    QList<QNetworkCookie> all = allCookies();
    QSet<QString> domains;
    for (const QNetworkCookie& cookie : kept) {
        QNetworkCookie normalized = cookie;
        normalized.normalize(url);
        domains.insert(normalized.domain());
    }
    bool blnDropped = false;
    for (const QString& strDomain : domains) {
        qsizetype lngCount = 0;
        for (const QNetworkCookie& cookie : all)
            lngCount += cookie.domain() == strDomain ? 1 : 0;
        for (qsizetype lngAt = 0; lngAt < all.size() && lngCount > intMaxCookiesPerDomain;) {
            if (all.at(lngAt).domain() == strDomain) {
                all.removeAt(lngAt);
                --lngCount;
                blnDropped = true;
            } else {
                ++lngAt;
            }
        }
    }
    if (all.size() > intMaxCookies) {
        all.erase(all.begin(), all.begin() + (all.size() - intMaxCookies));
        blnDropped = true;
    }
    if (blnDropped)
        setAllCookies(all);
    return true;
}

QByteArray BoundedCookieJar::CookieHeader(const QNetworkCookieJar& jar, const QUrl& url)
{
    // The newest cookies are the likeliest to matter (a login's session): they are chosen first,
    // and the header lists the chosen ones in the jar's order.
    const QList<QNetworkCookie> cookies = jar.cookiesForUrl(url);
    std::vector<QByteArray> pairs(static_cast<size_t>(cookies.size()));
    qsizetype lngSize = 0;
    for (qsizetype lngAt = cookies.size() - 1; lngAt >= 0; --lngAt) {
        QByteArray pair = cookies.at(lngAt).toRawForm(QNetworkCookie::NameAndValueOnly);
        const qsizetype lngNeeded = pair.size() + (lngSize > 0 ? 2 : 0);
        if (lngSize + lngNeeded > intMaxHeaderBytes)
            continue;
        lngSize += lngNeeded;
        pairs[static_cast<size_t>(lngAt)] = std::move(pair);
    }
    QByteArray header;
    header.reserve(lngSize);
    for (const QByteArray& pair : pairs) {
        if (!pair.isEmpty())
            header += (header.isEmpty() ? "" : "; ") + pair;
    }
    return header;
}

qint64 BoundedCookieJar::HeldBytes() const
{
    qint64 lngBytes = 0;
    for (const QNetworkCookie& cookie : allCookies())
        lngBytes += cookie.name().size() + cookie.value().size();
    return lngBytes;
}
