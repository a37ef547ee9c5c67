#pragma once

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "Platform/Coding/Codable.h"

namespace wendalore {

// The cases of an enumeration with text raw values, in declaration order.
// Specialise with `static constexpr std::string_view typeName` and
// `static constexpr std::array cases` of {case, raw value} pairs.
template <class Enum>
struct RawValues;

template <class Enum>
concept RawValueEnum = requires {
  RawValues<Enum>::typeName;
  RawValues<Enum>::cases;
};

template <RawValueEnum Enum>
constexpr std::string_view rawValue(Enum value) {
  for (const auto& [candidate, text] : RawValues<Enum>::cases) {
    if (candidate == value) return text;
  }
  return {};
}

// Only a text equal to one of the raw values, letter case included.
template <RawValueEnum Enum>
constexpr std::optional<Enum> fromRawValue(std::string_view text) {
  for (const auto& [candidate, raw] : RawValues<Enum>::cases) {
    if (raw == text) return candidate;
  }
  return std::nullopt;
}

template <RawValueEnum Enum>
constexpr auto allCases() {
  std::array<Enum, RawValues<Enum>::cases.size()> cases{};
  std::ranges::transform(RawValues<Enum>::cases, cases.begin(), [](const auto& entry) { return entry.first; });
  return cases;
}

// The case of `text`; otherwise throws the data-corruption DecodingError at
// `path`.
template <RawValueEnum Enum>
Enum decodeRawValue(const std::string& text, platform::CodingPath path = {}) {
  if (auto value = fromRawValue<Enum>(text)) return *value;
  throw platform::DecodingError::dataCorrupted(
      {std::move(path),
       "Cannot initialize " + std::string(RawValues<Enum>::typeName) + " from invalid String value " + text,
       nullptr});
}

// The coded form: the raw value text as one single value.
template <RawValueEnum Enum>
struct RawValueCoding {
  static void encode(const Enum& value, platform::Encoder& encoder) {
    encoder.singleValueContainer()->encode(std::string(rawValue(value)));
  }
  static Enum decode(platform::Decoder& decoder) {
    auto container = decoder.singleValueContainer();
    return decodeRawValue<Enum>(container->decode<std::string>(), container->codingPath());
  }
};

}  // namespace wendalore
