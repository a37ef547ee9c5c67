#include "Wendanet/Source/Core/DataRequest.h"

#include <algorithm>
#include <variant>

#include "Platform/URLLoading/URLSession.h"
#include "Platform/URLLoading/URLSessionConfiguration.h"
#include "Wendanet/Source/Core/TaggedUnion.h"
#include "Wendanet/Source/Core/WNErrorCasts.h"

namespace wendanet {

std::shared_ptr<DataRequest> DataRequest::make(BaseFields fields,
                                               std::shared_ptr<const URLRequestConvertible> convertible) {
  return std::shared_ptr<DataRequest>(new DataRequest(std::move(fields), std::move(convertible)));
}

DataRequest::DataRequest(BaseFields fields, std::shared_ptr<const URLRequestConvertible> convertible)
    : ChainedRequest(std::move(fields)), convertible_(std::move(convertible)) {}

std::optional<platform::Data> DataRequest::data() const {
  return dataMutableState_.write([](const DataMutableState& state) { return state.data; });
}

// Receiving.

void DataRequest::didReceiveData(const platform::Data& chunk) {
  const auto task = lastTask();
  const auto received = task ? task->response() : nullptr;
  const auto announced = received ? received->expectedContentLength() : platform::URLResponse::unknownLength;
  dataMutableState_.write([&](DataMutableState& state) {
    if (state.data) {
      state.data->append(chunk);
    } else if (announced > static_cast<std::int64_t>(chunk.size())) {
      // Growing by doubling would copy a large body again and again and
      // leave the old buffers with the allocator; a length that no session
      // would hold in memory by default is not trusted that far.
      state.data.emplace();
      state.data->reserve(static_cast<std::size_t>(
          std::min(announced, platform::URLSessionConfiguration::defaultMaximumBodySizeInMemory)));
      state.data->append(chunk.bytes(), chunk.size());
    } else {
      state.data = chunk;
    }
  });
  updateDownloadProgress();
}

void DataRequest::updateDownloadProgress() {
  const auto completed = dataMutableState_.write(
      [](const DataMutableState& state) { return static_cast<std::int64_t>(state.data ? state.data->size() : 0); });
  const auto task = lastTask();
  const auto received = task ? task->response() : nullptr;
  downloadProgress()->setTotalUnitCount(received ? received->expectedContentLength()
                                                 : platform::URLResponse::unknownLength);
  downloadProgress()->setCompletedUnitCount(completed);
  notifyDownloadProgressHandler();
}

void DataRequest::didReceiveResponse(const std::shared_ptr<const platform::HTTPURLResponse>& response,
                                     platform::ResponseCompletionHandler completion) {
  answerResponse(dataMutableState_.write([](const DataMutableState& state) { return state.httpResponseHandler; }),
                 response, std::move(completion));
}

std::shared_ptr<platform::URLSessionTask> DataRequest::createTask(
    const platform::URLRequest& urlRequest, const std::shared_ptr<platform::URLSession>& session) {
  return session->dataTaskWithRequest(urlRequest);
}

void DataRequest::reset() {
  Request::reset();
  dataMutableState_.write([](DataMutableState& state) { state.data.reset(); });
}

// Validation.

DataRequest& DataRequest::validate(Validation validation) {
  validators_.write([&](std::vector<Validator>& validators) {
    validators.push_back([request = std::weak_ptr<DataRequest>(self()), validation = std::move(validation)] {
      if (const auto self = request.lock()) self->runValidator(validation);
    });
  });
  return *this;
}

void DataRequest::runValidator(const Validation& validation) {
  if (error()) return;
  const auto response = this->response();
  if (!response) return;
  const auto urlRequest = lastRequest();
  const auto body = data();
  const ValidationResult result = validation(urlRequest, response, body);
  recordValidationResult(result);
  report(&EventMonitor::requestDidValidateRequestResponseDataWithResult, lastRequest(), response, data(), result);
}

DataRequest& DataRequest::validateContentType(std::function<std::vector<std::string>()> acceptableTypes) {
  return validate([acceptableTypes = std::move(acceptableTypes)](const auto&, const auto& response, const auto& body) {
    return validateDataContentType(acceptableTypes(), *response, body);
  });
}

DataRequest& DataRequest::validate() {
  validateStatusCode(std::views::iota(200, 300));
  // The "Accept" header of the URL request sent last, after adaptation and
  // retries, which is the one the validator is given.
  return validate([](const auto& urlRequest, const auto& response, const auto& body) {
    return validateDataContentType(acceptableContentTypes(urlRequest), *response, body);
  });
}

// Answering the HTTP response.

DataRequest& DataRequest::onHTTPResponseWithDisposition(std::shared_ptr<platform::DispatchQueue> queue,
                                                        HTTPResponseDispositionHandler handler) {
  dataMutableState_.write([&](DataMutableState& state) {
    state.httpResponseHandler = QueuedHandler<HTTPResponseDispositionHandler>{std::move(queue), std::move(handler)};
  });
  return *this;
}

DataRequest& DataRequest::onHTTPResponse(std::shared_ptr<platform::DispatchQueue> queue, HTTPResponseHandler handler) {
  return onHTTPResponseWithDisposition(std::move(queue), allowingAfter(std::move(handler)));
}

// Response handlers.

template <class Value>
DataResponse<Value> DataRequest::makeResponse(double serializationDuration, Result<Value> result) const {
  // One lock at a time, in this order.
  auto urlRequest = lastRequest();
  auto response = this->response();
  auto body = data();
  auto metrics = lastMetrics();
  return {std::move(urlRequest), std::move(response),   std::move(body),
          std::move(metrics),    serializationDuration, std::move(result)};
}

template <class Value>
void DataRequest::deliverResponse(std::shared_ptr<platform::DispatchQueue> queue, ResponseHandler<Value> completion,
                                  DataResponse<Value> response) {
  appendResponseSerializerCompletion(
      [queue = std::move(queue), completion = std::move(completion), response = std::move(response)]() mutable {
        queue->async([completion = std::move(completion), response = std::move(response)] { completion(response); });
      });
  processNextResponseSerializer();
}

DataRequest& DataRequest::response(std::shared_ptr<platform::DispatchQueue> queue,
                                   ResponseHandler<std::optional<platform::Data>> completion) {
  appendResponseSerializer(
      [request = std::weak_ptr<DataRequest>(self()), queue = std::move(queue), completion = std::move(completion)] {
        const auto self = request.lock();
        if (!self) return;
        const auto body = self->data();
        const auto error = self->error();
        Result<std::optional<platform::Data>> result = body;
        if (error) result = std::unexpected(*error);
        self->underlyingQueue()->async([self, result = std::move(result), queue, completion] {
          auto response = self->makeResponse(0, result);
          self->report(&EventMonitor::requestDidParseResponse, response);
          self->deliverResponse(queue, completion, std::move(response));
        });
      });
  return *this;
}

void DataRequest::appendSerializingResponseHandler(std::shared_ptr<platform::DispatchQueue> queue,
                                            SerializeBody serialize, ResponseHandler<AnyValue> completion) {
  appendResponseSerializer([request = std::weak_ptr<DataRequest>(self()), queue = std::move(queue),
                            serialize = std::move(serialize), completion = std::move(completion)] {
    const auto self = request.lock();
    if (!self) return;
    // One lock at a time, in this order.
    const auto urlRequest = self->lastRequest();
    const auto response = self->response();
    const auto body = self->data();
    const auto error = self->error();
    auto [result, duration] = runSerializer(serialize, urlRequest, response, body, error);
    self->underlyingQueue()->async([self, duration, result = std::move(result), queue, completion]() mutable {
      self->finishResponseSerialization(duration, result, std::move(queue), std::move(completion));
    });
  });
}

void DataRequest::finishResponseSerialization(double serializationDuration, const Result<AnyValue>& result,
                                      std::shared_ptr<platform::DispatchQueue> queue,
                                      ResponseHandler<AnyValue> completion) {
  auto response = makeResponse(serializationDuration, result);
  report(&EventMonitor::requestDidParseSerializedResponse, response);
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
