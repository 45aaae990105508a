#include "config/PageTrace.h"

#include <QDateTime>
#include <QFile>

void PageTrace::WriteTrace(const QString& strText, bool blnRaw, const QString& strFileName) const
{
    if (!blnDebugView)
        return;
    const QString strFile = strAppFolder + (strFileName.isEmpty() ? QStringLiteral("log.txt") : strFileName);
    QFile file(strFile);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    QString strLine = strText;
    if (!blnRaw)
        strLine
            = QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")) + QLatin1Char(' ') + strText;
    strLine += QLatin1String("\r\n");
    file.write(strLine.toUtf8());
}
