#include "HttpAuth.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <cctype>

namespace
{

bool StartsWithNoCase(const std::string& strText, const std::string& strPrefix)
{
    if (strText.size() < strPrefix.size())
        return false;
    for (std::size_t i = 0; i < strPrefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(strText[i]))
            != std::tolower(static_cast<unsigned char>(strPrefix[i])))
            return false;
    }
    return true;
}

void SkipBlanks(const std::string& strText, std::size_t& i)
{
    while (i < strText.size() && (strText[i] == ' ' || strText[i] == '\t' || strText[i] == ','))
        ++i;
}

} // namespace

std::string Md5Hex(const std::string& strText)
{
    const QByteArray hash = QCryptographicHash::hash(QByteArray::fromStdString(strText), QCryptographicHash::Md5);
    return hash.toHex().toStdString();
}

bool CheckBasicAuthorization(const std::string& strHeader, const std::string& strUser, const std::string& strPassword)
{
    if (!StartsWithNoCase(strHeader, "Basic "))
        return false;
    std::string strEncoded = strHeader.substr(6);
    while (!strEncoded.empty() && strEncoded.front() == ' ')
        strEncoded.erase(0, 1);
    while (!strEncoded.empty() && strEncoded.back() == ' ')
        strEncoded.pop_back();
    const auto decoded = QByteArray::fromBase64Encoding(
        QByteArray::fromStdString(strEncoded), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return false;
    return decoded.decoded.toStdString() == strUser + ":" + strPassword;
}

std::map<std::string, std::string> ParseDigestFields(const std::string& strHeader)
{
    std::map<std::string, std::string> fields;
    if (!StartsWithNoCase(strHeader, "Digest "))
        return fields;
    std::size_t i = 7;
    while (true) {
        SkipBlanks(strHeader, i);
        if (i >= strHeader.size())
            break;
        const std::size_t intNameStart = i;
        while (i < strHeader.size() && strHeader[i] != '=' && strHeader[i] != ',' && strHeader[i] != ' ')
            ++i;
        std::string strName = strHeader.substr(intNameStart, i - intNameStart);
        for (char& ch : strName)
            ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        std::string strValue;
        if (i < strHeader.size() && strHeader[i] == '=') {
            ++i;
            if (i < strHeader.size() && strHeader[i] == '"') {
                ++i;
                while (i < strHeader.size() && strHeader[i] != '"') {
                    if (strHeader[i] == '\\' && i + 1 < strHeader.size())
                        ++i;
                    strValue += strHeader[i++];
                }
                ++i; // the closing quote (or past the end of a broken header)
            } else {
                const std::size_t intValueStart = i;
                while (i < strHeader.size() && strHeader[i] != ',' && strHeader[i] != ' ')
                    ++i;
                strValue = strHeader.substr(intValueStart, i - intValueStart);
            }
        }
        if (!strName.empty() && fields.find(strName) == fields.end())
            fields[strName] = strValue;
    }
    return fields;
}

bool CheckDigestAuthorization(const std::string& strHeader, const std::string& strMethod, const std::string& strPath,
    const DigestServerState& state, const std::string& strUser, const std::string& strPassword)
{
    auto fields = ParseDigestFields(strHeader);
    if (fields.empty())
        return false;
    if (fields["username"] != strUser || fields["realm"] != state.strRealm || fields["nonce"] != state.strNonce)
        return false;
    const std::string strAlgorithm = fields["algorithm"];
    if (!strAlgorithm.empty() && strAlgorithm != "MD5" && strAlgorithm != "md5")
        return false;

    // The uri field is what the client hashed; it has to name the resource being requested.
    const std::string strUri = fields["uri"];
    const std::string strUriPath = strUri.substr(0, strUri.find('?'));
    if (strUri.empty() || strUriPath != strPath)
        return false;

    const std::string strHa1 = Md5Hex(strUser + ":" + state.strRealm + ":" + strPassword);
    const std::string strHa2 = Md5Hex(strMethod + ":" + strUri);
    const std::string strQop = fields["qop"];
    std::string strExpected;
    if (strQop.empty())
        strExpected = Md5Hex(strHa1 + ":" + state.strNonce + ":" + strHa2);
    else if (strQop == "auth")
        strExpected = Md5Hex(
            strHa1 + ":" + state.strNonce + ":" + fields["nc"] + ":" + fields["cnonce"] + ":" + strQop + ":" + strHa2);
    else
        return false;
    return fields["response"] == strExpected;
}

std::string DigestChallenge(const DigestServerState& state)
{
    return "Digest realm=\"" + state.strRealm + "\", qop=\"auth\", nonce=\"" + state.strNonce + "\", opaque=\""
        + state.strOpaque + "\", algorithm=MD5";
}

std::string BasicChallenge(const std::string& strRealm)
{
    return "Basic realm=\"" + strRealm + "\"";
}
