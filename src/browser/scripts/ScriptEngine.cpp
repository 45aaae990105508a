#include "browser/scripts/ScriptEngine.h"

#include "browser/document/GuardedChunks.h"

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QStringList>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <duktape.h>
#include <exception>

namespace
{
using Clock = std::chrono::steady_clock;

// Every block of the heap is linked into one list, so that a heap that had to be abandoned in the
// middle of an allocation (see Refuse) is still freed completely, without asking the interpreter.
// Under AddressSanitizer the blocks of up to kLargestGuarded bytes are guarded ones instead, freed
// with their chunks (see GuardedChunks); the mark before a linked block's size tells them apart.
struct alignas(std::max_align_t) BlockHeader
{
    BlockHeader* previous;
    BlockHeader* next;
    size_t lngMark;
    size_t lngSize;
};
constexpr size_t kLinkedMark = 0x4c4b;
constexpr size_t kLargestGuarded = 4096;
constexpr size_t kGuardedChunkBytes = 64 * 1024;

bool IsGuarded(void* pointer)
{
    return GuardedChunks::kEnabled && GuardedChunks::MarkOf(pointer) != kLinkedMark;
}

const char* const kNativeKey = DUK_HIDDEN_SYMBOL("native");
} // namespace

struct ScriptEngine::State
{
    struct Window
    {
        duk_context* context = nullptr;
        Clock::duration used {};
        bool blnOutOfTime = false;
    };

    ScriptLimits limits;
    BlockHeader list {};
    GuardedChunks guarded { kGuardedChunkBytes, 0 };
    size_t lngLive = 0;
    int intRefusals = 0;
    duk_context* context = nullptr;
    bool blnAlive = false;
    Clock::time_point deadline;
    // While a script runs: the moment past its deadline at which the heap is given up, because
    // the script could not be stopped in time (see Overrun). Never outside a run.
    Clock::time_point abandonAt = Clock::time_point::max();
    unsigned intAllocations = 0;
    std::vector<Window> windows;
    std::vector<ScriptNative> natives;

    static State* Of(void* udata) { return static_cast<State*>(udata); }

    void* Refuse()
    {
        // The interpreter answers a refused block by collecting garbage and asking again. A second
        // refusal in a row means the heap is full of live data: instead of letting the script catch
        // the error and try again (each try costing several full collections), the heap is given
        // up at once. The interpreter's fatal path throws a C++ exception that no script and no
        // protected call catches; Run() catches it and the heap is never entered again.
        if (++intRefusals >= 2 && context)
            duk_fatal(context, "script heap budget exceeded");
        return nullptr;
    }

    // A script past its deadline stops at the next instruction, or at the next step of a pattern
    // match; a built-in that runs long without either (a search through a long string, a
    // string built of millions of characters) is caught here, where it asks for memory. Asked
    // for every large block and every 64th small one, to keep the clock off the common path.
    void Overrun(size_t lngSize)
    {
        if ((lngSize < 65536 && (++intAllocations & 63U) != 0) || abandonAt == Clock::time_point::max())
            return;
        if (context && Clock::now() > abandonAt) {
            abandonAt = Clock::time_point::max();
            duk_fatal(context, "script could not be stopped in time");
        }
    }

    void Link(BlockHeader* block, size_t lngSize)
    {
        block->lngSize = lngSize;
        block->lngMark = kLinkedMark;
        block->previous = &list;
        block->next = list.next;
        list.next->previous = block;
        list.next = block;
        lngLive += lngSize;
        intRefusals = 0;
    }

    void Unlink(BlockHeader* block)
    {
        block->previous->next = block->next;
        block->next->previous = block->previous;
        lngLive -= block->lngSize;
    }

