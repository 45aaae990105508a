#include "browser/document/BodyTextLayout.h"
#include "browser/document/DocumentBuilder.h"
#include "browser/document/HtmlSerializer.h"
#include "browser/document/PageCharset.h"
#include "browser/scripts/ScriptEngine.h"
#include "browser/scripts/ScriptedDocument.h"
#include "support/TestRegistry.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QNetworkCookieJar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

// Realistic router pages under tests/data/browser/pages: each <name>.html has its laid-out body
// text in <name>.txt and its body HTML in <name>.body.html. On a mismatch the actual output is
// written beside them as <name>.txt.actual or <name>.body.html.actual.
//
// A page with scripts is read as the browser leaves it after its scripts, its load handlers and
// its timers have run. The page lives at http://127.0.0.1/<name>.html; its external scripts and
// requests are answered from the files under pages/assets (/assets/<file>), without a network.
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

struct ScriptedPage
{
    HtmlDocument document;
    QStringList errors;
    bool blnStopped = false;
    QList<FetchRequest> navigations;
    QList<FetchRequest> fetches;
};

ScriptHost FileHost(ScriptedPage* page, QNetworkCookieJar* cookies)
{
    ScriptHost host;
    host.fetch = [page](const FetchRequest& request, ScriptHost::FetchDone done) {
        page->fetches.append(request);
        FetchResult result;
        result.url = request.url;
        const QString strPath = request.url.path();
        QFile file(kPagesDir + strPath);
        if (strPath.startsWith(QLatin1String("/assets/")) && !strPath.contains(QLatin1String(".."))
            && file.open(QIODevice::ReadOnly)) {
            result.outcome = FetchResult::Outcome::Response;
            result.intStatus = 200;
            result.body = file.readAll();
            result.contentType = strPath.endsWith(QLatin1String(".js")) ? "application/javascript" : "text/plain";
        } else {
            result.outcome = FetchResult::Outcome::Response;
            result.intStatus = 404;
        }
        QTimer::singleShot(0, [done, result] { done(result); });
    };
    host.navigate = [page](ScriptedDocument*, const FetchRequest& request) { page->navigations.append(request); };
    host.cookies = cookies;
    host.strUserAgent = QStringLiteral("Quorvane/1.0.0");
    return host;
}

// Parses a page and runs its scripts the way the browser does.
ScriptedPage RunPage(const QByteArray& bytes, const QString& strName, const ScriptLimits& limits = ScriptLimits())
{
    ScriptedPage page;
    const QByteArray charset = ChoosePageCharset(bytes, QByteArray());
    QByteArray utf8 = DecodePage(bytes, charset).toUtf8();
    HtmlDocument parsed = BuildHtmlDocumentFromUtf8(&utf8);
    if (!ScriptedDocument::HasScripts(parsed)) {
        page.document = std::move(parsed);
        return page;
    }
    QNetworkCookieJar cookies;
    ScriptedDocument scripted(std::make_shared<ScriptEngine>(limits), FileHost(&page, &cookies),
        QUrl(QStringLiteral("http://127.0.0.1/") + strName + QStringLiteral(".html")), charset);
    QSignalSpy parsedSpy(&scripted, &ScriptedDocument::Parsed);
    QSignalSpy settledSpy(&scripted, &ScriptedDocument::Settled);
    scripted.Load(std::move(parsed), utf8);
    if (!parsedSpy.wait(20000) && parsedSpy.isEmpty())
        qWarning("scripts of %s never finished", qPrintable(strName));
    scripted.Settle();
    if (!settledSpy.wait(20000) && settledSpy.isEmpty())
        qWarning("load handlers of %s never finished", qPrintable(strName));
    page.document = *scripted.Document();
    page.errors = scripted.Errors();
    page.blnStopped = scripted.WasStopped();
    return page;
}

