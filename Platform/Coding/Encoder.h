#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "Platform/Coding/CodingKey.h"
#include "Platform/Coding/CodingTraits.h"

namespace platform {

class KeyedEncodingContainer;
class UnkeyedEncodingContainer;
class SingleValueEncodingContainer;

namespace detail {

// What a container's overloads take for `value`: integers widened to 64
// bits, the other primitives as they are, anything else by EncodableRef.
template <Encodable T>
decltype(auto) encodingArgument(const T& value) {
  if constexpr (CodingInteger<T> && std::is_signed_v<T>) {
    return static_cast<std::int64_t>(value);
  } else if constexpr (CodingInteger<T>) {
    return static_cast<std::uint64_t>(value);
  } else if constexpr (CodingPrimitive<T>) {
    return (value);
  } else {
    return EncodableRef(value);
  }
}

}  // namespace detail

// What a value writes itself into. A record asks for a keyed container, a
// list for an unkeyed one, a scalar for a single-value container. Every
// operation may throw (EncodingError, or whatever a custom step throws).
class Encoder {
 public:
  virtual ~Encoder() = default;

  virtual const CodingPath& codingPath() const = 0;
  virtual const CodingUserInfo& userInfo() const = 0;
  virtual std::shared_ptr<KeyedEncodingContainer> container() = 0;
  virtual std::shared_ptr<UnkeyedEncodingContainer> unkeyedContainer() = 0;
  virtual std::shared_ptr<SingleValueEncodingContainer> singleValueContainer() = 0;
};

// Users call the templates; encoders implement the virtual operations.
class KeyedEncodingContainer {
 public:
  virtual ~KeyedEncodingContainer() = default;

  virtual const CodingPath& codingPath() const = 0;
  virtual void encodeNil(const CodingKey& key) = 0;
  virtual void encode(bool value, const CodingKey& key) = 0;
  virtual void encode(const std::string& value, const CodingKey& key) = 0;
  virtual void encode(double value, const CodingKey& key) = 0;
  virtual void encode(float value, const CodingKey& key) = 0;
  virtual void encode(std::int64_t value, const CodingKey& key) = 0;
  virtual void encode(std::uint64_t value, const CodingKey& key) = 0;
  virtual void encode(EncodableRef value, const CodingKey& key) = 0;
  // What encodeIfPresent does with an absent value: nothing, unless an
  // encoder has a use for absent fields.
  virtual void encodeAbsent(const CodingKey&) {}
  virtual std::shared_ptr<KeyedEncodingContainer> nestedContainer(const CodingKey& key) = 0;
  virtual std::shared_ptr<UnkeyedEncodingContainer> nestedUnkeyedContainer(const CodingKey& key) = 0;
  // An encoder for the value's base part: at CodingKey::superKey(), or at `key`.
  virtual std::shared_ptr<Encoder> superEncoder() = 0;
  virtual std::shared_ptr<Encoder> superEncoder(const CodingKey& key) = 0;

  template <Encodable T>
  void encode(const T& value, const CodingKey& key) {
    encode(detail::encodingArgument(value), key);
  }
  template <Encodable T>
  void encodeIfPresent(const std::optional<T>& value, const CodingKey& key) {
    if (value) {
      encode(*value, key);
    } else {
      encodeAbsent(key);
    }
  }
};

// Each value takes the next position, counted from 0.
class UnkeyedEncodingContainer {
 public:
  virtual ~UnkeyedEncodingContainer() = default;

  virtual const CodingPath& codingPath() const = 0;
  // The number of positions taken so far.
  virtual std::int64_t count() const = 0;
  virtual void encodeNil() = 0;
  virtual void encode(bool value) = 0;
  virtual void encode(const std::string& value) = 0;
  virtual void encode(double value) = 0;
  virtual void encode(float value) = 0;
  virtual void encode(std::int64_t value) = 0;
  virtual void encode(std::uint64_t value) = 0;
  virtual void encode(EncodableRef value) = 0;
  virtual std::shared_ptr<KeyedEncodingContainer> nestedContainer() = 0;
  virtual std::shared_ptr<UnkeyedEncodingContainer> nestedUnkeyedContainer() = 0;
  virtual std::shared_ptr<Encoder> superEncoder() = 0;

  template <Encodable T>
  void encode(const T& value) {
    encode(detail::encodingArgument(value));
  }
};

// Holds one value; a second one is refused with an EncodingError.
class SingleValueEncodingContainer {
 public:
  virtual ~SingleValueEncodingContainer() = default;

  virtual const CodingPath& codingPath() const = 0;
  virtual void encodeNil() = 0;
  virtual void encode(bool value) = 0;
  virtual void encode(const std::string& value) = 0;
  virtual void encode(double value) = 0;
  virtual void encode(float value) = 0;
  virtual void encode(std::int64_t value) = 0;
  virtual void encode(std::uint64_t value) = 0;
  virtual void encode(EncodableRef value) = 0;

  template <Encodable T>
  void encode(const T& value) {
    encode(detail::encodingArgument(value));
  }
};

}  // namespace platform