    static void* Allocate(void* udata, duk_size_t lngSize)
    {
        State* state = Of(udata);
        state->Overrun(lngSize);
        if (lngSize > static_cast<size_t>(state->limits.lngHeapBytes) - state->lngLive)
            return state->Refuse();
        if (GuardedChunks::kEnabled && lngSize <= kLargestGuarded) {
            if (void* guarded = state->guarded.Take(lngSize)) {
                state->lngLive += lngSize;
                state->intRefusals = 0;
                return guarded;
            }
        }
        auto* block = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + lngSize));
        if (!block)
            return state->Refuse();
        state->Link(block, lngSize);
        return block + 1;
    }

    static void* Reallocate(void* udata, void* pointer, duk_size_t lngSize)
    {
        if (!pointer)
            return Allocate(udata, lngSize);
        State* state = Of(udata);
        if (IsGuarded(pointer)) {
            // A guarded block moves at every change of size; its old place is never used again.
            const size_t lngOld = GuardedChunks::SizeOf(pointer);
            state->lngLive -= lngOld;
            void* moved = lngSize == 0 ? nullptr : Allocate(udata, lngSize);
            if (lngSize != 0 && !moved) {
                state->lngLive += lngOld;
                return nullptr;
            }
            if (moved)
                std::memcpy(moved, pointer, std::min<size_t>(lngOld, lngSize));
            GuardedChunks::Give(pointer);
            return moved;
        }
        BlockHeader* block = static_cast<BlockHeader*>(pointer) - 1;
        if (lngSize == 0) {
            state->Unlink(block);
            std::free(block);
            return nullptr;
        }
        state->Overrun(lngSize);
        if (lngSize > block->lngSize
            && lngSize - block->lngSize > static_cast<size_t>(state->limits.lngHeapBytes) - state->lngLive)
            return state->Refuse();
        state->Unlink(block);
        auto* moved = static_cast<BlockHeader*>(std::realloc(block, sizeof(BlockHeader) + lngSize));
        if (!moved) {
            state->Link(block, block->lngSize);
            return state->Refuse();
        }
        state->Link(moved, lngSize);
        return moved + 1;
    }

    static void Free(void* udata, void* pointer)
    {
        if (!pointer)
            return;
        if (IsGuarded(pointer)) {
            Of(udata)->lngLive -= GuardedChunks::SizeOf(pointer);
            GuardedChunks::Give(pointer);
            return;
        }
        BlockHeader* block = static_cast<BlockHeader*>(pointer) - 1;
        Of(udata)->Unlink(block);
        std::free(block);
    }

    void FreeAll()
    {
        BlockHeader* block = list.next;
        while (block != &list) {
            BlockHeader* next = block->next;
            std::free(block);
            block = next;
        }
        guarded.Release();
        list.next = &list;
        list.previous = &list;
        lngLive = 0;
        context = nullptr;
        windows.clear();
        blnAlive = false;
    }
};

// Asked by the interpreter every so many instructions; true stops the running script with an
// error that keeps coming back until the script has unwound.
duk_bool_t QuorvaneScriptTimedOut(void* udata)
{
    return Clock::now() > ScriptEngine::State::Of(udata)->deadline ? 1 : 0;
}

