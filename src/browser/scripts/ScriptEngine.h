#pragma once

#include <QDeadlineTimer>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <vector>

// The script interpreter behind one small interface; the library itself stays inside
// ScriptEngine.cpp.
//
// One engine serves the documents of one top-level page: each document gets a window of its own
// (its own global object and built-ins) in one shared heap, so that a frame can reach its parent's
// variables and functions. The heap has a fixed budget; a heap that outgrows it is abandoned and
// the engine stops for good. Each window has a budget of script time; a script still running when
// its window's budget is spent is stopped, and so is every later one in that window.
//
// Scripts reach the host only through the native functions defined here; values cross as
// undefined, null, booleans, numbers, strings and lists of numbers.

struct ScriptLimits
{
    int intTimeBudgetMs = 1000; // script time per window
    // How long a script may go on past its time before its heap is given up: a script stops
    // within microseconds of its time unless a built-in keeps it from noticing.
    int intStopGraceMs = 250;
    qint64 lngHeapBytes = qint64(64) << 20; // the whole heap
    // The end of the navigation that the scripts belong to: whatever their windows' budgets
    // leave, no script runs past it, so that many documents cannot add up to more.
    QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever);
};

struct ScriptValue
{
    enum class Type : quint8 { Undefined, Null, Boolean, Number, String, NumberList };

    Type type = Type::Undefined;
    bool blnValue = false;
    double dblValue = 0;
    QString strValue;
    std::vector<double> numbers;

    static ScriptValue Null()
    {
        ScriptValue value;
        value.type = Type::Null;
        return value;
    }
    static ScriptValue Boolean(bool blnValue)
    {
        ScriptValue value;
        value.type = Type::Boolean;
        value.blnValue = blnValue;
        return value;
    }
    static ScriptValue Number(double dblValue)
    {
        ScriptValue value;
        value.type = Type::Number;
        value.dblValue = dblValue;
        return value;
    }
    static ScriptValue String(QString strValue)
    {
        ScriptValue value;
        value.type = Type::String;
        value.strValue = std::move(strValue);
        return value;
    }
    static ScriptValue List(std::vector<double> numbers)
    {
        ScriptValue value;
        value.type = Type::NumberList;
        value.numbers = std::move(numbers);
        return value;
    }

    bool IsMissing() const { return type == Type::Undefined || type == Type::Null; }
    // Numbers as integers (NaN and missing values read as intDefault).
    int ToInt(int intDefault = 0) const;
    // Strings as they are, other values the way the interpreter would print them.
    QString ToString() const;
    bool ToBool() const;
};

using ScriptArgs = std::vector<ScriptValue>;
using ScriptNative = std::function<ScriptValue(const ScriptArgs& args)>;

class ScriptEngine
{
public:
    explicit ScriptEngine(const ScriptLimits& limits = ScriptLimits());
    ~ScriptEngine();
    ScriptEngine(const ScriptEngine&) = delete;
    ScriptEngine& operator=(const ScriptEngine&) = delete;

    // A new window; -1 when the engine has stopped.
    int CreateWindow();
    // Defines a global function of the window that calls native.
    void DefineNative(int intWindow, const char* strName, ScriptNative native);
    // Makes window intTarget's global object reachable from window intHost as
    // host[strObject][strKey], or host[strKey] when strObject is empty.
    void LinkWindow(int intHost, const QString& strObject, const QString& strKey, int intTarget);

    // Runs code as a program of the window. False when it threw or was stopped; strError then
    // says why.
    bool Evaluate(int intWindow, const QString& strCode, const QString& strName, QString* strError = nullptr);
    // The same for the program's own fixed code (strCode lives as long as the program): compiled
    // once, and loaded as compiled code into every later window.
    bool EvaluateOwnCode(int intWindow, const char* strCode, const QString& strName, QString* strError = nullptr);
    // Hands over such code's compiled form (intSize bytes of the interpreter's bytecode, built with
    // the program and living as long as it), so that EvaluateOwnCode loads it from the first window
    // on. Nothing changes for code that has its compiled form already, or for a null one.
    static void ProvideCompiledOwnCode(const char* strCode, const unsigned char* compiled, int intSize);
    // Calls the window's global function strFunction with the arguments; its result in *result.
    bool Call(int intWindow, const char* strFunction, const ScriptArgs& args, ScriptValue* result = nullptr,
        QString* strError = nullptr);

    // False once the heap outgrew its budget or a script could not be stopped in time: nothing
    // runs any more.
    bool IsAlive() const;
    // Whether the window's time budget, or the navigation's time, is spent.
    bool IsOutOfTime(int intWindow) const;
    qint64 HeapBytes() const;

    struct State; // the interpreter's side, defined in ScriptEngine.cpp

private:
    std::unique_ptr<State> m_state;
};
