#include "browser/transfer/CharsetCodec.h"

#include <QStringDecoder>
#include <climits>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace
{
#ifdef Q_OS_WIN
// The system's code page for each canonical charset name that has one.
unsigned CodePageOf(const QByteArray& charset)
{
    static const struct
    {
        const char* strName;
        unsigned intCodePage;
    } kCodePages[] = {
        { "IBM866", 866 },
        { "ISO-8859-2", 28592 },
        { "ISO-8859-3", 28593 },
        { "ISO-8859-4", 28594 },
        { "ISO-8859-5", 28595 },
        { "ISO-8859-6", 28596 },
        { "ISO-8859-7", 28597 },
        { "ISO-8859-8", 28598 },
        { "ISO-8859-8-I", 38598 },
        { "ISO-8859-13", 28603 },
        { "ISO-8859-15", 28605 },
        { "KOI8-R", 20866 },
        { "KOI8-U", 21866 },
        { "macintosh", 10000 },
        { "windows-874", 874 },
        { "windows-1250", 1250 },
        { "windows-1251", 1251 },
        { "windows-1252", 1252 },
        { "windows-1253", 1253 },
        { "windows-1254", 1254 },
        { "windows-1255", 1255 },
        { "windows-1256", 1256 },
        { "windows-1257", 1257 },
        { "windows-1258", 1258 },
        { "x-mac-cyrillic", 10007 },
        { "GBK", 936 },
        { "gb18030", 54936 },
        { "Big5", 950 },
        { "EUC-JP", 20932 },
        { "ISO-2022-JP", 50220 },
        { "Shift_JIS", 932 },
        { "EUC-KR", 949 },
    };
    for (const auto& entry : kCodePages) {
        if (charset == entry.strName)
            return IsValidCodePage(entry.intCodePage) ? entry.intCodePage : 0;
    }
    return 0;
}

QString DecodeCodePage(unsigned intCodePage, const char* data, int intSize)
{
    if (intSize <= 0)
        return QString();
    const int intLength = MultiByteToWideChar(intCodePage, 0, data, intSize, nullptr, 0);
    if (intLength <= 0)
        return QString();
    QString strText(intLength, Qt::Uninitialized);
    MultiByteToWideChar(intCodePage, 0, data, intSize, reinterpret_cast<wchar_t*>(strText.data()), intLength);
    return strText;
}
#endif
} // namespace

CharsetCodec::CharsetCodec(const QByteArray& charset)
    : m_charset(charset)
{
    m_blnQt = !charset.isEmpty() && QStringDecoder(charset.constData()).isValid();
    if (m_blnQt)
        m_encoder.emplace(charset.constData());
#ifdef Q_OS_WIN
    else if (!charset.isEmpty())
        m_intCodePage = CodePageOf(charset);
#endif
}

bool CharsetCodec::IsValid() const
{
    return m_blnQt || m_intCodePage != 0;
}

QString CharsetCodec::Decode(const QByteArray& bytes) const
{
    if (m_blnQt) {
        QStringDecoder decoder(m_charset.constData());
        return decoder.decode(bytes);
    }
#ifdef Q_OS_WIN
    // Pages are far below the converter's int bound (see BrowserLimits); a text beyond it is
    // refused rather than cut.
    if (m_intCodePage != 0 && bytes.size() <= INT_MAX)
        return DecodeCodePage(m_intCodePage, bytes.constData(), static_cast<int>(bytes.size()));
#endif
    return QString();
}

bool CharsetCodec::EncodeCharacter(QStringView character, QByteArray* bytes)
{
    if (m_blnQt) {
        const QByteArray encoded = m_encoder->encode(character);
        if (m_encoder->hasError()) {
            m_encoder.emplace(m_charset.constData());
            return false;
        }
        *bytes += encoded;
        return true;
    }
#ifdef Q_OS_WIN
    if (m_intCodePage != 0 && !character.isEmpty()) {
        // The converter puts a look-alike or a default character where the code page has none;
        // only a character that comes back from its bytes unchanged was expressed.
        const auto* wide = reinterpret_cast<const wchar_t*>(character.utf16());
        const int intUnits = static_cast<int>(character.size());
        char buffer[16];
        const int intBytes
            = WideCharToMultiByte(m_intCodePage, 0, wide, intUnits, buffer, sizeof(buffer), nullptr, nullptr);
        if (intBytes <= 0 || DecodeCodePage(m_intCodePage, buffer, intBytes) != character)
            return false;
        bytes->append(buffer, intBytes);
        return true;
    }
#endif
    return false;
}
