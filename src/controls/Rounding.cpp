#include "controls/Rounding.h"

#include <algorithm>
#include <cmath>

int RoundHalfEven(double dblValue)
{
    if (std::isnan(dblValue))
        return 0;
    const double dblLimited = std::clamp(dblValue, -2147483648.0, 2147483647.0);
    double dblRounded = std::floor(dblLimited);
    const double dblFraction = dblLimited - dblRounded;
    if (dblFraction > 0.5 || (dblFraction == 0.5 && std::fmod(dblRounded, 2.0) != 0.0))
        dblRounded += 1.0;
    return static_cast<int>(std::min(dblRounded, 2147483647.0));
}
