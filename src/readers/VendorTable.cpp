#include "readers/VendorTable.h"

#include "readers/TextHelpers.h"

#include <QFileInfo>
#include <QStringList>

void VendorTable::LoadVendorTable(const QString& strAppFolder)
{
    m_entries.clear();

    const QFileInfo info(strAppFolder + QStringLiteral("vendors.txt"));
    if (!info.isFile() || info.isHidden())
        return;
    const QString strText = ReadWholeFile(info.filePath());
    if (strText.isEmpty())
        return;

    const QStringList lines = SplitPieces(strText, QStringLiteral("\r\n"), Qt::CaseSensitive);
    for (const QString& strLine : lines) {
        if (strLine.isEmpty() || strLine.startsWith(QLatin1Char('#')))
            continue;
        VendorEntry entry { GetField(strLine, QStringLiteral("="), 1), GetField(strLine, QStringLiteral("="), 2) };
        if (!entry.code.isEmpty() && !entry.name.isEmpty())
            m_entries.push_back(std::move(entry));
    }
}

QString VendorTable::LookupVendor(const QString& strCode) const
{
    for (const VendorEntry& entry : m_entries) {
        if (entry.code.compare(strCode, Qt::CaseInsensitive) == 0)
            return entry.name;
    }
    return QString();
}

int VendorTable::Count() const
{
    return static_cast<int>(m_entries.size());
}
