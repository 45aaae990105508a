#pragma once

#include <QLatin1Char>
#include <QLatin1String>
#include <QString>
#include <cstdlib>

// A broken property ends the fuzzer's run at once, so that libFuzzer keeps the input.
inline void Check(bool blnHolds)
{
    if (!blnHolds)
        std::abort();
}

// Text the engine hands on breaks its lines with CR LF only.
inline void CheckLineBreaks(const QString& strText)
{
    Check(strText.count(QLatin1Char('\n')) == strText.count(QLatin1String("\r\n")));
}
