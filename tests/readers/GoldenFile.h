#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <QTest>

// Golden files: an input file and the expected output beside it (<name>.expected). A mismatch writes
// the actual output to <name>.actual so that it can be inspected and, when right, copied over.
namespace GoldenFile
{
inline QString ReadUtf8(const QString& strPath)
{
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

// Adds one data row per input file with the given suffix in strFolder; the column "input" holds its path.
inline void AddRows(const QString& strFolder, const QString& strSuffix)
{
    QTest::addColumn<QString>("input");
    const QStringList names = QDir(strFolder).entryList({ QStringLiteral("*.") + strSuffix }, QDir::Files, QDir::Name);
    for (const QString& strName : names) {
        const QString strPath = QDir(strFolder).filePath(strName);
        QTest::newRow(qPrintable(strName)) << strPath;
    }
}

inline QString ExpectedPath(const QString& strInputPath)
{
    const QFileInfo info(strInputPath);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".expected"));
}

// True when strActual equals the expected file of strInputPath byte for byte; otherwise writes the
// .actual file and returns false.
inline bool Matches(const QString& strInputPath, const QString& strActual)
{
    const QString strExpectedPath = ExpectedPath(strInputPath);
    QFile expected(strExpectedPath);
    if (expected.open(QIODevice::ReadOnly) && expected.readAll() == strActual.toUtf8())
        return true;
    const QFileInfo info(strInputPath);
    QFile actual(info.dir().filePath(info.completeBaseName() + QStringLiteral(".actual")));
    if (actual.open(QIODevice::WriteOnly | QIODevice::Truncate))
        actual.write(strActual.toUtf8());
    return false;
}
} // namespace GoldenFile

// Compares a reader's output with the golden file of the current data row.
#define QUORVANE_COMPARE_GOLDEN(inputPath, actual)                                                                     \
    QVERIFY2(GoldenFile::Matches(inputPath, actual),                                                                   \
        qPrintable(QStringLiteral("output differs from %1; see the .actual file beside it")                            \
                       .arg(GoldenFile::ExpectedPath(inputPath))))
