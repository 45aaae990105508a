#include "net/IpConfigCapture.h"

#include "net/DetachedScript.h"
#include "readers/TextHelpers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <sys/stat.h>
#endif

namespace
{
const QChar chrSeparator = QDir::separator();

// The box of an unexpected error: "Error: " + number + ", " + description.
void ShowUnexpectedError(const ErrorBoxFn& errorBox, const QString& strTitle, int intError)
{
    ShowErrorBox(errorBox, strTitle, QStringLiteral("Error: %1, %2").arg(intError).arg(qt_error_string(intError)));
}

#ifdef Q_OS_WIN
constexpr int intInvalidArgument = ERROR_INVALID_NAME;
#else
constexpr int intInvalidArgument = EINVAL;
#endif
} // namespace

QString NetworkInfoScriptName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("NetworkInfo.bat");
#else
    return QStringLiteral("NetworkInfo.sh");
#endif
}

QString CaptureIpConfig(const QString& strAppFolder, const ErrorBoxFn& errorBox, int intWaitLimitMs)
{
    const QString strShortFolder = GetShortPath(QDir::toNativeSeparators(strAppFolder), errorBox);
    // A folder that cannot be resolved would leave the bare separator as working folder, that is
    // the root of the drive: nothing is run from there.
    if (strShortFolder.isEmpty())
        return QString();
    const QString strWorkingFolder = AddBackslash(strShortFolder);
    const QString strScriptPath = strWorkingFolder + NetworkInfoScriptName();
    const QString strOutputPath = strWorkingFolder + IpConfigFileName();

    // A listing left over from an earlier capture must never pass for a new one.
    if (QFileInfo::exists(strOutputPath) && !QFile::remove(strOutputPath))
        return QString();
    if (!QFileInfo(strScriptPath).isFile())
        return QString();

    const qint64 lngPid = StartScriptDetached(strScriptPath, strWorkingFolder);
    if (lngPid < 0)
        return QString();
    WaitForProcessExit(lngPid, intWaitLimitMs);

    if (!QFileInfo::exists(strOutputPath))
        return QString();
    const QString strListing = ReadWholeFile(strOutputPath);
    QCoreApplication::processEvents();
    QFile::remove(strOutputPath);
    return NormaliseListingLineEnds(strListing);
}

QString NormaliseListingLineEnds(const QString& strText)
{
    QString strResult;
    strResult.reserve(strText.size() + strText.size() / 16);
    qsizetype intLineStart = 0;
    for (qsizetype intPos = 0; intPos < strText.size(); ++intPos) {
        if (strText.at(intPos) != QLatin1Char('\n'))
            continue;
        // The line's own text ends before the carriage returns that precede the LF.
        qsizetype intTextEnd = intPos;
        while (intTextEnd > intLineStart && strText.at(intTextEnd - 1) == QLatin1Char('\r'))
            --intTextEnd;
        // More than two carriage returns are kept as they are: only missing ones are added.
        const qsizetype intReturns = intPos - intTextEnd;
        strResult += QStringView(strText).mid(intLineStart, intTextEnd - intLineStart);
        strResult += QString(qMax<qsizetype>(intReturns, 2), QLatin1Char('\r'));
        strResult += QLatin1Char('\n');
        intLineStart = intPos + 1;
    }
    // A last line without a line end gets one too, so that every line of the listing looks alike.
    if (intLineStart < strText.size()) {
        strResult += QStringView(strText).mid(intLineStart);
        strResult += QStringLiteral("\r\r\n");
    }
    return strResult;
}

QString FindDefaultGateway(const QString& strIpConfig)
{
    const QStringList lines = strIpConfig.split(QStringLiteral("\r\n"));
    for (const QString& strLine : lines) {
        if (!strLine.contains(QStringLiteral("Default Gateway"), Qt::CaseSensitive))
            continue;
        // The value is the last blank-separated field; the carriage return that ends every line
        // of the listing is its last character.
        const int intBlanks = CountOccurrences(strLine, QStringLiteral(" "));
        const QString strValue = GetField(strLine, QStringLiteral(" "), intBlanks + 1);
        return strValue.left(strValue.size() - 1);
    }
    return QString();
}

QString AddBackslash(const QString& strPath)
{
    if (strPath.endsWith(chrSeparator))
        return strPath;
    return strPath + chrSeparator;
}

QString GetShortPath(const QString& strPath, const ErrorBoxFn& errorBox)
{
    // A NUL would cut the path short on its way to the file system, which would then look at a
    // different path.
    if (strPath.contains(QChar(0))) {
        ShowUnexpectedError(errorBox, QStringLiteral("Get8_3_Err"), intInvalidArgument);
        return QString();
    }
    const qsizetype intFirst = strPath.indexOf(chrSeparator);
    if (intFirst < 0)
        return QString();

    QString strResult = strPath.left(intFirst + 1);
    qsizetype intPos = intFirst + 1;
    while (intPos < strPath.size()) {
        const QString strComponent = TextBefore(strPath.mid(intPos), chrSeparator);
        const QString strShortName = GetShortName(strResult + strComponent, errorBox);
        if (strShortName.isEmpty())
            return QString();
        strResult += strShortName + chrSeparator;
        intPos += strComponent.size() + 1;
    }
    strResult.chop(1);
    return strResult;
}

QString GetShortName(const QString& strPath, const ErrorBoxFn& errorBox)
{
    const QString strTitle = QStringLiteral("GetShortNameSection_Err");
    if (strPath.contains(QChar(0))) {
        ShowUnexpectedError(errorBox, strTitle, intInvalidArgument);
        return QString();
    }
    // A path that ends with a separator names a folder's contents rather than an entry.
    if (strPath.isEmpty() || strPath.endsWith(chrSeparator))
        return QString();

#ifdef Q_OS_WIN
    WIN32_FIND_DATAW found {};
    const HANDLE hFind = ::FindFirstFileW(reinterpret_cast<const wchar_t*>(strPath.utf16()), &found);
    if (hFind == INVALID_HANDLE_VALUE) {
        const DWORD lngError = ::GetLastError();
        if (lngError != ERROR_FILE_NOT_FOUND && lngError != ERROR_PATH_NOT_FOUND && lngError != ERROR_INVALID_NAME
            && lngError != ERROR_BAD_NETPATH && lngError != ERROR_NOT_READY)
            ShowUnexpectedError(errorBox, strTitle, static_cast<int>(lngError));
        return QString();
    }
    ::FindClose(hFind);
    if (found.cAlternateFileName[0] == L'\0')
        return QString::fromWCharArray(found.cFileName);
    return QString::fromWCharArray(found.cAlternateFileName);
#else
    // No short names here: an existing entry keeps its own name.
    struct stat info
    {
    };
    if (::lstat(QFile::encodeName(strPath).constData(), &info) != 0) {
        const int intError = errno;
        if (intError != ENOENT && intError != ENOTDIR)
            ShowUnexpectedError(errorBox, strTitle, intError);
        return QString();
    }
    return strPath.mid(strPath.lastIndexOf(chrSeparator) + 1);
#endif
}

QString TextBefore(const QString& strText, const QString& strDelimiter)
{
    const qsizetype intPos = strText.indexOf(strDelimiter, 0, Qt::CaseSensitive);
    if (intPos < 0)
        return strText;
    return strText.left(intPos);
}
