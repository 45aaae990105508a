#pragma once

#include <QLatin1Char>
#include <QLatin1String>
#include <QString>
#include <cstdio>
#include <cstdlib>

// A broken property ends the fuzzer's run at once, so that libFuzzer keeps the input; the line of
// the broken check goes to the log first, since the stack trace stops short of it.
inline void Check(bool blnHolds, const char* pszFile = __builtin_FILE(), int nLine = __builtin_LINE())
{
    if (!blnHolds) {
        std::fprintf(stderr, "property broken: %s:%d\n", pszFile, nLine);
        std::abort();
    }
}

// Text the engine hands on breaks its lines with CR LF only.
inline void CheckLineBreaks(const QString& strText)
{
    Check(strText.count(QLatin1Char('\n')) == strText.count(QLatin1String("\r\n")));
}
