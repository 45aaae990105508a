#pragma once

#include "run/RouterBrowser.h"

#include <QMap>
#include <QStringList>

// A browser whose pages are handed to it by the test: Navigate only records the URL, and Load
// makes a page current and delivers its document-complete notification at once.
class ScriptedBrowser : public RouterBrowser
{
public:
    void Navigate(const QString& strUrl) override { navigations << strUrl; }

    QString ElementValue(const QString& strId) const override { return elementValues.value(strId); }
    void SetElementValue(const QString& strId, const QString& strValue) override
    {
        elementValues.insert(strId, strValue);
        setValues << strId + QStringLiteral("=") + strValue;
    }
    bool SubmitForm(const QString& strNameOrId) override
    {
        submittedForms << strNameOrId;
        return true;
    }
    bool SubmitFrameForm(int intFrame) override
    {
        submittedFrames << intFrame;
        return true;
    }
    QString BodyText() const override { return strText; }
    QString BodyHtml() const override { return strHtml; }
    QString CurrentUrl() const override { return strUrl; }
    void SetAllowedHost(const QString& strHost) override { strAllowedHost = strHost; }
    QString RefusedFormHost() const override { return strRefusedFormHost; }

    void Load(const QString& strPageUrl, const QString& strPageText, const QString& strPageHtml = QString())
    {
        strUrl = strPageUrl;
        strText = strPageText;
        strHtml = strPageHtml;
        NotifyDocumentComplete(strPageUrl);
    }

    QString LastNavigation() const { return navigations.isEmpty() ? QString() : navigations.last(); }

    QStringList navigations;
    QStringList submittedForms;
    QList<int> submittedFrames;
    QStringList setValues;
    QMap<QString, QString> elementValues;
    QString strUrl;
    QString strText;
    QString strHtml;
    QString strAllowedHost;
    QString strRefusedFormHost; // what every submission answers, as the engine would for a form bound elsewhere
};
