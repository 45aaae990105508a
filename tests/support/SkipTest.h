#pragma once

#include <QTest>

// Skips the rest of the current test with a message, like QSKIP, without the empty variadic
// macro argument that pedantic compilers warn about.
#define QUORVANE_SKIP(message)                                                                                         \
    do {                                                                                                               \
        QTest::qSkip(message, __FILE__, __LINE__);                                                                     \
        return;                                                                                                        \
    } while (false)
