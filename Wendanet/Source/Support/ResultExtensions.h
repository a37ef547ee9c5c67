#pragma once

#include <concepts>
#include <expected>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

#include "Platform/Foundation/Error.h"
#include "Wendanet/Source/Support/ValueText.h"

namespace wendanet {

template <class Success, class Failure>
bool isSuccess(const std::expected<Success, Failure>& result) {
  return result.has_value();
}

template <class Success, class Failure>
bool isFailure(const std::expected<Success, Failure>& result) {
  return !result.has_value();
}

template <class Success, class Failure>
std::optional<Success> getSuccess(const std::expected<Success, Failure>& result) {
  if (result) return *result;
  return std::nullopt;
}

template <class Success, class Failure>
std::optional<Failure> getFailure(const std::expected<Success, Failure>& result) {
  if (result) return std::nullopt;
  return result.error();
}

// Any error value as the general error: platform errors are copied into
// shared storage, a general error is passed on as it is.
template <class Failure>
platform::AnyError toAnyError(const Failure& error) {
  if constexpr (std::same_as<Failure, platform::AnyError>) {
    return error;
  } else {
    static_assert(std::derived_from<Failure, platform::Error>, "a failure must be a platform::Error");
    return error.clone();
  }
}

// The success value transformed; a failure passes unchanged and the
// transform is not called.
template <class Success, class Failure, class Transform>
auto mapSuccess(const std::expected<Success, Failure>& result, Transform&& transform)
    -> std::expected<std::invoke_result_t<Transform, const Success&>, Failure> {
  if (result) return std::forward<Transform>(transform)(*result);
  return std::unexpected(result.error());
}

// The failure transformed; a success passes unchanged and the transform is
// not called.
template <class Success, class Failure, class Transform>
auto mapFailure(const std::expected<Success, Failure>& result, Transform&& transform)
    -> std::expected<Success, std::invoke_result_t<Transform, const Failure&>> {
  if (result) return *result;
  return std::unexpected(std::forward<Transform>(transform)(result.error()));
}

// As mapSuccess, with the failure carried as a general error; a platform
// error thrown by the transform becomes the failure.
template <class Success, class Failure, class Transform>
auto mapThrowing(const std::expected<Success, Failure>& result, Transform&& transform)
    -> std::expected<std::invoke_result_t<Transform, const Success&>, platform::AnyError> {
  if (!result) return std::unexpected(toAnyError(result.error()));
  try {
    return std::forward<Transform>(transform)(*result);
  } catch (const platform::Error& error) {
    return std::unexpected(error.clone());
  }
}

// As mapFailure, with the new failure carried as a general error; a
// platform error thrown by the transform becomes the failure instead.
template <class Success, class Failure, class Transform>
auto mapErrorThrowing(const std::expected<Success, Failure>& result, Transform&& transform)
    -> std::expected<Success, platform::AnyError> {
  if (result) return *result;
  try {
    return std::unexpected(toAnyError(std::forward<Transform>(transform)(result.error())));
  } catch (const platform::Error& error) {
    return std::unexpected(error.clone());
  }
}

// "success(...)" or "failure(...)" around the payload's own text.
template <class Success, class Failure>
std::string resultText(const std::expected<Success, Failure>& result) {
  if (result) return "success(" + valueText(*result) + ")";
  return "failure(" + valueText(result.error()) + ")";
}

}  // namespace wendanet