namespace
{
ScriptEngine::State* StateOf(duk_context* context)
{
    duk_memory_functions functions;
    duk_get_memory_functions(context, &functions);
    return static_cast<ScriptEngine::State*>(functions.udata);
}

QString ToQString(duk_context* context, duk_idx_t intIndex)
{
    duk_size_t lngLength = 0;
    const char* data = duk_get_lstring(context, intIndex, &lngLength);
    return QString::fromUtf8(data, static_cast<qsizetype>(lngLength));
}

ScriptValue ReadValue(duk_context* context, duk_idx_t intIndex)
{
    switch (duk_get_type(context, intIndex)) {
    case DUK_TYPE_UNDEFINED:
    case DUK_TYPE_NONE:
        return ScriptValue();
    case DUK_TYPE_NULL:
        return ScriptValue::Null();
    case DUK_TYPE_BOOLEAN:
        return ScriptValue::Boolean(duk_get_boolean(context, intIndex) != 0);
    case DUK_TYPE_NUMBER:
        return ScriptValue::Number(duk_get_number(context, intIndex));
    case DUK_TYPE_STRING:
        return ScriptValue::String(ToQString(context, intIndex));
    default:
        duk_dup(context, intIndex);
        duk_safe_to_string(context, -1);
        ScriptValue value = ScriptValue::String(ToQString(context, -1));
        duk_pop(context);
        return value;
    }
}

void PushValue(duk_context* context, const ScriptValue& value)
{
    switch (value.type) {
    case ScriptValue::Type::Undefined:
        duk_push_undefined(context);
        break;
    case ScriptValue::Type::Null:
        duk_push_null(context);
        break;
    case ScriptValue::Type::Boolean:
        duk_push_boolean(context, value.blnValue ? 1 : 0);
        break;
    case ScriptValue::Type::Number:
        duk_push_number(context, value.dblValue);
        break;
    case ScriptValue::Type::String: {
        const QByteArray utf8 = value.strValue.toUtf8();
        duk_push_lstring(context, utf8.constData(), static_cast<duk_size_t>(utf8.size()));
        break;
    }
    case ScriptValue::Type::NumberList: {
        const duk_idx_t intArray = duk_push_array(context);
        for (size_t lngItem = 0; lngItem < value.numbers.size(); ++lngItem) {
            duk_push_number(context, value.numbers[lngItem]);
            duk_put_prop_index(context, intArray, static_cast<duk_uarridx_t>(lngItem));
        }
        break;
    }
    }
}

duk_ret_t CallNative(duk_context* context)
{
    ScriptEngine::State* state = StateOf(context);
    duk_push_current_function(context);
    duk_get_prop_string(context, -1, kNativeKey);
    const size_t lngNative = static_cast<size_t>(duk_get_uint(context, -1));
    duk_pop_2(context);
    const duk_idx_t intCount = duk_get_top(context);
    ScriptArgs args;
    args.reserve(static_cast<size_t>(intCount));
    for (duk_idx_t intArg = 0; intArg < intCount; ++intArg)
        args.push_back(ReadValue(context, intArg));
    const ScriptValue result = lngNative < state->natives.size() ? state->natives[lngNative](args) : ScriptValue();
    PushValue(context, result);
    return 1;
}

QString ErrorText(duk_context* context)
{
    // An error object reads as "Name: message (line N)".
    int intLine = 0;
    if (duk_is_error(context, -1)) {
        duk_get_prop_string(context, -1, "lineNumber");
        intLine = duk_get_int(context, -1);
        duk_pop(context);
    }
    duk_safe_to_string(context, -1);
    QString strText = ToQString(context, -1);
    if (intLine > 0 && !strText.contains(QLatin1String("(line ")))
        strText += QStringLiteral(" (line %1)").arg(intLine);
    return strText;
}
} // namespace

int ScriptValue::ToInt(int intDefault) const
{
    double dblNumber = 0;
    if (type == Type::Number)
        dblNumber = dblValue;
    else if (type == Type::Boolean)
        dblNumber = blnValue ? 1 : 0;
    else if (type == Type::String) {
        bool blnOk = false;
        dblNumber = strValue.trimmed().toDouble(&blnOk);
        if (!blnOk)
            return intDefault;
    } else
        return intDefault;
    if (std::isnan(dblNumber))
        return intDefault;
    if (dblNumber >= 2147483647.0)
        return 2147483647;
    if (dblNumber <= -2147483648.0)
        return -2147483647 - 1;
    return static_cast<int>(dblNumber);
}

QString ScriptValue::ToString() const
{
    switch (type) {
    case Type::Undefined:
        return QStringLiteral("undefined");
    case Type::Null:
        return QStringLiteral("null");
    case Type::Boolean:
        return blnValue ? QStringLiteral("true") : QStringLiteral("false");
    case Type::Number:
        if (dblValue == std::floor(dblValue) && std::fabs(dblValue) < 1e15)
            return QString::number(static_cast<qint64>(dblValue));
        return QString::number(dblValue, 'g', 17);
    case Type::String:
        return strValue;
    case Type::NumberList:
        break;
    }
    QStringList items;
    for (double dblItem : numbers)
        items.append(ScriptValue::Number(dblItem).ToString());
    return items.join(QLatin1Char(','));
}

