#include "browser/PageCharset.h"

#include "browser/MarkupScanner.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <initializer_list>

namespace
{
// How far into the page a charset declaration is looked for.
constexpr qsizetype kMetaScanBytes = 64 * 1024;

const QByteArray kUtf8 = QByteArrayLiteral("UTF-8");
const QByteArray kWindows1252 = QByteArrayLiteral("windows-1252");

bool IsOneOf(const QByteArray& label, std::initializer_list<const char*> names)
{
    for (const char* strName : names) {
        if (label == strName)
            return true;
    }
    return false;
}

// The value after "charset" and '=' in a Content-Type value or meta content, unquoted.
QByteArray CharsetParameter(const QByteArray& value)
{
    const QByteArray lower = value.toLower();
    qsizetype lngAt = 0;
    while ((lngAt = lower.indexOf("charset", lngAt)) >= 0) {
        lngAt += 7;
        qsizetype lngValue = lngAt;
        while (lngValue < lower.size() && (lower[lngValue] == ' ' || lower[lngValue] == '\t'))
            ++lngValue;
        if (lngValue >= lower.size() || lower[lngValue] != '=')
            continue;
        ++lngValue;
        while (lngValue < lower.size() && (lower[lngValue] == ' ' || lower[lngValue] == '\t'))
            ++lngValue;
        if (lngValue < lower.size() && (lower[lngValue] == '"' || lower[lngValue] == '\'')) {
            const char chrQuote = lower[lngValue];
            const qsizetype lngClose = lower.indexOf(chrQuote, lngValue + 1);
            if (lngClose < 0)
                return QByteArray();
            return value.mid(lngValue + 1, lngClose - lngValue - 1).trimmed();
        }
        qsizetype lngEnd = lngValue;
        while (lngEnd < lower.size() && lower[lngEnd] != ';' && lower[lngEnd] != ' ' && lower[lngEnd] != '\t')
            ++lngEnd;
        return value.mid(lngValue, lngEnd - lngValue);
    }
    return QByteArray();
}
} // namespace

QByteArray CanonicalCharset(const QByteArray& label)
{
    const QByteArray name = label.trimmed().toLower();
    if (name.isEmpty())
        return QByteArray();
    if (IsOneOf(name, { "utf-8", "utf8", "unicode-1-1-utf-8", "x-unicode20utf8" }))
        return kUtf8;
    if (IsOneOf(name,
            { "windows-1252", "cp1252", "x-cp1252", "iso-8859-1", "iso8859-1", "iso_8859-1", "latin1", "l1", "us-ascii",
                "ascii", "ansi_x3.4-1968", "iso-ir-100", "cp819", "ibm819", "csisolatin1", "iso_8859-1:1987",
                "iso88591" }))
        return kWindows1252;
    if (QStringDecoder(name.constData()).isValid() && QStringEncoder(name.constData()).isValid())
        return name;
    return QByteArray();
}

QByteArray CharsetFromContentType(const QByteArray& contentType)
{
    return CanonicalCharset(CharsetParameter(contentType));
}

QByteArray CharsetFromMeta(const QByteArray& bytes)
{
    const QByteArray head = bytes.left(kMetaScanBytes);
    MarkupScanner scanner(head, true);
    MarkupToken token;
    while (scanner.Next(&token)) {
        if (token.kind != MarkupToken::Kind::StartTag)
            continue;
        if (token.strName == "body")
            break;
        if (token.strName != "meta")
            continue;
        QByteArray httpEquiv;
        QByteArray content;
        for (const auto& [name, value] : token.attributes) {
            if (name == "charset") {
                const QByteArray charset = CanonicalCharset(value);
                // A page cannot declare itself in a charset that its own ASCII markup would not survive.
                if (charset.startsWith("utf-16"))
                    return kUtf8;
                if (!charset.isEmpty())
                    return charset;
            } else if (name == "http-equiv") {
                httpEquiv = value.trimmed().toLower();
            } else if (name == "content") {
                content = value;
            }
        }
        if (httpEquiv == "content-type") {
            const QByteArray charset = CanonicalCharset(CharsetParameter(content));
            if (charset.startsWith("utf-16"))
                return kUtf8;
            if (!charset.isEmpty())
                return charset;
        }
    }
    return QByteArray();
}

QByteArray ChoosePageCharset(const QByteArray& bytes, const QByteArray& contentType)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return kUtf8;
    if (bytes.startsWith("\xFE\xFF"))
        return QByteArrayLiteral("utf-16be");
    if (bytes.startsWith("\xFF\xFE"))
        return QByteArrayLiteral("utf-16le");
    QByteArray charset = CharsetFromContentType(contentType);
    if (charset.isEmpty())
        charset = CharsetFromMeta(bytes);
    return charset.isEmpty() ? kWindows1252 : charset;
}

QString DecodePage(const QByteArray& bytes, const QByteArray& charset)
{
    if (charset == kUtf8) {
        const qsizetype lngSkip = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
        return QString::fromUtf8(bytes.constData() + lngSkip, bytes.size() - lngSkip);
    }
    QStringDecoder decoder(charset.isEmpty() ? kWindows1252.constData() : charset.constData());
    if (!decoder.isValid())
        decoder = QStringDecoder(kWindows1252.constData());
    QString strText = decoder.decode(bytes);
    if (strText.startsWith(QChar(0xFEFF)))
        strText.remove(0, 1);
    return strText;
}

QByteArray EncodeForForm(const QString& strText, const QByteArray& charset)
{
    if (charset.isEmpty() || charset == kUtf8 || charset.startsWith("utf-16"))
        return strText.toUtf8();
    QStringEncoder encoder(charset.constData());
    if (!encoder.isValid())
        return strText.toUtf8();
    QByteArray bytes;
    qsizetype lngAt = 0;
    while (lngAt < strText.size()) {
        const qsizetype lngLength = (strText.at(lngAt).isHighSurrogate() && lngAt + 1 < strText.size()
                                        && strText.at(lngAt + 1).isLowSurrogate())
            ? 2
            : 1;
        const QStringView character = QStringView(strText).mid(lngAt, lngLength);
        const QByteArray encoded = encoder.encode(character);
        if (encoder.hasError()) {
            encoder = QStringEncoder(charset.constData());
            const char32_t codePoint = lngLength == 2 ? QChar::surrogateToUcs4(character.at(0), character.at(1))
                                                      : static_cast<char32_t>(character.at(0).unicode());
            bytes += "&#" + QByteArray::number(static_cast<quint32>(codePoint)) + ';';
        } else {
            bytes += encoded;
        }
        lngAt += lngLength;
    }
    return bytes;
}
