#include "readers/TextHelpers.h"
#include "readers/VendorTable.h"
#include "support/TestRegistry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class TestVendorTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void firstOfDuplicateCodesWinsInAnyCase();
    void nothingIsTrimmed();
    void nameEndsAtTheNextEqualsSign();
    void incompleteLinesAreIgnored();
    void onlyALeadingHashMakesAComment();
    void lineFeedsAloneDoNotEndLines();
    void missingOrEmptyFileGivesEmptyTable();
    void reloadReplacesTheTable();
    void emptyCodeIsNeverFound();
    void shippedTableLoads();

private:
    // Writes vendors.txt with the given lines joined by CR LF and loads it.
    void Load(const QStringList& lines);
    QString Folder() const { return m_dir->path() + QLatin1Char('/'); }

    std::unique_ptr<QTemporaryDir> m_dir;
    VendorTable m_table;
};

void TestVendorTable::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_table = VendorTable();
}

void TestVendorTable::Load(const QStringList& lines)
{
    QFile file(Folder() + QStringLiteral("vendors.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(lines.join(QStringLiteral("\r\n")).toLatin1());
    file.close();
    m_table.LoadVendorTable(Folder());
}

void TestVendorTable::firstOfDuplicateCodesWinsInAnyCase()
{
    Load({ "# vendors", "ZNTV=ChipMaker", "zntv=Other" });
    QCOMPARE(m_table.Count(), 2);
    QCOMPARE(m_table.LookupVendor(QStringLiteral("ZNTV")), QStringLiteral("ChipMaker"));
    QCOMPARE(m_table.LookupVendor(QStringLiteral("zntv")), QStringLiteral("ChipMaker"));
    QCOMPARE(m_table.LookupVendor(QStringLiteral("ZnTv")), QStringLiteral("ChipMaker"));
    QVERIFY(m_table.LookupVendor(QStringLiteral("ZNT")).isEmpty());
}

void TestVendorTable::nothingIsTrimmed()
{
    Load({ "ABCD = Name", "EFGH=Tail " });
    QVERIFY(m_table.LookupVendor(QStringLiteral("ABCD")).isEmpty());
    QCOMPARE(m_table.LookupVendor(QStringLiteral("ABCD ")), QStringLiteral(" Name"));
    QCOMPARE(m_table.LookupVendor(QStringLiteral("EFGH")), QStringLiteral("Tail "));
}

void TestVendorTable::nameEndsAtTheNextEqualsSign()
{
    Load({ "ABCD=Name=More" });
    QCOMPARE(m_table.LookupVendor(QStringLiteral("ABCD")), QStringLiteral("Name"));
}

void TestVendorTable::incompleteLinesAreIgnored()
{
    Load({ "=Name", "ABCD=", "NOEQUALSSIGN", "", "KEEP=Kept", "=" });
    QCOMPARE(m_table.Count(), 1);
    QCOMPARE(m_table.LookupVendor(QStringLiteral("KEEP")), QStringLiteral("Kept"));
    QVERIFY(m_table.LookupVendor(QStringLiteral("ABCD")).isEmpty());
    QVERIFY(m_table.LookupVendor(QStringLiteral("NOEQUALSSIGN")).isEmpty());
}

void TestVendorTable::onlyALeadingHashMakesAComment()
{
    Load({ "#HIDE=Commented", " #SHOW=Entry" });
    QCOMPARE(m_table.Count(), 1);
    QVERIFY(m_table.LookupVendor(QStringLiteral("#HIDE")).isEmpty());
    QCOMPARE(m_table.LookupVendor(QStringLiteral(" #SHOW")), QStringLiteral("Entry"));
}

void TestVendorTable::lineFeedsAloneDoNotEndLines()
{
    QFile file(Folder() + QStringLiteral("vendors.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("AAAA=One\nBBBB=Two\n");
    file.close();
    m_table.LoadVendorTable(Folder());
    // One line: the name runs on to the next "=".
    QCOMPARE(m_table.Count(), 1);
    QCOMPARE(m_table.LookupVendor(QStringLiteral("AAAA")), QStringLiteral("One\nBBBB"));
    QVERIFY(m_table.LookupVendor(QStringLiteral("BBBB")).isEmpty());
}

void TestVendorTable::missingOrEmptyFileGivesEmptyTable()
{
    m_table.LoadVendorTable(Folder());
    QCOMPARE(m_table.Count(), 0);
    QVERIFY(m_table.LookupVendor(QStringLiteral("ZNTV")).isEmpty());

    Load({});
    QCOMPARE(m_table.Count(), 0);

    Load({ "# only a comment", "" });
    QCOMPARE(m_table.Count(), 0);

    // A folder of that name is no file.
    QVERIFY(QFile::remove(Folder() + QStringLiteral("vendors.txt")));
    QVERIFY(QDir(Folder()).mkdir(QStringLiteral("vendors.txt")));
    m_table.LoadVendorTable(Folder());
    QCOMPARE(m_table.Count(), 0);
}

void TestVendorTable::reloadReplacesTheTable()
{
    Load({ "AAAA=First" });
    QCOMPARE(m_table.LookupVendor(QStringLiteral("AAAA")), QStringLiteral("First"));
    Load({ "BBBB=Second" });
    QCOMPARE(m_table.Count(), 1);
    QVERIFY(m_table.LookupVendor(QStringLiteral("AAAA")).isEmpty());
    QVERIFY(QFile::remove(Folder() + QStringLiteral("vendors.txt")));
    m_table.LoadVendorTable(Folder());
    QCOMPARE(m_table.Count(), 0);
    QVERIFY(m_table.LookupVendor(QStringLiteral("BBBB")).isEmpty());
}

void TestVendorTable::emptyCodeIsNeverFound()
{
    QVERIFY(m_table.LookupVendor(QString()).isEmpty());
    Load({ "AAAA=First" });
    QVERIFY(m_table.LookupVendor(QString()).isEmpty());
}

void TestVendorTable::shippedTableLoads()
{
    const QString strDist = QStringLiteral(QUORVANE_SOURCE_DIR "/dist/");
    m_table.LoadVendorTable(strDist);
    QVERIFY(m_table.Count() >= 3);
    // Every entry line of the shipped file must be reachable by its code.
    const QStringList lines = ReadWholeFile(strDist + QStringLiteral("vendors.txt")).split(QStringLiteral("\r\n"));
    int intEntries = 0;
    for (const QString& strLine : lines) {
        if (strLine.isEmpty() || strLine.startsWith(QLatin1Char('#')))
            continue;
        ++intEntries;
        const QString strCode = strLine.section(QLatin1Char('='), 0, 0);
        QCOMPARE(strCode.size(), 4);
        QCOMPARE(m_table.LookupVendor(strCode), strLine.section(QLatin1Char('='), 1, 1));
    }
    QCOMPARE(m_table.Count(), intEntries);
}

QUORVANE_REGISTER_TEST(TestVendorTable)
#include "TestVendorTable.moc"
