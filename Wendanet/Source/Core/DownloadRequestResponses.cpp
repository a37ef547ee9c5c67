#include <variant>

#include "Platform/Foundation/ProcessInfo.h"
#include "Wendanet/Source/Core/DownloadRequest.h"
#include "Wendanet/Source/Core/WNErrorCasts.h"

namespace wendanet {

template <class Value>
DownloadResponse<Value> DownloadRequest::makeResponse(double serializationDuration, Result<Value> result) const {
  // One lock at a time, in this order.
  auto urlRequest = lastRequest();
  auto response = this->response();
  auto file = fileURL();
  auto resume = resumeData();
  auto metrics = lastMetrics();
  return {std::move(urlRequest), std::move(response), std::move(file), std::move(resume),
          std::move(metrics),    serializationDuration, std::move(result)};
}

template <class Value>
void DownloadRequest::deliverResponse(std::shared_ptr<platform::DispatchQueue> queue, ResponseHandler<Value> completion,
                                      DownloadResponse<Value> response) {
  appendResponseSerializerCompletion(
      [queue = std::move(queue), completion = std::move(completion), response = std::move(response)] {
        queue->async([completion, response] { completion(response); });
      });
  processNextResponseSerializer();
}

DownloadRequest& DownloadRequest::response(std::shared_ptr<platform::DispatchQueue> queue,
                                           ResponseHandler<std::optional<platform::URL>> completion) {
  appendResponseSerializer(
      [request = std::weak_ptr<DownloadRequest>(self()), queue = std::move(queue), completion = std::move(completion)] {
        const auto self = request.lock();
        if (!self) return;
        const auto file = self->fileURL();
        const auto error = self->error();
        Result<std::optional<platform::URL>> result = file;
        if (error) result = std::unexpected(*error);
        self->underlyingQueue()->async([self, result = std::move(result), queue, completion] {
          auto response = self->makeResponse(0, result);
          self->report(&EventMonitor::requestDidParseDownloadResponse, response);
          self->deliverResponse(queue, completion, std::move(response));
        });
      });
  return *this;
}

DownloadRequest& DownloadRequest::responseURL(std::shared_ptr<platform::DispatchQueue> queue,
                                              ResponseHandler<platform::URL> completion) {
  return response(std::move(queue), URLResponseSerializer(), std::move(completion));
}

void DownloadRequest::appendSerializingResponseHandler(std::shared_ptr<platform::DispatchQueue> queue,
                                                       SerializeDownload serialize,
                                                       ResponseHandler<AnyValue> completion) {
  appendResponseSerializer([request = std::weak_ptr<DownloadRequest>(self()), queue = std::move(queue),
                            serialize = std::move(serialize), completion = std::move(completion)] {
    const auto self = request.lock();
    if (!self) return;
    const auto& processInfo = platform::ProcessInfo::processInfo();
    const double start = processInfo.systemUptime();
    auto result = self->serializeCurrentState(serialize);
    const double end = processInfo.systemUptime();
    self->underlyingQueue()->async([self, duration = end - start, result = std::move(result), queue, completion] {
      self->finishResponseSerialization(duration, result, queue, completion);
    });
  });
}

Result<AnyValue> DownloadRequest::serializeCurrentState(const SerializeDownload& serialize) const {
  // One lock at a time, in this order.
  const auto urlRequest = lastRequest();
  const auto response = this->response();
  const auto file = fileURL();
  const auto error = this->error();
  try {
    return serialize(urlRequest, response, file, error);
  } catch (const WNError& failure) {
    return std::unexpected(failure);
  } catch (const platform::Error& failure) {
    return std::unexpected(WNError::responseSerializationFailed(
        ResponseSerializationFailureReason::customSerializationFailed(failure.clone())));
  }
}

void DownloadRequest::finishResponseSerialization(double serializationDuration, const Result<AnyValue>& result,
                                                  std::shared_ptr<platform::DispatchQueue> queue,
                                                  ResponseHandler<AnyValue> completion) {
  auto response = makeResponse(serializationDuration, result);
  report(&EventMonitor::requestDidParseSerializedDownloadResponse, response);
  const auto delegate = this->delegate();
  if (result || !delegate) return deliverResponse(std::move(queue), std::move(completion), response);
  delegate->retryResult(
      self(), result.error(),
      [self = self(), serializationDuration, queue = std::move(queue), completion = std::move(completion),
       response = std::move(response)](RetryResult answer) mutable {
        std::visit(
            Overloaded{
                [&](const RetryResult::Retry&) { self->retryThroughDelegate(std::nullopt); },
                [&](const RetryResult::RetryWithDelay& retry) { self->retryThroughDelegate(retry.seconds); },
                [&](const RetryResult::DoNotRetry&) {
                  self->deliverResponse(std::move(queue), std::move(completion), std::move(response));
                },
                [&](const RetryResult::DoNotRetryWithError& refusal) {
                  const WNError error =
                      castToWNErrorOrFail(refusal.error, [] { return "Received retryError was not already WNError"; });
                  self->deliverResponse(std::move(queue), std::move(completion),
                                        self->makeResponse<AnyValue>(serializationDuration, std::unexpected(error)));
                },
            },
            answer.value());
      });
}

}  // namespace wendanet
