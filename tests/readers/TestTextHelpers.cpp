#include "readers/TextHelpers.h"
#include "support/TestRegistry.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestTextHelpers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void getField_data();
    void getField();
    void countOccurrences_data();
    void countOccurrences();
    void textBetween_data();
    void textBetween();
    void textBetweenWalksThroughRepeatedValues();
    void splitInHalves_data();
    void splitInHalves();
    void splitAfterFirstDecimal_data();
    void splitAfterFirstDecimal();
    void collapseBlankLines_data();
    void collapseBlankLines();
    void findDigit_data();
    void findDigit();
    void endOfNumber_data();
    void endOfNumber();
    void readWholeFile();
    void rowCells_data();
    void rowCells();
    void trimSpacesKeepsOtherWhiteSpace();
    void splitPiecesOfEmptyTextIsEmpty();
};

void TestTextHelpers::getField_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("expected");

    QTest::newRow("middle field") << "a=b=c"
                                  << "=" << 2 << "b";
    QTest::newRow("first field") << "a=b=c"
                                 << "=" << 1 << "a";
    QTest::newRow("last field runs to the end") << "a=b=c"
                                                << "=" << 3 << "c";
    QTest::newRow("no delimiter, field 1 is the text") << "abc"
                                                       << "=" << 1 << "abc";
    QTest::newRow("adjacent delimiters give an empty field") << "a  b"
                                                             << " " << 2 << "";
    QTest::newRow("trailing delimiter gives an empty last field") << "a="
                                                                  << "=" << 2 << "";
    QTest::newRow("delimiter ignores letter case") << "oneXtwoxthree"
                                                   << "x" << 3 << "three";
    QTest::newRow("multi-character delimiter") << "key<->value<->rest"
                                               << "<->" << 2 << "value";
    QTest::newRow("field after the last one") << "a=b"
                                              << "=" << 3 << "";
    QTest::newRow("far past the last field") << "a=b"
                                             << "=" << 40 << "";
    QTest::newRow("index zero") << "a=b"
                                << "=" << 0 << "";
    QTest::newRow("negative index") << "a=b"
                                    << "=" << -3 << "";
    QTest::newRow("empty text, field 1") << ""
                                         << "=" << 1 << "";
    QTest::newRow("empty text, field 2") << ""
                                         << "=" << 2 << "";
    QTest::newRow("last of many by count") << "1>2>3>4"
                                           << ">" << 4 << "4";
}

void TestTextHelpers::getField()
{
    QFETCH(QString, text);
    QFETCH(QString, delimiter);
    QFETCH(int, index);
    QFETCH(QString, expected);
    QCOMPARE(GetField(text, delimiter, index), expected);
}

void TestTextHelpers::countOccurrences_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("sought");
    QTest::addColumn<int>("expected");

    QTest::newRow("dots of an address") << "1.2.3.4"
                                        << "." << 3;
    QTest::newRow("empty text") << ""
                                << "." << 0;
    QTest::newRow("overlapping occurrences count separately") << "aaa"
                                                              << "aa" << 2;
    QTest::newRow("letter case is respected") << "AbaBA"
                                              << "a" << 1;
    QTest::newRow("sought longer than text") << "ab"
                                             << "abc" << 0;
    QTest::newRow("occurrence at both ends") << ">x>"
                                             << ">" << 2;
    QTest::newRow("empty sought text occurs nowhere") << "abc"
                                                      << "" << 0;
}

void TestTextHelpers::countOccurrences()
{
    QFETCH(QString, text);
    QFETCH(QString, sought);
    QFETCH(int, expected);
    QCOMPARE(CountOccurrences(text, sought), expected);
}

