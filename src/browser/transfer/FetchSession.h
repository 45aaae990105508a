#pragma once

#include "browser/transfer/UrlCredentials.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QNetworkAccessManager;

// What the fetches of one browser instance share through its network manager, besides the
// manager's cookie jar: the credentials split off its addresses (so that the downloader answers
// the router's challenges with the run's login) and a replaceable name lookup (tests fail every
// name without asking a resolver). It lives as a child of the manager and goes away with it.
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

private:
    explicit FetchSession(QNetworkAccessManager* manager);

    std::shared_ptr<CredentialStore> m_credentials;
    HostLookup m_lookup;
};
