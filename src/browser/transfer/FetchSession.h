#pragma once

#include "browser/transfer/UrlCredentials.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>

class QNetworkAccessManager;

// What the fetches of one browser instance share through its network manager, besides the
// manager's cookie jar: the credentials split off its addresses (so that the downloader answers
// the router's challenges with the run's login), the one host its requests may reach, and a
// replaceable name lookup (tests fail every name without asking a resolver). It lives as a child
// of the manager and goes away with it.
class FetchSession : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FetchSession)

public:
    // Asked for every host, numeric ones too: fills addresses and returns true, or returns false
    // when the host may not be reached.
    using HostLookup = std::function<bool(const QString& strHost, QList<QHostAddress>* addresses)>;

    // The manager's session, made on first use.
    static FetchSession* Of(QNetworkAccessManager* manager);

    std::shared_ptr<CredentialStore> Credentials() const { return m_credentials; }

    // Without a lookup of its own, names are resolved by the system's resolver.
    void SetHostLookup(HostLookup lookup) { m_lookup = std::move(lookup); }
    const HostLookup& Lookup() const { return m_lookup; }

    // From then on requests go to strHost alone (any port of it): a request for any other host -
    // a redirect, a frame, a script, a form - fails before a name is looked up or a connection is
    // made. strHost is the host as the user typed it; without a call every host may be reached.
    void SetAllowedHost(const QString& strHost);
    // Whether a request for url may be sent.
    bool Allows(const QUrl& url) const;

private:
    explicit FetchSession(QNetworkAccessManager* manager);

    std::shared_ptr<CredentialStore> m_credentials;
    HostLookup m_lookup;
    bool m_blnHostBound = false;
    QString m_strAllowedHost; // as a URL holds it: lower case, an IPv6 address without brackets
};
