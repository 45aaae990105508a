// The browser engine against a loopback server, side by side with what it is measured against:
//
//   BM_GumboParse      the HTML parser alone on the page's bytes: the floor for parsing.
//   BM_ParseAndLayOut  the engine without the network: decode, parse, body text, body HTML.
//   BM_EngineLoad      Navigate(), wait for the document-complete notification, then BodyText()
//                      and BodyHtml(): what a run pays per page. Its page has a script in its
//                      head and a load handler, as most router pages do, so its scripts run.
//   BM_EngineLoadPlain the same page without any script: nothing of the script engine runs.
//   BM_EngineLoadScripted
//                      the 50 KB page with 50 small scripts that write log cells.
//   BM_ScriptWork      the script interpreter alone on a fixed amount of work (loops, property
//                      access, string building): what its time checks cost.
//   BM_HostileScript   scripts that loop over a costly built-in and catch every error, with the
//                      default limits: how long after their start they are stopped (the time
//                      budget is 1 s) and whether the heap had to be given up (abandoned).
//   BM_CurlProcess     one curl process per page: the floor for a fetch that starts from nothing.
//   BM_CurlKeepAlive   one curl process fetching the page many times over one connection: the
//                      floor for the transfer alone.
//   BM_Chromium        a headless browser (the chromium program) loading the page again and
//                      again into a frame of a driver page, warm: only where it is installed and
//                      this program runs in a network namespace with loopback alone, as in
//                      unshare -rn sh -c 'ip link set lo up && exec build/bench/bench_browser'.
//   BM_WorstPage       hostile pages under the size cap, each loaded by a child process of this
//                      program: the time of the load and the child's peak memory (peak_MB), and
//                      whether the load ended as the error page (error_page). One of them is a
//                      script that floods the cookie jar, which keeps what browsers keep.
//
// Router pages come in 5 KB, 50 KB and 1 MB. Every time reported is the time of one page. Only
// 127.0.0.1 is contacted; the headless browser is started only where nothing else can be reached.

#include "browser/document/BodyTextLayout.h"
#include "browser/document/DocumentBuilder.h"
#include "browser/document/HtmlSerializer.h"
#include "browser/document/PageCharset.h"
#include "browser/engine/BrowserEngine.h"
#include "browser/scripts/ScriptEngine.h"
#include "support/LoopbackHttpServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <gumbo.h>
#include <map>
#include <memory>
#include <mutex>
#include <sys/resource.h>
#include <zlib.h>

