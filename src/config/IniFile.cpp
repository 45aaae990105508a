#include "config/IniFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <optional>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <QDir>
#include <string>
#include <windows.h>
#endif

namespace
{

const QByteArray bytUtf8Bom("\xEF\xBB\xBF");
const QByteArray bytUtf16LeBom("\xFF\xFE");
const QByteArray bytUtf16BeBom("\xFE\xFF");

bool IsBlank(QChar chr)
{
    return chr == QLatin1Char(' ') || chr == QLatin1Char('\t');
}

QString TrimBlanks(const QString& strText)
{
    qsizetype intStart = 0;
    qsizetype intEnd = strText.size();
    while (intStart < intEnd && IsBlank(strText.at(intStart)))
        ++intStart;
    while (intEnd > intStart && IsBlank(strText.at(intEnd - 1)))
        --intEnd;
    return strText.mid(intStart, intEnd - intStart);
}

bool SameName(const QString& strName, const QString& strWanted)
{
    return strName.compare(strWanted, Qt::CaseInsensitive) == 0;
}

bool HasLineBreak(const QString& strText)
{
    return strText.contains(QLatin1Char('\n')) || strText.contains(QLatin1Char('\r'));
}

bool IsValidUtf8(const QByteArray& bytText)
{
    // Stateless, so that a sequence cut off at the end counts as an error too.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString strIgnored = decoder(bytText);
    return !decoder.hasError();
}

// UTF-16 files are recognised by their byte-order mark. They are edited as UTF-8 text (without the
// mark) and converted back, so that the line editing below works on one kind of bytes; the
// conversion there and back keeps every character and line break.
std::optional<QStringConverter::Encoding> Utf16Encoding(const QByteArray& bytText)
{
    if (bytText.startsWith(bytUtf16LeBom))
        return QStringConverter::Utf16LE;
    if (bytText.startsWith(bytUtf16BeBom))
        return QStringConverter::Utf16BE;
    return std::nullopt;
}

QByteArray Utf16ToUtf8(const QByteArray& bytText, QStringConverter::Encoding encoding)
{
    // The mark itself is skipped here; a second one after it is kept as a character.
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    const QString strText = decoder(bytText.mid(bytUtf16LeBom.size()));
    return strText.toUtf8();
}

QByteArray Utf8ToUtf16(const QByteArray& bytText, QStringConverter::Encoding encoding)
{
    QStringEncoder encoder(encoding, QStringConverter::Flag::Stateless);
    const QByteArray bytEncoded = encoder(QString::fromUtf8(bytText));
    return (encoding == QStringConverter::Utf16LE ? bytUtf16LeBom : bytUtf16BeBom) + bytEncoded;
}

// The text the line editing works on: UTF-16 as UTF-8, everything else as it is.
QByteArray EditableText(const QByteArray& bytText)
{
    const std::optional<QStringConverter::Encoding> utf16 = Utf16Encoding(bytText);
    return utf16 ? Utf16ToUtf8(bytText, *utf16) : bytText;
}

bool FitsLatin1(const QString& strText)
{
    for (const QChar chr : strText) {
        if (chr.unicode() > 0xFF)
            return false;
    }
    return true;
}

// One pair of matching double or single quotes around a value is not part of it.
bool IsQuoted(const QString& strValue)
{
    if (strValue.size() < 2 || strValue.front() != strValue.back())
        return false;
    return strValue.front() == QLatin1Char('"') || strValue.front() == QLatin1Char('\'');
}

// A value that the reader would change (blanks at the ends are trimmed, one pair of enclosing
// quotes is removed) is stored inside one more pair of double quotes.
QString StoredValue(const QString& strValue)
{
    if (strValue.isEmpty())
        return strValue;
    if (IsQuoted(strValue) || IsBlank(strValue.front()) || IsBlank(strValue.back()))
        return QLatin1Char('"') + strValue + QLatin1Char('"');
    return strValue;
}

bool CanWrite(const QString& strSection, const QString& strKey, const QString& strValue)
{
    if (!strSection.isValidUtf16() || !strKey.isValidUtf16() || !strValue.isValidUtf16())
        return false;
    if (strSection.isEmpty() || strSection.contains(QLatin1Char(']')) || HasLineBreak(strSection))
        return false;
    // The key as its line will read: without its blanks, and not taken for a section, a comment or a
    // byte-order mark (which the line's decoding drops).
    const QString strName = TrimBlanks(strKey);
    if (strName.isEmpty() || strName.contains(QLatin1Char('=')) || strName.startsWith(QLatin1Char('['))
        || strName.startsWith(QLatin1Char(';')) || strName.startsWith(QChar(0xFEFF)) || HasLineBreak(strKey))
        return false;
    return !HasLineBreak(strValue);
}

enum class LineKind {
    Other, // blank line or comment
    Section,
    Key
};

struct IniLine
{
    LineKind kind = LineKind::Other;
    QString strName;
    QString strValue;
};

IniLine ParseLine(const QString& strLine)
{
    IniLine line;
    const QString strText = TrimBlanks(strLine);
    if (strText.isEmpty() || strText.startsWith(QLatin1Char(';')))
        return line;
    if (strText.startsWith(QLatin1Char('['))) {
        const qsizetype intClose = strText.indexOf(QLatin1Char(']'));
        line.kind = LineKind::Section;
        line.strName = TrimBlanks(intClose < 0 ? strText.mid(1) : strText.mid(1, intClose - 1));
        return line;
    }
    line.kind = LineKind::Key;
    const qsizetype intEquals = strText.indexOf(QLatin1Char('='));
    if (intEquals < 0) {
        line.strName = strText;
        return line;
    }
    line.strName = TrimBlanks(strText.left(intEquals));
    QString strValue = TrimBlanks(strText.mid(intEquals + 1));
    if (IsQuoted(strValue))
        strValue = strValue.mid(1, strValue.size() - 2);
    line.strValue = strValue;
    return line;
}

// Length of a raw line without its line break ("\n", "\r\n", or a lone "\r" at the very end).
qsizetype ContentLength(const QByteArray& bytLine)
{
    qsizetype intLength = bytLine.size();
    if (intLength > 0 && bytLine.at(intLength - 1) == '\n')
        --intLength;
    if (intLength > 0 && bytLine.at(intLength - 1) == '\r')
        --intLength;
    return intLength;
}

// A file split into raw lines, each kept with its own line break so that untouched lines are
// written back byte for byte.
class IniDocument
{
public:
    explicit IniDocument(const QByteArray& bytText)
        : m_blnUtf8(IsValidUtf8(bytText))
    {
        qsizetype intStart = 0;
        while (intStart < bytText.size()) {
            const qsizetype intBreak = bytText.indexOf('\n', intStart);
            const qsizetype intEnd = intBreak < 0 ? bytText.size() : intBreak + 1;
            m_arrRaw.append(bytText.mid(intStart, intEnd - intStart));
            intStart = intEnd;
        }
        Parse();
    }

