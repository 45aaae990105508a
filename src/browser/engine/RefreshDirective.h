#pragma once

#include <QString>

// The value of a Refresh header or of <meta http-equiv="refresh" content="...">: a delay in
// seconds, optionally followed by the address to go to ("5; url=/status.htm"). Without an
// address the page reloads itself.
struct RefreshDirective
{
    bool blnValid = false;
    int intDelaySeconds = 0; // at most intMaxDelaySeconds
    QString strUrl; // empty: reload the same page

    static constexpr int intMaxDelaySeconds = 24 * 60 * 60;
};

// Reads a refresh value the way browsers do: leading digits give the delay (a fraction is
// ignored), then after ';' or ',' an optional "url=" and the address, with or without quotes.
// A value without leading digits (or a leading '.') is not a refresh.
RefreshDirective ParseRefresh(const QString& strContent);