void TestTextHelpers::textBetween_data()
{
    QTest::addColumn<QString>("startMarker");
    QTest::addColumn<QString>("endMarker");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("advance");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("positionAfter");

    // "[" at 3, value "ab" at 4-5, "]" at 6.
    const QString strText = QStringLiteral("xx[ab]yy[cd]");
    QTest::newRow("both markers, no advance") << "["
                                              << "]" << strText << 1 << false << "ab" << 1;
    QTest::newRow("both markers, advance past end marker") << "["
                                                           << "]" << strText << 1 << true << "ab" << 7;
    QTest::newRow("search starts at the position") << "["
                                                   << "]" << strText << 4 << false << "cd" << 4;
    QTest::newRow("start marker at the position itself") << "["
                                                         << "]" << strText << 3 << false << "ab" << 3;
    QTest::newRow("position 0 counts as 1") << "["
                                            << "]" << strText << 0 << false << "ab" << 1;
    QTest::newRow("negative position counts as 1") << "["
                                                   << "]" << strText << -5 << false << "ab" << 1;
    QTest::newRow("start marker missing keeps the position") << "<"
                                                             << "]" << strText << 2 << true << "" << 2;
    QTest::newRow("end marker missing, no advance") << "["
                                                    << ">" << strText << 1 << false << "" << 1;
    QTest::newRow("end marker missing, advance stops after start marker") << "["
                                                                          << ">" << strText << 1 << true << "" << 4;
    QTest::newRow("empty value between adjacent markers") << "x["
                                                          << "]"
                                                          << "x[]" << 1 << true << "" << 4;
    QTest::newRow("markers ignore letter case") << "Firmware version"
                                                << "System Uptime"
                                                << "FIRMWARE VERSION 1.0 SYSTEM UPTIME" << 1 << false << " 1.0 " << 1;
    QTest::newRow("position past the end finds nothing") << "["
                                                         << "]" << strText << 13 << true << "" << 13;
    QTest::newRow("end marker is searched after the start marker") << "ab"
                                                                   << "b"
                                                                   << "ab-b" << 1 << false << "-" << 1;
    QTest::newRow("empty text") << "["
                                << "]"
                                << "" << 1 << true << "" << 1;
}

void TestTextHelpers::textBetween()
{
    QFETCH(QString, startMarker);
    QFETCH(QString, endMarker);
    QFETCH(QString, text);
    QFETCH(int, position);
    QFETCH(bool, advance);
    QFETCH(QString, expected);
    QFETCH(int, positionAfter);

    int lngPosition = position;
    QCOMPARE(TextBetween(startMarker, endMarker, text, lngPosition, advance), expected);
    QCOMPARE(lngPosition, positionAfter);
}

void TestTextHelpers::textBetweenWalksThroughRepeatedValues()
{
    // Readers collect every value of a repeated pattern by advancing the position.
    const QString strHtml = QStringLiteral("<B>one</B> and <b>two</B>, <B></B> <B>three");
    QStringList values;
    int lngPosition = 0;
    for (int i = 0; i < 10; ++i) {
        const int lngBefore = lngPosition;
        const QString strValue = TextBetween(QStringLiteral("<b>"), QStringLiteral("</b>"), strHtml, lngPosition, true);
        if (lngPosition == lngBefore)
            break;
        values << strValue;
    }
    // The last start marker has no end marker: an empty value, and the position stops after it.
    QCOMPARE(values, QStringList({ "one", "two", "", "" }));
    QCOMPARE(lngPosition, strHtml.size() - 5 + 1);
}

void TestTextHelpers::splitInHalves_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");

    QTest::newRow("even length") << "1211"
                                 << "12"
                                 << "11";
    QTest::newRow("odd length gives the extra to the second") << "123"
                                                              << "1"
                                                              << "23";
    QTest::newRow("one character") << "7"
                                   << ""
                                   << "7";
    QTest::newRow("empty") << ""
                           << ""
                           << "";
}

void TestTextHelpers::splitInHalves()
{
    QFETCH(QString, text);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QString strFirst = QStringLiteral("old");
    QString strSecond = QStringLiteral("old");
    SplitInHalves(text, strFirst, strSecond);
    QCOMPARE(strFirst, first);
    QCOMPARE(strSecond, second);
}

