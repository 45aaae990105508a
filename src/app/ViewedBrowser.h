#pragma once

#include "run/RouterBrowser.h"

#include <functional>
#include <memory>

// The run's browser instance as the window hosts it: every operation goes to the engine inside,
// and every completed document is first shown to the window (which renders the page into its
// browser area) and then passed on to the run. Once detached (the window is closing) it neither
// navigates nor passes notifications on, so nothing more reaches the router or the run.
class ViewedBrowser : public RouterBrowser
{
public:
    using PageShownHandler = std::function<void(const RouterBrowser& engine)>;

    ViewedBrowser(std::shared_ptr<RouterBrowser> engine, PageShownHandler pageShown);
    ~ViewedBrowser() override;

    ViewedBrowser(const ViewedBrowser&) = delete;
    ViewedBrowser& operator=(const ViewedBrowser&) = delete;

    void Detach();
    bool Detached() const { return m_blnDetached; }
    RouterBrowser& Engine() const { return *m_engine; }
    // The number of run handlers under way on the stack (page loads being handled right now).
    int HandlersRunning() const { return m_intHandlersRunning; }

    void Navigate(const QString& strUrl) override;
    QString ElementValue(const QString& strId) const override;
    void SetElementValue(const QString& strId, const QString& strValue) override;
    bool SubmitForm(const QString& strNameOrId) override;
    bool SubmitFrameForm(int intFrame) override;
    QString BodyText() const override;
    QString BodyHtml() const override;
    QString CurrentUrl() const override;
    void SetAllowedHost(const QString& strHost) override;
    QString RefusedFormHost() const override;

private:
    void OnEngineComplete(const QString& strUrl);

    std::shared_ptr<RouterBrowser> m_engine;
    PageShownHandler m_pageShown;
    bool m_blnDetached = false;
    int m_intHandlersRunning = 0;
};