namespace
{
LoopbackHttpServer* g_server = nullptr;

enum class PageScripts { Head, None, Many };

// A status page as routers serve them: head with style and script, a status table, a system
// log table that grows the page to the wanted size, and a settings form. Without scripts, or
// with 50 small scripts that write the first log entries.
QByteArray RouterPage(int intBytes, PageScripts scripts = PageScripts::Head)
{
    QByteArray page = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\r\n<html>\r\n<head>\r\n"
                      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">\r\n"
                      "<title>Broadband Router - Status</title>\r\n<style type=\"text/css\">\r\n"
                      "body { font-family: Arial, sans-serif; font-size: 12px; }\r\n"
                      "td.name { font-weight: bold; width: 40%; } td.value { color: #003366; }\r\n</style>\r\n";
    if (scripts == PageScripts::None)
        page += "</head>\r\n<body>\r\n<center><h2>ADSL Status</h2></center>\r\n";
    else
        page += "<script type=\"text/javascript\">\r\nfunction refreshPage() { if (a < b && c) { location.reload(); } "
                "}\r\n"
                "</script>\r\n</head>\r\n<body onload=\"init()\">\r\n<center><h2>ADSL Status</h2></center>\r\n";
    page += "<table width=\"100%\" border=\"0\" cellspacing=\"0\" cellpadding=\"2\">\r\n"
            "<tr><td>&nbsp;</td><td><b>Downstream</b></td><td><b>Upstream</b></td><td>&nbsp;</td></tr>\r\n";
    const char* const kRows[][4] = { { "SNR Margin", "12.5", "11.0", "dB" }, { "Line Attenuation", "31", "17", "dB" },
        { "Data Rate", "8128", "448", "kbps" }, { "Output Power", "19.8", "12.1", "dBm" },
        { "CRC Errors", "0", "12", "&nbsp;" } };
    for (const auto& row : kRows) {
        page += QByteArray("<tr>\r\n  <td class=\"name\">") + row[0] + "</td>\r\n  <td class=\"value\"> " + row[1]
            + " </td>\r\n  <td class=\"value\"> " + row[2] + " </td>\r\n  <td>" + row[3] + "</td>\r\n</tr>\r\n";
    }
    page += "</table>\r\n<h3>System Log</h3>\r\n<table border=\"1\" cellpadding=\"2\">\r\n";
    const QByteArray tail
        = "</table>\r\n<form name=\"pppForm\" method=\"post\" action=\"/cgi-bin/ppp.cgi\">\r\n"
          "<select name=\"wan_encapsulation\"><option value=\"0\">PPPoA LLC</option><option value=\"1\" selected>"
          "PPPoA VC-Mux</option></select>\r\n<input value=\"1492\" name=\"simple_ppp_mru\" size=\"5\">\r\n"
          "<input type=\"submit\" value=\"Apply\">&nbsp;<input type=\"reset\" value=\"Cancel\">\r\n</form>\r\n"
          "</body>\r\n</html>\r\n";
    int intEntry = 0;
    while (page.size() + tail.size() < intBytes) {
        ++intEntry;
        const QByteArray number = QByteArray::number(intEntry);
        page += "<tr><td>Jan 01 00:" + QByteArray::number(10 + intEntry % 50) + ":"
            + QByteArray::number(10 + intEntry % 49) + "</td><td>";
        if (scripts == PageScripts::Many && intEntry <= 50)
            page += "<script>document.write('PPP: LCP echo ' + " + number + " + ' sent')</script>";
        else
            page += "PPP: LCP echo " + number + " sent to peer &lt;isp&gt; &amp; acknowledged";
        page += "</td></tr>\r\n";
    }
    return page + tail;
}

const int kSizes[] = { 5 * 1024, 50 * 1024, 1024 * 1024 };

QByteArray PagePath(int intBytes, PageScripts scripts = PageScripts::Head)
{
    const char* const strKind = scripts == PageScripts::None ? "plain" : scripts == PageScripts::Many ? "scripted" : "";
    return "/status" + QByteArray::number(intBytes / 1024) + "k" + strKind + ".htm";
}

void SetPageCounters(benchmark::State& state, int intBytes, qint64 lngPages)
{
    state.SetBytesProcessed(static_cast<int64_t>(lngPages) * intBytes);
    state.SetItemsProcessed(static_cast<int64_t>(lngPages));
}

// Loads strUrl once; the time from Navigate() to the body text and HTML in hand.
struct LoadOutcome
{
    double dblMs = 0;
    bool blnErrorPage = false;
    QString strText;
};

LoadOutcome LoadOnce(BrowserEngine& engine, const QString& strUrl)
{
    QEventLoop loop;
    bool blnDone = false;
    engine.SetDocumentCompleteHandler([&](const QString&) {
        blnDone = true;
        loop.quit();
    });
    QElapsedTimer elapsed;
    elapsed.start();
    engine.Navigate(strUrl);
    if (!blnDone)
        loop.exec();
    LoadOutcome outcome;
    outcome.strText = engine.BodyText();
    const QString strHtml = engine.BodyHtml();
    benchmark::DoNotOptimize(strHtml.size());
    outcome.dblMs = static_cast<double>(elapsed.nsecsElapsed()) / 1e6;
    outcome.blnErrorPage = outcome.strText.startsWith(QLatin1String("Action canceled"));
    return outcome;
}

void BM_GumboParse(benchmark::State& state)
{
    const int intBytes = static_cast<int>(state.range(0));
    const QByteArray bytes = RouterPage(intBytes);
    for (auto _ : state) {
        GumboOutput* output
            = gumbo_parse_with_options(&kGumboDefaultOptions, bytes.constData(), static_cast<size_t>(bytes.size()));
        benchmark::DoNotOptimize(output->root);
        gumbo_destroy_output(&kGumboDefaultOptions, output);
    }
    SetPageCounters(state, intBytes, state.iterations());
}

void BM_ParseAndLayOut(benchmark::State& state)
{
    const int intBytes = static_cast<int>(state.range(0));
    const QByteArray bytes = RouterPage(intBytes);
    for (auto _ : state) {
        HtmlDocument document;
        BuildHtmlDocument(DecodePageToUtf8(bytes, ChoosePageCharset(bytes, QByteArrayLiteral("text/html"))), &document);
        benchmark::DoNotOptimize(LayOutBodyText(document).size() + SerializeBodyHtml(document).size());
    }
    SetPageCounters(state, intBytes, state.iterations());
}

void LoadPages(benchmark::State& state, PageScripts scripts)
{
    const int intBytes = static_cast<int>(state.range(0));
    const QString strUrl = g_server->Url(QString::fromLatin1(PagePath(intBytes, scripts)));
    BrowserEngine engine;
    QString strText;
    for (auto _ : state)
        strText = LoadOnce(engine, strUrl).strText;
    if (!strText.contains(QLatin1String("SNR Margin12.511.0dB")))
        state.SkipWithError("the page did not load");
    if (scripts == PageScripts::Many && !strText.contains(QLatin1String("PPP: LCP echo 50 sent\r\n")))
        state.SkipWithError("the scripts did not run");
    SetPageCounters(state, intBytes, state.iterations());
}

void BM_EngineLoad(benchmark::State& state)
{
    LoadPages(state, PageScripts::Head);
}

void BM_EngineLoadPlain(benchmark::State& state)
{
    LoadPages(state, PageScripts::None);
}

void BM_EngineLoadScripted(benchmark::State& state)
{
    LoadPages(state, PageScripts::Many);
}

void BM_ScriptWork(benchmark::State& state)
{
    const QString strScript = QStringLiteral(
        "var o = { n: 0, s: '' }; for (var i = 0; i < 200000; i++) { o.n += i % 7; if (i % 1000 == 0) o.s += i; }");
    for (auto _ : state) {
        // A fresh window each time: a window's time budget counts all its scripts.
        ScriptEngine fresh;
        const int intFresh = fresh.CreateWindow();
        if (!fresh.Evaluate(intFresh, strScript, QString())) {
            state.SkipWithError("the script failed");
            break;
        }
    }
}

enum HostileScript { kPatternLoop, kSearchLoop, kRepeatLoop, kReplaceLoop, kHostileKinds };
const char* const kHostileNames[kHostileKinds] = { "pattern loop", "search loop", "repeat loop", "replace loop" };
const char* const kHostileScripts[kHostileKinds] = {
    "var s = 'aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa'; for (;;) { try { /(a*)*b/.exec(s); } catch (e) {} }",
    "var s = 'a'.repeat(8000000); for (;;) { try { s.indexOf('b'); } catch (e) {} }",
    "for (;;) { try { 'a'.repeat(20000000); } catch (e) {} }",
    "var s = 'a'.repeat(2000000); for (;;) { try { s.replace(/a/g, 'bb'); } catch (e) {} }",
};

void BM_HostileScript(benchmark::State& state)
{
    const int intKind = static_cast<int>(state.range(0));
    state.SetLabel(kHostileNames[intKind]);
    bool blnAbandoned = false;
    for (auto _ : state) {
        ScriptEngine engine;
        const int intWindow = engine.CreateWindow();
        QElapsedTimer timer;
        timer.start();
        engine.Evaluate(intWindow, QString::fromLatin1(kHostileScripts[intKind]), QString());
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        blnAbandoned = !engine.IsAlive();
    }
    state.counters["abandoned"] = blnAbandoned ? 1 : 0;
}

bool RunCurl(const QStringList& arguments)
{
    // No configuration file and no proxy from the environment: only the loopback server is reached.
    QProcess curl;
    curl.start(QStringLiteral("curl"),
        QStringList { QStringLiteral("-q"), QStringLiteral("--noproxy"), QStringLiteral("*") } + arguments);
    return curl.waitForFinished(60000) && curl.exitStatus() == QProcess::NormalExit && curl.exitCode() == 0;
}

void BM_CurlProcess(benchmark::State& state)
{
    const int intBytes = static_cast<int>(state.range(0));
    const QString strUrl = g_server->Url(QString::fromLatin1(PagePath(intBytes)));
    for (auto _ : state) {
        if (!RunCurl({ QStringLiteral("-s"), QStringLiteral("-o"), QStringLiteral("/dev/null"), strUrl })) {
            state.SkipWithError("curl failed");
            break;
        }
    }
    SetPageCounters(state, intBytes, state.iterations());
}

void BM_CurlKeepAlive(benchmark::State& state)
{
    const int intBytes = static_cast<int>(state.range(0));
    const QString strUrl = g_server->Url(QString::fromLatin1(PagePath(intBytes)));
    const int intPerProcess = intBytes >= 1024 * 1024 ? 20 : 200;
    QStringList arguments { QStringLiteral("-s") };
    for (int intAt = 0; intAt < intPerProcess; ++intAt)
        arguments << QStringLiteral("-o") << QStringLiteral("/dev/null") << strUrl;
    QElapsedTimer elapsed;
    for (auto _ : state) {
        elapsed.start();
        if (!RunCurl(arguments)) {
            state.SkipWithError("curl failed");
            break;
        }
        // The time of one page: the process's start is spread over all its pages.
        state.SetIterationTime(static_cast<double>(elapsed.nsecsElapsed()) / 1e9 / intPerProcess);
    }
    SetPageCounters(state, intBytes, state.iterations());
}

// Headless Chromium, warm: a driver page loads the page into a frame kLoads times after one
// load to warm up and reports the mean time per load back to the server.
struct ChromiumResult
{
    std::mutex mutex;
    double dblMs = -1;
};

QString ChromiumProgram()
{
    return QStandardPaths::findExecutable(QStringLiteral("chromium"));
}

// True in a network namespace whose only interface is loopback: there a browser, with all it
// may try on its own, reaches nothing beyond this machine.
bool LoopbackOnly()
{
    QFile devices(QStringLiteral("/proc/self/net/dev"));
    if (!devices.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    const QList<QByteArray> lines = devices.readAll().split('\n');
    QList<QByteArray> names;
    // Two heading lines, then one line per interface: "  name: counters...".
    for (qsizetype intLine = 2; intLine < lines.size(); ++intLine) {
        if (!lines[intLine].trimmed().isEmpty())
            names << lines[intLine].left(lines[intLine].indexOf(':')).trimmed();
    }
    return names == QList<QByteArray> { QByteArrayLiteral("lo") };
}

void BM_Chromium(benchmark::State& state)
{
    constexpr int kLoads = 20;
    const int intBytes = static_cast<int>(state.range(0));
    auto result = std::make_shared<ChromiumResult>();
    g_server->Route("/chromium-result", [result](const LoopbackRequest& request, LoopbackResponse& response) {
        std::lock_guard<std::mutex> lock(result->mutex);
        result->dblMs = request.query.mid(request.query.indexOf('=') + 1).toDouble();
        response.body = "ok";
    });
    const QByteArray page = PagePath(intBytes);
    g_server->ServePage("/chromium-driver.htm",
        "<html><body><iframe id=f></iframe><script>\n"
        "const f = document.getElementById('f'); let i = 0, t0 = 0;\n"
        "f.onload = () => {\n"
        "  if (i === 1) t0 = performance.now();\n"
        "  if (i <= "
            + QByteArray::number(kLoads) + ") { f.src = '" + page
            + "?r=' + (i++); return; }\n"
              "  fetch('/chromium-result?ms=' + (performance.now() - t0) / "
            + QByteArray::number(kLoads)
            + ");\n"
              "};\n"
              "f.src = '"
            + page + "?r=start'; i = 1;\n</script></body></html>");
    // A fresh profile for every start, all in one folder that goes when the last start has ended
    // (the browser's helper processes may still write for a moment after it is gone).
    QTemporaryDir profiles;
    profiles.setAutoRemove(false);
    int intStart = 0;
    for (auto _ : state) {
        {
            std::lock_guard<std::mutex> lock(result->mutex);
            result->dblMs = -1;
        }
        const QString strProfile = profiles.filePath(QStringLiteral("profile%1").arg(++intStart));
        QProcess chromium;
        chromium.start(ChromiumProgram(),
            { QStringLiteral("--headless"), QStringLiteral("--no-sandbox"), QStringLiteral("--disable-gpu"),
                QStringLiteral("--disable-quic"), QStringLiteral("--no-first-run"),
                QStringLiteral("--disable-background-networking"), QStringLiteral("--disable-component-update"),
                QStringLiteral("--disable-sync"), QStringLiteral("--user-data-dir=") + strProfile,
                // No name resolves and no proxy is looked for: only the loopback address is reached.
                QStringLiteral("--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE 127.0.0.1"),
                QStringLiteral("--no-proxy-server"), g_server->Url(QStringLiteral("/chromium-driver.htm")) });
        QElapsedTimer waited;
        waited.start();
        double dblMs = -1;
        while (dblMs < 0 && waited.elapsed() < 120000 && chromium.state() != QProcess::NotRunning) {
            chromium.waitForFinished(50);
            std::lock_guard<std::mutex> lock(result->mutex);
            dblMs = result->dblMs;
        }
        chromium.terminate();
        if (!chromium.waitForFinished(10000)) {
            chromium.kill();
            chromium.waitForFinished(10000);
        }
        if (dblMs < 0) {
            state.SkipWithError("chromium did not report");
            break;
        }
        state.SetIterationTime(dblMs / 1000);
    }
    for (int intTry = 0; intTry < 5 && !QDir(profiles.path()).removeRecursively(); ++intTry)
        QThread::msleep(500);
    SetPageCounters(state, intBytes, state.iterations());
}

// The hostile pages, all under the 8 MB cap once decoded (or meant to hit it).
enum WorstKind {
    kTable,
    kParagraphs,
    kCells,
    kAttributes,
    kManyAttributes,
    kDeepSpans,
    kFormattingChain,
    kMisnested,
    kOptions,
    kComments,
    kText,
    kChunked50MB,
    kGzipBomb,
    kTableAtBudget,
    kBreaksAtBudget,
    kAttributesAtBudget,
    kCookieFlood,
    kWorstKinds
};

const char* const kWorstNames[]
    = { "table 8.3 MB", "<p>x 8 MB", "<td>1 8 MB", "one tag, 8 MB of attributes", "64 attributes per tag",
          "511 divs, then spans", "<b><i><u><s>x</b>", "<a><p></a>", "<option>x", "<!--x-->", "plain text",
          "chunked 50 MB", "gzip 1 MB -> 1 GiB", "table 6.5 MB", "490,000 <br>, then text (nodes within budget)",
          "7,500 tags of 64 attributes, then text (within budget)", "script sets 2,000 cookies of 100 KB" };

QByteArray Filled(const QByteArray& head, const QByteArray& unit, qint64 lngBytes)
{
    QByteArray page = head;
    page.reserve(lngBytes);
    while (page.size() + unit.size() <= lngBytes)
        page += unit;
    return page;
}

QByteArray GzipOfZeros(qint64 lngBytes)
{
    z_stream stream {};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
    const QByteArray zeros(1024 * 1024, '\0');
    QByteArray out;
    std::vector<char> buffer(256 * 1024);
    for (qint64 lngDone = 0; lngDone < lngBytes; lngDone += zeros.size()) {
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.constData()));
        stream.avail_in = static_cast<uInt>(zeros.size());
        const int intFlush = lngDone + zeros.size() >= lngBytes ? Z_FINISH : Z_NO_FLUSH;
        do {
            stream.next_out = reinterpret_cast<Bytef*>(buffer.data());
            stream.avail_out = static_cast<uInt>(buffer.size());
            deflate(&stream, intFlush);
            out.append(buffer.data(), static_cast<qsizetype>(buffer.size() - stream.avail_out));
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    return out;
}

QByteArray WorstPage(int intKind)
{
    constexpr qint64 kUnderCap = 8 * 1024 * 1024 - 1024;
    switch (intKind) {
    case kTable:
        return RouterPage(8300000);
    case kParagraphs:
        return Filled("", "<p>x", kUnderCap);
    case kCells:
        return Filled("<table><tr>", "<td>1", kUnderCap);
    case kAttributes: {
        QByteArray attributes = "<p";
        for (int intAt = 0; attributes.size() < kUnderCap - 16; ++intAt)
            attributes += " a" + QByteArray::number(intAt) + "=1";
        return attributes + ">x";
    }
    case kManyAttributes: {
        QByteArray sixtyFour = "<p";
        for (int intAt = 0; intAt < 64; ++intAt)
            sixtyFour += " a" + QByteArray::number(intAt);
        return Filled("", sixtyFour + ">", kUnderCap);
    }
    case kDeepSpans:
        return Filled(QByteArray("<div>").repeated(511), "<span></span>", kUnderCap);
    case kFormattingChain:
        return Filled("", "<b><i><u><s>x</b>", kUnderCap);
    case kMisnested:
        return Filled("", "<a><p></a>", kUnderCap);
    case kOptions:
        return Filled("<select>", "<option>x", kUnderCap);
    case kComments:
        return Filled("", "<!--x-->", kUnderCap);
    case kText:
        return Filled("", "plain words ", kUnderCap);
    case kChunked50MB:
        return Filled("", "<p>chunked", 50 * 1024 * 1024);
    case kGzipBomb:
        return GzipOfZeros(qint64(1) << 30);
    case kTableAtBudget:
        return RouterPage(6500000);
    case kBreaksAtBudget:
        return Filled(QByteArray("<br>").repeated(490000), "plain words ", kUnderCap);
    case kAttributesAtBudget: {
        QByteArray sixtyFour = "<p";
        for (int intAt = 0; intAt < 64; ++intAt)
            sixtyFour += " a" + QByteArray::number(intAt) + "=v";
        return Filled(sixtyFour.append('>').repeated(7500), "plain words ", kUnderCap);
    }
    case kCookieFlood:
        return "<html><body><script>var v = 'v'.repeat(100000);"
               "for (var i = 0; i < 2000; i++) document.cookie = 'c' + i + '=' + v + '; path=/';"
               "var w = 'w'.repeat(4000);"
               "for (var i = 0; i < 2000; i++) document.cookie = 'd' + i + '=' + w + '; path=/';"
               "</script>flooded</body></html>";
    default:
        return QByteArray();
    }
}

// Each page is made once, when first asked for (compressing a gibibyte takes a while).
const QByteArray& CachedWorstPage(int intKind)
{
    static std::mutex mutex;
    static std::map<int, QByteArray> pages;
    std::lock_guard<std::mutex> lock(mutex);
    auto it = pages.find(intKind);
    if (it == pages.end())
        it = pages.emplace(intKind, WorstPage(intKind)).first;
    return it->second;
}

void ServeWorstPages()
{
    for (int intKind = 0; intKind < kWorstKinds; ++intKind) {
        g_server->Route("/worst" + QByteArray::number(intKind) + ".htm",
            [intKind](const LoopbackRequest&, LoopbackResponse& response) {
                response.body = CachedWorstPage(intKind);
                response.blnChunked = intKind == kChunked50MB;
                if (intKind == kGzipBomb)
                    response.AddHeader("Content-Encoding", "gzip");
            });
    }
}

void BM_WorstPage(benchmark::State& state)
{
    const int intKind = static_cast<int>(state.range(0));
    state.SetLabel(kWorstNames[intKind]);
    const QString strUrl = g_server->Url(QStringLiteral("/worst%1.htm").arg(intKind));
    CachedWorstPage(intKind); // made before the clock runs
    double dblPeakMb = 0;
    bool blnErrorPage = false;
    for (auto _ : state) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), { QStringLiteral("--load-once"), strUrl });
        if (!child.waitForFinished(600000) || child.exitCode() != 0) {
            state.SkipWithError("the loading process failed");
            break;
        }
        // "<ms> <peak kB> <error page 0/1>"
        const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
        if (fields.size() != 3) {
            state.SkipWithError("the loading process said nothing");
            break;
        }
        state.SetIterationTime(fields.at(0).toDouble() / 1000);
        dblPeakMb = std::max(dblPeakMb, fields.at(1).toDouble() / 1024);
        blnErrorPage = fields.at(2) == "1";
    }
    state.counters["peak_MB"] = dblPeakMb;
    state.counters["error_page"] = blnErrorPage ? 1 : 0;
}

