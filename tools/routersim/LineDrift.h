#pragma once

#include "SimOptions.h"

#include <string>

// The "drift" scenario: a line whose values follow the time of day and which resyncs now and
// then, on a compressed clock (an hour of line in a minute, intSpeedUp), so that a watch of a few
// minutes shows a real day. The simulated day begins at 18:00, when the margins start to fall.
struct LineValues
{
    bool blnShowtime = true; // false while the line trains after a resync
    double dblSnrDown = 0;
    double dblSnrUp = 0;
    double dblAttenuationDown = 0;
    double dblAttenuationUp = 0;
    int intRateDown = 0;
    int intRateUp = 0;
    long lngUptimeSeconds = 0;
    int intResyncs = 0; // resyncs so far
};

inline constexpr int intSpeedUp = 60;
// A resync every this many simulated seconds; the line then trains for intTrainingSeconds.
inline constexpr long lngResyncEvery = 5L * 3600 + 1800;
inline constexpr long lngTrainingSeconds = 120;

// The line dblSimSeconds of simulated time after the router started.
LineValues DriftingLine(double dblSimSeconds);

// The body of the class's ADSL status page showing those values, in the markup of its normal page.
std::string DriftAdslBody(RouterClass routerClass, const LineValues& line);
