#include "browser/transfer/UrlCredentials.h"

#include "browser/transfer/CharsetCodec.h"

QByteArray AnsiBytes(const QString& strText)
{
    // windows-1252 is Latin-1 but for the bytes 0x80 to 0x9F, which carry other characters.
    static const QString strHighBytes = [] {
        QByteArray bytes;
        for (int intByte = 0x80; intByte <= 0x9F; ++intByte)
            bytes += static_cast<char>(intByte);
        const CharsetCodec codec(QByteArrayLiteral("windows-1252"));
        return codec.IsValid() ? codec.Decode(bytes) : QString::fromLatin1(bytes);
    }();
    QByteArray bytes;
    for (qsizetype lngAt = 0; lngAt < strText.size(); ++lngAt) {
        const char16_t chr = strText.at(lngAt).unicode();
        const qsizetype lngHigh = strHighBytes.size() == 0x20 ? strHighBytes.indexOf(QChar(chr)) : -1;
        if (lngHigh >= 0)
            bytes += static_cast<char>(0x80 + lngHigh);
        else if (chr < 0x80 || (chr >= 0xA0 && chr <= 0xFF))
            bytes += static_cast<char>(chr);
        else
            bytes += '?';
        // A character outside the basic plane is one "?", not two.
        if (QChar::isHighSurrogate(chr) && lngAt + 1 < strText.size() && strText.at(lngAt + 1).isLowSurrogate())
            ++lngAt;
    }
    return bytes;
}

SplitUrl SplitUserInfo(const QString& strUrl)
{
    SplitUrl split;
    const QString strTrimmed = strUrl.trimmed();
    const qsizetype lngSchemeEnd = strTrimmed.indexOf(QLatin1String("://"));
    QString strWithout = strTrimmed;
    if (lngSchemeEnd > 0) {
        const qsizetype lngAuthority = lngSchemeEnd + 3;
        qsizetype lngAuthorityEnd = strTrimmed.size();
        for (qsizetype lngAt = lngAuthority; lngAt < strTrimmed.size(); ++lngAt) {
            const QChar chr = strTrimmed.at(lngAt);
            if (chr == QLatin1Char('/') || chr == QLatin1Char('?') || chr == QLatin1Char('#')
                || chr == QLatin1Char('\\')) {
                lngAuthorityEnd = lngAt;
                break;
            }
        }
        const qsizetype lngAt = strTrimmed.lastIndexOf(QLatin1Char('@'), lngAuthorityEnd - 1);
        if (lngAt >= lngAuthority) {
            const QString strUserInfo = strTrimmed.mid(lngAuthority, lngAt - lngAuthority);
            const qsizetype lngColon = strUserInfo.indexOf(QLatin1Char(':'));
            const QString strUser = lngColon < 0 ? strUserInfo : strUserInfo.left(lngColon);
            const QString strPassword = lngColon < 0 ? QString() : strUserInfo.mid(lngColon + 1);
            split.credentials.strUser = QUrl::fromPercentEncoding(strUser.toUtf8());
            split.credentials.strPassword = QUrl::fromPercentEncoding(strPassword.toUtf8());
            strWithout = strTrimmed.left(lngAuthority) + strTrimmed.mid(lngAt + 1);
        }
        split.url = QUrl(strWithout);
    } else {
        // Not of the form scheme://...: let the URL parser find any user-info.
        const QUrl parsed(strTrimmed);
        SplitUrl fromParsed = SplitUserInfo(parsed);
        if (parsed.isValid())
            return fromParsed;
        split.url = QUrl();
    }
    split.strShown = split.url.isValid() ? ShownUrl(split.url) : strWithout;
    return split;
}

SplitUrl SplitUserInfo(const QUrl& url)
{
    SplitUrl split;
    split.credentials.strUser = url.userName(QUrl::FullyDecoded);
    split.credentials.strPassword = url.password(QUrl::FullyDecoded);
    split.url = url.adjusted(QUrl::RemoveUserInfo);
    split.strShown = ShownUrl(split.url);
    return split;
}

QString ShownUrl(const QUrl& url)
{
    return url.toString(QUrl::RemoveUserInfo | QUrl::FullyEncoded);
}

bool IsWebUrl(const QUrl& url)
{
    const QString strScheme = url.scheme().toLower();
    return url.isValid() && (strScheme == QLatin1String("http") || strScheme == QLatin1String("https"));
}

QString ServerKey(const QUrl& url)
{
    const QString strScheme = url.scheme().toLower();
    const int intDefaultPort = strScheme == QLatin1String("https") ? 443 : 80;
    return strScheme + QLatin1String("://") + url.host().toLower() + QLatin1Char(':')
        + QString::number(url.port(intDefaultPort));
}

void CredentialStore::Remember(const QUrl& url, const UrlCredentials& credentials)
{
    if (credentials.IsEmpty() || url.host().isEmpty())
        return;
    m_credentials.insert(ServerKey(url), credentials);
}

bool CredentialStore::Lookup(const QUrl& url, UrlCredentials* credentials) const
{
    const auto it = m_credentials.constFind(ServerKey(url));
    if (it == m_credentials.constEnd())
        return false;
    *credentials = *it;
    return true;
}
