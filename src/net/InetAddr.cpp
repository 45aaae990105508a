#include "net/InetAddr.h"

#include <array>

namespace
{
bool IsAsciiDigit(char16_t chr)
{
    return chr >= u'0' && chr <= u'9';
}

bool IsAsciiSpace(char16_t chr)
{
    return chr == u' ' || chr == u'\t' || chr == u'\n' || chr == u'\v' || chr == u'\f' || chr == u'\r';
}

// Value of chr as a digit of intBase, or -1 when it is none.
int DigitValue(char16_t chr, int intBase)
{
    int intValue = -1;
    if (IsAsciiDigit(chr))
        intValue = chr - u'0';
    else if (chr >= u'a' && chr <= u'f')
        intValue = chr - u'a' + 10;
    else if (chr >= u'A' && chr <= u'F')
        intValue = chr - u'A' + 10;
    return intValue < intBase ? intValue : -1;
}
} // namespace

qint64 ParseInetAddr(const QString& strAddress)
{
    constexpr quint64 lngMaxPart = 0xFFFFFFFFULL;
    std::array<quint64, 4> parts {};
    int intParts = 0;
    qsizetype intPos = 0;
    const qsizetype intLength = strAddress.size();
    // A NUL ends the text, as it would end the classic parser's C string.
    const auto charAt
        = [&](qsizetype intAt) -> char16_t { return intAt < intLength ? strAddress.at(intAt).unicode() : u'\0'; };

    for (;;) {
        if (!IsAsciiDigit(charAt(intPos)))
            return lngBadAddress;
        int intBase = 10;
        if (charAt(intPos) == u'0') {
            intBase = 8;
            ++intPos;
            if (charAt(intPos) == u'x' || charAt(intPos) == u'X') {
                intBase = 16;
                ++intPos;
            }
        }
        // "0" alone is a complete octal number; "0x" without digits is not a number.
        bool blnDigits = intBase == 8;
        quint64 lngValue = 0;
        for (int intDigit = DigitValue(charAt(intPos), intBase); intDigit >= 0;
             intDigit = DigitValue(charAt(intPos), intBase)) {
            lngValue = lngValue * static_cast<quint64>(intBase) + static_cast<quint64>(intDigit);
            if (lngValue > lngMaxPart)
                return lngBadAddress;
            blnDigits = true;
            ++intPos;
        }
        if (!blnDigits)
            return lngBadAddress;
        if (charAt(intPos) != u'.') {
            parts[static_cast<size_t>(intParts++)] = lngValue;
            break;
        }
        if (intParts == 3 || lngValue > 0xFF)
            return lngBadAddress;
        parts[static_cast<size_t>(intParts++)] = lngValue;
        ++intPos;
    }

    const char16_t chrEnd = charAt(intPos);
    if (chrEnd != u'\0' && !IsAsciiSpace(chrEnd))
        return lngBadAddress;

    // The last part fills the bytes that the earlier parts leave.
    constexpr std::array<quint64, 4> lastPartLimit { 0xFFFFFFFFULL, 0xFFFFFFULL, 0xFFFFULL, 0xFFULL };
    const quint64 lngLast = parts[static_cast<size_t>(intParts - 1)];
    if (lngLast > lastPartLimit[static_cast<size_t>(intParts - 1)])
        return lngBadAddress;
    quint64 lngAddress = lngLast;
    for (int intPart = 0; intPart < intParts - 1; ++intPart)
        lngAddress |= parts[static_cast<size_t>(intPart)] << (24 - 8 * intPart);

    if (lngAddress == 0xFFFFFFFFULL)
        return lngBadAddress;
    return static_cast<qint64>(lngAddress);
}
