#pragma once

#include <concepts>
#include <expected>
#include <optional>
#include <type_traits>
#include <utility>

#include "Platform/Foundation/Error.h"

namespace wendanet {

// Small conveniences on success-or-failure results (`Result<T>` and any
// other std::expected).

template <class T, class E>
bool isSuccess(const std::expected<T, E>& result) {
  return result.has_value();
}

template <class T, class E>
bool isFailure(const std::expected<T, E>& result) {
  return !result.has_value();
}

template <class T, class E>
std::optional<T> getSuccess(const std::expected<T, E>& result) {
  if (result) return *result;
  return std::nullopt;
}

template <class T, class E>
std::optional<E> getFailure(const std::expected<T, E>& result) {
  if (!result) return result.error();
  return std::nullopt;
}

namespace detail {

// A failure as an error value; one that already is an error value is kept
// as the same object.
template <class E>
requires std::same_as<E, platform::AnyError> || std::derived_from<E, platform::Error> platform::AnyError asAnyError(
    const E& error) {
  if constexpr (std::same_as<E, platform::AnyError>) {
    return error;
  } else {
    return error.clone();
  }
}

}  // namespace detail

// A success goes through `transform`; a platform::Error it throws becomes
// the failure. An existing failure passes through without calling it.
template <class T, class E, class Transform>
auto mapThrowing(const std::expected<T, E>& result, Transform&& transform)
    -> std::expected<std::invoke_result_t<Transform, const T&>, platform::AnyError> {
  if (!result) return std::unexpected(detail::asAnyError(result.error()));
  try {
    return std::forward<Transform>(transform)(*result);
  } catch (const platform::Error& error) {
    return std::unexpected(error.clone());
  }
}

// A failure goes through `transform`, which returns the new error as an
// error value or throws one; a success passes through unchanged.
template <class T, class E, class Transform>
requires std::convertible_to<std::invoke_result_t<Transform, const E&>, platform::AnyError>
    std::expected<T, platform::AnyError> mapErrorThrowing(const std::expected<T, E>& result, Transform&& transform) {
  if (result) return *result;
  try {
    return std::unexpected(platform::AnyError(std::forward<Transform>(transform)(result.error())));
  } catch (const platform::Error& error) {
    return std::unexpected(error.clone());
  }
}

}  // namespace wendanet
