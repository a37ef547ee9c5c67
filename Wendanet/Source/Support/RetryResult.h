#pragma once

#include <utility>
#include <variant>

#include "Platform/Foundation/Error.h"
#include "Wendanet/Source/Core/TaggedUnion.h"

namespace wendanet {

// A retrier's answer for a failed request.
class RetryResult {
 public:
  struct Retry {};
  struct RetryWithDelay {
    double seconds;
  };
  struct DoNotRetry {};
  struct DoNotRetryWithError {
    platform::AnyError error;
  };
  using Case = std::variant<Retry, RetryWithDelay, DoNotRetry, DoNotRetryWithError>;

  static RetryResult retry() { return Retry{}; }
  static RetryResult retryWithDelay(double seconds) { return RetryWithDelay{seconds}; }
  static RetryResult doNotRetry() { return DoNotRetry{}; }
  static RetryResult doNotRetryWithError(platform::AnyError error) { return DoNotRetryWithError{std::move(error)}; }

  template <AlternativeOf<Case> Alternative>
  RetryResult(Alternative value) : value_(std::move(value)) {}
  const Case& value() const { return value_; }

 private:
  Case value_;
};

}  // namespace wendanet
