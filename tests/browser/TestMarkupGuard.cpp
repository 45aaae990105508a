#include "browser/document/BodyTextLayout.h"
#include "browser/document/DocumentBuilder.h"
#include "browser/document/HtmlDocument.h"
#include "browser/document/HtmlSerializer.h"
#include "browser/document/MarkupGuard.h"
#include "support/TestRegistry.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

namespace
{
int TreeDepth(const HtmlDocument& document)
{
    int intDeepest = 0;
    for (int intNode = 0; intNode < document.NodeCount(); ++intNode) {
        int intDepth = 0;
        for (int intAt = intNode; intAt >= 0; intAt = document.Node(intAt).intParent)
            ++intDepth;
        intDeepest = std::max(intDeepest, intDepth);
        // Walking every node's ancestors is quadratic: stop early on trees that are already deep.
        if (intDeepest > 5000)
            break;
    }
    return intDeepest;
}

QByteArray Repeat(const QByteArray& unit, int intTimes)
{
    QByteArray bytes;
    bytes.reserve(unit.size() * intTimes);
    for (int intAt = 0; intAt < intTimes; ++intAt)
        bytes += unit;
    return bytes;
}
} // namespace

class TestMarkupGuard : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void LeavesOrdinaryPagesAlone();
    void RecordsFormEndTags();
    void CapsNesting_data();
    void CapsNesting();
    void CapsPendingFormattingElements();
    void IgnoresMarkupInsideTextAndComments();
    void SurvivesHostileInput_data();
    void SurvivesHostileInput();
    void KeepsHugeAttributes();
    void KeepsTheFirstAttributes();
    void CountsNodesAgainstTheBudget_data();
    void CountsNodesAgainstTheBudget();
};

void TestMarkupGuard::LeavesOrdinaryPagesAlone()
{
    const QDir pages(QStringLiteral(QUORVANE_TEST_DATA_DIR "/browser/pages"));
    const QStringList files = pages.entryList({ QStringLiteral("*.html") });
    QVERIFY(!files.isEmpty());
    for (const QString& strFile : files) {
        QFile file(pages.filePath(strFile));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const GuardedMarkup guarded = GuardMarkup(bytes);
        QVERIFY2(guarded.bytes == bytes, qPrintable(strFile));
        QCOMPARE(guarded.intDroppedTags, 0);
    }
    // Many sibling rows, cells, options and unclosed formatting inside cells are no nesting.
    const QByteArray table = "<table>" + Repeat("<tr><td><font size=2>x<td><b>y</tr>", 2000) + "</table>"
        + Repeat("<p>para", 2000) + "<select>" + Repeat("<option>o", 2000) + "</select>"
        + Repeat("<ul><li>a<li>b</ul>", 1000);
    QCOMPARE(GuardMarkup(table).bytes, table);
}

void TestMarkupGuard::RecordsFormEndTags()
{
    const QByteArray bytes("<form>a</form><script>'</form>'</script><!-- </form> --><FORM></Form >");
    const GuardedMarkup guarded = GuardMarkup(bytes);
    QCOMPARE(guarded.formEndOffsets,
        std::vector<int>({ static_cast<int>(bytes.indexOf("</form>")), static_cast<int>(bytes.indexOf("</Form")) }));
}

void TestMarkupGuard::CapsNesting_data()
{
    QTest::addColumn<QByteArray>("unit");
    QTest::addColumn<int>("intTimes");
    QTest::addColumn<bool>("blnTextShown");
    QTest::newRow("divs") << QByteArray("<div>") << 100000 << true;
    QTest::newRow("self-closed divs") << QByteArray("<div/>") << 100000 << true;
    QTest::newRow("spans with attributes") << QByteArray("<span class=a>") << 50000 << true;
    QTest::newRow("tables in cells") << QByteArray("<table><tr><td>") << 30000 << true;
    QTest::newRow("italic bold") << QByteArray("<i><b>") << 50000 << true;
    QTest::newRow("svg groups") << QByteArray("<svg><g>") << 30000 << false; // drawings show no text
    // Each </b> leaves i, u and s to be re-opened inside what is left open: unguarded, the
    // parser nests three levels deeper per repetition.
    QTest::newRow("re-opened formatting") << QByteArray("<b><i><u><s>x</b>") << 20000 << true;
}

