#include "browser/scripts/ScriptEngine.h"
#include "support/TestRegistry.h"

#include <QTest>

// The interpreter behind its interface: values both ways, windows that reach each other, and the
// two bounds, which stop one window's scripts or the whole heap and nothing else.
class TestScriptEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ValuesCrossBothWays();
    void WindowsKeepTheirOwnGlobalsAndReachLinkedOnes();
    void SpentTimeStopsOnlyItsWindow();
    void ExhaustedHeapStopsTheEngine();
};

void TestScriptEngine::ValuesCrossBothWays()
{
    ScriptEngine engine;
    const int intWindow = engine.CreateWindow();
    QVERIFY(intWindow >= 0);
    ScriptArgs seen;
    engine.DefineNative(intWindow, "host", [&seen](const ScriptArgs& args) {
        seen = args;
        return ScriptValue::List({ 1, 2.5, -3 });
    });
    ScriptValue result;
    QVERIFY(engine.Evaluate(intWindow,
        QStringLiteral("var r = host('Zürich \\u00e9', 7, true, null, undefined, {}); r.join('|') + '/' + r.length"),
        QStringLiteral("values")));
    QVERIFY(engine.Call(intWindow, "String", { ScriptValue::String(QStringLiteral("abc")) }, &result));
    QCOMPARE(result.strValue, QStringLiteral("abc"));
    QCOMPARE(seen.size(), size_t(6));
    QCOMPARE(seen[0].strValue, QString::fromUtf8("Zürich é"));
    QCOMPARE(seen[1].ToInt(), 7);
    QVERIFY(seen[2].ToBool());
    QCOMPARE(seen[3].type, ScriptValue::Type::Null);
    QCOMPARE(seen[4].type, ScriptValue::Type::Undefined);
    QCOMPARE(seen[5].strValue, QStringLiteral("[object Object]"));
    QVERIFY(engine.Call(intWindow, "eval", { ScriptValue::String(QStringLiteral("r.join('|')")) }, &result));
    QCOMPARE(result.ToString(), QStringLiteral("1|2.5|-3"));

    QString strError;
    QVERIFY(!engine.Evaluate(intWindow, QStringLiteral("\n\nnoSuchFunction()"), QStringLiteral("e"), &strError));
    QCOMPARE(strError, QStringLiteral("ReferenceError: identifier 'noSuchFunction' undefined (line 3)"));
    QVERIFY(!engine.Evaluate(intWindow, QStringLiteral("if ("), QStringLiteral("e"), &strError));
    QVERIFY(strError.startsWith(QLatin1String("SyntaxError")));
}

void TestScriptEngine::WindowsKeepTheirOwnGlobalsAndReachLinkedOnes()
{
    ScriptEngine engine;
    const int intParent = engine.CreateWindow();
    const int intChild = engine.CreateWindow();
    QVERIFY(engine.Evaluate(intParent, QStringLiteral("var value = 'parent'; Array.prototype.marked = 1;"), QString()));
    QVERIFY(engine.Evaluate(intChild, QStringLiteral("var value = 'child';"), QString()));
    engine.LinkWindow(intChild, QString(), QStringLiteral("up"), intParent);
    engine.LinkWindow(intParent, QStringLiteral("frames"), QStringLiteral("0"), intChild);
    ScriptValue result;
    QVERIFY(engine.Call(intChild, "eval",
        { ScriptValue::String(QStringLiteral("value + ' ' + up.value + ' ' + up.frames[0].value + ' ' + [].marked")) },
        &result));
    QCOMPARE(result.ToString(), QStringLiteral("child parent child undefined"));
}

void TestScriptEngine::SpentTimeStopsOnlyItsWindow()
{
    ScriptLimits limits;
    limits.intTimeBudgetMs = 100;
    ScriptEngine engine(limits);
    const int intBusy = engine.CreateWindow();
    const int intOther = engine.CreateWindow();
    QString strError;
    QVERIFY(!engine.Evaluate(
        intBusy, QStringLiteral("try { while (true) {} } finally { while (true) {} }"), QString(), &strError));
    QVERIFY2(strError.contains(QLatin1String("timeout")), qPrintable(strError));
    QVERIFY(engine.IsOutOfTime(intBusy));
    QVERIFY(!engine.Evaluate(intBusy, QStringLiteral("1"), QString()));
    QVERIFY(engine.IsAlive());
    QVERIFY(!engine.IsOutOfTime(intOther));
    QVERIFY(engine.Evaluate(intOther, QStringLiteral("1 + 1"), QString()));
}

void TestScriptEngine::ExhaustedHeapStopsTheEngine()
{
    ScriptLimits limits;
    limits.lngHeapBytes = qint64(8) << 20;
    ScriptEngine engine(limits);
    const int intWindow = engine.CreateWindow();
    QVERIFY(engine.Evaluate(intWindow, QStringLiteral("var small = new Array(1000).join('x');"), QString()));
    QString strError;
    // Catching the failure does not help: the heap is given up.
    QVERIFY(!engine.Evaluate(intWindow,
        QStringLiteral("var keep = []; for (;;) { try { keep.push(new Array(10000)); } catch (e) {} }"), QString(),
        &strError));
    QVERIFY2(strError.contains(QLatin1String("heap")), qPrintable(strError));
    QVERIFY(!engine.IsAlive());
    QCOMPARE(engine.HeapBytes(), qint64(0));
    QCOMPARE(engine.CreateWindow(), -1);
    QVERIFY(!engine.Evaluate(intWindow, QStringLiteral("1"), QString()));
}

QUORVANE_REGISTER_TEST(TestScriptEngine)
#include "TestScriptEngine.moc"
