#include "browser/transfer/FetchSession.h"

#include "browser/transfer/BoundedCookieJar.h"

#include <QHostAddress>
#include <QNetworkAccessManager>

FetchSession::FetchSession(QNetworkAccessManager* manager)
    : QObject(manager)
    , m_credentials(std::make_shared<CredentialStore>())
{
    // The pages' cookies are bounded for every fetch and script of the manager.
    if (!qobject_cast<BoundedCookieJar*>(manager->cookieJar()))
        manager->setCookieJar(new BoundedCookieJar(manager));
}

FetchSession* FetchSession::Of(QNetworkAccessManager* manager)
{
    auto* session = manager->findChild<FetchSession*>(QString(), Qt::FindDirectChildrenOnly);
    return session ? session : new FetchSession(manager);
}

void FetchSession::SetAllowedHost(const QString& strHost)
{
    m_blnHostBound = true;
    // Read as the run's own addresses read it, so that it compares with what a URL holds. A host
    // that does not read as one allows nothing.
    const QUrl probe(QStringLiteral("http://") + strHost.trimmed() + QLatin1Char('/'));
    m_strAllowedHost = probe.isValid() ? probe.host().toLower() : QString();
}

bool FetchSession::Allows(const QUrl& url) const
{
    if (!m_blnHostBound)
        return true;
    const QString strHost = url.host().toLower();
    if (m_strAllowedHost.isEmpty() || strHost.isEmpty())
        return false;
    if (strHost == m_strAllowedHost)
        return true;
    // The same address written another way (leading zeros, a shortened IPv6 form).
    const QHostAddress allowed(m_strAllowedHost);
    return !allowed.isNull() && allowed == QHostAddress(strHost);
}
