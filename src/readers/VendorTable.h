#pragma once

#include <QString>
#include <vector>

// One line of vendors.txt: a chip vendor code and the vendor's name.
struct VendorEntry
{
    QString code;
    QString name;
};

// The table that names the maker of the exchange-side DSL chip from its short vendor code.
//
// vendors.txt is plain 8-bit text with CR LF line ends. Empty lines and lines whose very first
// character is "#" are skipped; every other line reads code=name, where the name ends at the next
// "=" and nothing is trimmed. Lines with an empty code or name (or without "=") are ignored, and of
// duplicate codes the first wins. Codes compare without regard to case.
class VendorTable
{
public:
    // Replaces the table with the entries of strAppFolder + "vendors.txt" (strAppFolder ends with a
    // separator). A missing, hidden or empty file leaves the table empty.
    void LoadVendorTable(const QString& strAppFolder);

    // The name for strCode, or an empty text when the code is not in the table.
    QString LookupVendor(const QString& strCode) const;

    // Number of entries loaded; 0 when the file was missing or held no usable line.
    int Count() const;

private:
    std::vector<VendorEntry> m_entries;
};
