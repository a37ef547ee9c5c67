#pragma once

#include <expected>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/HTTPURLResponse.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/URLRequest.h"
#include "Wendanet/Source/Core/AnyValue.h"
#include "Wendanet/Source/Core/URLLoadingDeclarations.h"
#include "Wendanet/Source/Core/WNError.h"
#include "Wendanet/Source/Support/ResponseDescription.h"
#include "Wendanet/Source/Support/ResultExtensions.h"

namespace wendanet {

// What one download produced: as DataResponse, with the downloaded file and
// the data to resume from in place of the body.
template <class Success, class Failure = WNError>
class DownloadResponse {
 public:
  using Result = std::expected<Success, Failure>;

  DownloadResponse(std::optional<platform::URLRequest> request,
                   std::shared_ptr<const platform::HTTPURLResponse> response, std::optional<platform::URL> fileURL,
                   std::optional<platform::Data> resumeData,
                   std::shared_ptr<const platform::URLSessionTaskMetrics> metrics, double serializationDuration,
                   Result result)
      : request_(std::move(request)),
        response_(std::move(response)),
        fileURL_(std::move(fileURL)),
        resumeData_(std::move(resumeData)),
        metrics_(std::move(metrics)),
        serializationDuration_(serializationDuration),
        result_(std::move(result)) {}

  const std::optional<platform::URLRequest>& request() const { return request_; }
  const std::shared_ptr<const platform::HTTPURLResponse>& response() const { return response_; }
  const std::optional<platform::URL>& fileURL() const { return fileURL_; }
  const std::optional<platform::Data>& resumeData() const { return resumeData_; }
  const std::shared_ptr<const platform::URLSessionTaskMetrics>& metrics() const { return metrics_; }
  double serializationDuration() const { return serializationDuration_; }
  const Result& result() const { return result_; }

  std::optional<Success> value() const { return getSuccess(result_); }
  std::optional<Failure> error() const { return getFailure(result_); }

  // As DataResponse's transforms.
  template <class Transform>
  auto map(Transform&& transform) const {
    return withResult(mapSuccess(result_, std::forward<Transform>(transform)));
  }
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

  DownloadResponse<AnyValue, Failure> erasingValue() const { return withResult(eraseValue(result_)); }

  std::string description() const { return resultText(result_); }
  std::string debugDescription() const {
    return downloadResponseDebugDescription(request_, response_, fileURL_, resumeData_, metrics_,
                                            serializationDuration_, description());
  }

 private:
  template <class NewSuccess, class NewFailure>
  DownloadResponse<NewSuccess, NewFailure> withResult(std::expected<NewSuccess, NewFailure> result) const {
    return {request_, response_, fileURL_, resumeData_, metrics_, serializationDuration_, std::move(result)};
  }

  std::optional<platform::URLRequest> request_;
  std::shared_ptr<const platform::HTTPURLResponse> response_;
  std::optional<platform::URL> fileURL_;
  std::optional<platform::Data> resumeData_;
  std::shared_ptr<const platform::URLSessionTaskMetrics> metrics_;
  double serializationDuration_;
  Result result_;
};

}  // namespace wendanet
