#include "config/DataFolder.h"
#include "support/TestRegistry.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace
{
bool WriteFile(const QString& strPath, const QByteArray& bytContent, QFileDevice::Permissions permissions)
{
    QFile file(strPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytContent) != bytContent.size())
        return false;
    file.close();
    return file.setPermissions(permissions);
}

QByteArray ReadFile(const QString& strPath)
{
    QFile file(strPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// An installed program's folder: every shipped file, read-only, the script executable.
struct InstalledFolder
{
    InstalledFolder()
    {
        const auto readOnly
            = QFileDevice::ReadOwner | QFileDevice::ReadUser | QFileDevice::ReadGroup | QFileDevice::ReadOther;
        for (const QString& strName : ShippedFileNames()) {
            const bool blnScript = strName.startsWith(QLatin1String("NetworkInfo"));
            blnReady &= WriteFile(dirApp.filePath(strName), "shipped " + strName.toLatin1(),
                blnScript ? readOnly | QFileDevice::ExeOwner | QFileDevice::ExeUser | QFileDevice::ExeOther : readOnly);
        }
        blnReady &= WriteFile(dirApp.filePath(QStringLiteral("Settings.ini")), "folder's settings", readOnly);
    }

    QString App() const { return dirApp.path(); }
    QString User() const { return dirHome.filePath(QStringLiteral("share/Quorvane")); }

    QTemporaryDir dirApp;
    QTemporaryDir dirHome;
    bool blnReady = dirApp.isValid() && dirHome.isValid();
};
} // namespace

// The folder a program reads and writes: its own when it may write there, else the user's own,
// seeded with the shipped files.
class TestDataFolder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writableProgramFolderIsUsedAsItIs()
    {
        InstalledFolder installed;
        QVERIFY(installed.blnReady);
        const DataFolder folder = ChooseDataFolder(installed.App(), installed.User());
        QCOMPARE(folder.strFolder, installed.App() + QLatin1Char('/'));
        QVERIFY(!folder.PerUser());
        QVERIFY(folder.blnWritable);
        QVERIFY(folder.WarningText().isEmpty());
        // Nothing is made or copied for the user.
        QVERIFY(!QFileInfo::exists(installed.User()));
    }

    void userFolderIsSeededWithTheShippedFiles()
    {
        InstalledFolder installed;
        QVERIFY(installed.blnReady);
        const QString strApp = installed.App() + QLatin1Char('/');
        const auto onlyUser
            = [strApp](const QString& strFolder) { return strFolder != strApp && FolderWritable(strFolder); };
        // A profile the user already has is kept as it is.
        QVERIFY(QDir().mkpath(installed.User()));
        const QString strOwnProfile = installed.User() + QStringLiteral("/ClassII.ini");
        QVERIFY(WriteFile(strOwnProfile, "the user's own", QFileDevice::ReadOwner | QFileDevice::WriteOwner));

        const DataFolder folder = ChooseDataFolder(installed.App(), installed.User(), onlyUser);
        QCOMPARE(folder.strFolder, installed.User() + QLatin1Char('/'));
        QVERIFY(folder.PerUser());
        QVERIFY(folder.blnWritable);
        for (const QString& strName : ShippedFileNames()) {
            const QString strCopy = folder.strFolder + strName;
            if (strName == QLatin1String("ClassII.ini")) {
                QCOMPARE(ReadFile(strCopy), QByteArray("the user's own"));
                continue;
            }
            QCOMPARE(ReadFile(strCopy), "shipped " + strName.toLatin1());
            // The user may change the copies, and the script still runs.
            QVERIFY2(QFile::permissions(strCopy).testFlag(QFileDevice::WriteOwner), qPrintable(strName));
            if (strName.startsWith(QLatin1String("NetworkInfo")))
                QVERIFY(QFile::permissions(strCopy).testFlag(QFileDevice::ExeOwner));
        }
        // The folder's class choice comes along, so that the seeded profiles are used as chosen.
        QCOMPARE(ReadFile(folder.strFolder + QStringLiteral("Settings.ini")), QByteArray("folder's settings"));
        QVERIFY(folder.WarningText().isEmpty());
        QVERIFY(folder.ReplacedText().contains(QDir::toNativeSeparators(installed.App())));
        QVERIFY(folder.ReplacedText().contains(QDir::toNativeSeparators(installed.User())));

        // A later start keeps the settings the user has saved meanwhile.
        QVERIFY(WriteFile(folder.strFolder + QStringLiteral("Settings.ini"), "user's settings",
            QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        ChooseDataFolder(installed.App(), installed.User(), onlyUser);
        QCOMPARE(ReadFile(folder.strFolder + QStringLiteral("Settings.ini")), QByteArray("user's settings"));
    }

    // A save interrupted by a kill leaves its temporary copy, saved password included; the next
    // start removes the old copies of the program's own INI files, and nothing else.
    void staleSaveCopiesAreRemovedAtStart_data()
    {
        QTest::addColumn<QString>("strName");
        QTest::addColumn<int>("intAgeSeconds");
        QTest::addColumn<bool>("blnRemoved");
        QTest::newRow("profile copy") << "ClassII.ini.Ab12Cd" << 3600 << true;
        QTest::newRow("settings copy") << "Settings.ini.x9Y8z7" << 120 << true;
        QTest::newRow("being written now") << "ClassI.ini.Ab12Cd" << 0 << false;
        QTest::newRow("five characters") << "ClassV.ini.Ab12C" << 3600 << false;
        QTest::newRow("seven characters") << "ClassV.ini.Ab12Cde" << 3600 << false;
        QTest::newRow("punctuation") << "ClassV.ini.Ab-2Cd" << 3600 << false;
        QTest::newRow("other file") << "vendors.txt.Ab12Cd" << 3600 << false;
        QTest::newRow("no dot") << "ClassII.iniAb12Cd" << 3600 << false;
        QTest::newRow("Windows copy") << "ClassII.ini.4242-0.new" << 3600 << true;
        QTest::newRow("Windows copy, no try") << "ClassII.ini.4242-.new" << 3600 << false;
    }
    void staleSaveCopiesAreRemovedAtStart()
    {
        QFETCH(QString, strName);
        QFETCH(int, intAgeSeconds);
        QFETCH(bool, blnRemoved);
        InstalledFolder installed;
        QVERIFY(installed.blnReady);
        const QString strPath = installed.App() + QLatin1Char('/') + strName;
        QVERIFY(WriteFile(strPath, "Password=secret", QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QFile file(strPath);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(
            QDateTime::currentDateTimeUtc().addSecs(-intAgeSeconds), QFileDevice::FileModificationTime));
        file.close();
        const DataFolder folder = ChooseDataFolder(installed.App(), installed.User());
        QCOMPARE(folder.strFolder, installed.App() + QLatin1Char('/'));
        QCOMPARE(QFileInfo::exists(strPath), !blnRemoved);
        QVERIFY(folder.ReplacedText().isEmpty());
    }

    void neitherWritableIsSaidOnce_data()
    {
        QTest::addColumn<bool>("blnUserSettings");
        QTest::newRow("first start") << false;
        QTest::newRow("user folder of an earlier start") << true;
    }
    void neitherWritableIsSaidOnce()
    {
        QFETCH(bool, blnUserSettings);
        InstalledFolder installed;
        QVERIFY(installed.blnReady);
        if (blnUserSettings) {
            QVERIFY(QDir().mkpath(installed.User()));
            QVERIFY(WriteFile(installed.User() + QStringLiteral("/Settings.ini"), "[Options]\r\n",
                QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        }
        const DataFolder folder
            = ChooseDataFolder(installed.App(), installed.User(), [](const QString&) { return false; });
        QVERIFY(!folder.blnWritable);
        QCOMPARE(folder.PerUser(), blnUserSettings);
        QCOMPARE(folder.strFolder, (blnUserSettings ? installed.User() : installed.App()) + QLatin1Char('/'));
        // The notice names both folders.
        QVERIFY(folder.WarningText().contains(QDir::toNativeSeparators(installed.App())));
        QVERIFY(folder.WarningText().contains(QDir::toNativeSeparators(installed.User())));
        QVERIFY(!QFileInfo::exists(installed.User() + QStringLiteral("/ClassI.ini")));
    }
};

QUORVANE_REGISTER_TEST(TestDataFolder)
#include "TestDataFolder.moc"