void TestTextHelpers::splitAfterFirstDecimal_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");

    QTest::newRow("two one-decimal numbers") << "12.511.0"
                                             << "12.5"
                                             << "11.0";
    QTest::newRow("short first number") << "6.030.5"
                                        << "6.0"
                                        << "30.5";
    QTest::newRow("dot at the end") << "12."
                                    << "12."
                                    << "";
    QTest::newRow("no dot keeps only the first character") << "1234"
                                                           << "1"
                                                           << "234";
    QTest::newRow("empty") << ""
                           << ""
                           << "";
}

void TestTextHelpers::splitAfterFirstDecimal()
{
    QFETCH(QString, text);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QString strFirst;
    QString strSecond;
    SplitAfterFirstDecimal(text, strFirst, strSecond);
    QCOMPARE(strFirst, first);
    QCOMPARE(strSecond, second);
}

void TestTextHelpers::collapseBlankLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("run of three breaks") << "a\r\n\r\n\r\nb"
                                         << "a\r\nb";
    QTest::newRow("one-character remainder stays") << "x\r\n\r\ny"
                                                   << "x\r\ny";
    QTest::newRow("trailing run ends with one break") << "a\r\nb\r\n\r\n\r\n"
                                                      << "a\r\nb\r\n";
    QTest::newRow("leading run becomes one break") << "\r\n\r\na"
                                                   << "\r\na";
    QTest::newRow("several runs") << "a\r\n\r\nb\r\nc\r\n\r\n\r\n\r\nd"
                                  << "a\r\nb\r\nc\r\nd";
    QTest::newRow("no blank line, unchanged") << "a\r\nb\r\n"
                                              << "a\r\nb\r\n";
    QTest::newRow("line of spaces is not empty") << "a\r\n \r\nb"
                                                 << "a\r\n \r\nb";
    QTest::newRow("bare line feeds are not line breaks here") << "a\n\nb"
                                                              << "a\n\nb";
    QTest::newRow("only breaks") << "\r\n\r\n\r\n"
                                 << "\r\n";
    QTest::newRow("empty") << ""
                           << "";
}

void TestTextHelpers::collapseBlankLines()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(CollapseBlankLines(text), expected);
}

void TestTextHelpers::findDigit_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("wantNonDigit");
    QTest::addColumn<int>("expected");

    QTest::newRow("no digit") << "abc" << false << 0;
    QTest::newRow("digit at the end") << "ab1" << false << 3;
    QTest::newRow("digit at the start") << "9ab" << false << 1;
    QTest::newRow("first non-digit") << "12a" << true << 3;
    QTest::newRow("all digits, no non-digit") << "123" << true << 0;
    QTest::newRow("dot is a non-digit") << "1.2" << true << 2;
    QTest::newRow("empty, digit wanted") << "" << false << 0;
    QTest::newRow("empty, non-digit wanted") << "" << true << 0;
    QTest::newRow("only ASCII digits count") << QString::fromUtf8("\u0663\u0664x5") << false << 4;
}

void TestTextHelpers::findDigit()
{
    QFETCH(QString, text);
    QFETCH(bool, wantNonDigit);
    QFETCH(int, expected);
    QCOMPARE(FindDigit(text, wantNonDigit), expected);
}

void TestTextHelpers::endOfNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("startAfter");

    QTest::newRow("run followed by a space") << "81.2.3.4 up" << 1 << 9 << 1;
    QTest::newRow("run reaching the end") << "81.2.3.4" << 1 << 0 << 1;
    QTest::newRow("start 0 counts as 1") << "12 x" << 0 << 3 << 1;
    QTest::newRow("negative start counts as 1") << "12 x" << -2 << 3 << 1;
    QTest::newRow("start in the middle") << "IP 10.0.0.1/24" << 4 << 12 << 4;
    QTest::newRow("start on a non-number character") << "ab12" << 2 << 2 << 2;
    QTest::newRow("start past the end") << "12" << 5 << 0 << 5;
    QTest::newRow("dots only") << "...x" << 1 << 4 << 1;
    QTest::newRow("empty text") << "" << 1 << 0 << 1;
}

