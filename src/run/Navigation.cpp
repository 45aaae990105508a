#include "run/Navigation.h"

#include "config/PageTrace.h"
#include "run/RouterBrowser.h"

#include <QUrl>

QString BuildRouterUrl(const RouterLogin& login, bool blnUrlLogin, const QString& strPath)
{
    QString strUrl = QStringLiteral("http://");
    if (blnUrlLogin) {
        // Everything but letters, digits and "-._~" is encoded, which covers every character
        // that ends the user-info part or the authority.
        strUrl += QString::fromLatin1(QUrl::toPercentEncoding(login.strUser)) + QLatin1Char(':')
            + QString::fromLatin1(QUrl::toPercentEncoding(login.strPassword)) + QLatin1Char('@');
    }
    return strUrl + login.strAddress + QLatin1Char(':') + login.strPort + strPath;
}

void NavigateTo(
    RouterBrowser& browser, const PageTrace& trace, const RouterLogin& login, bool blnUrlLogin, const QString& strPath)
{
    trace.WriteTrace(QStringLiteral("Moving to ") + strPath, false);
    browser.Navigate(BuildRouterUrl(login, blnUrlLogin, strPath));
}

void SubmitLogin(RouterBrowser& browser, int intRouterClass, const QString& strUser, const QString& strPassword)
{
    if (intRouterClass == 2) {
        browser.SetElementValue(QStringLiteral("uiPostUserName"), strUser);
        browser.SetElementValue(QStringLiteral("uiPostPassword"), strPassword);
        browser.SubmitForm(QStringLiteral("uiPostForm"));
    } else if (intRouterClass == 3) {
        browser.SetElementValue(QStringLiteral("PS"), strPassword);
        browser.SubmitFrameForm(1);
    }
}
