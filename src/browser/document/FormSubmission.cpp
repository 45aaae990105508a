#include "browser/document/FormSubmission.h"

#include "browser/document/PageCharset.h"
#include "browser/transfer/UrlCredentials.h"

#include <QRegularExpression>

namespace
{
bool IsDisabled(const HtmlDocument& document, int intControl)
{
    const QString strDisabled = QStringLiteral("disabled");
    if (document.HasAttribute(intControl, strDisabled))
        return true;
    // A disabled fieldset disables its controls, except those inside its first legend.
    int intChild = intControl;
    for (int intAncestor = document.Node(intControl).intParent; intAncestor >= 0;
         intChild = intAncestor, intAncestor = document.Node(intAncestor).intParent) {
        if (!document.IsElement(intAncestor, "fieldset") || !document.HasAttribute(intAncestor, strDisabled))
            continue;
        int intFirstLegend = -1;
        for (int intCandidate : document.Node(intAncestor).children) {
            if (document.IsElement(intCandidate, "legend")) {
                intFirstLegend = intCandidate;
                break;
            }
        }
        if (intChild != intFirstLegend)
            return true;
    }
    return false;
}

bool IsInsideDatalist(const HtmlDocument& document, int intControl)
{
    for (int intAncestor = document.Node(intControl).intParent; intAncestor >= 0;
         intAncestor = document.Node(intAncestor).intParent) {
        if (document.IsElement(intAncestor, "datalist"))
            return true;
    }
    return false;
}

QString NormalizeLineBreaks(const QString& strText)
{
    QString strOut;
    strOut.reserve(strText.size());
    for (qsizetype lngAt = 0; lngAt < strText.size(); ++lngAt) {
        const QChar chr = strText.at(lngAt);
        if (chr == QLatin1Char('\r')) {
            strOut += QLatin1String("\r\n");
            if (lngAt + 1 < strText.size() && strText.at(lngAt + 1) == QLatin1Char('\n'))
                ++lngAt;
        } else if (chr == QLatin1Char('\n')) {
            strOut += QLatin1String("\r\n");
        } else {
            strOut += chr;
        }
    }
    return strOut;
}

void AppendUrlEncoded(QByteArray* out, const QByteArray& bytes)
{
    static const char kHex[] = "0123456789ABCDEF";
    for (const char chr : bytes) {
        const auto code = static_cast<unsigned char>(chr);
        if ((code >= 'a' && code <= 'z') || (code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9') || code == '*'
            || code == '-' || code == '.' || code == '_') {
            out->append(chr);
        } else if (code == ' ') {
            out->append('+');
        } else {
            out->append('%');
            out->append(kHex[code >> 4]);
            out->append(kHex[code & 0x0F]);
        }
    }
}

QByteArray FormCharset(const HtmlDocument& document, int intForm, const QByteArray& pageCharset)
{
    const QString strAccept = document.AttributeValue(intForm, QStringLiteral("accept-charset"));
    if (strAccept.isEmpty())
        return pageCharset; // as most forms: no pattern to build
    for (const QString& strLabel : strAccept.split(QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts)) {
        const QByteArray charset = CanonicalCharset(strLabel.toLatin1());
        if (!charset.isEmpty())
            return charset;
    }
    return pageCharset;
}
} // namespace

FormEntries CollectFormEntries(const HtmlDocument& document, int intForm, const QByteArray& charset)
{
    FormEntries entries;
    const QString strNameAttribute = QStringLiteral("name");
    for (int intControl : document.FormControls(intForm)) {
        const HtmlNode& node = document.Node(intControl);
        if (node.strTag == QLatin1String("button") || IsDisabled(document, intControl)
            || IsInsideDatalist(document, intControl))
            continue;
        const QString strName = document.AttributeValue(intControl, strNameAttribute);
        if (strName.isEmpty())
            continue;
        if (node.strTag == QLatin1String("select")) {
            for (int intOption : document.SelectedOptions(intControl)) {
                if (!document.HasAttribute(intOption, QStringLiteral("disabled")))
                    entries.emplace_back(strName, document.OptionValue(intOption));
            }
            continue;
        }
        if (node.strTag == QLatin1String("input")) {
            const QString strType = document.InputType(intControl);
            if (strType == QLatin1String("submit") || strType == QLatin1String("image")
                || strType == QLatin1String("button") || strType == QLatin1String("reset"))
                continue;
            if ((strType == QLatin1String("checkbox") || strType == QLatin1String("radio"))
                && !document.HasAttribute(intControl, QStringLiteral("checked")))
                continue;
            if (strType == QLatin1String("file")) {
                entries.emplace_back(strName, QString()); // no file is ever chosen here
                continue;
            }
            if (strType == QLatin1String("hidden")
                && strName.compare(QLatin1String("_charset_"), Qt::CaseInsensitive) == 0
                && !document.Node(intControl).blnValueSet) {
                entries.emplace_back(strName, QString::fromLatin1(charset));
                continue;
            }
        }
        entries.emplace_back(strName, document.ControlValue(intControl));
    }
    return entries;
}

QByteArray EncodeFormEntries(const FormEntries& entries, const QByteArray& charset)
{
    QByteArray encoded;
    for (const auto& [strName, strValue] : entries) {
        if (!encoded.isEmpty())
            encoded.append('&');
        AppendUrlEncoded(&encoded, EncodeForForm(NormalizeLineBreaks(strName), charset));
        encoded.append('=');
        AppendUrlEncoded(&encoded, EncodeForForm(NormalizeLineBreaks(strValue), charset));
    }
    return encoded;
}

QUrl DocumentBaseUrl(const HtmlDocument& document, const QUrl& documentUrl)
{
    const QString strBase = document.BaseHref();
    if (strBase.isEmpty())
        return documentUrl;
    const QUrl base = documentUrl.resolved(QUrl(strBase));
    return base.isValid() ? base : documentUrl;
}

bool BuildFormRequest(
    const HtmlDocument& document, int intForm, const QUrl& documentUrl, const QByteArray& charset, FormRequest* request)
{
    if (intForm < 0 || !document.IsElement(intForm, "form"))
        return false;
    const QString strAction = document.AttributeValue(intForm, QStringLiteral("action")).trimmed();
    QUrl action = strAction.isEmpty() ? documentUrl : DocumentBaseUrl(document, documentUrl).resolved(QUrl(strAction));
    if (!IsWebUrl(action))
        return false;
    action.setFragment(QString());

    const QByteArray formCharset = FormCharset(document, intForm, charset);
    const QByteArray encoded = EncodeFormEntries(CollectFormEntries(document, intForm, formCharset), formCharset);
    const bool blnPost = document.AttributeValue(intForm, QStringLiteral("method"))
                             .trimmed()
                             .compare(QLatin1String("post"), Qt::CaseInsensitive)
        == 0;
    if (blnPost) {
        request->verb = QByteArrayLiteral("POST");
        request->body = encoded;
        request->contentType = QByteArrayLiteral("application/x-www-form-urlencoded");
    } else {
        request->verb = QByteArrayLiteral("GET");
        request->body.clear();
        request->contentType.clear();
        action.setQuery(QString::fromLatin1(encoded), QUrl::StrictMode);
    }
    request->url = action;
    return true;
}