void TestMarkupGuard::CapsNesting()
{
    QFETCH(QByteArray, unit);
    QFETCH(int, intTimes);
    QFETCH(bool, blnTextShown);
    const QByteArray bytes = Repeat(unit, intTimes) + "end";
    const MarkupLimits limits;
    const GuardedMarkup guarded = GuardMarkup(bytes, limits);
    QVERIFY(guarded.bytes != bytes);

    const HtmlDocument document = BuildHtmlDocument(QString::fromLatin1(bytes));
    QVERIFY(TreeDepth(document) < limits.intMaxDepth * 3);
    // The text after the markup is still there.
    QCOMPARE(LayOutBodyText(document).endsWith(QLatin1String("end")), blnTextShown);
}

void TestMarkupGuard::CapsPendingFormattingElements()
{
    // Each paragraph re-opens every formatting element left open before it: unguarded, the
    // tree would grow one level and one clone per paragraph.
    auto page = [](int intParagraphs) {
        QByteArray bytes;
        for (int intAt = 0; intAt < intParagraphs; ++intAt)
            bytes += "<p><b id=" + QByteArray::number(intAt) + ">x</p>";
        return QString::fromLatin1(bytes);
    };
    const HtmlDocument document = BuildHtmlDocument(page(2000));
    QVERIFY(TreeDepth(document) < 100);
    QVERIFY(document.NodeCount() < 2000 * 60);
    QCOMPARE(LayOutBodyText(document).count(QLatin1Char('x')), 2000);

    // Ten times as many paragraphs outgrow the parser's memory budget long before the tree
    // would: the page ends up empty instead of costing gigabytes.
    const HtmlDocument hostile = BuildHtmlDocument(page(20000));
    QVERIFY(hostile.BodyElement() > 0);
    QVERIFY(hostile.NodeCount() < 20000 * 60);
}

void TestMarkupGuard::IgnoresMarkupInsideTextAndComments()
{
    MarkupLimits limits;
    limits.intMaxDepth = 3;
    const QByteArray bytes = "<div><script>" + Repeat("<div>", 10) + "</script><!--" + Repeat("<div>", 10)
        + "--><p title=\"<div><div><div>\">x</p><textarea><div><div></textarea></div>";
    const GuardedMarkup guarded = GuardMarkup(bytes, limits);
    QCOMPARE(guarded.intDroppedTags, 0);
    QCOMPARE(guarded.bytes, bytes);

    const QByteArray deep("<div><div><div><div>x</div></div></div></div>");
    QCOMPARE(GuardMarkup(deep, limits).bytes, QByteArray("<div><div><div>x</div></div></div></div>"));
}

void TestMarkupGuard::SurvivesHostileInput_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QByteArray garbage(256 * 1024, '\0');
    QRandomGenerator generator(20240611);
    for (char& chr : garbage)
        chr = static_cast<char>(generator.bounded(256));
    QTest::newRow("binary garbage") << garbage;
    QTest::newRow("megabyte attribute") << "<input name=x value=\"" + QByteArray(1024 * 1024, 'v') + "\">";
    QTest::newRow("unterminated tag") << "<div class=\"" + QByteArray(100000, '<');
    QTest::newRow("unterminated comment") << "<!--" + Repeat("<div>", 10000);
    QTest::newRow("nul bytes") << QByteArray("a\0b<div\0>c\0</div>", 17);
    QTest::newRow("stray end tags") << Repeat("</div></table></b></p>", 20000);
    QTest::newRow("nested anchors and forms") << Repeat("<a href=x><form><button>", 20000);
}

void TestMarkupGuard::SurvivesHostileInput()
{
    QFETCH(QByteArray, bytes);
    const HtmlDocument document = BuildHtmlDocument(QString::fromLatin1(bytes));
    QVERIFY(document.BodyElement() > 0);
    // Whatever the page held, both outputs keep their line-break form.
    const QString strHtml = SerializeBodyHtml(document);
    const QString strText = LayOutBodyText(document);
    QCOMPARE(strHtml.count(QLatin1Char('\n')), strHtml.count(QLatin1String("\r\n")));
    QCOMPARE(strText.count(QLatin1Char('\n')), strText.count(QLatin1String("\r\n")));
    QVERIFY(!strText.endsWith(QLatin1Char(' ')));
}

