#include "browser/document/MarkupScanner.h"

#include <cstring>

namespace
{
bool IsSpace(char chr)
{
    return chr == ' ' || chr == '\t' || chr == '\n' || chr == '\r' || chr == '\f';
}

bool IsAsciiLetter(char chr)
{
    return (chr >= 'a' && chr <= 'z') || (chr >= 'A' && chr <= 'Z');
}

char LowerAscii(char chr)
{
    return (chr >= 'A' && chr <= 'Z') ? static_cast<char>(chr - 'A' + 'a') : chr;
}

// Elements whose content the tokenizer reads as text up to their own end tag.
bool IsRawTextElement(const QByteArray& strName)
{
    const auto is = [&strName](const char* strRaw, qsizetype lngLength) {
        return std::memcmp(strName.constData(), strRaw, static_cast<size_t>(lngLength)) == 0;
    };
    switch (strName.size()) {
    case 3:
        return is("xmp", 3);
    case 5:
        return is("style", 5) || is("title", 5);
    case 6:
        return is("script", 6) || is("iframe", 6);
    case 7:
        return is("noembed", 7);
    case 8:
        return is("noframes", 8) || is("noscript", 8) || is("textarea", 8);
    default:
        return false;
    }
}
} // namespace

MarkupScanner::MarkupScanner(const QByteArray& bytes, bool blnWithAttributes, int intAttributeLimit)
    : m_bytes(bytes)
    , m_blnWithAttributes(blnWithAttributes)
    , m_intAttributeLimit(intAttributeLimit)
{ }

bool MarkupScanner::Next(MarkupToken* token)
{
    const qsizetype lngSize = m_bytes.size();
    if (m_lngPos >= lngSize)
        return false;
    token->attributes.clear();
    token->strName.resize(0); // keeps its room for the next name
    token->blnSelfClosing = false;
    token->blnRawText = false;
    token->intAttributes = 0;
    token->lngLimitEnd = -1;
    token->lngBegin = m_lngPos;

    if (!m_strRawTextEnd.isEmpty()) {
        ReadRawText(token);
        if (token->lngEnd > token->lngBegin)
            return true;
        token->blnRawText = false;
        token->lngBegin = m_lngPos;
    }

    const char* data = m_bytes.constData();
    if (data[m_lngPos] == '<' && m_lngPos + 1 < lngSize) {
        const char chrNext = data[m_lngPos + 1];
        if (IsAsciiLetter(chrNext) || (chrNext == '/' && m_lngPos + 2 < lngSize && IsAsciiLetter(data[m_lngPos + 2]))) {
            ReadTag(token);
            return true;
        }
        if (chrNext == '!' && m_lngPos + 3 < lngSize && data[m_lngPos + 2] == '-' && data[m_lngPos + 3] == '-') {
            token->kind = MarkupToken::Kind::Comment;
            qsizetype lngSearch = m_lngPos + 4;
            // "<!-->" and "<!--->" end at once.
            if (lngSearch < lngSize && data[lngSearch] == '>') {
                m_lngPos = lngSearch + 1;
            } else if (lngSearch + 1 < lngSize && data[lngSearch] == '-' && data[lngSearch + 1] == '>') {
                m_lngPos = lngSearch + 2;
            } else {
                m_lngPos = lngSize;
                for (qsizetype lngAt = lngSearch; lngAt + 2 < lngSize; ++lngAt) {
                    if (data[lngAt] != '-')
                        continue;
                    if (lngAt + 2 < lngSize && data[lngAt + 1] == '-' && data[lngAt + 2] == '>') {
                        m_lngPos = lngAt + 3;
                        break;
                    }
                    if (lngAt + 3 < lngSize && data[lngAt + 1] == '-' && data[lngAt + 2] == '!'
                        && data[lngAt + 3] == '>') {
                        m_lngPos = lngAt + 4;
                        break;
                    }
                }
            }
            token->lngEnd = m_lngPos;
            return true;
        }
        if (chrNext == '!' || chrNext == '?' || chrNext == '/') {
            token->kind = MarkupToken::Kind::Declaration;
            const char* end = static_cast<const char*>(
                std::memchr(data + m_lngPos + 2, '>', static_cast<size_t>(lngSize - m_lngPos - 2)));
            m_lngPos = end ? (end - data) + 1 : lngSize;
            token->lngEnd = m_lngPos;
            return true;
        }
    }

    // Text up to the next '<' (a '<' that starts no markup is text too).
    token->kind = MarkupToken::Kind::Text;
    qsizetype lngAt = m_lngPos + 1;
    const char* next = lngAt < lngSize
        ? static_cast<const char*>(std::memchr(data + lngAt, '<', static_cast<size_t>(lngSize - lngAt)))
        : nullptr;
    m_lngPos = next ? next - data : lngSize;
    token->lngEnd = m_lngPos;
    return true;
}

