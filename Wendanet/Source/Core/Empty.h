#pragma once

#include <concepts>
#include <cstddef>
#include <functional>

#include "Platform/Coding/Codable.h"

namespace wendanet {

// A type that has a value standing for an empty response body, so that a
// decoding serializer can accept a body the server was allowed to omit.
template <class T>
concept EmptyResponse = requires {
  { T::emptyValue() } -> std::same_as<T>;
};

// The value of a response without a body. It writes an empty object and
// reads nothing, so any input the decoder accepts decodes to it.
struct Empty {
  static Empty emptyValue() { return {}; }

  void encode(platform::Encoder& encoder) const { encoder.container(); }
  static Empty decode(platform::Decoder&) { return {}; }

  friend bool operator==(const Empty&, const Empty&) = default;
};

}  // namespace wendanet

template <>
struct std::hash<wendanet::Empty> {
  std::size_t operator()(const wendanet::Empty&) const { return 0; }
};
