#pragma once

#include <QTest>

// Skips the rest of the current test with a message, like QSKIP, without the empty variadic
// macro argument that pedantic compilers warn about.
#define QUORVANE_SKIP(message)                                                                                         \
    do {                                                                                                               \
        QTest::qSkip(message, __FILE__, __LINE__);                                                                     \
        return;                                                                                                        \
    } while (false)

// True when the test runs under Wine rather than on Windows itself, for the few checks whose
// outcome depends on what Wine does not share with Windows (its fonts, its console).
bool RunsUnderWine();

// Under Wine a script that fills its heap's budget is never stopped: the exception with which the
// engine gives up the full heap is raised (WINEDEBUG=+seh shows it) but never reaches its handler,
// and the program spins until the test's watchdog ends it. The same exception raised by the time
// bound, from the same allocator, is caught there. Not yet tried on Windows itself.
inline const char* const kWineHeapStop
    = "under Wine the exception that gives up a full script heap never reaches its handler";
