#pragma once

#include "browser/document/HtmlDocument.h"

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <utility>
#include <vector>

// Submitting a form the way a browser's form.submit() does: no submit button takes part.

struct FormRequest
{
    QUrl url;
    QByteArray verb; // "GET" or "POST"
    QByteArray body; // POST only
    QByteArray contentType;
};

using FormEntries = std::vector<std::pair<QString, QString>>;

// The form's successful controls as name/value pairs, in document order: named and enabled
// controls; checked check boxes and radio buttons; the selected options of a select; no buttons
// and no image or submit inputs. A hidden field named "_charset_" carries the charset's name.
FormEntries CollectFormEntries(const HtmlDocument& document, int intForm, const QByteArray& charset);

// application/x-www-form-urlencoded, the text encoded in charset first. Every line break in a
// name or value is sent as CR LF.
QByteArray EncodeFormEntries(const FormEntries& entries, const QByteArray& charset);

// The address that relative links of the document resolve against: its <base href>, if any.
QUrl DocumentBaseUrl(const HtmlDocument& document, const QUrl& documentUrl);

// The request that submitting the form sends: GET or POST by its method, to its action resolved
// against the document (an empty action is the document's own address), encoded in the form's
// accept-charset or else the page's charset. False when the form cannot be submitted here (an
// action that is script or no web address).
bool BuildFormRequest(const HtmlDocument& document, int intForm, const QUrl& documentUrl, const QByteArray& charset,
    FormRequest* request);
