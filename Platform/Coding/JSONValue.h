#pragma once

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "Platform/Coding/StoredInteger.h"
#include "Platform/Coding/detail/OrderedDictionary.h"

namespace platform {

class JSONValue;

// A JSON object: text keys in the order they were first set.
using JSONObject = detail::OrderedDictionary<JSONValue>;
using JSONArray = std::vector<JSONValue>;

// One JSON value. Booleans, integers and doubles stay apart, so 1, 1.0 and
// true are three different values; unsigned integers are kept only where
// they exceed the signed range.
class JSONValue {
 public:
  using Storage = std::variant<std::nullptr_t, bool, std::int64_t, std::uint64_t, double, std::string, JSONArray, JSONObject>;

  JSONValue() = default;
  JSONValue(std::nullptr_t) {}
  JSONValue(bool value) : storage_(value) {}
  template <std::integral Integer>
    requires(!std::same_as<Integer, bool>)
  JSONValue(Integer value) : storage_(platform::storedInteger<Storage>(value)) {}
  JSONValue(double value) : storage_(value) {}
  JSONValue(std::string value) : storage_(std::move(value)) {}
  JSONValue(std::string_view value) : storage_(std::string(value)) {}
  JSONValue(const char* value) : storage_(std::string(value)) {}
  JSONValue(JSONArray value) : storage_(std::move(value)) {}
  JSONValue(JSONObject value) : storage_(std::move(value)) {}

  static JSONValue array(std::initializer_list<JSONValue> elements) { return JSONArray(elements); }
  static JSONValue object(std::initializer_list<JSONObject::Entry> entries) { return JSONObject(entries); }

  const Storage& storage() const { return storage_; }

  // The value as `T` (one of the Storage alternatives), or null.
  template <class T>
  const T* as() const { return std::get_if<T>(&storage_); }
  template <class T>
  T* as() { return std::get_if<T>(&storage_); }

  bool isNull() const { return as<std::nullptr_t>() != nullptr; }
  bool isNumber() const { return as<std::int64_t>() || as<std::uint64_t>() || as<double>(); }
  bool isContainer() const { return as<JSONArray>() || as<JSONObject>(); }

  // "null", "a boolean", "a number", "a string", "an array" or "an object".
  std::string_view kindDescription() const;

  friend bool operator==(const JSONValue&, const JSONValue&) = default;

 private:
  Storage storage_;
};

}  // namespace platform
