#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "Platform/Coding/CodingKey.h"
#include "Platform/Coding/CodingTraits.h"
#include "Platform/Coding/DecodingError.h"

namespace platform {

class KeyedDecodingContainer;
class UnkeyedDecodingContainer;
class SingleValueDecodingContainer;

namespace detail {

// A name for T in error messages.
template <class T>
std::string codingTypeName() {
  if constexpr (std::same_as<T, bool>) {
    return "bool";
  } else if constexpr (std::same_as<T, std::string>) {
    return "string";
  } else if constexpr (std::same_as<T, double>) {
    return "double";
  } else if constexpr (std::same_as<T, float>) {
    return "float";
  } else if constexpr (CodingInteger<T>) {
    return (std::is_signed_v<T> ? "int" : "uint") + std::to_string(sizeof(T) * 8) + "_t";
  } else {
    return "value";
  }
}

// Throws DecodingError.dataCorrupted: the number is out of the type's range.
[[noreturn]] void throwNumberDoesNotFit(CodingPath path, double number, const std::string& type);
[[noreturn]] void throwNumberDoesNotFit(CodingPath path, std::int64_t number, const std::string& type);
[[noreturn]] void throwNumberDoesNotFit(CodingPath path, std::uint64_t number, const std::string& type);

// Decodes a T through a container's virtual operations: `read` takes a
// std::type_identity tag for a primitive or a DecodableTarget, and
// `pathOfValue` gives the path for an error about the value itself.
template <Decodable T, class Read, class PathOfValue>
T decodeThrough(Read&& read, PathOfValue&& pathOfValue) {
  if constexpr (std::same_as<T, bool> || std::same_as<T, std::string> || std::same_as<T, double> ||
                std::same_as<T, std::int64_t> || std::same_as<T, std::uint64_t>) {
    return read(std::type_identity<T>{});
  } else if constexpr (std::same_as<T, float>) {
    const double value = read(std::type_identity<double>{});
    if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<float>::max()) {
      throwNumberDoesNotFit(pathOfValue(), value, codingTypeName<T>());
    }
    return static_cast<float>(value);
  } else if constexpr (CodingInteger<T>) {
    using Wide = std::conditional_t<std::is_signed_v<T>, std::int64_t, std::uint64_t>;
    const Wide value = read(std::type_identity<Wide>{});
    if (!std::in_range<T>(value)) throwNumberDoesNotFit(pathOfValue(), value, codingTypeName<T>());
    return static_cast<T>(value);
  } else {
    std::optional<T> value;
    read(DecodableTarget(value));
    if (!value) fatal("A decoder finished decoding a value without producing it");
    return std::move(*value);
  }
}

}  // namespace detail

// What a value reads itself from; see Encoder. Every operation may throw
// (DecodingError, or whatever a custom step throws).
class Decoder {
 public:
  virtual ~Decoder() = default;

  virtual const CodingPath& codingPath() const = 0;
  virtual const CodingUserInfo& userInfo() const = 0;
  virtual std::shared_ptr<KeyedDecodingContainer> container() = 0;
  virtual std::shared_ptr<UnkeyedDecodingContainer> unkeyedContainer() = 0;
  virtual std::shared_ptr<SingleValueDecodingContainer> singleValueContainer() = 0;
};

// Users call the templates; decoders implement the virtual operations.
// Integers of every width and floats are read through the 64-bit and double
// forms and checked to fit.
class KeyedDecodingContainer {
 public:
  virtual ~KeyedDecodingContainer() = default;

  virtual const CodingPath& codingPath() const = 0;
  virtual std::vector<CodingKey> allKeys() const = 0;
  virtual bool contains(const CodingKey& key) const = 0;
  // Whether the value for `key` is null.
  virtual bool decodeNil(const CodingKey& key) = 0;
  virtual bool decode(std::type_identity<bool>, const CodingKey& key) = 0;
  virtual std::string decode(std::type_identity<std::string>, const CodingKey& key) = 0;
  virtual double decode(std::type_identity<double>, const CodingKey& key) = 0;
  virtual std::int64_t decode(std::type_identity<std::int64_t>, const CodingKey& key) = 0;
  virtual std::uint64_t decode(std::type_identity<std::uint64_t>, const CodingKey& key) = 0;
  virtual void decode(const DecodableTarget& target, const CodingKey& key) = 0;
  virtual std::shared_ptr<KeyedDecodingContainer> nestedContainer(const CodingKey& key) = 0;
  virtual std::shared_ptr<UnkeyedDecodingContainer> nestedUnkeyedContainer(const CodingKey& key) = 0;
  virtual std::shared_ptr<Decoder> superDecoder() = 0;
  virtual std::shared_ptr<Decoder> superDecoder(const CodingKey& key) = 0;

  template <Decodable T>
  T decode(const CodingKey& key) {
    return detail::decodeThrough<T>([&](const auto& request) { return decode(request, key); },
                                    [&] { return appending(codingPath(), key); });
  }
  // Absent when the key is missing or its value is null.
  template <Decodable T>
  std::optional<T> decodeIfPresent(const CodingKey& key) {
    if (!contains(key) || decodeNil(key)) return std::nullopt;
    return decode<T>(key);
  }
};

// Reads values in order; each successful read moves to the next position.
class UnkeyedDecodingContainer {
 public:
  virtual ~UnkeyedDecodingContainer() = default;

  virtual const CodingPath& codingPath() const = 0;
  // The number of values, when the decoder knows it.
  virtual std::optional<std::int64_t> count() const = 0;
  virtual bool isAtEnd() const = 0;
  virtual std::int64_t currentIndex() const = 0;
  // Whether the next value is null; moves past it only if it is.
  virtual bool decodeNil() = 0;
  virtual bool decode(std::type_identity<bool>) = 0;
  virtual std::string decode(std::type_identity<std::string>) = 0;
  virtual double decode(std::type_identity<double>) = 0;
  virtual std::int64_t decode(std::type_identity<std::int64_t>) = 0;
  virtual std::uint64_t decode(std::type_identity<std::uint64_t>) = 0;
  virtual void decode(const DecodableTarget& target) = 0;
  virtual std::shared_ptr<KeyedDecodingContainer> nestedContainer() = 0;
  virtual std::shared_ptr<UnkeyedDecodingContainer> nestedUnkeyedContainer() = 0;
  virtual std::shared_ptr<Decoder> superDecoder() = 0;

  template <Decodable T>
  T decode() {
    const std::int64_t index = currentIndex();
    return detail::decodeThrough<T>([&](const auto& request) { return decode(request); },
                                    [&] { return appending(codingPath(), CodingKey::index(index)); });
  }
};

class SingleValueDecodingContainer {
 public:
  virtual ~SingleValueDecodingContainer() = default;

  virtual const CodingPath& codingPath() const = 0;
  virtual bool decodeNil() = 0;
  virtual bool decode(std::type_identity<bool>) = 0;
  virtual std::string decode(std::type_identity<std::string>) = 0;
  virtual double decode(std::type_identity<double>) = 0;
  virtual std::int64_t decode(std::type_identity<std::int64_t>) = 0;
  virtual std::uint64_t decode(std::type_identity<std::uint64_t>) = 0;
  virtual void decode(const DecodableTarget& target) = 0;

  template <Decodable T>
  T decode() {
    return detail::decodeThrough<T>([&](const auto& request) { return decode(request); }, [&] { return codingPath(); });
  }
};

}  // namespace platform
