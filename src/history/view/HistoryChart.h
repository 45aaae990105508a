#pragma once

#include "history/LineSample.h"

class QChart;

// The plot of a history between dtFrom and dtTo (both UTC; invalid: from the first or to the last
// sample): SNR margins and attenuation in dB against the left axis, rates in kbps against the
// right one, each value broken into separate pieces at the gaps, and every resync marked.
QChart* BuildHistoryChart(const LineHistory& history, const QDateTime& dtFrom, const QDateTime& dtTo);
