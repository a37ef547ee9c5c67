#include "Platform/Coding/detail/NumberText.h"

#include <array>
#include <charconv>
#include <cmath>

namespace platform::detail {

std::string jsonNumberText(double value) {
  // Without its fraction it would read back as the integer 0.
  if (value == 0 && std::signbit(value)) return "-0.0";
  std::array<char, 64> buffer{};
  const double magnitude = std::fabs(value);
  const bool plain = magnitude == 0 || (magnitude >= 1e-4 && magnitude < 1e16);
  const auto format = plain ? std::chars_format::fixed : std::chars_format::scientific;
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, format);
  return std::string(buffer.data(), result.ptr);
}

double doubleFromFloat(float value) {
  if (!std::isfinite(value)) return value;
  std::array<char, 32> buffer{};
  const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  double result = value;
  std::from_chars(buffer.data(), written.ptr, result);
  return result;
}

}  // namespace platform::detail
