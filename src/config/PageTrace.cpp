#include "config/PageTrace.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace
{

// Cuts a UTF-8 line to intLimit bytes, line break included, without splitting a character.
QByteArray CutLine(const QByteArray& bytLine, qsizetype intLimit)
{
    const QByteArray bytBreak("\r\n");
    if (bytLine.size() <= intLimit || intLimit < bytBreak.size())
        return bytLine;
    qsizetype intLength = intLimit - bytBreak.size();
    while (intLength > 0 && (static_cast<unsigned char>(bytLine.at(intLength)) & 0xC0) == 0x80)
        --intLength;
    return bytLine.left(intLength) + bytBreak;
}

// The name of the previous trace beside strFileName: "log.old.txt" for "log.txt".
QString OldTraceName(const QString& strFileName)
{
    const qsizetype intDot = strFileName.lastIndexOf(QLatin1Char('.'));
    if (intDot <= 0)
        return strFileName + QStringLiteral(".old");
    return strFileName.left(intDot) + QStringLiteral(".old") + strFileName.mid(intDot);
}

// Moves the full trace aside, replacing the older one. When that cannot be done the trace is
// emptied instead, so the limit holds either way.
void StartNewTrace(const QString& strFile)
{
    const QFileInfo info(strFile);
    const QString strOld = info.dir().filePath(OldTraceName(info.fileName()));
    QFile::remove(strOld);
    if (!QFile::rename(strFile, strOld))
        QFile::resize(strFile, 0);
}

} // namespace

void PageTrace::WriteTrace(const QString& strText, bool blnRaw, const QString& strFileName) const
{
    if (!blnDebugView)
        return;
    const QString strFile = strAppFolder + (strFileName.isEmpty() ? QStringLiteral("log.txt") : strFileName);
    QString strLine = strText;
    if (!blnRaw)
        strLine
            = QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")) + QLatin1Char(' ') + strText;
    strLine += QLatin1String("\r\n");
    const QByteArray bytLine = CutLine(strLine.toUtf8(), lngTraceLimit);

    const QFileInfo info(strFile);
    if (info.isFile() && info.size() > 0 && info.size() + bytLine.size() > lngTraceLimit)
        StartNewTrace(strFile);
    QFile file(strFile);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    file.write(bytLine);
}
