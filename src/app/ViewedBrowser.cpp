#include "app/ViewedBrowser.h"

ViewedBrowser::ViewedBrowser(std::shared_ptr<RouterBrowser> engine, PageShownHandler pageShown)
    : m_engine(std::move(engine))
    , m_pageShown(std::move(pageShown))
{
    m_engine->SetDocumentCompleteHandler([this](const QString& strUrl) { OnEngineComplete(strUrl); });
}

ViewedBrowser::~ViewedBrowser()
{
    m_engine->SetDocumentCompleteHandler({});
}

void ViewedBrowser::Detach()
{
    m_blnDetached = true;
    SetDocumentCompleteHandler({});
}

void ViewedBrowser::OnEngineComplete(const QString& strUrl)
{
    if (m_blnDetached)
        return;
    if (m_pageShown)
        m_pageShown(*m_engine);
    ++m_intHandlersRunning;
    NotifyDocumentComplete(strUrl);
    --m_intHandlersRunning;
}

void ViewedBrowser::Navigate(const QString& strUrl)
{
    if (!m_blnDetached)
        m_engine->Navigate(strUrl);
}

QString ViewedBrowser::ElementValue(const QString& strId) const
{
    return m_engine->ElementValue(strId);
}

void ViewedBrowser::SetElementValue(const QString& strId, const QString& strValue)
{
    m_engine->SetElementValue(strId, strValue);
}

bool ViewedBrowser::SubmitForm(const QString& strNameOrId)
{
    return !m_blnDetached && m_engine->SubmitForm(strNameOrId);
}

bool ViewedBrowser::SubmitFrameForm(int intFrame)
{
    return !m_blnDetached && m_engine->SubmitFrameForm(intFrame);
}

QString ViewedBrowser::BodyText() const
{
    return m_engine->BodyText();
}

QString ViewedBrowser::BodyHtml() const
{
    return m_engine->BodyHtml();
}

QString ViewedBrowser::CurrentUrl() const
{
    return m_engine->CurrentUrl();
}

void ViewedBrowser::SetAllowedHost(const QString& strHost)
{
    m_engine->SetAllowedHost(strHost);
}

QString ViewedBrowser::RefusedFormHost() const
{
    return m_engine->RefusedFormHost();
}
