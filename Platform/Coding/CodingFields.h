#pragma once

#include <optional>
#include <string_view>
#include <tuple>
#include <type_traits>

#include "Platform/Coding/StandardCodable.h"

namespace platform {

// One field of a record and the key it is written under.
template <class Owner, class Member>
struct CodingField {
  std::string_view key;
  Member Owner::*member;
};

template <class Owner, class Member>
constexpr CodingField<Owner, Member> field(std::string_view key, Member Owner::*member) {
  return {key, member};
}

// A record conforms by listing its fields, one line each:
//
//   struct User {
//     std::string name;
//     std::optional<std::string> nickname;
//     static constexpr auto codingFields() {
//       return std::tuple{platform::field("name", &User::name), platform::field("nickname", &User::nickname)};
//     }
//   };
//
// It is written as a keyed container in the order listed. Optional fields
// go through encodeIfPresent and decodeIfPresent; decoding starts from a
// default-constructed record.
template <class T>
concept HasCodingFields = requires { std::tuple_size<decltype(T::codingFields())>::value; };

namespace detail {

template <class T>
struct IsOptional : std::false_type {};
template <class T>
struct IsOptional<std::optional<T>> : std::true_type {};

template <class Member>
void encodeField(KeyedEncodingContainer& container, const Member& value, std::string_view key) {
  if constexpr (IsOptional<Member>::value) {
    container.encodeIfPresent(value, key);
  } else {
    container.encode(value, key);
  }
}

template <class Member>
void decodeField(KeyedDecodingContainer& container, Member& value, std::string_view key) {
  if constexpr (IsOptional<Member>::value) {
    value = container.decodeIfPresent<typename Member::value_type>(key);
  } else {
    value = container.decode<Member>(key);
  }
}

}  // namespace detail

template <HasCodingFields T>
  requires(!HasMemberEncode<T> && !HasMemberDecode<T>)
struct CodingTraits<T> {
  static void encode(const T& value, Encoder& encoder) {
    auto container = encoder.container();
    std::apply([&](const auto&... fields) { (detail::encodeField(*container, value.*(fields.member), fields.key), ...); },
               T::codingFields());
  }
  static T decode(Decoder& decoder)
    requires std::is_default_constructible_v<T>
  {
    T value{};
    auto container = decoder.container();
    std::apply([&](const auto&... fields) { (detail::decodeField(*container, value.*(fields.member), fields.key), ...); },
               T::codingFields());
    return value;
  }
};

}  // namespace platform
