// Load, parse and lay out router pages of 5 KB, 50 KB and 1 MB served from a loopback server:
//
//   BM_EngineLoad      Navigate(), wait for the document-complete notification, then BodyText()
//                      and BodyHtml(): what a run pays per page. Its page has a script in its
//                      head and a load handler, as most router pages do, so its scripts run.
//   BM_EngineLoadPlain the same page without any script: nothing of the script engine runs.
//   BM_EngineLoadScripted
//                      the 50 KB page with 50 small scripts that write log cells.
//   BM_ParseAndLayOut  the same without the network: parse, body text, body HTML.
//   BM_CurlProcess     one curl process per page: the floor for a fetch that starts from nothing.
//   BM_CurlKeepAlive   one curl process fetching the page many times over one connection: the
//                      floor for the transfer alone.
//
// Every time reported is the time of one page. Only 127.0.0.1 is contacted.

#include "browser/BodyTextLayout.h"
#include "browser/BrowserEngine.h"
#include "browser/DocumentBuilder.h"
#include "browser/HtmlSerializer.h"
#include "browser/PageCharset.h"
#include "support/LoopbackHttpServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <memory>

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

void LoadPages(benchmark::State& state, PageScripts scripts)
{
    const int intBytes = static_cast<int>(state.range(0));
    const QString strUrl = QString::fromLatin1(PagePath(intBytes, scripts));
    BrowserEngine engine;
    QEventLoop loop;
    bool blnDone = false;
    engine.SetDocumentCompleteHandler([&](const QString&) {
        blnDone = true;
        loop.quit();
    });
    qint64 lngTextSize = 0;
    for (auto _ : state) {
        blnDone = false;
        engine.Navigate(g_server->Url(strUrl));
        if (!blnDone)
            loop.exec();
        const QString strText = engine.BodyText();
        const QString strHtml = engine.BodyHtml();
        lngTextSize = strText.size() + strHtml.size();
        benchmark::DoNotOptimize(lngTextSize);
    }
    if (!engine.BodyText().contains(QLatin1String("SNR Margin12.511.0dB")))
        state.SkipWithError("the page did not load");
    if (scripts == PageScripts::Many && !engine.BodyText().contains(QLatin1String("PPP: LCP echo 50 sent\r\n")))
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

void BM_ParseAndLayOut(benchmark::State& state)
{
    const int intBytes = static_cast<int>(state.range(0));
    const QByteArray bytes = RouterPage(intBytes);
    for (auto _ : state) {
        const HtmlDocument document
            = BuildHtmlDocument(DecodePage(bytes, ChoosePageCharset(bytes, QByteArrayLiteral("text/html"))));
        benchmark::DoNotOptimize(LayOutBodyText(document).size() + SerializeBodyHtml(document).size());
    }
    SetPageCounters(state, intBytes, state.iterations());
}

bool RunCurl(const QStringList& arguments)
{
    QProcess curl;
    curl.start(QStringLiteral("curl"), arguments);
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

void PageSizes(benchmark::internal::Benchmark* benchmark)
{
    for (int intBytes : kSizes)
        benchmark->Arg(intBytes);
}
} // namespace

BENCHMARK(BM_EngineLoad)->Apply(PageSizes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EngineLoadPlain)->Apply(PageSizes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EngineLoadScripted)->Arg(50 * 1024)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ParseAndLayOut)->Apply(PageSizes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CurlProcess)->Apply(PageSizes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CurlKeepAlive)->Apply(PageSizes)->Unit(benchmark::kMillisecond)->UseManualTime();

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    LoopbackHttpServer server;
    for (int intBytes : kSizes) {
        for (PageScripts scripts : { PageScripts::Head, PageScripts::None, PageScripts::Many })
            server.ServePage(PagePath(intBytes, scripts), RouterPage(intBytes, scripts), "text/html");
    }
    if (!server.Start())
        return 1;
    g_server = &server;
    if (QStandardPaths::findExecutable(QStringLiteral("curl")).isEmpty())
        qWarning("curl not found: the curl floor is not measured");

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
