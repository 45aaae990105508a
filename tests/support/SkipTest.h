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

// The Windows libcurl answers Digest through the system's security package (SSPI); under Wine that
// login fails.
inline const char* const kWineDigest = "Digest login through the system's security package fails under Wine";

// Under Wine a connection that the server resets reads as one closed in order, so an answer cut off
// without a length looks whole.
inline const char* const kWineReset = "under Wine a reset connection reads as one closed in order";
