#include "readers/StatusTableReader.h"

#include "readers/TextHelpers.h"

#include <QStringList>

QString ReadStatusTable(const QString& strHtml)
{
    // Before a header row turns up both lists hold a single empty cell, which yields no line.
    QStringList names { QString() };
    QStringList values { QString() };
    bool blnHeaderSeen = false;

    const QStringList rows = SplitPieces(strHtml, QStringLiteral("</tr>"), Qt::CaseInsensitive);
    for (const QString& strRow : rows) {
        if (blnHeaderSeen) {
            RowCells(strRow, values);
            blnHeaderSeen = false;
        }
        // A later header row replaces an earlier one; a value row may itself be the next header.
        if (strRow.contains(QStringLiteral("Description"), Qt::CaseInsensitive)) {
            RowCells(strRow, names);
            blnHeaderSeen = true;
        }
    }

    QString strResult;
    qsizetype j = 0;
    for (const QString& strName : names) {
        if (strName.isEmpty())
            continue;
        if (!strResult.isEmpty())
            strResult += QStringLiteral("\r\n");
        strResult += strName + QStringLiteral(": ") + values.value(j);
        ++j;
    }
    return strResult;
}