// The peak resident memory of this process in kB (the high-water mark of its own address space,
// which, unlike the resource usage, does not count what the parent held before the program
// started).
long PeakResidentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').constFirst().toLong();
        }
    }
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The child of BM_WorstPage: loads one page and prints its time and the peak memory.
int LoadOnceAndReport(const QString& strUrl)
{
    BrowserEngine engine;
    const LoadOutcome outcome = LoadOnce(engine, strUrl);
    std::printf("%.1f %ld %d\n", outcome.dblMs, PeakResidentKb(), outcome.blnErrorPage ? 1 : 0);
    return 0;
}

void PageSizes(benchmark::internal::Benchmark* benchmark)
{
    for (int intBytes : kSizes)
        benchmark->Arg(intBytes);
}
} // namespace

BENCHMARK(BM_GumboParse)->Apply(PageSizes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ParseAndLayOut)->Apply(PageSizes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EngineLoad)->Apply(PageSizes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EngineLoadPlain)->Apply(PageSizes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EngineLoadScripted)->Arg(50 * 1024)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ScriptWork)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HostileScript)
    ->DenseRange(0, kHostileKinds - 1)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);
BENCHMARK(BM_CurlProcess)->Apply(PageSizes)->Unit(benchmark::kMillisecond)->UseRealTime();
// A fixed number of processes: the time of one page is tiny, and the minimum time would be spent
// many times over starting processes.
BENCHMARK(BM_CurlKeepAlive)->Apply(PageSizes)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--load-once") == 0)
        return LoadOnceAndReport(QString::fromLocal8Bit(argv[2]));

    LoopbackHttpServer server;
    server.SetRecordRequests(false);
    for (int intBytes : kSizes) {
        for (PageScripts scripts : { PageScripts::Head, PageScripts::None, PageScripts::Many })
            server.ServePage(PagePath(intBytes, scripts), RouterPage(intBytes, scripts), "text/html");
    }
    g_server = &server;
    ServeWorstPages();
    if (!server.Start())
        return 1;
    if (QStandardPaths::findExecutable(QStringLiteral("curl")).isEmpty())
        qWarning("curl not found: the curl floor is not measured");
    if (!ChromiumProgram().isEmpty() && !LoopbackOnly())
        qWarning("the headless browser is started only in a network namespace with loopback alone: "
                 "unshare -rn sh -c 'ip link set lo up && exec %s'",
            argv[0]);
    else if (!ChromiumProgram().isEmpty())
        benchmark::RegisterBenchmark("BM_Chromium", BM_Chromium)
            ->Apply(PageSizes)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->Iterations(3);
    for (int intKind = 0; intKind < kWorstKinds; ++intKind)
        benchmark::RegisterBenchmark("BM_WorstPage", BM_WorstPage)
            ->Arg(intKind)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->Iterations(1);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
