#include <variant>

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
      [queue = std::move(queue), completion = std::move(completion), response = std::move(response)]() mutable {
        queue->async([completion = std::move(completion), response = std::move(response)] { completion(response); });
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
                                            SerializeDownload serialize, ResponseHandler<AnyValue> completion) {
  appendResponseSerializer([request = std::weak_ptr<DownloadRequest>(self()), queue = std::move(queue),
                            serialize = std::move(serialize), completion = std::move(completion)] {
    const auto self = request.lock();
    if (!self) return;
    // One lock at a time, in this order.
    const auto urlRequest = self->lastRequest();
    const auto response = self->response();
    const auto file = self->fileURL();
    const auto error = self->error();
    auto [result, duration] = runSerializer(serialize, urlRequest, response, file, error);
    self->underlyingQueue()->async([self, duration, result = std::move(result), queue, completion]() mutable {
      self->finishResponseSerialization(duration, result, std::move(queue), std::move(completion));
    });
  });
}

void DownloadRequest::finishResponseSerialization(double serializationDuration, const Result<AnyValue>& result,
                                      std::shared_ptr<platform::DispatchQueue> queue,
                                      ResponseHandler<AnyValue> completion) {
  auto response = makeResponse(serializationDuration, result);
  report(&EventMonitor::requestDidParseSerializedDownloadResponse, response);
  if (result) return deliverResponse(std::move(queue), std::move(completion), std::move(response));
  retryOrDeliverSerializationFailure(
      result.error(), [self = self(), serializationDuration, queue = std::move(queue),
                       completion = std::move(completion),
                       response = std::move(response)](std::optional<WNError> replaced) mutable {
        if (!replaced) return self->deliverResponse(std::move(queue), std::move(completion), std::move(response));
        self->deliverResponse(std::move(queue), std::move(completion),
                              self->makeResponse<AnyValue>(serializationDuration, std::unexpected(*replaced)));
      });
}

}  // namespace wendanet
