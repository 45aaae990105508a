#include "browser/BodyTextLayout.h"
#include "browser/DocumentBuilder.h"
#include "browser/HtmlSerializer.h"
#include "browser/PageCharset.h"
#include "support/TestRegistry.h"

#include <QDir>
#include <QFile>
#include <QTest>

// Realistic router pages under tests/data/browser/pages: each <name>.html has its laid-out body
// text in <name>.txt and its body HTML in <name>.body.html. On a mismatch the actual output is
// written beside them as <name>.txt.actual or <name>.body.html.actual.
namespace
{
const QString kPagesDir = QStringLiteral(QUORVANE_TEST_DATA_DIR "/browser/pages");

QByteArray ReadFile(const QString& strPath)
{
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

HtmlDocument LoadPage(const QString& strName)
{
    const QByteArray bytes = ReadFile(kPagesDir + QLatin1Char('/') + strName + QStringLiteral(".html"));
    return BuildHtmlDocument(DecodePage(bytes, ChoosePageCharset(bytes, QByteArray())));
}

void CompareWithGolden(const QString& strActual, const QString& strGoldenPath)
{
    const QByteArray actual = strActual.toUtf8();
    const QByteArray expected = ReadFile(strGoldenPath);
    const QString strActualPath = strGoldenPath + QStringLiteral(".actual");
    if (actual == expected) {
        QFile::remove(strActualPath);
        return;
    }
    QFile file(strActualPath);
    if (file.open(QIODevice::WriteOnly))
        file.write(actual);
    QFAIL(qPrintable(QStringLiteral("%1 differs; actual output written to %2").arg(strGoldenPath, strActualPath)));
}

QStringList Lines(const QString& strText)
{
    return strText.split(QStringLiteral("\r\n"));
}
} // namespace

class TestGoldenPages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void MatchesGoldenFiles_data();
    void MatchesGoldenFiles();
    void AdslPageReadsAsTheLineReaderExpects();
    void PppPageCarriesTheReaderMarkers_data();
    void PppPageCarriesTheReaderMarkers();
    void ConnectionsPageKeepsItsMarkers_data();
    void ConnectionsPageKeepsItsMarkers();
};

void TestGoldenPages::MatchesGoldenFiles_data()
{
    QTest::addColumn<QString>("strName");
    const QStringList pages = QDir(kPagesDir).entryList({ QStringLiteral("*.html") }, QDir::Files, QDir::Name);
    QVERIFY(pages.size() >= 8);
    for (const QString& strFile : pages) {
        if (strFile.endsWith(QLatin1String(".body.html")))
            continue;
        const QString strName = strFile.chopped(5);
        QTest::newRow(qPrintable(strName)) << strName;
    }
}

void TestGoldenPages::MatchesGoldenFiles()
{
    QFETCH(QString, strName);
    const HtmlDocument document = LoadPage(strName);
    CompareWithGolden(LayOutBodyText(document), kPagesDir + QLatin1Char('/') + strName + QStringLiteral(".txt"));
    CompareWithGolden(
        SerializeBodyHtml(document), kPagesDir + QLatin1Char('/') + strName + QStringLiteral(".body.html"));
}

void TestGoldenPages::AdslPageReadsAsTheLineReaderExpects()
{
    const QStringList lines = Lines(LayOutBodyText(LoadPage(QStringLiteral("adsl_status"))));
    QVERIFY(lines.contains(QStringLiteral("SNR Margin12.511.0dB")));
    QVERIFY(lines.contains(QStringLiteral("Line Attenuation3117dB")));
    QVERIFY(lines.contains(QStringLiteral("DownstreamUpstream")));
    QVERIFY(lines.contains(QStringLiteral("Restart Stop")));
    QCOMPARE(lines.first(), QStringLiteral("ADSL Status"));
    for (const QString& strLine : lines)
        QVERIFY2(!strLine.endsWith(QLatin1Char(' ')) && !strLine.isEmpty(), qPrintable(strLine));
}

// The PPP reader searches "value=0", "selected" and "</OPTION>" case-sensitively, whatever
// letter case the page was written in.
void TestGoldenPages::PppPageCarriesTheReaderMarkers_data()
{
    QTest::addColumn<QString>("strName");
    QTest::addColumn<QString>("strMru");
    QTest::newRow("lower-case page") << "ppp_settings"
                                     << "<INPUT value=1492 name=simple_ppp_mru size=5 maxlength=4>";
    QTest::newRow("upper-case page") << "ppp_settings_upper"
                                     << "<INPUT value=1500 name=simple_ppp_mru size=5 maxlength=4>";
}

void TestGoldenPages::PppPageCarriesTheReaderMarkers()
{
    QFETCH(QString, strName);
    QFETCH(QString, strMru);
    const QString strHtml = SerializeBodyHtml(LoadPage(strName));
    QVERIFY(strHtml.contains(QStringLiteral("<OPTION value=1 selected>PPPoA VC-Mux</OPTION>")));
    QVERIFY(strHtml.contains(strMru));
    QVERIFY(strHtml.contains(QStringLiteral(" name=simple_ppp_mss")));
    // The reader splits the page at CR LF and finds the encapsulation list on one line.
    bool blnFound = false;
    for (const QString& strLine : Lines(strHtml))
        blnFound = blnFound
            || (strLine.contains(QLatin1String("wan_encapsulation")) && strLine.contains(QLatin1String("value=0")));
    QVERIFY(blnFound);
}

// The Class II link reader looks for href="..": the link is quoted however the page wrote it.
void TestGoldenPages::ConnectionsPageKeepsItsMarkers_data()
{
    QTest::addColumn<QString>("strName");
    QTest::addColumn<QString>("strLink");
    QTest::newRow("quoted link") << "connections"
                                 << "href=\"../cgi-bin/webcm?getpage=../html/setup/pppoa.htm&var:conid=connection0\"";
    QTest::newRow("bare link") << "connections_upper"
                               << "href=\"../html/setup/ppp_edit.htm\"";
}

void TestGoldenPages::ConnectionsPageKeepsItsMarkers()
{
    QFETCH(QString, strName);
    QFETCH(QString, strLink);
    const QString strHtml = SerializeBodyHtml(LoadPage(strName));
    const qsizetype lngComment = strHtml.indexOf(QLatin1String("<!-- Connections -->"));
    QVERIFY(lngComment >= 0);
    QVERIFY(strHtml.indexOf(strLink) > lngComment);
}

QUORVANE_REGISTER_TEST(TestGoldenPages)
#include "TestGoldenPages.moc"
