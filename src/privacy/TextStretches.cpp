#include "privacy/TextStretches.h"

#include <QStringView>

QString ReplaceStretches(const QString& strLine, const TextStretches& stretches, const QString& strMask)
{
    if (stretches.empty())
        return strLine;
    QString strResult;
    strResult.reserve(strLine.size() + static_cast<qsizetype>(stretches.size()) * strMask.size());
    qsizetype copied = 0;
    for (const auto& [start, end] : stretches) {
        strResult += QStringView(strLine).mid(copied, start - copied);
        strResult += strMask;
        copied = end;
    }
    strResult += QStringView(strLine).mid(copied);
    return strResult;
}
