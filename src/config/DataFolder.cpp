#include "config/DataFolder.h"

#include "config/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace
{
QString WithSlash(const QString& strFolder)
{
    QString strResult = QDir::fromNativeSeparators(strFolder);
    if (!strResult.isEmpty() && !strResult.endsWith(QLatin1Char('/')))
        strResult += QLatin1Char('/');
    return strResult;
}

const QString strSettingsName = QStringLiteral("Settings.ini");

// The INI files that the program saves into its folder.
QStringList SavedFileNames()
{
    return { strSettingsName, QStringLiteral("ClassI.ini"), QStringLiteral("ClassII.ini"),
        QStringLiteral("ClassV.ini") };
}

// Copies every shipped file that the per-user folder does not hold yet, and the program folder's
// Settings.ini: without it the profiles would be seeded but Class I chosen whatever the folder's
// settings say. The copies belong to the user, who must be able to change them whatever the
// installed files allow; a script keeps its execute bits.
void SeedFolder(const QString& strFrom, const QString& strTo)
{
    const QStringList arrNames = ShippedFileNames() << strSettingsName;
    for (const QString& strName : arrNames) {
        const QString strSource = strFrom + strName;
        const QString strTarget = strTo + strName;
        if (!QFileInfo(strSource).isFile() || QFileInfo::exists(strTarget))
            continue;
        if (QFile::copy(strSource, strTarget))
            QFile::setPermissions(strTarget,
                QFile::permissions(strTarget) | QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
                    | QFileDevice::WriteUser);
    }
}
} // namespace

QString DataFolder::WarningText() const
{
    if (blnWritable)
        return QString();
    return QStringLiteral("Neither %1 nor %2 can be written to. Your settings (the class, the router's details "
                          "and the options) will not be kept, no page trace can be written, and reports leave "
                          "out the PC's IP configuration.")
        .arg(QDir::toNativeSeparators(strAppFolder), QDir::toNativeSeparators(strUserFolder));
}

QString DataFolder::ReplacedText() const
{
    if (!PerUser())
        return QString();
    return QStringLiteral("%1 cannot be written to: the settings are read from and saved to %2 instead.")
        .arg(QDir::toNativeSeparators(strAppFolder), QDir::toNativeSeparators(strUserFolder));
}

bool FolderWritable(const QString& strFolder)
{
    if (strFolder.isEmpty() || !QFileInfo(strFolder).isDir())
        return false;
    // The permission bits alone do not tell: a read-only mount, an access list or a full disk all
    // refuse a file that the bits would allow.
    QTemporaryFile probe(WithSlash(strFolder) + QStringLiteral(".write-test-XXXXXX"));
    return probe.open();
}

QStringList ShippedFileNames()
{
    return { QStringLiteral("ClassI.ini"), QStringLiteral("ClassII.ini"), QStringLiteral("ClassV.ini"),
        QStringLiteral("ClassIIDump.txt"), QStringLiteral("vendors.txt"),
#ifdef Q_OS_WIN
        QStringLiteral("NetworkInfo.bat")
#else
        QStringLiteral("NetworkInfo.sh")
#endif
    };
}

QString UserDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

DataFolder ChooseDataFolder(const QString& strAppFolder, const QString& strUserFolder, const FolderWritableFn& writable)
{
    DataFolder folder;
    folder.strAppFolder = WithSlash(strAppFolder);
    folder.strUserFolder = WithSlash(strUserFolder);
    folder.strFolder = folder.strAppFolder;
    if (writable(folder.strAppFolder)) {
        RemoveStaleSaveCopies(folder.strFolder, SavedFileNames());
        return folder;
    }

    if (!folder.strUserFolder.isEmpty() && QDir().mkpath(folder.strUserFolder) && writable(folder.strUserFolder)) {
        SeedFolder(folder.strAppFolder, folder.strUserFolder);
        folder.strFolder = folder.strUserFolder;
        RemoveStaleSaveCopies(folder.strFolder, SavedFileNames());
        return folder;
    }

    // Nothing can be saved. The user's own settings still count when there are any.
    folder.blnWritable = false;
    if (!folder.strUserFolder.isEmpty() && QFileInfo(folder.strUserFolder + strSettingsName).isFile())
        folder.strFolder = folder.strUserFolder;
    return folder;
}
