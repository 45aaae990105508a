#include "readers/TextHelpers.h"

#include <QByteArray>
#include <QFile>
#include <QStringView>

namespace
{
const QString strCrLf = QStringLiteral("\r\n");

bool IsDigit(QChar ch)
{
    return ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
}

// Converts a 1-based position that may be 0 or negative into a 0-based offset from which a search
// starts, clamping it to the start of the text.
qsizetype SearchOffset(int lngPosition)
{
    return lngPosition < 1 ? 0 : static_cast<qsizetype>(lngPosition) - 1;
}

} // namespace

QString DecodeEightBit(const QByteArray& bytes)
{
#ifdef Q_OS_WIN
    return QString::fromLocal8Bit(bytes);
#else
    return QString::fromLatin1(bytes);
#endif
}

QString GetField(const QString& strText, const QString& strDelimiter, int intIndex)
{
    if (intIndex < 1)
        return QString();
    // The delimiter appended at the end closes the last field as well.
    const QString strExtended = strText + strDelimiter;
    qsizetype p = 0;
    qsizetype start = 0;
    qsizetype d = 0;
    for (int i = 0; i < intIndex; ++i) {
        start = p;
        d = strExtended.indexOf(strDelimiter, p, Qt::CaseInsensitive);
        if (d < 0)
            return QString();
        p = d + strDelimiter.size();
    }
    return strText.mid(start, d - start);
}

int CountOccurrences(const QString& strText, const QString& strSought)
{
    if (strSought.isEmpty())
        return 0;
    int lngCount = 0;
    qsizetype from = strText.indexOf(strSought, 0, Qt::CaseSensitive);
    while (from >= 0) {
        ++lngCount;
        from = strText.indexOf(strSought, from + 1, Qt::CaseSensitive);
    }
    return lngCount;
}

QString TextBetween(const QString& strStartMarker, const QString& strEndMarker, const QString& strText,
    int& lngPosition, bool blnAdvance)
{
    if (lngPosition < 1)
        lngPosition = 1;
    const qsizetype from = SearchOffset(lngPosition);
    if (from > strText.size())
        return QString();
    const qsizetype found = strText.indexOf(strStartMarker, from, Qt::CaseInsensitive);
    if (found < 0)
        return QString();
    const qsizetype v = found + strStartMarker.size();
    const qsizetype e = strText.indexOf(strEndMarker, v, Qt::CaseInsensitive);
    if (blnAdvance)
        lngPosition = static_cast<int>(v + 1);
    if (e < 0)
        return QString();
    if (blnAdvance)
        lngPosition = static_cast<int>(e + strEndMarker.size() + 1);
    return strText.mid(v, e - v);
}

void SplitInHalves(const QString& strText, QString& strFirst, QString& strSecond)
{
    const qsizetype h = strText.size() / 2;
    strFirst = strText.left(h);
    strSecond = strText.mid(h);
}

void SplitAfterFirstDecimal(const QString& strText, QString& strFirst, QString& strSecond)
{
    // Position of the dot, 1-based (0 when there is none), plus one character after it.
    const qsizetype d = strText.indexOf(QLatin1Char('.')) + 1;
    strFirst = strText.left(d + 1);
    strSecond = strText.mid(d + 1);
}

QString CollapseBlankLines(const QString& strText)
{
    static const QString strBlankLine = QStringLiteral("\r\n\r\n");
    qsizetype c = strText.indexOf(strBlankLine);
    if (c < 0)
        return strText;
    QString strResult;
    qsizetype a = 0;
    while (c >= 0) {
        strResult += QStringView(strText).mid(a, c - a);
        strResult += strCrLf;
        while (QStringView(strText).mid(c, 2) == strCrLf)
            c += 2;
        a = c;
        c = strText.indexOf(strBlankLine, a);
    }
    if (a < strText.size())
        strResult += QStringView(strText).mid(a);
    return strResult;
}

int FindDigit(const QString& strText, bool blnWantNonDigit)
{
    for (qsizetype i = 0; i < strText.size(); ++i) {
        if (IsDigit(strText.at(i)) != blnWantNonDigit)
            return static_cast<int>(i + 1);
    }
    return 0;
}

int EndOfNumber(const QString& strText, int& lngStart)
{
    if (lngStart < 1)
        lngStart = 1;
    for (qsizetype i = SearchOffset(lngStart); i < strText.size(); ++i) {
        const QChar ch = strText.at(i);
        if (!IsDigit(ch) && ch != QLatin1Char('.'))
            return static_cast<int>(i + 1);
    }
    return 0;
}

QString ReadWholeFile(const QString& strPath)
{
    if (strPath.isEmpty())
        return QString();
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return DecodeEightBit(file.readAll());
}

void RowCells(const QString& strRowHtml, QStringList& cells)
{
    cells = SplitPieces(strRowHtml, QStringLiteral("</td>"), Qt::CaseInsensitive);
    for (QString& strCell : cells) {
        if (strCell.isEmpty())
            continue;
        const qsizetype close = strCell.lastIndexOf(QStringLiteral("</"));
        if (close >= 0)
            strCell.truncate(close);
        const qsizetype open = strCell.lastIndexOf(QLatin1Char('>'));
        if (open >= 0)
            strCell.remove(0, open + 1);
    }
}

QString TrimSpaces(const QString& strText)
{
    qsizetype first = 0;
    qsizetype last = strText.size();
    while (first < last && strText.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && strText.at(last - 1) == QLatin1Char(' '))
        --last;
    return strText.mid(first, last - first);
}

QStringList SplitPieces(const QString& strText, const QString& strSeparator, Qt::CaseSensitivity cs)
{
    if (strText.isEmpty())
        return QStringList();
    return strText.split(strSeparator, Qt::KeepEmptyParts, cs);
}

QString CharFromCode(int intCode)
{
    const int intByte = intCode & 0xFF;
    if (intByte == 0)
        return QString(QChar(0));
    return DecodeEightBit(QByteArray(1, static_cast<char>(intByte)));
}
