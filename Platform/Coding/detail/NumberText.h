#pragma once

#include <string>

namespace platform::detail {

// The shortest text that reads back to the same double, as JSON writes it:
// integral values carry no fraction ("2"), magnitudes below 1e-4 or from
// 1e16 up use an exponent ("1e+16"). Not for NaN or infinities.
std::string jsonNumberText(double value);

// The double nearest to the float's own shortest text, so that a float such
// as 0.1f is kept as 0.1 rather than as its binary expansion.
double doubleFromFloat(float value);

}  // namespace platform::detail
