#pragma once

#include <charconv>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "Platform/Coding/Decoder.h"
#include "Platform/Coding/Encoder.h"
#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/Date.h"
#include "Platform/Foundation/URL.h"

// How the standard values encode and decode themselves.
namespace platform {

// A scalar is one value in a single-value container.
template <CodingPrimitive T>
struct CodingTraits<T> {
  static void encode(const T& value, Encoder& encoder) { encoder.singleValueContainer()->encode(value); }
  static T decode(Decoder& decoder) { return decoder.singleValueContainer()->template decode<T>(); }
};

// Absent is null.
template <class T>
  requires Encodable<T> || Decodable<T>
struct CodingTraits<std::optional<T>> {
  static void encode(const std::optional<T>& value, Encoder& encoder)
    requires Encodable<T>
  {
    auto container = encoder.singleValueContainer();
    if (value) {
      container->encode(*value);
    } else {
      container->encodeNil();
    }
  }
  static std::optional<T> decode(Decoder& decoder)
    requires Decodable<T>
  {
    auto container = decoder.singleValueContainer();
    if (container->decodeNil()) return std::nullopt;
    return container->template decode<T>();
  }
};

template <class T, class Allocator>
  requires Encodable<T> || Decodable<T>
struct CodingTraits<std::vector<T, Allocator>> {
  static void encode(const std::vector<T, Allocator>& values, Encoder& encoder)
    requires Encodable<T>
  {
    auto container = encoder.unkeyedContainer();
    for (const T& value : values) container->encode(value);
  }
  static std::vector<T, Allocator> decode(Decoder& decoder)
    requires Decodable<T>
  {
    auto container = decoder.unkeyedContainer();
    std::vector<T, Allocator> values;
    if (const auto count = container->count()) values.reserve(static_cast<std::size_t>(*count));
    while (!container->isAtEnd()) values.push_back(container->template decode<T>());
    return values;
  }
};

// Map keys are text, or integers whose every value has a 64-bit signed form.
template <class Key>
concept CodingMapKey = std::same_as<Key, std::string> ||
                       (CodingInteger<Key> && std::in_range<std::int64_t>(std::numeric_limits<Key>::max()));

namespace detail {

template <CodingMapKey Key>
CodingKey codingKeyOf(const Key& key) {
  if constexpr (std::same_as<Key, std::string>) {
    return CodingKey(key);
  } else {
    return CodingKey(static_cast<std::int64_t>(key));
  }
}

[[noreturn]] void throwNotAnIntegerKey(const CodingPath& path, const CodingKey& key, const std::string& type);

template <CodingMapKey Key>
Key mapKeyOf(const CodingKey& key, const CodingPath& containerPath) {
  if constexpr (std::same_as<Key, std::string>) {
    return key.stringValue;
  } else {
    if (key.intValue && std::in_range<Key>(*key.intValue)) return static_cast<Key>(*key.intValue);
    Key value{};
    const char* end = key.stringValue.data() + key.stringValue.size();
    const auto parsed = std::from_chars(key.stringValue.data(), end, value);
    if (parsed.ec != std::errc() || parsed.ptr != end) throwNotAnIntegerKey(containerPath, key, codingTypeName<Key>());
    return value;
  }
}

// A map is a keyed container with one entry per element.
template <class Map>
struct MapCodingTraits {
  using Key = typename Map::key_type;
  using Value = typename Map::mapped_type;

  static void encode(const Map& map, Encoder& encoder)
    requires Encodable<Value>
  {
    auto container = encoder.container();
    for (const auto& [key, value] : map) container->encode(value, codingKeyOf(key));
  }
  static Map decode(Decoder& decoder)
    requires Decodable<Value>
  {
    auto container = decoder.container();
    Map map;
    for (const auto& key : container->allKeys()) {
      map.insert_or_assign(mapKeyOf<Key>(key, container->codingPath()), container->template decode<Value>(key));
    }
    return map;
  }
};

}  // namespace detail

template <CodingMapKey Key, class Value, class Compare, class Allocator>
  requires Encodable<Value> || Decodable<Value>
struct CodingTraits<std::map<Key, Value, Compare, Allocator>>
    : detail::MapCodingTraits<std::map<Key, Value, Compare, Allocator>> {};

template <CodingMapKey Key, class Value, class Hash, class Equal, class Allocator>
  requires Encodable<Value> || Decodable<Value>
struct CodingTraits<std::unordered_map<Key, Value, Hash, Equal, Allocator>>
    : detail::MapCodingTraits<std::unordered_map<Key, Value, Hash, Equal, Allocator>> {};

// Seconds since the reference date 2001-01-01T00:00:00Z, as a double.
template <>
struct CodingTraits<Date> {
  static void encode(const Date& date, Encoder& encoder);
  static Date decode(Decoder& decoder);
};

// The bytes as a list of unsigned 8-bit integers.
template <>
struct CodingTraits<Data> {
  static void encode(const Data& data, Encoder& encoder);
  static Data decode(Decoder& decoder);
};

// The URL's text, exactly as it was given.
template <>
struct CodingTraits<URL> {
  static void encode(const URL& url, Encoder& encoder);
  static URL decode(Decoder& decoder);
};

}  // namespace platform