bool ScriptValue::ToBool() const
{
    switch (type) {
    case Type::Boolean:
        return blnValue;
    case Type::Number:
        return dblValue != 0 && !std::isnan(dblValue);
    case Type::String:
        return !strValue.isEmpty();
    case Type::NumberList:
        return true;
    default:
        return false;
    }
}

ScriptEngine::ScriptEngine(const ScriptLimits& limits)
    : m_state(std::make_unique<State>())
{
    m_state->limits = limits;
    // Guarded blocks are never reused: past twice the budget in chunks, blocks are linked ones.
    m_state->guarded.SetLimit(2 * static_cast<size_t>(std::max<qint64>(0, limits.lngHeapBytes)));
    m_state->list.next = &m_state->list;
    m_state->list.previous = &m_state->list;
    m_state->deadline = Clock::now() + std::chrono::milliseconds(limits.intTimeBudgetMs);
    try {
        // No fatal handler of our own: the interpreter's own throws the exception that Run() and
        // the other entries catch.
        m_state->context = duk_create_heap(&State::Allocate, &State::Reallocate, &State::Free, m_state.get(), nullptr);
    } catch (const std::exception&) {
        m_state->context = nullptr;
    }
    if (m_state->context)
        m_state->blnAlive = true;
    else
        m_state->FreeAll();
}

ScriptEngine::~ScriptEngine()
{
    // Freed block by block rather than through the interpreter, which would run finalizers.
    m_state->FreeAll();
}

bool ScriptEngine::IsAlive() const
{
    return m_state->blnAlive;
}

bool ScriptEngine::IsOutOfTime(int intWindow) const
{
    if (intWindow < 0 || intWindow >= static_cast<int>(m_state->windows.size()))
        return true;
    return m_state->windows[static_cast<size_t>(intWindow)].blnOutOfTime || m_state->limits.deadline.hasExpired();
}

qint64 ScriptEngine::HeapBytes() const
{
    return static_cast<qint64>(m_state->lngLive);
}

int ScriptEngine::CreateWindow()
{
    if (!m_state->blnAlive)
        return -1;
    try {
        duk_context* context = m_state->context;
        duk_push_thread_new_globalenv(context);
        State::Window window;
        window.context = duk_get_context(context, -1);
        // Kept in the heap's stash so that the collector leaves the window alone.
        duk_push_heap_stash(context);
        duk_dup(context, -2);
        duk_put_prop_index(context, -2, static_cast<duk_uarridx_t>(m_state->windows.size()));
        duk_pop_2(context);
        m_state->windows.push_back(window);
        return static_cast<int>(m_state->windows.size()) - 1;
    } catch (const std::exception&) {
        m_state->FreeAll();
        return -1;
    }
}

void ScriptEngine::DefineNative(int intWindow, const char* strName, ScriptNative native)
{
    if (!m_state->blnAlive || intWindow < 0 || intWindow >= static_cast<int>(m_state->windows.size()))
        return;
    try {
        duk_context* context = m_state->windows[static_cast<size_t>(intWindow)].context;
        m_state->natives.push_back(std::move(native));
        duk_push_global_object(context);
        duk_push_c_function(context, &CallNative, DUK_VARARGS);
        duk_push_uint(context, static_cast<duk_uint_t>(m_state->natives.size() - 1));
        duk_put_prop_string(context, -2, kNativeKey);
        duk_put_prop_string(context, -2, strName);
        duk_pop(context);
    } catch (const std::exception&) {
        m_state->FreeAll();
    }
}

