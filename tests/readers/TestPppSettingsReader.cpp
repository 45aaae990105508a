#include "readers/GoldenFile.h"
#include "readers/PppSettingsReader.h"
#include "support/TestRegistry.h"

#include <QTest>

class TestPppSettingsReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void goldenPages_data();
    void goldenPages();
    void settings_data();
    void settings();
    void link_data();
    void link();
    void missingCommentIsReported();
};

void TestPppSettingsReader::goldenPages_data()
{
    GoldenFile::AddRows(QStringLiteral(QUORVANE_TEST_DATA_DIR "/readers/ppp_settings"), QStringLiteral("html"));
}

void TestPppSettingsReader::goldenPages()
{
    QFETCH(QString, input);
    QUORVANE_COMPARE_GOLDEN(input, ReadPppSettings(GoldenFile::ReadUtf8(input)));
}

void TestPppSettingsReader::settings_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("expected");

    QTest::newRow("selected option") << "<SELECT name=wan_encapsulation><OPTION value=0>PPPoE LLC</OPTION>"
                                        "<OPTION value=1 selected>PPPoA VC-Mux</OPTION></SELECT>"
                                     << "Encapsulation = PPPoA VC-Mux";
    QTest::newRow("first option selected")
        << "<SELECT name=wan_encapsulation><OPTION value=0 selected>PPPoE LLC</OPTION></SELECT>"
        << "Encapsulation = PPPoE LLC";
    QTest::newRow("first of two selected options wins")
        << "<SELECT name=wan_encapsulation><OPTION value=0 selected>A</OPTION><OPTION value=1 selected>B</OPTION>"
        << "Encapsulation = A";
    QTest::newRow("no option selected gives no line")
        << "<SELECT name=wan_encapsulation><OPTION value=0>A</OPTION><OPTION value=1>B</OPTION></SELECT>"
        << "";
    // Without "value=0" the line is not cut, so the text after its first ">" still holds the option tag.
    QTest::newRow("line without value=0 is read whole")
        << "<SELECT name=wan_encapsulation><OPTION value=3 selected>IPoA</OPTION></SELECT>"
        << "Encapsulation = <OPTION value=3 selected>IPoA";
    QTest::newRow("field value") << "<INPUT value=1492 name=simple_ppp_mru>"
                                 << "\r\nMRU = 1492";
    QTest::newRow("value attribute standing last gives an empty value") << "<INPUT name=simple_ppp_mru value=1492>"
                                                                        << "\r\nMRU = ";
    QTest::newRow("value extraction ignores letter case") << "<INPUT VALUE=1400 NAME=simple_ppp_mss>"
                                                          << "\r\nMSS = 1400";
    QTest::newRow("field names respect letter case") << "<INPUT value=1492 name=SIMPLE_PPP_MRU>"
                                                     << "";
    QTest::newRow("sizes in page order")
        << "<INPUT value=1 name=simple_ppp_mss>\r\n<INPUT value=2 name=simple_ppp_mtu>\r\n"
           "<INPUT value=3 name=simple_ppp_mru>"
        << "\r\nMSS = 1\r\nMTU = 2\r\nMRU = 3";
    QTest::newRow("sizes after the encapsulation line")
        << "<SELECT name=wan_encapsulation><OPTION value=0 selected>PPPoE LLC</OPTION></SELECT>\r\n"
           "<INPUT value=1492 name=simple_ppp_mru>"
        << "Encapsulation = PPPoE LLC\r\nMRU = 1492";
    QTest::newRow("lines end with CR LF only")
        << "<SELECT name=wan_encapsulation><OPTION value=0 selected>A</OPTION>\n<INPUT value=1 name=simple_ppp_mru>"
        << "Encapsulation = A";
    QTest::newRow("no marker at all") << "<P>PPP is not in use.</P>"
                                      << "";
    QTest::newRow("empty page") << ""
                                << "";
}

void TestPppSettingsReader::settings()
{
    QFETCH(QString, html);
    QFETCH(QString, expected);
    QCOMPARE(ReadPppSettings(html), expected);
}

void TestPppSettingsReader::link_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("expected");

    QTest::newRow("link after the connections comment")
        << "<TABLE><!-- Connections --><TR><TD><A href=\"../cgi-bin/webcm?getpage=x\">Internet</A></TD></TR>"
        << "/cgi-bin/webcm?getpage=x";
    QTest::newRow("created connection comment comes first")
        << "<!-- Connections --><A href=\"../a.htm\">A</A><!-- Created Connection --><A href=\"../b.htm\">B</A>"
        << "/b.htm";
    QTest::newRow("connections comment used when the other is absent")
        << "<A href=\"../before.htm\">x</A><!-- Connections --><A href=\"../after.htm\">y</A>"
        << "/after.htm";
    QTest::newRow("comment and link matched in any case") << "<!-- CONNECTIONS --><A HREF=\"../Upper.htm\">U</A>"
                                                          << "/Upper.htm";
    QTest::newRow("links without the two dots are passed over")
        << "<!-- Connections --><A href=\"/abs.htm\">a</A><A href=\"../rel.htm\">r</A>"
        << "/rel.htm";
    QTest::newRow("no link after the comment") << "<!-- Connections --><P>No connection yet</P>"
                                               << "";
    QTest::newRow("link without closing quote") << "<!-- Connections --><A href=\"../open.htm>"
                                                << "";
}

void TestPppSettingsReader::link()
{
    QFETCH(QString, html);
    QFETCH(QString, expected);
    QString strBody = QStringLiteral("before");
    QCOMPARE(FindPppSettingsLink(html, strBody), expected);
    QCOMPARE(strBody, QStringLiteral("before"));
}

void TestPppSettingsReader::missingCommentIsReported()
{
    QString strBody = QStringLiteral("before\r\n");
    const QString strHtml = QStringLiteral("<!-- Connection list --><A href=\"../cgi-bin/webcm?getpage=x\">x</A>");
    QVERIFY(FindPppSettingsLink(strHtml, strBody).isEmpty());
    QCOMPARE(strBody, QStringLiteral("before\r\nLink to PPP settings not found\r\n"));

    strBody.clear();
    QVERIFY(FindPppSettingsLink(QString(), strBody).isEmpty());
    QCOMPARE(strBody, QStringLiteral("Link to PPP settings not found\r\n"));
}

QUORVANE_REGISTER_TEST(TestPppSettingsReader)
#include "TestPppSettingsReader.moc"
