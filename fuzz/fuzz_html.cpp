// Fuzzes the browser's page pipeline on arbitrary bytes as a page: charset choice and decoding,
// the markup guard, the parser and the conversion into our tree, the body text layout, the body
// and document serializers, element values, form submission, frames and the refresh value.
//
// The first byte chooses the Content-Type that the page arrives with.
//
// Checked: nothing crashes or overflows the stack; the text and HTML write every line break as
// CR LF; the text has no blank at a line end; a submitted form goes to a web address; no
// address keeps its user-info.

#include "FuzzCheck.h"
#include "browser/document/BodyTextLayout.h"
#include "browser/document/DocumentBuilder.h"
#include "browser/document/FormSubmission.h"
#include "browser/document/HtmlDocument.h"
#include "browser/document/HtmlSerializer.h"
#include "browser/document/PageCharset.h"
#include "browser/engine/RefreshDirective.h"
#include "browser/transfer/UrlCredentials.h"

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <cstdint>
#include <cstdlib>
#include <iterator>

namespace
{
const char* const kContentTypes[] = { "", "text/html", "text/html; charset=utf-8", "text/html; charset=iso-8859-1",
    "text/html; charset=shift_jis", "text/html; charset=\"bogus\"" };
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QByteArray contentType(size > 0 ? kContentTypes[data[0] % std::size(kContentTypes)] : "");
    const QByteArray charset = ChoosePageCharset(bytes, contentType);
    HtmlDocument document;
    BuildHtmlDocument(DecodePageToUtf8(bytes, charset), &document);

    const QString strText = LayOutBodyText(document);
    CheckLineBreaks(strText);
    for (const QString& strLine : strText.split(QStringLiteral("\r\n")))
        Check(!strLine.endsWith(QLatin1Char(' ')) && !strLine.endsWith(QLatin1Char('\t')));
    CheckLineBreaks(SerializeBodyHtml(document));
    CheckLineBreaks(SerializeDocument(document));

    // Element values, read and set, on the first elements that carry an id or a name.
    int intTouched = 0;
    for (int intNode = 0; intNode < document.NodeCount() && intTouched < 32; ++intNode) {
        const QString strId = document.AttributeValue(intNode, QStringLiteral("id"));
        if (strId.isEmpty())
            continue;
        ++intTouched;
        const int intElement = document.ElementById(strId);
        Check(intElement >= 0);
        const QString strValue = document.ControlValue(intElement);
        document.SetControlValue(intElement, strValue + QStringLiteral("\r\nx"));
        document.ControlValue(intElement);
    }

    const QUrl documentUrl(QStringLiteral("http://127.0.0.1:8080/html/page.htm"));
    int intForms = 0;
    for (int intForm : document.ElementsByTag("form")) {
        if (++intForms > 16)
            break;
        FormRequest request;
        if (BuildFormRequest(document, intForm, documentUrl, charset, &request)) {
            const QString strScheme = request.url.scheme();
            Check(strScheme == QLatin1String("http") || strScheme == QLatin1String("https"));
        }
    }

    const QUrl base = DocumentBaseUrl(document, documentUrl);
    int intFrames = 0;
    for (int intFrame : document.FrameElements()) {
        if (++intFrames > 16)
            break;
        const SplitUrl split
            = SplitUserInfo(base.resolved(QUrl(document.AttributeValue(intFrame, QStringLiteral("src")))));
        Check(split.url.userInfo().isEmpty());
    }

    QString strRefresh;
    if (document.MetaRefresh(&strRefresh)) {
        const RefreshDirective directive = ParseRefresh(strRefresh);
        Check(directive.intDelaySeconds >= 0 && directive.intDelaySeconds <= RefreshDirective::intMaxDelaySeconds);
    }
    const SplitUrl typed = SplitUserInfo(QString::fromLatin1(bytes.left(512)));
    Check(typed.url.userInfo().isEmpty());
    return 0;
}
