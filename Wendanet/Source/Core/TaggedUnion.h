#pragma once

#include <type_traits>
#include <variant>

namespace wendanet {

// One visitor for std::visit made of several lambdas.
template <class... Handlers>
struct Overloaded : Handlers... {
  using Handlers::operator()...;
};

template <class T, class Variant>
inline constexpr bool isAlternativeOf = false;
template <class T, class... Alternatives>
inline constexpr bool isAlternativeOf<T, std::variant<Alternatives...>> = (std::is_same_v<T, Alternatives> || ...);

// T is exactly one of the cases of the variant, so that a tagged union can
// be built straight from a case value and from nothing else.
template <class T, class Variant>
concept AlternativeOf = isAlternativeOf<std::remove_cvref_t<T>, Variant>;

}  // namespace wendanet
