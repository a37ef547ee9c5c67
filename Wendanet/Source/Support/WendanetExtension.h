#pragma once

#include <utility>

namespace wendanet {

// The library's own operations on a platform type hang on this wrapper, so
// that they are reached as wn(value).operation() (or, for operations on
// the type itself, WendanetExtension<Type>::operation()) and never collide
// with the platform's names. Operations for a type are members of a
// specialization, or members constrained to that type.
template <class ExtendedType>
class WendanetExtension {
 public:
  explicit WendanetExtension(ExtendedType type) : type_(std::move(type)) {}

  // A copy of a value, or another strong reference to an object.
  const ExtendedType& type() const { return type_; }

 private:
  ExtendedType type_;
};

// Opt a type in by specializing this to true.
template <class T>
inline constexpr bool isWendanetExtended = false;

template <class T>
concept WendanetExtended = isWendanetExtended<T>;

// A new wrapper around a copy of `value`; changing the wrapper never
// changes `value`.
template <WendanetExtended T>
WendanetExtension<T> wn(const T& value) {
  return WendanetExtension<T>(value);
}

}  // namespace wendanet