    bool IsUtf8() const { return m_blnUtf8; }
    const QList<IniLine>& Lines() const { return m_arrLines; }

    QString Value(const QString& strSection, const QString& strKey) const
    {
        const qsizetype intKey = FindKey(FindSection(strSection), strKey);
        return intKey < 0 ? QString() : m_arrLines.at(intKey).strValue;
    }

    QByteArray WithValue(const QString& strSection, const QString& strKey, const QString& strStored) const
    {
        QList<QByteArray> arrLines = m_arrRaw;
        const QByteArray bytBreak = LineBreak();
        const qsizetype intSection = FindSection(strSection);
        const qsizetype intKey = FindKey(intSection, strKey);
        if (intKey >= 0) {
            arrLines[intKey] = ReplacedValue(arrLines.at(intKey), strStored);
        } else if (intSection >= 0) {
            // After the section's last key, so that blank lines and comments that lead into the
            // next section stay where they are.
            qsizetype intAfter = intSection;
            for (qsizetype intLine = intSection + 1;
                 intLine < m_arrLines.size() && m_arrLines.at(intLine).kind != LineKind::Section; ++intLine) {
                if (m_arrLines.at(intLine).kind == LineKind::Key)
                    intAfter = intLine;
            }
            EndWithBreak(arrLines[intAfter], bytBreak);
            arrLines.insert(intAfter + 1, Encode(strKey + QLatin1Char('=') + strStored) + bytBreak);
        } else {
            if (!arrLines.isEmpty()) {
                EndWithBreak(arrLines.last(), bytBreak);
                if (!TrimBlanks(Decode(arrLines.size() - 1)).isEmpty())
                    arrLines.append(bytBreak);
            }
            arrLines.append(Encode(QLatin1Char('[') + strSection + QLatin1Char(']')) + bytBreak);
            arrLines.append(Encode(strKey + QLatin1Char('=') + strStored) + bytBreak);
        }
        return arrLines.join();
    }

