#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// The folder that the program reads its configuration from and writes everything into: Settings.ini
// and the profiles, the page trace log.txt and the IP configuration listing ipcon.txt.
//
// A program folder that the user can write to (a portable copy, a build tree) is that folder, as it
// always was. An installed program's folder belongs to the system, so the user's own data folder
// (QStandardPaths::AppDataLocation) stands in for it, seeded with the files shipped beside the
// program that it does not hold yet; from then on the user's copies are the ones read and written.
struct DataFolder
{
    QString strFolder; // the folder to use, with a trailing "/"
    QString strAppFolder; // the program's folder, with a trailing "/"
    QString strUserFolder; // the per-user folder, with a trailing "/"
    bool blnWritable = true; // false: neither folder can be written to

    // Whether strFolder is the per-user folder.
    bool PerUser() const { return !strUserFolder.isEmpty() && strFolder == strUserFolder; }

    // The one notice given when nothing can be saved; empty while blnWritable.
    QString WarningText() const;

    // The one notice given when a folder that the user named explicitly (quorvane-cli --app-dir)
    // cannot be written to and the per-user folder is used instead; empty otherwise.
    QString ReplacedText() const;
};

using FolderWritableFn = std::function<bool(const QString& strFolder)>;

// True when a file can be created in strFolder (the folder itself must exist).
bool FolderWritable(const QString& strFolder);

// The names of the shipped files that seed the per-user folder: the three profiles, the page list
// of the data dump, the vendor codes and the IP configuration script of this platform.
QStringList ShippedFileNames();

// The per-user folder of the application (QStandardPaths::AppDataLocation), "" when the platform
// names none.
QString UserDataFolder();

// Chooses the folder for a program living in strAppFolder, as described above. The per-user
// folder strUserFolder is created and seeded when it is needed; its seed includes the program
// folder's Settings.ini, so that the class chosen there still holds. Temporary copies that an
// interrupted save left in the chosen folder are removed (see RemoveStaleSaveCopies). When neither folder can be
// written to, blnWritable is false and the folder read is the per-user one when it holds settings of an earlier start,
// the program's folder otherwise.
DataFolder ChooseDataFolder(
    const QString& strAppFolder, const QString& strUserFolder, const FolderWritableFn& writable = FolderWritable);
