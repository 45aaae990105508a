#pragma once

#include <QString>
#include <QStringList>

// Splits the way the page walkers expect: every separator cuts, empty pieces are kept, and an
// empty text gives no pieces at all (QString::split would give one empty piece).
inline QStringList SplitText(const QString& strText, const QString& strSeparator)
{
    if (strText.isEmpty())
        return {};
    return strText.split(strSeparator, Qt::KeepEmptyParts, Qt::CaseSensitive);
}