    // Re-encodes a Latin-1 file as UTF-8; every value keeps its meaning.
    void ConvertToUtf8()
    {
        if (m_blnUtf8)
            return;
        for (qsizetype intLine = 0; intLine < m_arrRaw.size(); ++intLine) {
            QByteArray& bytLine = m_arrRaw[intLine];
            const qsizetype intBom = BomLength(intLine);
            const qsizetype intLength = ContentLength(bytLine);
            bytLine = bytLine.left(intBom) + Decode(intLine).toUtf8() + bytLine.mid(intLength);
        }
        m_blnUtf8 = true;
        Parse();
    }

    QByteArray Encode(const QString& strText) const { return m_blnUtf8 ? strText.toUtf8() : strText.toLatin1(); }

private:
    void Parse()
    {
        m_arrLines.clear();
        for (qsizetype intLine = 0; intLine < m_arrRaw.size(); ++intLine)
            m_arrLines.append(ParseLine(Decode(intLine)));
    }

    qsizetype BomLength(qsizetype intLine) const
    {
        return intLine == 0 && m_arrRaw.at(0).startsWith(bytUtf8Bom) ? bytUtf8Bom.size() : 0;
    }

    // The text of a line without its line break (and without a byte-order mark on the first line).
    QString Decode(qsizetype intLine) const
    {
        const QByteArray& bytLine = m_arrRaw.at(intLine);
        const qsizetype intBom = BomLength(intLine);
        const QByteArray bytContent = bytLine.mid(intBom, ContentLength(bytLine) - intBom);
        return m_blnUtf8 ? QString::fromUtf8(bytContent) : QString::fromLatin1(bytContent);
    }

    qsizetype FindSection(const QString& strSection) const
    {
        for (qsizetype intLine = 0; intLine < m_arrLines.size(); ++intLine) {
            const IniLine& line = m_arrLines.at(intLine);
            if (line.kind == LineKind::Section && SameName(line.strName, strSection))
                return intLine;
        }
        return -1;
    }

    qsizetype FindKey(qsizetype intSection, const QString& strKey) const
    {
        if (intSection < 0)
            return -1;
        for (qsizetype intLine = intSection + 1; intLine < m_arrLines.size(); ++intLine) {
            const IniLine& line = m_arrLines.at(intLine);
            if (line.kind == LineKind::Section)
                break;
            if (line.kind == LineKind::Key && SameName(line.strName, strKey))
                return intLine;
        }
        return -1;
    }