void MarkupScanner::ReadTag(MarkupToken* token)
{
    const char* data = m_bytes.constData();
    const qsizetype lngSize = m_bytes.size();
    qsizetype lngAt = m_lngPos + 1;
    token->kind = MarkupToken::Kind::StartTag;
    if (data[lngAt] == '/') {
        token->kind = MarkupToken::Kind::EndTag;
        ++lngAt;
    }
    const qsizetype lngNameStart = lngAt;
    while (lngAt < lngSize && !IsSpace(data[lngAt]) && data[lngAt] != '/' && data[lngAt] != '>')
        ++lngAt;
    token->strName.resize(lngAt - lngNameStart);
    for (qsizetype lngChar = lngNameStart; lngChar < lngAt; ++lngChar)
        token->strName[lngChar - lngNameStart] = LowerAscii(data[lngChar]);

    // Attributes: names end at a blank, '/', '>' or '='; values are quoted or end at a blank or '>'.
    while (lngAt < lngSize) {
        const char chr = data[lngAt];
        if (IsSpace(chr)) {
            ++lngAt;
            continue;
        }
        if (chr == '>') {
            ++lngAt;
            break;
        }
        if (chr == '/') {
            ++lngAt;
            if (lngAt < lngSize && data[lngAt] == '>') {
                token->blnSelfClosing = true;
                ++lngAt;
                break;
            }
            continue;
        }
        const qsizetype lngAttrStart = lngAt;
        ++lngAt; // the first character may be anything, even '='
        while (
            lngAt < lngSize && !IsSpace(data[lngAt]) && data[lngAt] != '/' && data[lngAt] != '>' && data[lngAt] != '=')
            ++lngAt;
        const qsizetype lngAttrEnd = lngAt;
        while (lngAt < lngSize && IsSpace(data[lngAt]))
            ++lngAt;
        qsizetype lngValueStart = lngAt;
        qsizetype lngValueEnd = lngAt;
        if (lngAt < lngSize && data[lngAt] == '=') {
            ++lngAt;
            while (lngAt < lngSize && IsSpace(data[lngAt]))
                ++lngAt;
            if (lngAt < lngSize && (data[lngAt] == '"' || data[lngAt] == '\'')) {
                const char chrQuote = data[lngAt];
                lngValueStart = ++lngAt;
                const char* close = static_cast<const char*>(
                    std::memchr(data + lngAt, chrQuote, static_cast<size_t>(lngSize - lngAt)));
                lngValueEnd = close ? close - data : lngSize;
                lngAt = close ? lngValueEnd + 1 : lngSize;
            } else {
                lngValueStart = lngAt;
                while (lngAt < lngSize && !IsSpace(data[lngAt]) && data[lngAt] != '>')
                    ++lngAt;
                lngValueEnd = lngAt;
            }
        }
        ++token->intAttributes;
        if (token->intAttributes == m_intAttributeLimit)
            token->lngLimitEnd = lngAt;
        if (m_blnWithAttributes && token->kind == MarkupToken::Kind::StartTag) {
            QByteArray strAttrName = m_bytes.mid(lngAttrStart, lngAttrEnd - lngAttrStart).toLower();
            token->attributes.emplace_back(
                std::move(strAttrName), m_bytes.mid(lngValueStart, lngValueEnd - lngValueStart));
        }
    }
    m_lngPos = lngAt;
    token->lngEnd = lngAt;
    if (token->intAttributes <= m_intAttributeLimit)
        token->lngLimitEnd = -1;
    if (token->kind == MarkupToken::Kind::StartTag && IsRawTextElement(token->strName))
        m_strRawTextEnd = token->strName;
    else if (token->kind == MarkupToken::Kind::StartTag && token->strName.size() == 9 && token->strName == "plaintext")
        m_strRawTextEnd = QByteArrayLiteral("\n"); // no end tag can follow: the rest is text
}

qsizetype MarkupScanner::FindRawTextEnd(qsizetype lngFrom) const
{
    const qsizetype lngSize = m_bytes.size();
    if (m_strRawTextEnd == "\n")
        return lngSize;
    const char* data = m_bytes.constData();
    const qsizetype lngNameSize = m_strRawTextEnd.size();
    for (qsizetype lngAt = lngFrom; lngAt < lngSize; ++lngAt) {
        const char* lt = static_cast<const char*>(std::memchr(data + lngAt, '<', static_cast<size_t>(lngSize - lngAt)));
        if (!lt)
            return lngSize;
        lngAt = lt - data;
        if (lngAt + 2 + lngNameSize > lngSize || data[lngAt + 1] != '/')
            continue;
        bool blnMatch = true;
        for (qsizetype lngChar = 0; lngChar < lngNameSize && blnMatch; ++lngChar)
            blnMatch = LowerAscii(data[lngAt + 2 + lngChar]) == m_strRawTextEnd[lngChar];
        if (!blnMatch)
            continue;
        const qsizetype lngAfter = lngAt + 2 + lngNameSize;
        if (lngAfter == lngSize || IsSpace(data[lngAfter]) || data[lngAfter] == '/' || data[lngAfter] == '>')
            return lngAt;
    }
    return lngSize;
}

void MarkupScanner::ReadRawText(MarkupToken* token)
{
    token->kind = MarkupToken::Kind::Text;
    token->blnRawText = true;
    m_lngPos = FindRawTextEnd(m_lngPos);
    token->lngEnd = m_lngPos;
    m_strRawTextEnd.clear();
}
