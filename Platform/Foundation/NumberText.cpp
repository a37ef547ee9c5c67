#include "Platform/Foundation/NumberText.h"

#include <fmt/format.h>

#include <charconv>
#include <cmath>
#include <string_view>

namespace platform {
namespace {

// Lays out the shortest significant digits of `value` (of either width, so
// a float keeps its own shortest digits instead of a double's).
template <class Number>
std::string layOut(Number value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";

  // The scientific form has the shortest digits and the exponent already
  // written as the platform writes it: d.ddde±XX.
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
  const std::string_view scientific(buffer, static_cast<std::size_t>(result.ptr - buffer));
  const std::size_t exponentMark = scientific.find('e');
  std::string_view exponentText = scientific.substr(exponentMark + 1);
  if (exponentText.front() == '+') exponentText.remove_prefix(1);
  int exponent = 0;
  std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);
  if (exponent < -4 || exponent >= 16) return std::string(scientific);

  std::string digits;
  for (char symbol : scientific.substr(0, exponentMark)) {
    if (symbol >= '0' && symbol <= '9') digits.push_back(symbol);
  }
  const std::string_view sign = scientific.front() == '-' ? "-" : "";
  if (exponent < 0) {
    return fmt::format("{}0.{}{}", sign, std::string(static_cast<std::size_t>(-exponent - 1), '0'), digits);
  }
  const auto integerDigits = static_cast<std::size_t>(exponent) + 1;
  if (digits.size() <= integerDigits) {
    return fmt::format("{}{}{}.0", sign, digits, std::string(integerDigits - digits.size(), '0'));
  }
  return fmt::format("{}{}.{}", sign, digits.substr(0, integerDigits), digits.substr(integerDigits));
}

}  // namespace

std::string numberText(double value) { return layOut(value); }
std::string numberText(float value) { return layOut(value); }

}  // namespace platform