void ScriptEngine::LinkWindow(int intHost, const QString& strObject, const QString& strKey, int intTarget)
{
    const int intCount = static_cast<int>(m_state->windows.size());
    if (!m_state->blnAlive || intHost < 0 || intHost >= intCount || intTarget < 0 || intTarget >= intCount)
        return;
    try {
        duk_context* host = m_state->windows[static_cast<size_t>(intHost)].context;
        duk_context* target = m_state->windows[static_cast<size_t>(intTarget)].context;
        duk_push_global_object(host);
        if (!strObject.isEmpty()) {
            const QByteArray object = strObject.toUtf8();
            if (!duk_get_prop_string(host, -1, object.constData()) || !duk_is_object(host, -1)) {
                duk_pop(host);
                duk_push_array(host);
                duk_dup_top(host);
                duk_put_prop_string(host, -3, object.constData());
            }
        }
        duk_push_global_object(target);
        duk_xmove_top(host, target, 1);
        const QByteArray key = strKey.toUtf8();
        duk_put_prop_string(host, -2, key.constData());
        duk_pop_n(host, strObject.isEmpty() ? 1 : 2);
    } catch (const std::exception&) {
        m_state->FreeAll();
    }
}

namespace
{
struct CompileArgs
{
    const QByteArray* code;
};

duk_ret_t CompileAndRun(duk_context* context, void* udata)
{
    const QByteArray& code = *static_cast<CompileArgs*>(udata)->code;
    // The name is on the stack; the compiler takes it from there.
    duk_compile_lstring_filename(context, 0, code.constData(), static_cast<duk_size_t>(code.size()));
    duk_call(context, 0);
    return 1;
}
} // namespace

namespace
{
// Runs one entry into the interpreter under the window's remaining time budget. A heap that
// outgrew its budget, or whose script ran past its stop grace, ends here as an exception: it is
// freed and never entered again.
template <typename Body>
bool Run(ScriptEngine::State* state, int intWindow, QString* strError, Body body, ScriptValue* result)
{
    if (strError)
        strError->clear();
    if (result)
        *result = ScriptValue();
    if (!state->blnAlive || intWindow < 0 || intWindow >= static_cast<int>(state->windows.size())) {
        if (strError)
            *strError = QStringLiteral("scripts are stopped");
        return false;
    }
    ScriptEngine::State::Window& window = state->windows[static_cast<size_t>(intWindow)];
    const auto budget = std::chrono::milliseconds(state->limits.intTimeBudgetMs);
    if (window.blnOutOfTime || window.used >= budget) {
        window.blnOutOfTime = true;
        if (strError)
            *strError = QStringLiteral("the script time of this document is spent");
        return false;
    }
    duk_context* context = window.context;
    const Clock::time_point start = Clock::now();
    state->deadline = start + (budget - window.used);
    if (!state->limits.deadline.isForever()) {
        const auto left = state->limits.deadline.remainingTimeAsDuration();
        if (left <= Clock::duration::zero()) {
            if (strError)
                *strError = QStringLiteral("the time of the page's navigation is spent");
            return false;
        }
        state->deadline = std::min(state->deadline, start + std::chrono::duration_cast<Clock::duration>(left));
    }
    state->abandonAt = state->deadline + std::chrono::milliseconds(std::max(0, state->limits.intStopGraceMs));
    bool blnOk = false;
    try {
        const duk_idx_t intTop = duk_get_top(context);
        blnOk = body(context);
        if (blnOk && result)
            *result = ReadValue(context, -1);
        else if (!blnOk && strError)
            *strError = ErrorText(context);
        duk_set_top(context, intTop);
    } catch (const std::exception& error) {
        state->abandonAt = Clock::time_point::max();
        state->FreeAll();
        if (strError)
            *strError = QStringLiteral("scripts stopped: %1").arg(QString::fromUtf8(error.what()));
        return false;
    }
    state->abandonAt = Clock::time_point::max();
    const Clock::time_point end = Clock::now();
    window.used += end - start;
    if (end > state->deadline)
        window.blnOutOfTime = true;
    return blnOk;
}
} // namespace

