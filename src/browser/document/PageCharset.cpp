#include "browser/document/PageCharset.h"

#include "browser/document/MarkupScanner.h"
#include "browser/transfer/CharsetCodec.h"

#include <QHash>
#include <array>

namespace
{
// How far into the page a charset declaration is looked for.
constexpr qsizetype kMetaScanBytes = 64 * 1024;

const QByteArray kUtf8 = QByteArrayLiteral("UTF-8");
const QByteArray kWindows1252 = QByteArrayLiteral("windows-1252");
const QByteArray kReplacement = QByteArrayLiteral("replacement");
const QByteArray kUserDefined = QByteArrayLiteral("x-user-defined");

// The labels that browsers accept for each encoding, by the encoding's name; every other label
// names no encoding at all. The names are also what the platform's converters are asked for.
const struct
{
    const char* strName;
    const char* strLabels; // separated by single blanks
} kEncodings[] = {
    { "UTF-8", "unicode-1-1-utf-8 unicode11utf8 unicode20utf8 utf-8 utf8 x-unicode20utf8" },
    { "IBM866", "866 cp866 csibm866 ibm866" },
    { "ISO-8859-2", "csisolatin2 iso-8859-2 iso-ir-101 iso8859-2 iso88592 iso_8859-2 iso_8859-2:1987 l2 latin2" },
    { "ISO-8859-3", "csisolatin3 iso-8859-3 iso-ir-109 iso8859-3 iso88593 iso_8859-3 iso_8859-3:1988 l3 latin3" },
    { "ISO-8859-4", "csisolatin4 iso-8859-4 iso-ir-110 iso8859-4 iso88594 iso_8859-4 iso_8859-4:1988 l4 latin4" },
    { "ISO-8859-5", "csisolatincyrillic cyrillic iso-8859-5 iso-ir-144 iso8859-5 iso88595 iso_8859-5 iso_8859-5:1988" },
    { "ISO-8859-6",
        "arabic asmo-708 csiso88596e csiso88596i csisolatinarabic ecma-114 iso-8859-6 iso-8859-6-e iso-8859-6-i "
        "iso-ir-127 iso8859-6 iso88596 iso_8859-6 iso_8859-6:1987" },
    { "ISO-8859-7",
        "csisolatingreek ecma-118 elot_928 greek greek8 iso-8859-7 iso-ir-126 iso8859-7 iso88597 iso_8859-7 "
        "iso_8859-7:1987 sun_eu_greek" },
    { "ISO-8859-8",
        "csiso88598e csisolatinhebrew hebrew iso-8859-8 iso-8859-8-e iso-ir-138 iso8859-8 iso88598 iso_8859-8 "
        "iso_8859-8:1988 visual" },
    { "ISO-8859-8-I", "csiso88598i iso-8859-8-i logical" },
    { "ISO-8859-10", "csisolatin6 iso-8859-10 iso-ir-157 iso8859-10 iso885910 l6 latin6" },
    { "ISO-8859-13", "iso-8859-13 iso8859-13 iso885913" },
    { "ISO-8859-14", "iso-8859-14 iso8859-14 iso885914" },
    { "ISO-8859-15", "csisolatin9 iso-8859-15 iso8859-15 iso885915 iso_8859-15 l9" },
    { "ISO-8859-16", "iso-8859-16" },
    { "KOI8-R", "cskoi8r koi koi8 koi8-r koi8_r" },
    { "KOI8-U", "koi8-ru koi8-u" },
    { "macintosh", "csmacintosh mac macintosh x-mac-roman" },
    { "windows-874", "dos-874 iso-8859-11 iso8859-11 iso885911 tis-620 windows-874" },
    { "windows-1250", "cp1250 windows-1250 x-cp1250" },
    { "windows-1251", "cp1251 windows-1251 x-cp1251" },
    { "windows-1252",
        "ansi_x3.4-1968 ascii cp1252 cp819 csisolatin1 ibm819 iso-8859-1 iso-ir-100 iso8859-1 iso88591 iso_8859-1 "
        "iso_8859-1:1987 l1 latin1 us-ascii windows-1252 x-cp1252" },
    { "windows-1253", "cp1253 windows-1253 x-cp1253" },
    { "windows-1254",
        "cp1254 csisolatin5 iso-8859-9 iso-ir-148 iso8859-9 iso88599 iso_8859-9 iso_8859-9:1989 l5 latin5 windows-1254 "
        "x-cp1254" },
    { "windows-1255", "cp1255 windows-1255 x-cp1255" },
    { "windows-1256", "cp1256 windows-1256 x-cp1256" },
    { "windows-1257", "cp1257 windows-1257 x-cp1257" },
    { "windows-1258", "cp1258 windows-1258 x-cp1258" },
    { "x-mac-cyrillic", "x-mac-cyrillic x-mac-ukrainian" },
    { "GBK", "chinese csgb2312 csiso58gb231280 gb2312 gb_2312 gb_2312-80 gbk iso-ir-58 x-gbk" },
    { "gb18030", "gb18030" },
    { "Big5", "big5 big5-hkscs cn-big5 csbig5 x-x-big5" },
    { "EUC-JP", "cseucpkdfmtjapanese euc-jp x-euc-jp" },
    { "ISO-2022-JP", "csiso2022jp iso-2022-jp" },
    { "Shift_JIS", "csshiftjis ms932 ms_kanji shift-jis shift_jis sjis windows-31j x-sjis" },
    { "EUC-KR",
        "cseuckr csksc56011987 euc-kr iso-ir-149 korean ks_c_5601-1987 ks_c_5601-1989 ksc5601 ksc_5601 windows-949" },
    { "replacement", "csiso2022kr hz-gb-2312 iso-2022-cn iso-2022-cn-ext iso-2022-kr replacement" },
    { "UTF-16BE", "unicodefffe utf-16be" },
    { "UTF-16LE", "csunicode iso-10646-ucs-2 ucs-2 unicode unicodefeff utf-16 utf-16le" },
    { "x-user-defined", "x-user-defined" },
};

bool IsUtf16(const QByteArray& charset)
{
    return charset == "UTF-16BE" || charset == "UTF-16LE";
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
    static const QHash<QByteArray, QByteArray> names = [] {
        QHash<QByteArray, QByteArray> table;
        for (const auto& encoding : kEncodings) {
            for (const QByteArray& strLabel : QByteArray(encoding.strLabels).split(' '))
                table.insert(strLabel, QByteArray(encoding.strName));
        }
        return table;
    }();
    return names.value(label.trimmed().toLower());
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
        QByteArray charset;
        for (const auto& [name, value] : token.attributes) {
            if (name == "charset" && charset.isEmpty())
                charset = CanonicalCharset(value);
            else if (name == "http-equiv")
                httpEquiv = value.trimmed().toLower();
            else if (name == "content")
                content = value;
        }
        if (charset.isEmpty() && httpEquiv == "content-type")
            charset = CanonicalCharset(CharsetParameter(content));
        if (charset.isEmpty())
            continue;
        // A page that its own ASCII markup could be read from is not in UTF-16, whatever it
        // says; a page does not declare the user-defined encoding for itself either.
        if (IsUtf16(charset))
            return kUtf8;
        if (charset == kUserDefined)
            return kWindows1252;
        return charset;
    }
    return QByteArray();
}

