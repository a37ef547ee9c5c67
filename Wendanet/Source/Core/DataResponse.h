#pragma once

#include <expected>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/HTTPURLResponse.h"
#include "Platform/Foundation/URLRequest.h"
#include "Wendanet/Source/Core/AnyValue.h"
#include "Wendanet/Source/Core/URLLoadingDeclarations.h"
#include "Wendanet/Source/Core/WNError.h"
#include "Wendanet/Source/Support/ResponseDescription.h"
#include "Wendanet/Source/Support/ResultExtensions.h"

namespace wendanet {

// What one data or upload request produced: the URL request sent, the HTTP
// response, the body, the task's metrics, how long the serializer ran and
// the outcome. An immutable value; the response and metrics objects are
// shared, never changed.
template <class Success, class Failure = WNError>
class DataResponse {
 public:
  using Result = std::expected<Success, Failure>;

  DataResponse(std::optional<platform::URLRequest> request, std::shared_ptr<const platform::HTTPURLResponse> response,
               std::optional<platform::Data> data, std::shared_ptr<const platform::URLSessionTaskMetrics> metrics,
               double serializationDuration, Result result)
      : request_(std::move(request)),
        response_(std::move(response)),
        data_(std::move(data)),
        metrics_(std::move(metrics)),
        serializationDuration_(serializationDuration),
        result_(std::move(result)) {}

  const std::optional<platform::URLRequest>& request() const { return request_; }
  const std::shared_ptr<const platform::HTTPURLResponse>& response() const { return response_; }
  const std::optional<platform::Data>& data() const { return data_; }
  const std::shared_ptr<const platform::URLSessionTaskMetrics>& metrics() const { return metrics_; }
  // Seconds; 0 when no serializer ran.
  double serializationDuration() const { return serializationDuration_; }
  const Result& result() const { return result_; }

  std::optional<Success> value() const { return getSuccess(result_); }
  std::optional<Failure> error() const { return getFailure(result_); }

  // Each transform builds a new response with only the outcome changed; the
  // transform runs at once, at most once, and only for the case it takes.
  template <class Transform>
  auto map(Transform&& transform) const {
    return withResult(mapSuccess(result_, std::forward<Transform>(transform)));
  }
  // A platform error thrown by the transform becomes the failure.
  template <class Transform>
  auto mapThrowing(Transform&& transform) const {
    return withResult(wendanet::mapThrowing(result_, std::forward<Transform>(transform)));
  }
  template <class Transform>
  auto mapError(Transform&& transform) const {
    return withResult(mapFailure(result_, std::forward<Transform>(transform)));
  }
  template <class Transform>
  auto mapErrorThrowing(Transform&& transform) const {
    return withResult(wendanet::mapErrorThrowing(result_, std::forward<Transform>(transform)));
  }

  // The same response with its value type-erased, as generic events carry it.
  DataResponse<AnyValue, Failure> erasingValue() const { return withResult(eraseValue(result_)); }

  // The outcome alone.
  std::string description() const { return resultText(result_); }
  // Request, response, body, durations and outcome, one section each.
  std::string debugDescription() const {
    return dataResponseDebugDescription(request_, response_, data_, metrics_, serializationDuration_, description());
  }

 private:
  template <class NewSuccess, class NewFailure>
  DataResponse<NewSuccess, NewFailure> withResult(std::expected<NewSuccess, NewFailure> result) const {
    return {request_, response_, data_, metrics_, serializationDuration_, std::move(result)};
  }

  std::optional<platform::URLRequest> request_;
  std::shared_ptr<const platform::HTTPURLResponse> response_;
  std::optional<platform::Data> data_;
  std::shared_ptr<const platform::URLSessionTaskMetrics> metrics_;
  double serializationDuration_;
  Result result_;
};

}  // namespace wendanet