    // New lines follow the file's own style; a new file gets CR LF like every file the tool ships.
    QByteArray LineBreak() const
    {
        bool blnLineFeed = false;
        for (const QByteArray& bytLine : m_arrRaw) {
            if (bytLine.endsWith("\r\n"))
                return QByteArrayLiteral("\r\n");
            blnLineFeed = blnLineFeed || bytLine.endsWith('\n');
        }
        return blnLineFeed ? QByteArrayLiteral("\n") : QByteArrayLiteral("\r\n");
    }

    static void EndWithBreak(QByteArray& bytLine, const QByteArray& bytBreak)
    {
        if (bytLine.endsWith('\n'))
            return;
        // A lone CR at the very end is the line's break. A CR before it is the value's own
        // ("Port=81\r\r"): a LF right after it would make the two one break and cut it off.
        if (bytLine.endsWith('\r'))
            bytLine.chop(1);
        bytLine.append(bytLine.endsWith('\r') && bytBreak == "\n" ? QByteArrayLiteral("\r\n") : bytBreak);
    }

    // Keeps everything up to the "=" and the blanks after it, so only the value itself changes.
    QByteArray ReplacedValue(const QByteArray& bytLine, const QString& strStored) const
    {
        const qsizetype intLength = ContentLength(bytLine);
        const qsizetype intEquals = bytLine.left(intLength).indexOf('=');
        QByteArray bytPrefix;
        if (intEquals < 0) {
            bytPrefix = bytLine.left(intLength) + '=';
        } else {
            qsizetype intValue = intEquals + 1;
            while (intValue < intLength && (bytLine.at(intValue) == ' ' || bytLine.at(intValue) == '\t'))
                ++intValue;
            bytPrefix = bytLine.left(intValue);
        }
        return bytPrefix + Encode(strStored) + bytLine.mid(intLength);
    }

    bool m_blnUtf8;
    QList<QByteArray> m_arrRaw;
    QList<IniLine> m_arrLines;
};

#ifndef Q_OS_WIN
// Whether everything written to the file has reached the disk. Some file systems report a lack of
// space or a failed device only here, and the replacing step would not notice it.
bool SyncedToDisk(QFileDevice& file)
{
#ifdef Q_OS_UNIX
    // EINVAL: the file system cannot sync (nothing is held back that could fail later).
    return ::fsync(file.handle()) == 0 || errno == EINVAL;
#else
    Q_UNUSED(file);
    return true;
#endif
}
#else
// Writes all of bytText to hFile and asks the system to put it on the disk; false when a step fails
// (a full disk shows in one of them).
bool WriteAndFlush(HANDLE hFile, const QByteArray& bytText)
{
    qsizetype lngDone = 0;
    while (lngDone < bytText.size()) {
        DWORD lngWritten = 0;
        const DWORD lngChunk = static_cast<DWORD>(qMin<qsizetype>(bytText.size() - lngDone, 1 << 20));
        if (!::WriteFile(hFile, bytText.constData() + lngDone, lngChunk, &lngWritten, nullptr) || lngWritten == 0)
            return false;
        lngDone += lngWritten;
    }
    return ::FlushFileBuffers(hFile) != 0;
}
#endif

} // namespace

