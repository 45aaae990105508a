#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Reading and writing of the INI files beside the program (Settings.ini and the router-class
// profiles), one value at a time.
//
// The files must stay interchangeable with the ones that the desktop platform's profile functions
// read and write, so this module follows their rules instead of using QSettings: QSettings
// percent-escapes keys that hold blanks or apostrophes ("Router's IP address"), compares keys with
// regard to letter case on most systems, drops comments and rewrites the whole file in its own
// layout. The rules kept here:
// - section and key names are compared without regard to letter case, and blanks (spaces, tabs)
//   around names and values are ignored;
// - keys are stored exactly as given, never escaped;
// - a value wrapped in one pair of double quotes, or of single quotes, reads without them;
// - a missing file, section or key reads as the empty string; when a section or key occurs twice,
//   the first one counts;
// - lines starting with ";" are comments; lines before the first section belong to none;
// - a write changes only the one value (or adds the key, the section, the file) and keeps every
//   other byte of the file, its comments, its order and its line-break style.
//
// Two things differ from the platform, both to avoid losing data: a value with blanks at either end
// or wrapped in quotes is written inside an extra pair of double quotes, so that it reads back as
// it was written; and a write that cannot be represented on one line (a line break in the value, a
// key holding "=" or a section name holding "]") is refused instead of corrupting the file.
//
// A file that starts with a UTF-16 byte-order mark (little or big endian) is read as UTF-16 and
// written back as UTF-16 with the same mark. Other files are read as UTF-8 (a UTF-8 byte-order mark
// is skipped and kept) when they are valid UTF-8 and as Latin-1 otherwise (profiles written on the
// original platform are single-byte text); a write keeps the file's encoding whenever it can.

// Returns the value of strKey in section strSection of strFile, or "" when any of them is missing.
QString ReadIni(const QString& strSection, const QString& strKey, const QString& strFile);

// Sets strKey in section strSection of strFile to strValue, creating the file, the section and the
// key as needed. The new content is written to a temporary file in the same folder which replaces
// the old file only when it was written completely, so a write that fails at any step (a full disk,
// a read-only folder, an interrupted program) leaves the previous file whole.
// Returns nonzero on success, 0 when the write was refused or failed.
int WriteIni(const QString& strSection, const QString& strKey, const QString& strValue, const QString& strFile);

// Removes the temporary copies that an interrupted WriteIni left behind in strFolder for the files
// named arrNames ("ClassII.ini.Ab12Cd" for "ClassII.ini"): regular files only, and only those that
// were last written more than intMinAgeSeconds ago, so that a save still under way in another
// instance keeps its copy. Returns how many were removed.
int RemoveStaleSaveCopies(const QString& strFolder, const QStringList& arrNames, int intMinAgeSeconds = 60);

// The same two operations on a file's contents in memory. UpdateIniText changes bytText only when
// it returns true.
QString ReadIniText(const QByteArray& bytText, const QString& strSection, const QString& strKey);
bool UpdateIniText(QByteArray& bytText, const QString& strSection, const QString& strKey, const QString& strValue);

// Writes bytText to a temporary file beside strFile and replaces strFile with it only when every
// step succeeded; otherwise strFile keeps its previous contents and the temporary file is removed.
// (Not "ReplaceFile": the Windows headers make that name a macro.)
bool ReplaceWholeFile(const QString& strFile, const QByteArray& bytText);

// The values of a file's contents, read by the rules above but parsed once: for reading many keys.
class IniValues
{
public:
    IniValues() = default;
    explicit IniValues(const QByteArray& bytText);

    // The same as ReadIniText on the contents given.
    QString Value(const QString& strSection, const QString& strKey) const;

private:
    struct Entry
    {
        QString strSection;
        QString strKey;
        QString strValue;
    };
    // The keys of the first section of each name, in file order.
    QList<Entry> m_arrEntries;
};

// The values of strFile; none when it is missing or cannot be read.
IniValues ReadIniFile(const QString& strFile);
