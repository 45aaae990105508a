#include "readers/GoldenFile.h"
#include "readers/StatusTableReader.h"
#include "support/TestRegistry.h"

#include <QTest>

class TestStatusTableReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void goldenPages_data();
    void goldenPages();
    void pairing_data();
    void pairing();
    void tagCaseDoesNotMatter();
};

void TestStatusTableReader::goldenPages_data()
{
    GoldenFile::AddRows(QStringLiteral(QUORVANE_TEST_DATA_DIR "/readers/status_table"), QStringLiteral("html"));
}

void TestStatusTableReader::goldenPages()
{
    QFETCH(QString, input);
    QUORVANE_COMPARE_GOLDEN(input, ReadStatusTable(GoldenFile::ReadUtf8(input)));
}

void TestStatusTableReader::pairing_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("expected");

    QTest::newRow("header row and value row")
        << "<TR><TD>Description</TD><TD>Margin</TD><TD>Rate</TD></TR><TR><TD>Value</TD><TD>12</TD><TD>512</TD></TR>"
        << "Description: Value\r\nMargin: 12\r\nRate: 512";
    QTest::newRow("empty first header cell pairs the second name with the first value")
        << "<TR><TD></TD><TD>Description</TD><TD>Margin</TD></TR><TR><TD>Value</TD><TD>12</TD><TD>x</TD></TR>"
        << "Description: Value\r\nMargin: 12";
    QTest::newRow("no header row") << "<TR><TD>Margin</TD></TR><TR><TD>12</TD></TR>"
                                   << "";
    QTest::newRow("empty page") << ""
                                << "";
    QTest::newRow("name without value cell gets an empty value")
        << "<TR><TD>Description</TD><TD>Margin</TD><TD>Rate</TD></TR><TR><TD>Value</TD></TR>"
        << "Description: Value\r\nMargin: \r\nRate: ";
    QTest::newRow("header row as the last row takes its values from what follows")
        << "<TR><TD>Description</TD><TD>Margin</TD></TR>"
        << "Description: \r\nMargin: ";
    QTest::newRow("later header row replaces an earlier one")
        << "<TR><TD>Description</TD><TD>Old</TD></TR><TR><TD>a</TD><TD>1</TD></TR>"
           "<TR><TD>Description</TD><TD>New</TD></TR><TR><TD>b</TD><TD>2</TD></TR>"
        << "Description: b\r\nNew: 2";
    QTest::newRow("value row holding the keyword becomes the next header row")
        << "<TR><TD>Description</TD><TD>Kind</TD></TR><TR><TD>Description text</TD><TD>x</TD></TR>"
           "<TR><TD>v</TD><TD>y</TD></TR>"
        << "Description text: v\r\nx: y";
    QTest::newRow("remainder after the header's last cell counts as a name")
        << "<TR><TD>Description</TD> </TR><TR><TD>Value</TD><TD>extra</TD></TR>"
        << "Description: Value\r\n : extra";
    QTest::newRow("header keyword matched in any case") << "<TR><TD>DESCRIPTION</TD></TR><TR><TD>x</TD></TR>"
                                                        << "DESCRIPTION: x";
    QTest::newRow("bold value cell") << "<TR><TD>Description</TD></TR><TR><TD><B>Showtime</B></TD></TR>"
                                     << "Description: Showtime";
}

void TestStatusTableReader::pairing()
{
    QFETCH(QString, html);
    QFETCH(QString, expected);
    QCOMPARE(ReadStatusTable(html), expected);
}

void TestStatusTableReader::tagCaseDoesNotMatter()
{
    const QString strLower = QStringLiteral("<table><tr><td>Description</td><td>Margin</td></tr>\r\n"
                                            "<tr><td>Now</td><td>6.5</td></tr></table>");
    QString strUpper = strLower;
    strUpper.replace(QStringLiteral("td>"), QStringLiteral("TD>"))
        .replace(QStringLiteral("tr>"), QStringLiteral("TR>"));
    QVERIFY(strUpper != strLower);
    QCOMPARE(ReadStatusTable(strLower), QStringLiteral("Description: Now\r\nMargin: 6.5"));
    QCOMPARE(ReadStatusTable(strUpper), ReadStatusTable(strLower));
}

QUORVANE_REGISTER_TEST(TestStatusTableReader)
#include "TestStatusTableReader.moc"
