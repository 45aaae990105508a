#include "BrowserTestSupport.h"
#include "browser/document/HtmlDocument.h"
#include "support/TestRegistry.h"

#include <QTest>

namespace
{
QString ValueOf(const HtmlDocument& document, const char* strId)
{
    const int intElement = document.ElementById(QString::fromLatin1(strId));
    return intElement < 0 ? QString() : document.ControlValue(intElement);
}

QStringList NamesOf(const HtmlDocument& document, const std::vector<int>& nodes)
{
    QStringList names;
    for (int intNode : nodes)
        names << document.AttributeValue(intNode, QStringLiteral("name"));
    return names;
}
} // namespace

class TestHtmlDocument : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void NodesAreNumberedInDocumentOrder();
    void ReadsControlValues();
    void SetsControlValues();
    void SelectsOptions();
    void FindsElementsByIdThenByName();
    void FindsFormsByNameThenById();
    void FormOwnsFieldsThatTheTableMovedOut();
    void FormOwnsOnlyItsOwnFields();
    void ListsFramesInDocumentOrder();
    void ReadsMetaRefreshAndBase();
    void ChangedTreeIsNumberedAgainAndKeepsSerials();
};

void TestHtmlDocument::NodesAreNumberedInDocumentOrder()
{
    const HtmlDocument document = ParseHtml(QStringLiteral("<p id=a>x<b id=b>y</b></p><p id=c>z</p>"));
    const int intA = document.ElementById(QStringLiteral("a"));
    const int intB = document.ElementById(QStringLiteral("b"));
    const int intC = document.ElementById(QStringLiteral("c"));
    QVERIFY(intA > 0 && intA < intB && intB < intC);
    QVERIFY(document.IsInside(intB, intA));
    QVERIFY(!document.IsInside(intC, intA));
    QCOMPARE(document.SubtreeEnd(intA), intC);
    QCOMPARE(document.TextContent(intA), QStringLiteral("xy"));
}

void TestHtmlDocument::ReadsControlValues()
{
    const HtmlDocument document = ParseHtml(
        QStringLiteral("<input id=text value=\"1492\"><input id=empty><input id=pass type=password value=secret>"
                       "<input id=box type=checkbox><input id=boxv type=checkbox value=yes>"
                       "<textarea id=area>line 1\nline 2</textarea><div id=div>text</div>"));
    QCOMPARE(ValueOf(document, "text"), QStringLiteral("1492"));
    QCOMPARE(ValueOf(document, "empty"), QString());
    QCOMPARE(ValueOf(document, "pass"), QStringLiteral("secret"));
    QCOMPARE(ValueOf(document, "box"), QStringLiteral("on"));
    QCOMPARE(ValueOf(document, "boxv"), QStringLiteral("yes"));
    QCOMPARE(ValueOf(document, "area"), QStringLiteral("line 1\nline 2"));
    QCOMPARE(ValueOf(document, "div"), QString());
    QCOMPARE(ValueOf(document, "missing"), QString());
}

void TestHtmlDocument::SetsControlValues()
{
    HtmlDocument document = ParseHtml(QStringLiteral(
        "<input id=user value=old><input id=hid type=hidden><textarea id=area>x</textarea><div id=div></div>"));
    document.SetControlValue(document.ElementById(QStringLiteral("user")), QStringLiteral("new\r\nline"));
    document.SetControlValue(document.ElementById(QStringLiteral("hid")), QStringLiteral("a\nb"));
    document.SetControlValue(document.ElementById(QStringLiteral("area")), QStringLiteral("c\nd"));
    document.SetControlValue(document.ElementById(QStringLiteral("div")), QStringLiteral("ignored"));
    // A text field holds one line; a hidden field and a textarea keep what they are given.
    QCOMPARE(ValueOf(document, "user"), QStringLiteral("newline"));
    QCOMPARE(ValueOf(document, "hid"), QStringLiteral("a\nb"));
    QCOMPARE(ValueOf(document, "area"), QStringLiteral("c\nd"));
    QCOMPARE(ValueOf(document, "div"), QString());
    // The markup is not changed by a value.
    QCOMPARE(document.AttributeValue(document.ElementById(QStringLiteral("user")), QStringLiteral("value")),
        QStringLiteral("old"));
}

