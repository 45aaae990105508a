#pragma once

#include <map>
#include <string>

// HTTP authentication as the Class I routers do it: Basic, or Digest (MD5, qop "auth" or none).
// Only the server side: checking an Authorization header and writing the challenge.

std::string Md5Hex(const std::string& strText);

// True when strHeader is "Basic <base64 of user:password>" for exactly these credentials.
bool CheckBasicAuthorization(const std::string& strHeader, const std::string& strUser, const std::string& strPassword);

// The name="value" pairs of a Digest header (quotes removed; names in lower case). Empty when the
// header does not start with "Digest ".
std::map<std::string, std::string> ParseDigestFields(const std::string& strHeader);

struct DigestServerState
{
    std::string strRealm;
    std::string strNonce;
    std::string strOpaque;
};

// Checks a Digest answer to our challenge for a request with this method and path (the path
// without the query). The uri field must name the same path, the nonce must be ours and the
// response hash must match the credentials.
bool CheckDigestAuthorization(const std::string& strHeader, const std::string& strMethod, const std::string& strPath,
    const DigestServerState& state, const std::string& strUser, const std::string& strPassword);

std::string DigestChallenge(const DigestServerState& state);
std::string BasicChallenge(const std::string& strRealm);