bool ScriptEngine::Evaluate(int intWindow, const QString& strCode, const QString& strName, QString* strError)
{
    const QByteArray code = strCode.toUtf8();
    const QByteArray name = strName.toUtf8();
    CompileArgs args { &code };
    return Run(
        m_state.get(), intWindow, strError,
        [&](duk_context* context) {
            duk_push_lstring(context, name.constData(), static_cast<duk_size_t>(name.size()));
            return duk_safe_call(context, &CompileAndRun, &args, 1, 1) == DUK_EXEC_SUCCESS;
        },
        nullptr);
}

namespace
{
// Compiled code of the program's own scripts, by their text's address.
QHash<const char*, QByteArray>& CompiledOwnCode(QMutex** mutex)
{
    static QMutex lock;
    static QHash<const char*, QByteArray> compiled;
    *mutex = &lock;
    return compiled;
}

struct OwnCodeArgs
{
    const char* strCode;
    QByteArray compiled;
};

duk_ret_t CompileOwnCode(duk_context* context, void* udata)
{
    auto* args = static_cast<OwnCodeArgs*>(udata);
    if (args->compiled.isEmpty()) {
        duk_compile_string_filename(context, 0, args->strCode);
        duk_dup_top(context);
        duk_dump_function(context);
        duk_size_t lngSize = 0;
        const void* data = duk_get_buffer(context, -1, &lngSize);
        args->compiled = QByteArray(static_cast<const char*>(data), static_cast<qsizetype>(lngSize));
        duk_pop(context);
    } else {
        void* buffer = duk_push_fixed_buffer(context, static_cast<duk_size_t>(args->compiled.size()));
        std::memcpy(buffer, args->compiled.constData(), static_cast<size_t>(args->compiled.size()));
        duk_load_function(context);
    }
    duk_call(context, 0);
    return 1;
}
} // namespace

bool ScriptEngine::EvaluateOwnCode(int intWindow, const char* strCode, const QString& strName, QString* strError)
{
    QMutex* mutex = nullptr;
    QHash<const char*, QByteArray>& cache = CompiledOwnCode(&mutex);
    OwnCodeArgs args { strCode, {} };
    {
        QMutexLocker locker(mutex);
        args.compiled = cache.value(strCode);
    }
    const bool blnFirst = args.compiled.isEmpty();
    const QByteArray name = strName.toUtf8();
    const bool blnOk = Run(
        m_state.get(), intWindow, strError,
        [&](duk_context* context) {
            duk_push_lstring(context, name.constData(), static_cast<duk_size_t>(name.size()));
            return duk_safe_call(context, &CompileOwnCode, &args, 1, 1) == DUK_EXEC_SUCCESS;
        },
        nullptr);
    // Kept once compiled, even when running it failed: a run out of time says nothing against the
    // code, and compiling again would only take more of the next window's time.
    if (blnFirst && !args.compiled.isEmpty()) {
        QMutexLocker locker(mutex);
        cache.insert(strCode, args.compiled);
    }
    return blnOk;
}

void ScriptEngine::ProvideCompiledOwnCode(const char* strCode, const unsigned char* compiled, int intSize)
{
    if (compiled == nullptr || intSize <= 0)
        return;
    QMutex* mutex = nullptr;
    QHash<const char*, QByteArray>& cache = CompiledOwnCode(&mutex);
    QMutexLocker locker(mutex);
    if (!cache.contains(strCode))
        cache.insert(strCode, QByteArray::fromRawData(reinterpret_cast<const char*>(compiled), intSize));
}

bool ScriptEngine::Call(
    int intWindow, const char* strFunction, const ScriptArgs& args, ScriptValue* result, QString* strError)
{
    return Run(
        m_state.get(), intWindow, strError,
        [&](duk_context* context) {
            duk_get_global_string(context, strFunction);
            for (const ScriptValue& arg : args)
                PushValue(context, arg);
            return duk_pcall(context, static_cast<duk_idx_t>(args.size())) == DUK_EXEC_SUCCESS;
        },
        result);
}
