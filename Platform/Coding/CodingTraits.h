#pragma once

#include <any>
#include <concepts>
#include <functional>  // std::less<> for CodingUserInfo
#include <map>
#include <optional>
#include <string>
#include <typeinfo>

#include "Platform/Fatal.h"

namespace platform {

class Encoder;
class Decoder;

// Values handed to every encoder and decoder of one call, by name.
using CodingUserInfo = std::map<std::string, std::any, std::less<>>;

// How a type it cannot change conforms: specialize with
//   static void encode(const T& value, Encoder& encoder);
//   static T decode(Decoder& decoder);
// A type of one's own instead has a member `void encode(Encoder&) const` and
// a static member `T decode(Decoder&)`, or lists its fields (CodingFields.h).
template <class T>
struct CodingTraits {};

// Integers of any width pass through the 64-bit forms of the containers;
// character types are text, not numbers, and are left out.
template <class T>
concept CodingInteger = std::integral<T> && !std::same_as<T, bool> && !std::same_as<T, char> &&
                        !std::same_as<T, wchar_t> && !std::same_as<T, char8_t> && !std::same_as<T, char16_t> &&
                        !std::same_as<T, char32_t>;

// The values every container reads and writes without a nested coder.
template <class T>
concept CodingPrimitive = std::same_as<T, bool> || std::same_as<T, std::string> || std::same_as<T, double> ||
                          std::same_as<T, float> || CodingInteger<T>;

template <class T>
concept HasMemberEncode = requires(const T& value, Encoder& encoder) {
  { value.encode(encoder) } -> std::same_as<void>;
};
template <class T>
concept HasMemberDecode = requires(Decoder& decoder) {
  { T::decode(decoder) } -> std::same_as<T>;
};

template <class T>
concept Encodable = HasMemberEncode<T> || requires(const T& value, Encoder& encoder) {
  { CodingTraits<T>::encode(value, encoder) } -> std::same_as<void>;
};
template <class T>
concept Decodable = HasMemberDecode<T> || requires(Decoder& decoder) {
  { CodingTraits<T>::decode(decoder) } -> std::same_as<T>;
};
template <class T>
concept Codable = Encodable<T> && Decodable<T>;

template <Encodable T>
void encodeValue(const T& value, Encoder& encoder) {
  if constexpr (HasMemberEncode<T>) {
    value.encode(encoder);
  } else {
    CodingTraits<T>::encode(value, encoder);
  }
}

template <Decodable T>
T decodeValue(Decoder& decoder) {
  if constexpr (HasMemberDecode<T>) {
    return T::decode(decoder);
  } else {
    return CodingTraits<T>::decode(decoder);
  }
}

// Any encodable value, by reference, so that it can pass through a virtual
// call. An encoder may look at the concrete type to treat some values
// specially (dates, byte buffers).
class EncodableRef {
 public:
  template <Encodable T>
  EncodableRef(const T& value)
      : value_(&value), type_(&typeid(T)), encode_([](const void* erased, Encoder& encoder) {
          encodeValue(*static_cast<const T*>(erased), encoder);
        }) {}

  // The value's own encoding.
  void encode(Encoder& encoder) const { encode_(value_, encoder); }

  // The value if it is a `T`, else null.
  template <class T>
  const T* as() const {
    return *type_ == typeid(T) ? static_cast<const T*>(value_) : nullptr;
  }

 private:
  const void* value_;
  const std::type_info* type_;
  void (*encode_)(const void*, Encoder&);
};

// Where a decoded value of some decodable type goes, so that decoding can
// pass through a virtual call. A decoder either lets the type decode itself
// or, for a type it treats specially, assigns the value directly.
class DecodableTarget {
 public:
  template <Decodable T>
  explicit DecodableTarget(std::optional<T>& destination)
      : destination_(&destination), type_(&typeid(T)), decode_([](void* erased, Decoder& decoder) {
          static_cast<std::optional<T>*>(erased)->emplace(decodeValue<T>(decoder));
        }) {}

  // Lets the type decode itself from `decoder`.
  void decode(Decoder& decoder) const { decode_(destination_, decoder); }

  template <class T>
  bool holds() const {
    return *type_ == typeid(T);
  }

  template <class T>
  void assign(T value) const {
    if (!holds<T>()) fatal("DecodableTarget assigned a value of another type");
    static_cast<std::optional<T>*>(destination_)->emplace(std::move(value));
  }

 private:
  void* destination_;
  const std::type_info* type_;
  void (*decode_)(void*, Decoder&);
};

}  // namespace platform
