#include "LineDrift.h"

#include <cmath>
#include <cstdio>

namespace
{
constexpr double dblPi = 3.14159265358979323846;

std::string Fixed(double dblValue)
{
    char buffer[32];
    std::snprintf(buffer, sizeof(buffer), "%.1f", dblValue);
    return buffer;
}
} // namespace

LineValues DriftingLine(double dblSimSeconds)
{
    LineValues line;
    const long lngSeconds = static_cast<long>(dblSimSeconds);
    line.intResyncs = static_cast<int>(lngSeconds / lngResyncEvery);
    const long lngSinceResync = lngSeconds % lngResyncEvery;
    line.blnShowtime = line.intResyncs == 0 || lngSinceResync >= lngTrainingSeconds;
    line.lngUptimeSeconds = line.intResyncs == 0 ? lngSeconds + 7200 : lngSinceResync - lngTrainingSeconds;
    // The day starts at 18:00; the margin is lowest around 21:00 and highest in the early morning.
    const double dblHour = std::fmod(18.0 + dblSimSeconds / 3600.0, 24.0);
    const double dblDay = std::cos(2.0 * dblPi * (dblHour - 21.0) / 24.0);
    // A slow wobble that repeats no whole number of times a day, so the plot is not too smooth.
    const double dblWobble = 0.3 * std::sin(dblSimSeconds / 1100.0) + 0.15 * std::sin(dblSimSeconds / 230.0);
    line.dblSnrDown = std::round((9.0 - 2.4 * dblDay + dblWobble) * 10.0) / 10.0;
    line.dblSnrUp = std::round((11.5 - 0.6 * dblDay + dblWobble / 2) * 10.0) / 10.0;
    line.dblAttenuationDown = std::round((31.0 + 0.3 * dblDay) * 10.0) / 10.0;
    line.dblAttenuationUp = 17.0;
    // After each resync the line trains to a rate that the evening noise allows.
    static const int arrRates[] = { 8128, 7616, 7872, 6912 };
    line.intRateDown = arrRates[line.intResyncs % 4];
    line.intRateUp = line.intResyncs % 3 == 2 ? 384 : 448;
    return line;
}

std::string DriftAdslBody(RouterClass routerClass, const LineValues& line)
{
    const std::string strState = line.blnShowtime ? "Showtime" : "Training";
    const std::string strSnrDown = line.blnShowtime ? Fixed(line.dblSnrDown) : "NaN";
    const std::string strSnrUp = line.blnShowtime ? Fixed(line.dblSnrUp) : "NaN";
    const std::string strRateDown = line.blnShowtime ? std::to_string(line.intRateDown) : "0";
    const std::string strRateUp = line.blnShowtime ? std::to_string(line.intRateUp) : "0";
    const std::string strUptime = std::to_string(line.lngUptimeSeconds < 0 ? 0 : line.lngUptimeSeconds);
    const std::string strAttDown = Fixed(line.dblAttenuationDown);
    const std::string strAttUp = Fixed(line.dblAttenuationUp);
    switch (routerClass) {
    case RouterClass::ClassII:
        return "<h3>ADSL</h3>\n<table class=\"status\" width=\"720\">\n<tr><td class=\"title\" colspan=\"10\">ADSL "
               "Line "
               "Status</td></tr>\n<tr><td>Description</td><td>Line State</td><td>Modulation</td><td>Down Rate "
               "(kbps)</td><td>Up Rate (kbps)</td><td>Down SNR Margin (dB)</td><td>Up SNR Margin (dB)</td><td>Down "
               "Attenuation (dB)</td><td>Up Attenuation (dB)</td><td>Uptime (s)</td></tr>\n<tr><td>Current</td><td>"
            + strState + "</td><td>ADSL2+ Annex A</td><td>" + strRateDown + "</td><td>" + strRateUp + "</td><td>"
            + strSnrDown + "</td><td>" + strSnrUp + "</td><td>" + strAttDown + "</td><td>" + strAttUp + "</td><td>"
            + strUptime + "</td></tr>\n</table>\n";
    case RouterClass::ClassV:
        return "<table class=\"box\" width=\"420\">\n<tr><td class=\"head\" colspan=\"4\">ADSL Status</td></tr>\n"
               "<tr><td>Line status: "
            + strState
            + "</td><td></td><td></td><td></td></tr>\n<tr><td></td><td>Downstream</td><td>Upstream</td><td></td></tr>\n"
              "<tr><td>SNR Margin</td><td>"
            + strSnrDown + "</td><td>" + strSnrUp + "</td><td>dB</td></tr>\n<tr><td>Line Attenuation</td><td>"
            + strAttDown + "</td><td>" + strAttUp + "</td><td>dB</td></tr>\n<tr><td>Data rate: " + strRateDown
            + " kbps down, " + strRateUp + " kbps up</td></tr>\n<tr><td>Connection time: " + strUptime
            + " s</td></tr>\n</table>\n";
    case RouterClass::ClassI:
        break;
    }
    return "<h3>ADSL Status</h3>\n<p>Line state: " + strState
        + "</p>\n<p>Modulation: G.992.5 (ADSL2+) Annex A</p>\n<table class=\"grid\" width=\"400\">\n"
          "<tr><td></td><td>Downstream</td><td>Upstream</td><td></td></tr>\n<tr><td>SNR Margin</td><td>"
        + strSnrDown + "</td><td>" + strSnrUp + "</td><td>dB</td></tr>\n<tr><td>Line Attenuation</td><td>" + strAttDown
        + "</td><td>" + strAttUp + "</td><td>dB</td></tr>\n</table>\n<p>Data rate: " + strRateDown + " kbps down, "
        + strRateUp + " kbps up</p>\n<p>Connection time: " + strUptime + " s</p>\n";
}
