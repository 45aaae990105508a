#include "browser/transfer/FetchSession.h"

#include <QNetworkAccessManager>

FetchSession::FetchSession(QNetworkAccessManager* manager)
    : QObject(manager)
    , m_credentials(std::make_shared<CredentialStore>())
{ }

FetchSession* FetchSession::Of(QNetworkAccessManager* manager)
{
    auto* session = manager->findChild<FetchSession*>(QString(), Qt::FindDirectChildrenOnly);
    return session ? session : new FetchSession(manager);
}
