#pragma once

#include "net/platform/EchoCodes.h"

#include <QString>

// The short text for an echo status code. Plain: the text alone ("ip req timed out"); bracketed:
// " [" + text + "]". A code outside the table reads "unknown  msg returned" (two blanks) in the
// bracketed form and "unknown msg returned" in the plain one.
QString EchoStatusText(int lngStatus, bool blnBracketed);
