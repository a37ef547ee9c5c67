#pragma once

#include <string>

namespace platform {

// The shortest text that reads back as the same number, laid out as the
// platform prints floating-point values: plain with at least one fractional
// digit ("2.0", "0.0001", "1234567890123456.0"), or in exponent form with a
// signed exponent of at least two digits ("5e-05", "1e+16") when the decimal
// exponent is below -4 or at least 16; "nan", "inf" and "-inf" otherwise.
std::string numberText(double value);
std::string numberText(float value);

}  // namespace platform
