#pragma once

#include <concepts>
#include <optional>
#include <source_location>
#include <string>
#include <string_view>
#include <utility>

#include "Platform/Foundation/Error.h"
#include "Wendanet/Source/Core/WNError.h"

namespace wendanet {

// The error as a WNError when it is one; absent otherwise (and for null).
std::optional<WNError> castToWNError(const platform::Error& error);
std::optional<WNError> castToWNError(const platform::AnyError& error);

// The error as a WNError when it is one, else what `makeDefault` builds;
// `makeDefault` runs only then. This is how foreign errors are wrapped into
// the case that fits the place they were caught.
template <class ErrorValue, std::invocable MakeDefault>
requires std::convertible_to<std::invoke_result_t<MakeDefault>, WNError> WNError
castToWNErrorOrDefault(const ErrorValue& error, MakeDefault&& makeDefault) {
  if (auto wnError = castToWNError(error)) return *std::move(wnError);
  return std::forward<MakeDefault>(makeDefault)();
}

// Stops the process with "Fatal error: <message>: file <file>, line <line>".
[[noreturn]] void failWNErrorCast(std::string_view message, const std::source_location& location);

// The error as a WNError, where the library's own parts guarantee it is
// one; anything else stops the process with the message `makeMessage`
// gives (asked only then) and the caller's file and line.
template <class ErrorValue, std::invocable MakeMessage>
WNError castToWNErrorOrFail(const ErrorValue& error, MakeMessage&& makeMessage,
                            const std::source_location& location = std::source_location::current()) {
  if (auto wnError = castToWNError(error)) return *std::move(wnError);
  failWNErrorCast(std::string(std::forward<MakeMessage>(makeMessage)()), location);
}

}  // namespace wendanet