HtmlDocument LoadPage(const QString& strName)
{
    return RunPage(ReadFile(kPagesDir + QLatin1Char('/') + strName + QStringLiteral(".html")), strName).document;
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
    void ScriptsReachOnlyTheirOwnServer();
    void HostileScriptsAreStoppedAndThePageCompletes_data();
    void HostileScriptsAreStoppedAndThePageCompletes();
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

void TestGoldenPages::ScriptsReachOnlyTheirOwnServer()
{
    const ScriptedPage page
        = RunPage(ReadFile(kPagesDir + QStringLiteral("/scripted_library.html")), QStringLiteral("scripted_library"));
    QStringList targets;
    for (const FetchRequest& request : page.fetches)
        targets << request.url.toString();
    QCOMPARE(targets,
        QStringList({ QStringLiteral("http://127.0.0.1/assets/minilib.js"),
            QStringLiteral("http://127.0.0.1/assets/log.txt"), QStringLiteral("http://127.0.0.1/cgi-bin/missing") }));
    QVERIFY(page.errors.join(QLatin1Char('\n')).contains(QLatin1String("198.51.100.9")));
}

void TestGoldenPages::HostileScriptsAreStoppedAndThePageCompletes_data()
{
    QTest::addColumn<QString>("strScript");
    QTest::addColumn<bool>("blnLaterScriptsRun");
    QTest::addColumn<int>("intBudgetMs");
    QTest::newRow("endless loop") << "while (true) {}" << false << 200;
    QTest::newRow("endless loop that catches") << "for (;;) { try { while (1) {} } catch (e) {} }" << false << 200;
    QTest::newRow("endless timer") << "setInterval(function () { while (1) {} }, 0);" << true << 200;
    QTest::newRow("allocation loop") << "var a = []; while (true) a.push(new Array(1000));" << false << 10000;
    QTest::newRow("allocation that catches")
        << "var o = {}; for (;;) { try { o = [o, o, new Array(1000)]; } catch (e) {} }" << false << 10000;
    QTest::newRow("doubling string") << "var s = 'x'; while (true) s += s;" << false << 10000;
    QTest::newRow("deep recursion") << "function f(n) { return f(n + 1) + 1; } f(0);" << true << 10000;
    QTest::newRow("writes itself")
        << "document.write(document.getElementsByTagName('script')[0].outerHTML.replace(/\\/?SCRIPT/g, function "
           "(t) { return t.toLowerCase(); }));"
        << false << 200;
    QTest::newRow("writes a script that writes itself")
        << "var self = '<scr' + 'ipt>document.write(self)</scr' + 'ipt>'; document.write(self);" << false << 200;
    QTest::newRow("writes itself and reads the page each time")
        << "var self = '<scr' + 'ipt>document.write(self); document.getElementsByTagName(\"p\").length</scr' + 'ipt>'; "
           "document.write(self);"
        << false << 200;
    QTest::newRow("catastrophic pattern")
        << "/(a+)+$/.test('aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa!');" << true << 10000;
    // Built-ins that work long per call, called in a loop that catches every error.
    QTest::newRow("catastrophic pattern in a loop")
        << "var s = 'aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa'; for (;;) { try { /(a*)*b/.exec(s); } catch (e) {} }"
        << false << 200;
    QTest::newRow("search of a long string in a loop")
        << "var s = 'a'.repeat(4000000); for (;;) { try { s.indexOf('b'); } catch (e) {} }" << false << 200;
    QTest::newRow("long replacement in a loop")
        << "var s = 'a'.repeat(2000000); for (;;) { try { s.replace(/a/g, 'bb'); } catch (e) {} }" << false << 200;
}

void TestGoldenPages::HostileScriptsAreStoppedAndThePageCompletes()
{
    QFETCH(QString, strScript);
    QFETCH(bool, blnLaterScriptsRun);
    QFETCH(int, intBudgetMs);
    // A short time budget keeps the test quick where time is the bound that stops the script; the
    // others have time enough for whatever else stops them.
    ScriptLimits limits;
    limits.intTimeBudgetMs = intBudgetMs;
    const QString strPage = QStringLiteral("<html><body><p>before</p><script>") + strScript
        + QStringLiteral("</script><p>after</p><script>document.write('<p>later script</p>')</script></body></html>");
    QElapsedTimer timer;
    timer.start();
    const ScriptedPage page = RunPage(strPage.toUtf8(), QStringLiteral("hostile"), limits);
    // Not a speed target: a script that escapes its bounds runs for minutes.
    QVERIFY2(timer.elapsed() < intBudgetMs + 20000, qPrintable(QString::number(timer.elapsed())));
    const QString strText = LayOutBodyText(page.document);
    QVERIFY2(strText.startsWith(QLatin1String("before")), qPrintable(strText));
    QVERIFY2(strText.contains(QLatin1String("after")), qPrintable(strText));
    QCOMPARE(strText.contains(QLatin1String("later script")), blnLaterScriptsRun);
    QCOMPARE(page.blnStopped, !blnLaterScriptsRun || strScript.contains(QLatin1String("setInterval")));
}

QUORVANE_REGISTER_TEST(TestGoldenPages)
#include "TestGoldenPages.moc"
