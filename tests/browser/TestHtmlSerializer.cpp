#include "BrowserTestSupport.h"
#include "browser/document/HtmlSerializer.h"
#include "support/TestRegistry.h"

#include <QTest>

class TestHtmlSerializer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void WritesBodyLikeTheClassicControl_data();
    void WritesBodyLikeTheClassicControl();
    void FramesetBodyIsTheFrameset();
    void DocumentStartsAtTheRootElement();
};

void TestHtmlSerializer::WritesBodyLikeTheClassicControl_data()
{
    QTest::addColumn<QString>("strHtml");
    QTest::addColumn<QString>("strExpected");

    // The markers of the PPP settings reader.
    QTest::newRow("selected option") << "<select name=\"wan_encapsulation\"><option value=\"0\">PPPoA LLC</option>"
                                        "<option value=\"1\" selected>PPPoA VC-Mux</option></select>"
                                     << "<SELECT name=wan_encapsulation><OPTION value=0>PPPoA LLC</OPTION>"
                                        "<OPTION value=1 selected>PPPoA VC-Mux</OPTION></SELECT>";
    QTest::newRow("input keeps its attribute order") << "<input value=\"1492\" name=\"simple_ppp_mru\">"
                                                     << "<INPUT value=1492 name=simple_ppp_mru>";
    QTest::newRow("option end tags are written even when omitted")
        << "<select><option value=0>A<option value=1 selected>B</select>"
        << "<SELECT><OPTION value=0>A</OPTION><OPTION value=1 selected>B</OPTION></SELECT>";

    // Attribute values.
    QTest::newRow("quotes only where needed")
        << "<a href=\"../cgi-bin/webcm?getpage=x\" title=\"two words\" class=\"plain\" lang=''>x</a>"
        << "<A href=\"../cgi-bin/webcm?getpage=x\" title=\"two words\" class=plain lang=\"\">x</A>";
    QTest::newRow("quotes, angle brackets and ampersands")
        << "<img alt='say \"hi\"' title=\"a<b\" longdesc=\"a>b\" src=\"x.gif?a=1&amp;b=2\">"
        << "<IMG alt=\"say &quot;hi&quot;\" title=\"a<b\" longdesc=\"a>b\" src=\"x.gif?a=1&b=2\">";
    QTest::newRow("single quote in a value") << "<p title=\"it's\">t</p>"
                                             << "<P title=\"it's\">t</P>";
    QTest::newRow("names in lower case, in source order") << "<INPUT NAME=\"user\" Value=admin TYPE=text>"
                                                          << "<INPUT name=user value=admin type=text>";
    QTest::newRow("upper-case option list") << "<SELECT NAME=wan_encapsulation><OPTION VALUE=0>PPPoE"
                                               "<OPTION VALUE=1 SELECTED>PPPoA VC-Mux</SELECT>"
                                            << "<SELECT name=wan_encapsulation><OPTION value=0>PPPoE</OPTION>"
                                               "<OPTION value=1 selected>PPPoA VC-Mux</OPTION></SELECT>";
    QTest::newRow("bare only for letters, digits, dot, hyphen, underscore")
        << "<A HREF=../html/setup/ppp_edit.htm>x</A><p id=a.b-c_D9 title=x:y lang=a/b dir=1%>y</p>"
        << "<A href=\"../html/setup/ppp_edit.htm\">x</A><P id=a.b-c_D9 title=\"x:y\" lang=\"a/b\" dir=\"1%\">y</P>";
    QTest::newRow("characters beyond ASCII are quoted") << "<p title=caf\u00e9>x</p>"
                                                        << "<P title=\"caf\u00e9\">x</P>";
    QTest::newRow("boolean attributes bare") << "<input type=checkbox checked=\"checked\" disabled><td nowrap>x</td>"
                                             << "<INPUT type=checkbox checked disabled>x";

    // Text.
    QTest::newRow("line breaks become CR LF") << "a\nb\r\nc\rd"
                                              << "a\r\nb\r\nc\r\nd";
    QTest::newRow("entities") << "a &amp; b &lt; c &gt; d&nbsp;e &copy;"
                              << "a &amp; b &lt; c &gt; d&nbsp;e \u00a9";
    QTest::newRow("script and style as written")
        << "x<script>if (a < b && c) { x = \"</p>\"; }</script><style>p > b { }</style>"
        << "x<SCRIPT>if (a < b && c) { x = \"</p>\"; }</SCRIPT><STYLE>p > b { }</STYLE>";
    QTest::newRow("comments as written") << "x<!-- Created Connection --><!--x-->"
                                         << "x<!-- Created Connection --><!--x-->";
    QTest::newRow("void elements have no end tag") << "a<br>b<img src=x.gif><hr><input>"
                                                   << "a<BR>b<IMG src=x.gif><HR><INPUT>";
    QTest::newRow("implied end tags are written") << "<p>a<p>b<ul><li>c<li>d</ul>"
                                                  << "<P>a</P><P>b</P><UL><LI>c</LI><LI>d</LI></UL>";
    QTest::newRow("unknown elements keep their name") << "<foo bar=1>x</foo>"
                                                      << "<FOO bar=1>x</FOO>";
    QTest::newRow("tables get their tbody") << "<table><tr><td>1</td></tr></table>"
                                            << "<TABLE><TBODY><TR><TD>1</TD></TR></TBODY></TABLE>";
    QTest::newRow("multi-line attribute value") << "<p title=\"a\nb\">x</p>"
                                                << "<P title=\"a\r\nb\">x</P>";
}

void TestHtmlSerializer::WritesBodyLikeTheClassicControl()
{
    QFETCH(QString, strHtml);
    QFETCH(QString, strExpected);
    QCOMPARE(SerializeBodyHtml(ParseHtml(strHtml)), strExpected);
}

void TestHtmlSerializer::FramesetBodyIsTheFrameset()
{
    const HtmlDocument document
        = ParseHtml(QStringLiteral("<frameset rows=\"50,*\"><frame src=\"top.htm\" name=top><frame src=main.htm>"
                                   "</frameset>"));
    QCOMPARE(SerializeBodyHtml(document), QStringLiteral("<FRAME src=top.htm name=top><FRAME src=main.htm>"));
}

void TestHtmlSerializer::DocumentStartsAtTheRootElement()
{
    const HtmlDocument document = ParseHtml(QStringLiteral("<!DOCTYPE html><title>T</title><p>x"));
    QCOMPARE(
        SerializeDocument(document), QStringLiteral("<HTML><HEAD><TITLE>T</TITLE></HEAD><BODY><P>x</P></BODY></HTML>"));
}

QUORVANE_REGISTER_TEST(TestHtmlSerializer)
#include "TestHtmlSerializer.moc"
