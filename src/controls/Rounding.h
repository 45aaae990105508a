#pragma once

// Rounds to the nearest whole number with halves going to the even neighbour (2.5 gives 2, 3.5
// gives 4, -2.5 gives -2), the rounding used for every pixel position the controls compute.
// Values beyond the int range are limited to it; NaN gives 0.
int RoundHalfEven(double dblValue);
