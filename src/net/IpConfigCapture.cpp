#include "net/IpConfigCapture.h"

#include "net/DetachedScript.h"
#include "net/platform/ListingCapture.h"
#include "readers/TextHelpers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace
{
const QChar chrSeparator = QDir::separator();

// Paths cross into the platform layer in the form its file functions take.
Native::NativeString ToNativePath(const QString& strPath)
{
#ifdef Q_OS_WIN
    return strPath.toStdWString();
#else
    return QFile::encodeName(strPath).toStdString();
#endif
}

QString FromNativePath(const Native::NativeString& strPath)
{
#ifdef Q_OS_WIN
    return QString::fromStdWString(strPath);
#else
    return QFile::decodeName(QByteArray::fromStdString(strPath));
#endif
}

// The box of an unexpected error: "Error: " + number + ", " + description, under the title of the
// operation in which it happened.
void ShowShortNameError(const ErrorBoxFn& errorBox, const Native::ShortNameError& error)
{
    if (error.step == Native::ShortNameError::None)
        return;
    const QString strTitle = error.step == Native::ShortNameError::Path ? QStringLiteral("Get8_3_Err")
                                                                        : QStringLiteral("GetShortNameSection_Err");
    const int intCode = static_cast<int>(error.lngCode);
    ShowErrorBox(errorBox, strTitle, QStringLiteral("Error: %1, %2").arg(intCode).arg(qt_error_string(intCode)));
}
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
    Native::CaptureHooks hooks;
    hooks.waitForExit = WaitForScriptExit;
    hooks.afterRead = [] { QCoreApplication::processEvents(); };
    const Native::ListingCapture capture = Native::CaptureListing(ToNativePath(QDir::toNativeSeparators(strAppFolder)),
        ToNativePath(NetworkInfoScriptName()), ToNativePath(IpConfigFileName()), intWaitLimitMs, hooks);
    ShowShortNameError(errorBox, capture.error);
    return NormaliseListingLineEnds(QString::fromStdWString(capture.strListing));
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
    Native::ShortNameError error;
    const QString strShortPath = FromNativePath(Native::GetShortPath(ToNativePath(strPath), error));
    ShowShortNameError(errorBox, error);
    return strShortPath;
}

QString GetShortName(const QString& strPath, const ErrorBoxFn& errorBox)
{
    Native::ShortNameError error;
    const QString strShortName = FromNativePath(Native::GetShortName(ToNativePath(strPath), error));
    ShowShortNameError(errorBox, error);
    return strShortName;
}

QString TextBefore(const QString& strText, const QString& strDelimiter)
{
    const qsizetype intPos = strText.indexOf(strDelimiter, 0, Qt::CaseSensitive);
    if (intPos < 0)
        return strText;
    return strText.left(intPos);
}