QByteArray ChoosePageCharset(const QByteArray& bytes, const QByteArray& contentType)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return kUtf8;
    if (bytes.startsWith("\xFE\xFF"))
        return QByteArrayLiteral("UTF-16BE");
    if (bytes.startsWith("\xFF\xFE"))
        return QByteArrayLiteral("UTF-16LE");
    QByteArray charset = CharsetFromContentType(contentType);
    if (charset.isEmpty())
        charset = CharsetFromMeta(bytes);
    return charset.isEmpty() ? kWindows1252 : charset;
}

QString DecodePage(const QByteArray& bytes, const QByteArray& charset)
{
    if (charset == kUtf8 || charset == kWindows1252 || charset.isEmpty() || charset == kUserDefined
        || charset == kReplacement)
        return QString::fromUtf8(DecodePageToUtf8(bytes, charset));
    const CharsetCodec codec(charset);
    if (!codec.IsValid())
        return QString::fromUtf8(DecodePageToUtf8(bytes, kWindows1252));
    QString strText = codec.Decode(bytes);
    if (strText.startsWith(QChar(0xFEFF)))
        strText.remove(0, 1);
    return strText;
}

QByteArray DecodePageToUtf8(const QByteArray& bytes, const QByteArray& charset)
{
    if (charset == kUtf8)
        return bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    if (charset == kReplacement)
        return bytes.isEmpty() ? QByteArray() : QByteArrayLiteral("\xEF\xBF\xBD");
    const bool blnUserDefined = charset == kUserDefined;
    if (!blnUserDefined && !charset.isEmpty() && charset != kWindows1252) {
        if (CharsetCodec(charset).IsValid())
            return DecodePage(bytes, charset).toUtf8();
    }
    // A single-byte charset through a table; a page of plain ASCII is passed on as it is.
    const char* data = bytes.constData();
    const qsizetype lngSize = bytes.size();
    qsizetype lngAscii = 0;
    while (lngAscii < lngSize && static_cast<unsigned char>(data[lngAscii]) < 0x80)
        ++lngAscii;
    if (lngAscii == lngSize)
        return bytes;
    // Built at the first page that needs it: each of its decoders costs the converter's set-up.
    static const std::array<QByteArray, 128> windows1252 = [] {
        std::array<QByteArray, 128> table;
        const CharsetCodec codec(kWindows1252);
        for (int intByte = 0x80; intByte <= 0xFF; ++intByte) {
            const char chr = static_cast<char>(intByte);
            table[static_cast<size_t>(intByte - 0x80)] = codec.Decode(QByteArray(&chr, 1)).toUtf8();
        }
        return table;
    }();
    QByteArray utf8;
    utf8.reserve(lngSize + (lngSize - lngAscii) * 2);
    utf8.append(data, lngAscii);
    for (qsizetype lngAt = lngAscii; lngAt < lngSize; ++lngAt) {
        const unsigned char chrByte = static_cast<unsigned char>(data[lngAt]);
        if (chrByte < 0x80) {
            utf8.append(static_cast<char>(chrByte));
        } else if (blnUserDefined) {
            // The user-defined encoding puts the upper half into the private use area.
            const char16_t code = static_cast<char16_t>(0xF780 + chrByte - 0x80);
            utf8.append(QString(QChar(code)).toUtf8());
        } else {
            utf8.append(windows1252[chrByte - 0x80]);
        }
    }
    return utf8;
}

QByteArray EncodeForForm(const QString& strText, const QByteArray& charset)
{
    // Forms of pages in UTF-16 or in an encoding that cannot be written are sent in UTF-8.
    if (charset.isEmpty() || charset == kUtf8 || IsUtf16(charset) || charset == kReplacement)
        return strText.toUtf8();
    CharsetCodec codec(charset);
    if (!codec.IsValid())
        return strText.toUtf8();
    QByteArray bytes;
    qsizetype lngAt = 0;
    while (lngAt < strText.size()) {
        const qsizetype lngLength = (strText.at(lngAt).isHighSurrogate() && lngAt + 1 < strText.size()
                                        && strText.at(lngAt + 1).isLowSurrogate())
            ? 2
            : 1;
        const QStringView character = QStringView(strText).mid(lngAt, lngLength);
        if (!codec.EncodeCharacter(character, &bytes)) {
            const char32_t codePoint = lngLength == 2 ? QChar::surrogateToUcs4(character.at(0), character.at(1))
                                                      : static_cast<char32_t>(character.at(0).unicode());
            bytes += "&#" + QByteArray::number(static_cast<quint32>(codePoint)) + ';';
        }
        lngAt += lngLength;
    }
    return bytes;
}