void TestMarkupGuard::KeepsHugeAttributes()
{
    const QString strValue(1024 * 1024, QLatin1Char('v'));
    const HtmlDocument document
        = BuildHtmlDocument(QStringLiteral("<form><input id=big value=\"") + strValue + QStringLiteral("\"></form>"));
    QCOMPARE(document.ControlValue(document.ElementById(QStringLiteral("big"))).size(), strValue.size());
    QVERIFY(SerializeBodyHtml(document).contains(strValue));
}

void TestMarkupGuard::KeepsTheFirstAttributes()
{
    const int intMax = MarkupLimits().intMaxAttributes;
    auto attributes = [](int intCount) {
        QByteArray bytes;
        for (int intAt = 0; intAt < intCount; ++intAt)
            bytes += " a" + QByteArray::number(intAt) + "=" + QByteArray::number(intAt);
        return bytes;
    };
    // At the limit a tag comes through as it is.
    const QByteArray atLimit = "<p" + attributes(intMax) + ">x</p>";
    QCOMPARE(GuardMarkup(atLimit).bytes, atLimit);

    // One tag with 100,000 attributes, and an end tag with some: the parser would compare every
    // attribute with every other one.
    const QByteArray bytes = "<p" + attributes(100000) + " id=last>text</p" + attributes(intMax + 1) + "><input"
        + attributes(intMax + 5) + " />after";
    const GuardedMarkup guarded = GuardMarkup(bytes);
    QCOMPARE(guarded.bytes, "<p" + attributes(intMax) + ">text</p><input" + attributes(intMax) + "/>after");
    const HtmlDocument document = BuildHtmlDocument(QString::fromLatin1(bytes));
    const std::vector<int> paragraphs = document.ElementsByTag("p");
    QCOMPARE(paragraphs.size(), size_t(1));
    QCOMPARE(document.Node(paragraphs.front()).attributes.size(), size_t(intMax));
    QVERIFY(!document.HasAttribute(paragraphs.front(), QStringLiteral("id")));
    QCOMPARE(LayOutBodyText(document), QStringLiteral("text\r\nafter"));
}

void TestMarkupGuard::CountsNodesAgainstTheBudget_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("blnOverBudget");
    // Elements, attributes, text and comments each count; so do the elements the parser re-opens.
    QTest::newRow("paragraphs at the budget") << Repeat("<p>x", 500) << false;
    QTest::newRow("one paragraph more") << Repeat("<p>x", 501) << true;
    QTest::newRow("attributes at the budget") << Repeat("<p a b c>", 250) << false;
    QTest::newRow("one attribute more") << Repeat("<p a b c>", 250) + "<br>" << true;
    QTest::newRow("comments") << Repeat("<!-- x -->", 1001) << true;
    // Each paragraph re-opens b and i: 300 paragraphs make 600 elements and text nodes and 600
    // more elements of the parser's own.
    QTest::newRow("re-opened formatting") << "<p><b><i>x</p>" + Repeat("<p>y</p>", 300) << true;
    QTest::newRow("text alone") << QByteArray(100000, 'x') << false;
}

void TestMarkupGuard::CountsNodesAgainstTheBudget()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, blnOverBudget);
    MarkupLimits limits;
    limits.lngMaxNodes = 1000;
    const GuardedMarkup guarded = GuardMarkup(bytes, limits);
    QCOMPARE(guarded.blnOverBudget, blnOverBudget);
    QVERIFY(guarded.lngNodes <= limits.lngMaxNodes || blnOverBudget);

    // With the real budget, a page of one line break more than that (2 MB) is not parsed at all.
    if (QTest::currentDataTag() == QLatin1String("paragraphs at the budget")) {
        HtmlDocument document;
        QVERIFY(!BuildHtmlDocument(Repeat("<br>", static_cast<int>(MarkupLimits().lngMaxNodes) + 1), &document));
        QVERIFY(document.BodyElement() > 0);
        QVERIFY(BuildHtmlDocument(bytes, &document));
        QCOMPARE(document.ElementsByTag("p").size(), size_t(500));
    }
}

QUORVANE_REGISTER_TEST(TestMarkupGuard)
#include "TestMarkupGuard.moc"
