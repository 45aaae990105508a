#pragma once

#include <QString>
#include <functional>

// The browser operations that a diagnostic run and the data dump rely on. The headless engine in
// src/browser implements it for real routers; tests drive the run with a scripted fake.
//
// Contract:
// - Navigate() returns at once; the page loads asynchronously ("about:blank" completes too).
// - Every document that finishes loading - frames first, then the top-level document that holds
//   them - is reported once through the document-complete handler, from the event loop and never
//   from inside Navigate(). A failed navigation completes with an error document whose URL is the
//   URL that failed and whose body text holds "Action canceled" (or "DNS Error").
// - URLs handed out by the browser (notifications, CurrentUrl) never carry user-info.
// - Element, form and frame operations act on the top-level document; a missing element reads as
//   empty and a set on it does nothing; a missing form or frame makes the submit return false.
class RouterBrowser
{
public:
    using DocumentCompleteHandler = std::function<void(const QString& strUrl)>;

    virtual ~RouterBrowser() = default;

    virtual void Navigate(const QString& strUrl) = 0;

    virtual QString ElementValue(const QString& strId) const = 0;
    virtual void SetElementValue(const QString& strId, const QString& strValue) = 0;

    // Submits the top-level document's form whose name (or else id) is strNameOrId.
    virtual bool SubmitForm(const QString& strNameOrId) = 0;
    // Submits the first form of the document in frame intFrame (0-based, frames and iframes together).
    virtual bool SubmitFrameForm(int intFrame) = 0;

    // Body of the top-level document as laid-out text (CR LF line breaks) and as serialized HTML.
    virtual QString BodyText() const = 0;
    virtual QString BodyHtml() const = 0;

    // URL of the top-level document, without user-info.
    virtual QString CurrentUrl() const = 0;

    // The router's host as the user named it, set before the first navigation: from then on no
    // load reaches any other host (any port of the router's is fine), and one for another host
    // fails like a refused connection.
    virtual void SetAllowedHost(const QString& strHost) { static_cast<void>(strHost); }
    // The host that the latest form submission was bound for when it was not made because that
    // host is not the router's; empty when the submission was made or failed for another reason.
    virtual QString RefusedFormHost() const { return QString(); }

    void SetDocumentCompleteHandler(DocumentCompleteHandler handler) { m_documentComplete = std::move(handler); }

protected:
    void NotifyDocumentComplete(const QString& strUrl)
    {
        if (m_documentComplete)
            m_documentComplete(strUrl);
    }

private:
    DocumentCompleteHandler m_documentComplete;
};
