#include "BrowserTestSupport.h"
#include "browser/document/BodyTextLayout.h"
#include "support/TestRegistry.h"

#include <QTest>

class TestBodyTextLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void LaysOutLikeTheClassicControl_data();
    void LaysOutLikeTheClassicControl();
    void WritesOnlyCrLfLineBreaks();
    void FramesetPageHasNoText();
};

void TestBodyTextLayout::LaysOutLikeTheClassicControl_data()
{
    QTest::addColumn<QString>("strHtml");
    QTest::addColumn<QString>("strExpected");

    // Table rows: cells run together, no blanks at their edges, formatting whitespace ignored.
    QTest::newRow("cells run together")
        << "<table><tr><td>SNR Margin</td><td> 12.5 </td><td>\n11.0\n</td><td>dB</td></tr></table>"
        << "SNR Margin12.511.0dB";
    QTest::newRow("header row with empty nbsp cell")
        << "<table>\n <tr>\n  <th>&nbsp;</th>\n  <th>Downstream</th>\n  <th> Upstream&nbsp;</th>\n </tr>\n</table>"
        << "DownstreamUpstream";
    QTest::newRow("one line per row")
        << "<table><tr><td>Line Attenuation</td><td>31</td><td>17</td><td>dB</td></tr>"
           "<tr><td><b>Data Rate</b></td><td>8128</td><td>448</td><td>kbps</td></tr></table>"
        << "Line Attenuation3117dB\nData Rate8128448kbps";
    QTest::newRow("text around a table") << "before<table><tr><td>a</td><td>b</td></tr></table>after"
                                         << "before\nab\nafter";
    QTest::newRow("line break inside a cell") << "<table><tr><td>a<br>b</td><td>c</td></tr></table>"
                                              << "a\nbc";
    QTest::newRow("nested table starts its own lines")
        << "<table><tr><td>x<table><tr><td>1</td><td>2</td></tr></table>y</td><td>z</td></tr></table>"
        << "x\n12\nyz";

    // Text that is not shown.
    QTest::newRow("head, title, script, style left out")
        << "<html><head><title>Title</title><style>p { color: red }</style></head>"
           "<body>A<script>document.write('<b>no</b>');</script>B<noscript>C</noscript></body></html>"
        << "AB";
    QTest::newRow("hidden inputs left out, buttons give their caption")
        << "<input type=hidden value=secret>x<input type=text value=typed> <input type=button value=\"Restart\"> "
           "<input type=submit value=Stop>"
        << "x Restart Stop";
    QTest::newRow("select lists left out") << "<select><option>one<option>two</select>after"
                                           << "after";
    QTest::newRow("comments left out") << "a<!-- b -->c"
                                       << "ac";

    // Blanks.
    QTest::newRow("whitespace runs collapse") << "  a \n\t b  \r\n c "
                                              << "a b c";
    QTest::newRow("nbsp reads as a blank and is kept") << "a&nbsp;&nbsp;b&nbsp;c"
                                                       << "a  b c";
    QTest::newRow("inline elements do not break lines") << "a<b>b</b><span> c</span><font>d</font>"
                                                        << "ab cd";
    QTest::newRow("no blank at a line end") << "<p>text&nbsp; </p><div>more <br>lines </div>"
                                            << "text\nmore\nlines";

    // Lines.
    QTest::newRow("br ends a line, also an empty one") << "a<br>b<br><br>c<br>"
                                                       << "a\nb\n\nc";
    QTest::newRow("blocks start and end lines") << "<div>a</div><div>b</div>text<p>c</p>d"
                                                << "a\nb\ntext\nc\nd";
    QTest::newRow("nested blocks give no empty lines") << "<div><div><p>a</p></div></div><center><h1>b</h1></center>"
                                                       << "a\nb";
    QTest::newRow("list items and forms are blocks") << "x<form>y<ul><li>one</li><li>two</li></ul></form>z"
                                                     << "x\ny\none\ntwo\nz";
    QTest::newRow("headings, hr, blockquote, address")
        << "<h3>Status</h3>a<hr>b<blockquote>c</blockquote><address>d</address>"
        << "Status\na\nb\nc\nd";
    QTest::newRow("definition lists and fieldsets")
        << "<dl><dt>term</dt><dd>meaning</dd></dl><fieldset><legend>L</legend>in</fieldset>"
        << "term\nmeaning\nL\nin";
    QTest::newRow("pre keeps blanks and lines") << "<pre>a  b\n  c\n</pre>after"
                                                << "a  b\n  c\nafter";
    QTest::newRow("textarea keeps its lines") << "<textarea>line 1\nline 2</textarea>"
                                              << "line 1\nline 2";
    QTest::newRow("empty body") << ""
                                << "";
    QTest::newRow("only whitespace and empty blocks") << " <div> </div> <p>&nbsp;</p> "
                                                      << "";
}

void TestBodyTextLayout::LaysOutLikeTheClassicControl()
{
    QFETCH(QString, strHtml);
    QFETCH(QString, strExpected);
    QCOMPARE(LayOutBodyText(ParseHtml(strHtml)), Crlf(strExpected));
}

void TestBodyTextLayout::WritesOnlyCrLfLineBreaks()
{
    const QString strText = LayOutBodyText(
        ParseHtml(QStringLiteral("<pre>a\r\nb\rc\nd</pre><div>e</div>f<br>g<textarea>h\r\ni</textarea>")));
    QCOMPARE(strText, Crlf(QStringLiteral("a\nb\nc\nd\ne\nf\ng\nh\ni")));
    QCOMPARE(strText.count(QLatin1Char('\n')), strText.count(QLatin1String("\r\n")));
    QCOMPARE(strText.count(QLatin1Char('\r')), strText.count(QLatin1String("\r\n")));
}

void TestBodyTextLayout::FramesetPageHasNoText()
{
    const HtmlDocument document = ParseHtml(QStringLiteral(
        "<html><head><title>Router</title></head><frameset cols=\"20%,80%\"><frame src=menu.htm>"
        "<frame src=main.htm><noframes>Your browser does not support frames</noframes></frameset></html>"));
    QVERIFY(document.IsElement(document.BodyElement(), "frameset"));
    QCOMPARE(LayOutBodyText(document), QString());
}

QUORVANE_REGISTER_TEST(TestBodyTextLayout)
#include "TestBodyTextLayout.moc"