#ifndef Q_OS_WIN
// The file is written unbuffered: buffered data would only be written out while committing, and a
// failure there (a full disk) would still replace the file with a cut-off copy.
// The temporary copy (the file's name followed by "." and six letters or digits) is private to the
// user from before its first byte: a profile holds the saved password, and a copy left behind by an
// interrupted program must not show it to others. The replaced file keeps the permissions it had.
bool ReplaceWholeFile(const QString& strFile, const QByteArray& bytText)
{
    const QFileInfo info(strFile);
    const std::optional<QFileDevice::Permissions> oldPermissions
        = info.exists() ? std::optional(info.permissions()) : std::nullopt;
    QSaveFile save(strFile);
    if (!save.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const bool blnWritten = save.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)
        && save.write(bytText) == bytText.size() && save.flush() && save.error() == QFileDevice::NoError
        && SyncedToDisk(save);
    if (!blnWritten) {
        save.cancelWriting();
        return false;
    }
    if (!save.commit())
        return false;
    // A new file stays private: it may hold the password.
    if (oldPermissions)
        QFile::setPermissions(strFile, *oldPermissions);
    return true;
}
#else
// Writes bytText to a new file beside strFile, flushed to disk, and moves it over strFile (the move
// itself written through). Windows refuses the move while another program has strFile open without
// allowing its deletion, as most readers open files, even only for a moment (a virus scanner):
// after a few tries the file is then rewritten in place instead, from text that has already been
// written in full once, so that the settings are not lost. When a step fails strFile keeps its
// previous contents and the new file is removed.
bool ReplaceWholeFile(const QString& strFile, const QByteArray& bytText)
{
    const std::wstring strTarget = QDir::toNativeSeparators(strFile).toStdWString();
    std::wstring strNew;
    HANDLE hNew = INVALID_HANDLE_VALUE;
    for (int intTry = 0; intTry < 100 && hNew == INVALID_HANDLE_VALUE; ++intTry) {
        strNew = strTarget + L"." + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(intTry) + L".new";
        hNew = ::CreateFileW(strNew.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (hNew == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS)
            return false;
    }
    if (hNew == INVALID_HANDLE_VALUE)
        return false;
    const bool blnWritten = WriteAndFlush(hNew, bytText);
    ::CloseHandle(hNew);
    if (!blnWritten) {
        ::DeleteFileW(strNew.c_str());
        return false;
    }
    for (int intTry = 0; intTry < 5; ++intTry) {
        if (::MoveFileExW(strNew.c_str(), strTarget.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD lngError = ::GetLastError();
        if (lngError != ERROR_SHARING_VIOLATION && lngError != ERROR_ACCESS_DENIED)
            break;
        ::Sleep(20);
    }
    bool blnRewritten = false;
    const HANDLE hTarget = ::CreateFileW(strTarget.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hTarget != INVALID_HANDLE_VALUE) {
        blnRewritten = WriteAndFlush(hTarget, bytText) && ::SetEndOfFile(hTarget) && ::FlushFileBuffers(hTarget);
        ::CloseHandle(hTarget);
    }
    ::DeleteFileW(strNew.c_str());
    return blnRewritten;
}
#endif

IniValues::IniValues(const QByteArray& bytText)
{
    const IniDocument document(EditableText(bytText));
    QList<QString> arrSections;
    QString strSection;
    bool blnFirstOfName = false;
    for (const IniLine& line : document.Lines()) {
        if (line.kind == LineKind::Section) {
            // A section that occurs again is ignored, like a key that does.
            blnFirstOfName = true;
            for (const QString& strSeen : arrSections)
                blnFirstOfName = blnFirstOfName && !SameName(strSeen, line.strName);
            arrSections.append(line.strName);
            strSection = line.strName;
        } else if (line.kind == LineKind::Key && blnFirstOfName) {
            m_arrEntries.append({ strSection, line.strName, line.strValue });
        }
    }
}

QString IniValues::Value(const QString& strSection, const QString& strKey) const
{
    const QString strWantedSection = TrimBlanks(strSection);
    const QString strWantedKey = TrimBlanks(strKey);
    if (strWantedSection.isEmpty() || strWantedKey.isEmpty())
        return QString();
    for (const Entry& entry : m_arrEntries) {
        if (SameName(entry.strKey, strWantedKey) && SameName(entry.strSection, strWantedSection))
            return entry.strValue;
    }
    return QString();
}

IniValues ReadIniFile(const QString& strFile)
{
    QFile file(strFile);
    if (strFile.isEmpty() || !file.open(QIODevice::ReadOnly))
        return IniValues();
    return IniValues(file.readAll());
}

QString ReadIniText(const QByteArray& bytText, const QString& strSection, const QString& strKey)
{
    const QString strWantedSection = TrimBlanks(strSection);
    const QString strWantedKey = TrimBlanks(strKey);
    if (strWantedSection.isEmpty() || strWantedKey.isEmpty())
        return QString();
    return IniDocument(EditableText(bytText)).Value(strWantedSection, strWantedKey);
}

bool UpdateIniText(QByteArray& bytText, const QString& strSection, const QString& strKey, const QString& strValue)
{
    const QString strWantedSection = TrimBlanks(strSection);
    const QString strWantedKey = TrimBlanks(strKey);
    if (!CanWrite(strWantedSection, strWantedKey, strValue))
        return false;
    const QString strStored = StoredValue(strValue);

    const std::optional<QStringConverter::Encoding> utf16 = Utf16Encoding(bytText);
    IniDocument document(EditableText(bytText));
    if (!document.IsUtf8() && !FitsLatin1(strWantedSection + strWantedKey + strStored))
        document.ConvertToUtf8();
    QByteArray bytResult = document.WithValue(strWantedSection, strWantedKey, strStored);
    if (!document.IsUtf8() && IsValidUtf8(bytResult)) {
        // The edit removed the only bytes that were not UTF-8, so the file would be read as UTF-8
        // from now on and its other Latin-1 values would change their meaning.
        document.ConvertToUtf8();
        bytResult = document.WithValue(strWantedSection, strWantedKey, strStored);
    }
    bytText = utf16 ? Utf8ToUtf16(bytResult, *utf16) : bytResult;
    return true;
}

QString ReadIni(const QString& strSection, const QString& strKey, const QString& strFile)
{
    QFile file(strFile);
    if (strFile.isEmpty() || !file.open(QIODevice::ReadOnly))
        return QString();
    return ReadIniText(file.readAll(), strSection, strKey);
}

int WriteIni(const QString& strSection, const QString& strKey, const QString& strValue, const QString& strFile)
{
    if (strFile.isEmpty())
        return 0;
    const QFileInfo info(strFile);
    const bool blnExists = info.exists();
    QByteArray bytText;
    if (blnExists) {
        // A file that is there but cannot be read must not be replaced by one holding a single key.
        QFile file(strFile);
        if (!info.isFile() || !file.open(QIODevice::ReadOnly))
            return 0;
        bytText = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return 0;
    }
    const QByteArray bytOld = bytText;
    if (!UpdateIniText(bytText, strSection, strKey, strValue))
        return 0;
    if (blnExists && bytText == bytOld)
        return 1;

    return ReplaceWholeFile(strFile, bytText) ? 1 : 0;
}

int RemoveStaleSaveCopies(const QString& strFolder, const QStringList& arrNames, int intMinAgeSeconds)
{
    const QDir folder(strFolder);
    const QDateTime dtBefore = QDateTime::currentDateTimeUtc().addSecs(-intMinAgeSeconds);
    int intRemoved = 0;
    for (const QString& strName : arrNames) {
        // The copies of a save on POSIX: the name, a dot and six letters or digits (the name pattern
        // matches "?" one character at a time); on Windows: the name, a dot, the process id, a dash,
        // the try and ".new".
        const QStringList arrCopies
            = folder.entryList({ strName + QStringLiteral(".??????"), strName + QStringLiteral(".*-*.new") },
                QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
        for (const QString& strCopy : arrCopies) {
            if (!strCopy.startsWith(strName))
                continue;
            const QString strSuffix = strCopy.mid(strName.size() + 1);
            static const QRegularExpression rxCopy(QStringLiteral("^(?:[A-Za-z0-9]{6}|[0-9]+-[0-9]+\\.new)$"));
            const QFileInfo info(folder.filePath(strCopy));
            if (rxCopy.match(strSuffix).hasMatch() && info.lastModified().toUTC() < dtBefore
                && QFile::remove(info.filePath()))
                ++intRemoved;
        }
    }
    return intRemoved;
}
