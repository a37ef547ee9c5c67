#pragma once

#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "Platform/Foundation/HTTPURLResponse.h"
#include "Platform/Foundation/URLError.h"
#include "Wendanet/Source/Core/Request.h"
#include "Wendanet/Source/Support/RequestInterceptor.h"
#include "Wendanet/Source/Core/WNError.h"
#include "tests/Wendanet/RequestTestDoubles.h"

namespace wendanet::testing {

// How a request looked when it failed.
struct FailedAttempt {
  std::optional<const char*> method = "GET";  // absent: no URL request was built
  std::optional<int> statusCode = std::nullopt;              // absent: no response arrived
  int retryCount = 0;
  std::optional<std::string> authorization = std::nullopt;   // the request's Authorization header
};

// A request in that state, driven on its own queue as a session would.
inline std::shared_ptr<Request> makeFailedRequest(const FailedAttempt& attempt) {
  const auto queue = testQueue("org.wendanet.test.policies");
  auto request = Request::make({.underlyingQueue = queue, .serializationQueue = queue});
  queue->async([request, attempt] {
    for (int retry = 0; retry < attempt.retryCount; ++retry) request->prepareForRetry();
    if (!attempt.method) return;
    auto urlRequest = makeURLRequest("https://example.com/resource", *attempt.method);
    if (attempt.authorization) urlRequest.setValueForHTTPHeaderField(*attempt.authorization, "Authorization");
    request->didCreateInitialURLRequest(urlRequest);
    if (!attempt.statusCode) return;
    auto task = std::make_shared<FakeTask>(std::make_shared<Log>(), urlRequest);
    task->complete(platform::HTTPURLResponse::make(*urlRequest.url(), *attempt.statusCode, {}));
    request->didCreateTask(task);
  });
  settle();
  return request;
}

inline platform::AnyError urlError(platform::URLError::Code code) {
  return platform::makeError(platform::URLError(code));
}

inline platform::AnyError taskFailed(platform::URLError::Code code) {
  return platform::makeError(WNError::sessionTaskFailed(urlError(code)));
}

// The answer a retrier gives synchronously; absent when it answers later.
inline std::optional<RetryResult> answerNow(RequestRetrier& retrier, const std::shared_ptr<Request>& request,
                                            const platform::AnyError& error) {
  std::optional<RetryResult> answer;
  retrier.retry(request, nullptr, error, [&](RetryResult result) { answer = std::move(result); });
  return answer;
}

// "retry", "retryWithDelay 0.5", "doNotRetry" or "doNotRetryWithError <description>".
inline std::string describe(const RetryResult& result) {
  return std::visit(
      [](const auto& value) -> std::string {
        using Case = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<Case, RetryResult::Retry>) return "retry";
        if constexpr (std::is_same_v<Case, RetryResult::RetryWithDelay>) return "retryWithDelay " + std::to_string(value.seconds);
        if constexpr (std::is_same_v<Case, RetryResult::DoNotRetry>) return "doNotRetry";
        if constexpr (std::is_same_v<Case, RetryResult::DoNotRetryWithError>) {
          return "doNotRetryWithError " + value.error->description();
        }
      },
      result.value());
}

inline std::string describe(const std::optional<RetryResult>& result) {
  return result ? describe(*result) : "no answer";
}

}  // namespace wendanet::testing
