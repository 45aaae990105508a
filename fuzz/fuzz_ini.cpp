// Fuzzes the INI reader and writer on arbitrary file contents.
//
// Input layout: section NUL key NUL value NUL file contents. Inputs with fewer than three NUL
// bytes are file contents only and use a fixed section, key and value.
//
// Checked: reading never fails, and reading many values of one parse (IniValues) agrees with
// reading one; a write that is accepted reads back exactly, and leaves every other value of the
// file as it was. File contents that are UTF-8 text are also tried as UTF-16
// (little and big endian, behind their byte-order marks): every read gives the same value, and a
// write gives the same file in UTF-16.

#include "config/IniFile.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>
#include <cstdint>
#include <cstdlib>
#include <utility>

namespace
{

QString TrimBlanks(const QString& strText)
{
    qsizetype intStart = 0;
    qsizetype intEnd = strText.size();
    while (intStart < intEnd && (strText.at(intStart) == QLatin1Char(' ') || strText.at(intStart) == QLatin1Char('\t')))
        ++intStart;
    while (intEnd > intStart
        && (strText.at(intEnd - 1) == QLatin1Char(' ') || strText.at(intEnd - 1) == QLatin1Char('\t')))
        --intEnd;
    return strText.mid(intStart, intEnd - intStart);
}

bool SameName(const QString& strOne, const QString& strOther)
{
    return TrimBlanks(strOne).compare(TrimBlanks(strOther), Qt::CaseInsensitive) == 0;
}

bool IsUtf8Text(const QByteArray& bytText)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString strIgnored = decoder(bytText);
    // A UTF-8 byte-order mark would turn into a character of its own behind the UTF-16 mark.
    return !decoder.hasError() && !bytText.startsWith("\xEF\xBB\xBF");
}

QByteArray ToUtf16(const QByteArray& bytUtf8, QStringConverter::Encoding encoding)
{
    QStringEncoder encoder(encoding);
    const QByteArray bytText = encoder(QString::fromUtf8(bytUtf8));
    return (encoding == QStringConverter::Utf16LE ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF")) + bytText;
}

void CheckUtf16(const QByteArray& bytText, const QList<std::pair<QString, QString>>& arrProbes,
    const QString& strSection, const QString& strKey, const QString& strValue)
{
    QByteArray bytWritten = bytText;
    const bool blnWritten = UpdateIniText(bytWritten, strSection, strKey, strValue);
    const IniValues values(bytText);
    for (const QStringConverter::Encoding encoding : { QStringConverter::Utf16LE, QStringConverter::Utf16BE }) {
        const QByteArray bytUtf16 = ToUtf16(bytText, encoding);
        const IniValues utf16Values(bytUtf16);
        for (const auto& probe : arrProbes) {
            if (utf16Values.Value(probe.first, probe.second) != values.Value(probe.first, probe.second))
                std::abort();
        }
        QByteArray bytUtf16Written = bytUtf16;
        if (UpdateIniText(bytUtf16Written, strSection, strKey, strValue) != blnWritten)
            std::abort();
        if (bytUtf16Written != (blnWritten ? ToUtf16(bytWritten, encoding) : bytUtf16))
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytInput(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString strSection = QStringLiteral("Options");
    QString strKey = QStringLiteral("Port");
    QString strValue = QStringLiteral("8080");
    QByteArray bytText = bytInput;
    const QList<QByteArray> arrParts = bytInput.split('\0');
    if (arrParts.size() >= 4) {
        strSection = QString::fromUtf8(arrParts.at(0));
        strKey = QString::fromUtf8(arrParts.at(1));
        strValue = QString::fromUtf8(arrParts.at(2));
        bytText = bytInput.mid(arrParts.at(0).size() + arrParts.at(1).size() + arrParts.at(2).size() + 3);
    }

    // Other values whose reading must not change: the target's neighbours and the usual profile keys.
    const QList<std::pair<QString, QString>> arrProbes { { strSection, QStringLiteral("Port") },
        { strSection, QStringLiteral("Password") }, { QStringLiteral("Options"), strKey },
        { QStringLiteral("URLs"), QStringLiteral("Log in") }, { QStringLiteral("Options"), QStringLiteral("Port") } };
    // Parsed once for all the probes; the one-value reader must agree with it.
    const IniValues before(bytText);
    QList<QString> arrBefore;
    for (const auto& probe : arrProbes)
        arrBefore << before.Value(probe.first, probe.second);
    if (ReadIniText(bytText, strSection, strKey) != before.Value(strSection, strKey))
        std::abort();
    if (IsUtf8Text(bytText))
        CheckUtf16(bytText, arrProbes, strSection, strKey, strValue);

    QByteArray bytWritten = bytText;
    if (!UpdateIniText(bytWritten, strSection, strKey, strValue)) {
        if (bytWritten != bytText)
            std::abort(); // a refused write must leave the contents alone
        return 0;
    }
    if (ReadIniText(bytWritten, strSection, strKey) != strValue)
        std::abort();
    const IniValues after(bytWritten);
    for (qsizetype intProbe = 0; intProbe < arrProbes.size(); ++intProbe) {
        const auto& probe = arrProbes.at(intProbe);
        if (SameName(probe.first, strSection) && SameName(probe.second, strKey))
            continue;
        if (after.Value(probe.first, probe.second) != arrBefore.at(intProbe))
            std::abort();
    }
    return 0;
}
