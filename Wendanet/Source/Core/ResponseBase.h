#pragma once

#include <cstddef>
#include <expected>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

#include "Platform/Foundation/HTTPURLResponse.h"
#include "Platform/Foundation/URLRequest.h"
#include "Wendanet/Source/Core/AnyValue.h"
#include "Wendanet/Source/Core/URLLoadingDeclarations.h"
#include "Wendanet/Source/Support/ResultExtensions.h"

namespace wendanet {

// What every response value holds: the URL request sent, the HTTP response,
// the task's metrics, how long the serializer ran and the outcome, with the
// transforms over the outcome. `Response` is the response template itself,
// so that a transformed DataResponse is again a DataResponse; `Fields` are
// that response's own values, which its constructor takes between the HTTP
// response and the metrics. An immutable value; the response and metrics
// objects are shared, never changed.
template <template <class, class> class Response, class Success, class Failure, class... Fields>
class ResponseBase {
 public:
  using Result = std::expected<Success, Failure>;

  const std::optional<platform::URLRequest>& request() const { return request_; }
  const std::shared_ptr<const platform::HTTPURLResponse>& response() const { return response_; }
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
  Response<AnyValue, Failure> erasingValue() const { return withResult(eraseValue(result_)); }

  // The outcome alone.
  std::string description() const { return resultText(result_); }

 protected:
  ResponseBase(std::optional<platform::URLRequest> request, std::shared_ptr<const platform::HTTPURLResponse> response,
               Fields... fields, std::shared_ptr<const platform::URLSessionTaskMetrics> metrics,
               double serializationDuration, Result result)
      : request_(std::move(request)),
        response_(std::move(response)),
        fields_(std::move(fields)...),
        metrics_(std::move(metrics)),
        serializationDuration_(serializationDuration),
        result_(std::move(result)) {}

  template <std::size_t Index>
  const auto& field() const {
    return std::get<Index>(fields_);
  }

 private:
  template <class NewSuccess, class NewFailure>
  Response<NewSuccess, NewFailure> withResult(std::expected<NewSuccess, NewFailure> result) const {
    return std::apply(
        [&](const Fields&... fields) {
          return Response<NewSuccess, NewFailure>(request_, response_, fields..., metrics_, serializationDuration_,
                                                  std::move(result));
        },
        fields_);
  }

  std::optional<platform::URLRequest> request_;
  std::shared_ptr<const platform::HTTPURLResponse> response_;
  std::tuple<Fields...> fields_;
  std::shared_ptr<const platform::URLSessionTaskMetrics> metrics_;
  double serializationDuration_;
  Result result_;
};

}  // namespace wendanet
