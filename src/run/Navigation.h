#pragma once

#include <QString>

class PageTrace;
class RouterBrowser;

// The window fields that make up a router address: administrator name, password, router address
// and port, as typed.
struct RouterLogin
{
    QString strUser;
    QString strPassword;
    QString strAddress;
    QString strPort;
};

// "http://" + address + ":" + port + path; with blnUrlLogin the user name and password go in front
// of the address as "user:password@". They are percent-encoded there, so that a password holding
// "@", ":", "/" or "#" can neither break the address nor send the log-in to another host. Address,
// port and path are used as typed; an empty path leaves nothing after the port.
QString BuildRouterUrl(const RouterLogin& login, bool blnUrlLogin, const QString& strPath);

// Writes the trace line "Moving to " + path and starts loading the router page strPath; returns
// before the page has loaded.
void NavigateTo(
    RouterBrowser& browser, const PageTrace& trace, const RouterLogin& login, bool blnUrlLogin, const QString& strPath);

// Fills in and submits the router's login form the way the class expects: Class II the user name
// and password boxes "uiPostUserName" and "uiPostPassword" of the form "uiPostForm", Class V the
// password box "PS" and the first form of the second frame. Class I takes its login in the URL and
// submits nothing. The diagnostic run and the line watch both log in through here.
void SubmitLogin(RouterBrowser& browser, int intRouterClass, const QString& strUser, const QString& strPassword);
