#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "Platform/Coding/JSONValue.h"
#include "Platform/Coding/StoredInteger.h"
#include "Platform/Coding/detail/OrderedDictionary.h"
#include "Platform/Foundation/Date.h"

namespace wendanet {

class ParameterValue;

// Request parameters: text keys to values, in the order they were set.
using Parameters = platform::detail::OrderedDictionary<ParameterValue>;
using ParameterArray = std::vector<ParameterValue>;

// One parameter value: null, a boolean, a number, text, a list, a nested
// dictionary, or a date (which has no JSON form). Booleans, integers and
// doubles stay apart, so true, 1 and 1.0 are three different values.
class ParameterValue {
 public:
  using Storage = std::variant<std::nullptr_t, bool, std::int64_t, std::uint64_t, double, std::string, ParameterArray,
                               Parameters, platform::Date>;

  ParameterValue(std::nullptr_t = nullptr) {}
  ParameterValue(bool value) : storage_(value) {}
  template <std::integral Integer>
    requires(!std::same_as<Integer, bool>)
  ParameterValue(Integer value) : storage_(platform::storedInteger<Storage>(value)) {}
  ParameterValue(double value) : storage_(value) {}
  ParameterValue(std::string value) : storage_(std::move(value)) {}
  ParameterValue(std::string_view value) : storage_(std::string(value)) {}
  ParameterValue(const char* value) : storage_(std::string(value)) {}
  ParameterValue(ParameterArray value) : storage_(std::move(value)) {}
  ParameterValue(Parameters value) : storage_(std::move(value)) {}
  ParameterValue(platform::Date value) : storage_(value) {}

  const Storage& storage() const { return storage_; }
  template <class T>
  const T* as() const {
    return std::get_if<T>(&storage_);
  }

  // The JSON form, or absent when a date is anywhere inside.
  std::optional<platform::JSONValue> jsonValue() const;

  friend bool operator==(const ParameterValue&, const ParameterValue&) = default;

 private:
  Storage storage_;
};

// The JSON form of a whole dictionary, or absent when a date is anywhere
// inside.
std::optional<platform::JSONValue> jsonValue(const Parameters& parameters);

}  // namespace wendanet