void TestHtmlDocument::SelectsOptions()
{
    HtmlDocument document = ParseHtml(QStringLiteral(
        "<select id=marked><option value=0>A<option value=1 selected>B<option value=2 selected>C</select>"
        "<select id=first><option disabled value=x>X<option> Plain  text </select>"
        "<select id=none size=4><option value=a>a</select>"
        "<select id=multi multiple><option value=a selected>a<option value=b>b<option value=c selected>c</select>"
        "<select id=empty></select>"));
    // The last option marked selected wins; without one, the first enabled option; a list box may
    // show none; an option without a value gives its text, blanks collapsed.
    QCOMPARE(ValueOf(document, "marked"), QStringLiteral("2"));
    QCOMPARE(ValueOf(document, "first"), QStringLiteral("Plain text"));
    QCOMPARE(ValueOf(document, "none"), QString());
    QCOMPARE(ValueOf(document, "multi"), QStringLiteral("a"));
    QCOMPARE(document.SelectedOptions(document.ElementById(QStringLiteral("multi"))).size(), size_t(2));
    QCOMPARE(ValueOf(document, "empty"), QString());

    const int intMarked = document.ElementById(QStringLiteral("marked"));
    document.SetControlValue(intMarked, QStringLiteral("0"));
    QCOMPARE(ValueOf(document, "marked"), QStringLiteral("0"));
    QCOMPARE(document.SelectedOptions(intMarked).size(), size_t(1));
    document.SetControlValue(intMarked, QStringLiteral("no such value"));
    QCOMPARE(ValueOf(document, "marked"), QString());
    QVERIFY(document.SelectedOptions(intMarked).empty());
}

void TestHtmlDocument::FindsElementsByIdThenByName()
{
    const HtmlDocument document
        = ParseHtml(QStringLiteral("<input name=PS value=byname><input name=both value=name><input id=both value=id>"));
    QCOMPARE(ValueOf(document, "PS"), QStringLiteral("byname"));
    QCOMPARE(ValueOf(document, "both"), QStringLiteral("id"));
    QCOMPARE(ValueOf(document, "ps"), QString()); // ids and names are case-sensitive
    QCOMPARE(document.ElementById(QString()), -1);
}

void TestHtmlDocument::FindsFormsByNameThenById()
{
    const HtmlDocument document = ParseHtml(QStringLiteral(
        "<form id=uiPostForm action=a></form><form name=uiPostForm action=b></form><form id=other action=c></form>"));
    const int intByName = document.FormByNameOrId(QStringLiteral("uiPostForm"));
    QCOMPARE(document.AttributeValue(intByName, QStringLiteral("action")), QStringLiteral("b"));
    const int intById = document.FormByNameOrId(QStringLiteral("other"));
    QCOMPARE(document.AttributeValue(intById, QStringLiteral("action")), QStringLiteral("c"));
    QCOMPARE(document.FormByNameOrId(QStringLiteral("missing")), -1);
    QCOMPARE(document.FormByNameOrId(QString()), -1);
}

void TestHtmlDocument::FormOwnsFieldsThatTheTableMovedOut()
{
    // A form opened between table rows stays empty in the tree; its fields still belong to it
    // up to its end tag, as in every browser.
    const HtmlDocument document = ParseHtml(QStringLiteral("<table><form name=login method=post action=/login.cgi>"
                                                           "<tr><td>User</td><td><input name=user></td></tr>"
                                                           "<tr><td><input type=password name=pass></td></tr>"
                                                           "<input type=hidden name=token value=1>"
                                                           "</form></table><input name=after>"));
    const int intForm = document.FormByNameOrId(QStringLiteral("login"));
    QVERIFY(intForm > 0);
    QVERIFY(document.Node(intForm).children.empty());
    QCOMPARE(NamesOf(document, document.FormControls(intForm)),
        QStringList({ QStringLiteral("user"), QStringLiteral("pass"), QStringLiteral("token") }));
}

