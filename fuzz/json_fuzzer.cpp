// JSON text through the reader, and what it read through the writer and the
// reader again: the same values must come back, -0.0 a negative double
// still.

#include <algorithm>
#include <cmath>
#include <optional>
#include <variant>

#include "Platform/Coding/JSONSerialization.h"
#include "Platform/Coding/JSONSerializationError.h"
#include "fuzz/FuzzCheck.h"

using namespace platform;

namespace {

std::optional<long double> numberIn(const JSONValue& value) {
  if (const auto* number = value.as<std::int64_t>()) return *number;
  if (const auto* number = value.as<std::uint64_t>()) return *number;
  if (const auto* number = value.as<double>()) return *number;
  return std::nullopt;
}

// Equality of what the values mean: a double with an integral value may come
// back as an integer (the writer drops ".0"), but a negative zero must stay a
// negative double.
bool same(const JSONValue& left, const JSONValue& right) {
  if (const auto* number = left.as<double>(); number && *number == 0 && std::signbit(*number)) {
    const auto* other = right.as<double>();
    return other && *other == 0 && std::signbit(*other);
  }
  if (const auto leftNumber = numberIn(left)) return leftNumber == numberIn(right);
  if (left.storage().index() != right.storage().index()) return false;
  if (const auto* array = left.as<JSONArray>()) {
    const auto& other = *right.as<JSONArray>();
    if (array->size() != other.size()) return false;
    for (std::size_t index = 0; index < array->size(); ++index) {
      if (!same((*array)[index], other[index])) return false;
    }
    return true;
  }
  if (const auto* object = left.as<JSONObject>()) {
    const auto& other = *right.as<JSONObject>();
    return object->size() == other.size() && std::equal(object->begin(), object->end(), other.begin(),
                                                        [](const auto& one, const auto& two) {
                                                          return one.first == two.first && same(one.second, two.second);
                                                        });
  }
  return left == right;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte picks the writing options.
  auto options = JSONWritingOptions::fragmentsAllowed;
  if (data[0] & 1) options = options | JSONWritingOptions::prettyPrinted;
  if (data[0] & 2) options = options | JSONWritingOptions::withoutEscapingSlashes;
  JSONValue value;
  try {
    value = JSONSerialization::jsonObject(Data(fuzz::text(data + 1, size - 1)), JSONReadingOptions::fragmentsAllowed);
  } catch (const JSONSerializationError&) {
    return 0;
  }
  if (!JSONSerialization::isValidJSONObject(value, options)) return 0;
  const auto written = JSONSerialization::data(value, options);
  JSONValue reread;
  try {
    reread = JSONSerialization::jsonObject(written, JSONReadingOptions::fragmentsAllowed);
  } catch (const JSONSerializationError&) {
    fuzz::require(false, "the writer wrote text the reader refuses");
  }
  fuzz::require(same(value, reread), "a value changed on its way through the writer");
  return 0;
}
