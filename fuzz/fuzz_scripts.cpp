// Fuzzes a page's own scripts: arbitrary bytes as a page whose scripts run in the engine's
// interpreter over the document object model, with document.write parsed in place, load handlers,
// timers and requests (answered at once by a fake server that has nothing), within short bounds.
//
// Checked: nothing crashes, leaks past its bounds or hangs; the page always completes; the tree
// the scripts leave is numbered in document order; its text and HTML write every line break as
// CR LF; navigations that scripts ask for go to web addresses.

#include "FuzzCheck.h"
#include "browser/document/BodyTextLayout.h"
#include "browser/document/DocumentBuilder.h"
#include "browser/document/HtmlSerializer.h"
#include "browser/scripts/ScriptDom.h"
#include "browser/scripts/ScriptEngine.h"
#include "browser/scripts/ScriptedDocument.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace
{
// Runs until the signal or 20 s; false when the signal never came.
template <typename Signal> bool Await(ScriptedDocument& document, Signal signal)
{
    QEventLoop loop;
    bool blnDone = false;
    QObject::connect(&document, signal, &loop, [&] {
        blnDone = true;
        loop.quit();
    });
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    return blnDone;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    // The document object model's own script, compiled here once with time enough, as for a
    // browser's first page: every input's window loads the compiled code. Run without the natives
    // that it reaches for, it may fail; it is kept compiled all the same.
    ScriptEngine engine;
    engine.EvaluateOwnCode(engine.CreateWindow(), kScriptDomSource, QStringLiteral("dom"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray source(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    source = QString::fromUtf8(source).toUtf8();
    HtmlDocument parsed = BuildHtmlDocumentFromUtf8(&source);
    if (!ScriptedDocument::HasScripts(parsed))
        return 0;

    // Bounds far below a browser's, so that inputs that loop, or keep a built-in busy, stop soon:
    // they are the many that mutation makes of the seeds that loop. The time still holds the
    // set-up of the document object model under the sanitizers (some 5 ms) several times over.
    ScriptLimits limits;
    limits.intTimeBudgetMs = 30;
    limits.intStopGraceMs = 10;
    limits.lngHeapBytes = qint64(16) << 20;
    ScriptHost host;
    host.fetch = [](const FetchRequest& request, ScriptHost::FetchDone done) {
        FetchResult result;
        result.url = request.url;
        result.outcome = FetchResult::Outcome::Response;
        result.intStatus = 404;
        QTimer::singleShot(0, [done, result] { done(result); });
    };
    host.navigate = [](ScriptedDocument*, const FetchRequest& request) {
        const QString strScheme = request.url.scheme();
        Check(strScheme == QLatin1String("http") || strScheme == QLatin1String("https"));
    };
    host.strUserAgent = QStringLiteral("Quorvane/1.0.0");
    ScriptedDocument document(std::make_shared<ScriptEngine>(limits), host,
        QUrl(QStringLiteral("http://127.0.0.1:8080/html/page.htm")), QByteArrayLiteral("UTF-8"));
    document.Load(std::move(parsed), source);
    Check(Await(document, &ScriptedDocument::Parsed));
    document.Settle();
    Check(Await(document, &ScriptedDocument::Settled));

    const HtmlDocument& result = *document.Document();
    Check(result.IsOrdered());
    for (int intNode = 1; intNode < result.NodeCount(); ++intNode)
        Check(result.Node(intNode).intParent < intNode);
    CheckLineBreaks(LayOutBodyText(result));
    CheckLineBreaks(SerializeBodyHtml(result));
    return 0;
}