void TestHtmlDocument::FormOwnsOnlyItsOwnFields()
{
    const HtmlDocument document = ParseHtml(QStringLiteral(
        "<input name=before><form name=one><input name=a><select name=b></select><textarea name=c></textarea>"
        "<button name=d></button></form><form name=two><input name=e></form><input name=after>"));
    QCOMPARE(NamesOf(document, document.FormControls(document.FormByNameOrId(QStringLiteral("one")))),
        QStringList({ QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d") }));
    QCOMPARE(NamesOf(document, document.FormControls(document.FormByNameOrId(QStringLiteral("two")))),
        QStringList({ QStringLiteral("e") }));
    QVERIFY(document.FormControls(-1).empty());
}

void TestHtmlDocument::ListsFramesInDocumentOrder()
{
    const HtmlDocument frameset = ParseHtml(QStringLiteral(
        "<frameset rows=\"20,*\"><frame src=a.htm><frameset cols=\"50%,50%\"><frame src=b.htm><frame src=c.htm>"
        "</frameset></frameset>"));
    QStringList sources;
    for (int intFrame : frameset.FrameElements())
        sources << frameset.AttributeValue(intFrame, QStringLiteral("src"));
    QCOMPARE(sources, QStringList({ QStringLiteral("a.htm"), QStringLiteral("b.htm"), QStringLiteral("c.htm") }));

    const HtmlDocument iframes
        = ParseHtml(QStringLiteral("<iframe src=x.htm></iframe><p><iframe src=y.htm>fallback</iframe>"));
    QCOMPARE(iframes.FrameElements().size(), size_t(2));
}

void TestHtmlDocument::ReadsMetaRefreshAndBase()
{
    const HtmlDocument document = ParseHtml(
        QStringLiteral("<head><meta http-equiv=\"Content-Type\" content=\"text/html\"><meta HTTP-EQUIV=\" Refresh \" "
                       "content=\"5; url=/next.htm\"><base href=\" /cgi-bin/ \"></head>"));
    QString strContent;
    QVERIFY(document.MetaRefresh(&strContent));
    QCOMPARE(strContent, QStringLiteral("5; url=/next.htm"));
    QCOMPARE(document.BaseHref(), QStringLiteral("/cgi-bin/"));
    QVERIFY(!ParseHtml(QStringLiteral("<p>x")).MetaRefresh(&strContent));
}

void TestHtmlDocument::ChangedTreeIsNumberedAgainAndKeepsSerials()
{
    HtmlDocument document
        = ParseHtml(QStringLiteral("<body><p id=a>one</p><p id=b>two</p><form name=f></form></body>"));
    const int intA = document.ElementById(QStringLiteral("a"));
    const int intB = document.ElementById(QStringLiteral("b"));
    const int intSerialA = document.Node(intA).intSerial;
    const int intSerialB = document.Node(intB).intSerial;
    const int intBody = document.BodyElement();

    // b moves before a; a new input goes into the form; a leaves the tree.
    document.InsertChild(intBody, intB, intA);
    HtmlNode input;
    input.strTag = QStringLiteral("input");
    input.attributes.push_back({ QStringLiteral("id"), QStringLiteral("c") });
    const int intInput = document.CreateNode(input);
    document.InsertChild(document.FormByNameOrId(QStringLiteral("f")), intInput, -1);
    document.Detach(intA);
    // A node never goes under its own descendant.
    document.InsertChild(intB, intBody, -1);
    QVERIFY(!document.IsOrdered());
    document.Renumber();
    QVERIFY(document.IsOrdered());

    for (int intNode = 1; intNode < document.NodeCount(); ++intNode) {
        const int intParent = document.Node(intNode).intParent;
        QVERIFY(intParent < intNode);
        if (intParent >= 0)
            QVERIFY(document.IsInside(intNode, intParent));
    }
    QCOMPARE(document.Node(document.NodeBySerial(intSerialB)).intSerial, intSerialB);
    QCOMPARE(document.NodeBySerial(intSerialB), document.ElementById(QStringLiteral("b")));
    // The detached paragraph stays reachable by its serial, after the tree, and out of every query.
    const int intDetached = document.NodeBySerial(intSerialA);
    QVERIFY(intDetached >= document.AttachedEnd());
    QCOMPARE(document.TextContent(intDetached), QStringLiteral("one"));
    QCOMPARE(document.ElementById(QStringLiteral("a")), -1);
    QCOMPARE(document.ElementsByTag("p").size(), size_t(1));
    QCOMPARE(document.FormControls(document.FormByNameOrId(QStringLiteral("f"))),
        std::vector<int>({ document.ElementById(QStringLiteral("c")) }));
    QCOMPARE(document.TextContent(document.BodyElement()), QStringLiteral("two"));
    QCOMPARE(document.NodeBySerial(document.NodeCount() + 5), -1);
}

QUORVANE_REGISTER_TEST(TestHtmlDocument)
#include "TestHtmlDocument.moc"