void TestTextHelpers::endOfNumber()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, expected);
    QFETCH(int, startAfter);
    int lngStart = start;
    QCOMPARE(EndOfNumber(text, lngStart), expected);
    QCOMPARE(lngStart, startAfter);
}

void TestTextHelpers::readWholeFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());

    const QByteArray bytes = QByteArrayLiteral("line one\r\ncaf\xe9\r\n\x01\x7f\xff");
    QFile file(dir.filePath(QStringLiteral("data.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
    file.close();

    const QString strText = ReadWholeFile(file.fileName());
    // One character per byte, line ends as written.
    QCOMPARE(strText.size(), bytes.size());
    QVERIFY(strText.startsWith(QStringLiteral("line one\r\ncaf")));
    QCOMPARE(strText.at(13).unicode(), 0xE9);
    QCOMPARE(strText.at(strText.size() - 1).unicode(), 0xFF);

    QFile empty(dir.filePath(QStringLiteral("empty.txt")));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();
    QVERIFY(ReadWholeFile(empty.fileName()).isEmpty());

    QVERIFY(ReadWholeFile(dir.filePath(QStringLiteral("missing.txt"))).isEmpty());
    QVERIFY(ReadWholeFile(dir.path()).isEmpty());
    QVERIFY(ReadWholeFile(QString()).isEmpty());
}

void TestTextHelpers::rowCells_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("innermost text, empty last entry")
        << "<TR><TD>Name</TD><TD><B>Value</B></TD>" << QStringList({ "Name", "Value", "" });
    QTest::newRow("lower-case tags") << "<tr><td>a</td><td>b</td>" << QStringList({ "a", "b", "" });
    QTest::newRow("remainder after the last cell is kept") << "<TR><TD>a</TD>\r\n" << QStringList({ "a", "\r\n" });
    QTest::newRow("empty cells stay empty") << "<TD></TD></td>" << QStringList({ "", "", "" });
    QTest::newRow("cell with attributes and a nested tag")
        << "<TD class=v align=left><FONT color=red>12.5</FONT></TD>" << QStringList({ "12.5", "" });
    QTest::newRow("only the last closing tag of a cell is cut off")
        << "<TD><FONT><B>12.5</B></FONT></TD>" << QStringList({ "", "" });
    QTest::newRow("text outside any tag") << "plain</TD>" << QStringList({ "plain", "" });
    QTest::newRow("no cell end at all") << "<TR><TD>open" << QStringList({ "open" });
    QTest::newRow("empty row gives no cells") << "" << QStringList();
}

void TestTextHelpers::rowCells()
{
    QFETCH(QString, row);
    QFETCH(QStringList, expected);
    QStringList cells { QStringLiteral("stale") };
    RowCells(row, cells);
    QCOMPARE(cells, expected);
}

void TestTextHelpers::trimSpacesKeepsOtherWhiteSpace()
{
    QCOMPARE(TrimSpaces(QStringLiteral("  a b  ")), QStringLiteral("a b"));
    QCOMPARE(TrimSpaces(QStringLiteral(" \tx\r\n ")), QStringLiteral("\tx\r\n"));
    QCOMPARE(TrimSpaces(QStringLiteral("    ")), QString());
    QCOMPARE(TrimSpaces(QString()), QString());
}

void TestTextHelpers::splitPiecesOfEmptyTextIsEmpty()
{
    QVERIFY(SplitPieces(QString(), QStringLiteral("\r\n"), Qt::CaseSensitive).isEmpty());
    QCOMPARE(SplitPieces(QStringLiteral("\r\n"), QStringLiteral("\r\n"), Qt::CaseSensitive), QStringList({ "", "" }));
    QCOMPARE(SplitPieces(QStringLiteral("a</TR>b</tr>"), QStringLiteral("</tr>"), Qt::CaseInsensitive),
        QStringList({ "a", "b", "" }));
}

QUORVANE_REGISTER_TEST(TestTextHelpers)
#include "TestTextHelpers.moc"
