#include "Wendanet/Source/Core/DataStreamRequest.h"

#include "Platform/Streams/BoundStreamPair.h"
#include "Wendanet/Source/Core/UTF8StreamDecoder.h"
#include "Wendanet/Source/Core/WNErrorCasts.h"

namespace wendanet {
namespace {

WNError customSerializationFailure(const platform::Error& error) {
  return WNError::responseSerializationFailed(
      ResponseSerializationFailureReason::customSerializationFailed(error.clone()));
}

}  // namespace

std::shared_ptr<DataStreamRequest> DataStreamRequest::make(BaseFields fields,
                                                           std::shared_ptr<const URLRequestConvertible> convertible,
                                                           bool automaticallyCancelOnStreamError) {
  return std::shared_ptr<DataStreamRequest>(
      new DataStreamRequest(std::move(fields), std::move(convertible), automaticallyCancelOnStreamError));
}

DataStreamRequest::DataStreamRequest(BaseFields fields, std::shared_ptr<const URLRequestConvertible> convertible,
                                     bool automaticallyCancelOnStreamError)
    : ChainedRequest(std::move(fields)),
      convertible_(std::move(convertible)),
      automaticallyCancelOnStreamError_(automaticallyCancelOnStreamError),
      // Given explicitly: clang does not count a nested struct with member
      // initializers as default-constructible inside its enclosing class.
      streamMutableState_(StreamMutableState{}) {}

void DataStreamRequest::CancellationToken::cancel() const {
  if (const auto stream = request.lock()) stream->cancel();
}

// Receiving.

void DataStreamRequest::didReceiveData(const platform::Data& chunk) {
  streamMutableState_.write([&](StreamMutableState& state) {
    if (state.outputStream && !chunk.empty()) {
      underlyingQueue()->async([output = state.outputStream, chunk] { output->write(chunk.bytes(), chunk.size()); });
    }
    if (state.streams.empty()) return;
    // Counted in the same critical section that hands the chunk out, so no
    // completion event can slip in between.
    state.numberOfExecutingStreams += static_cast<std::int64_t>(state.streams.size());
    underlyingQueue()->async([self = self(), streams = state.streams, chunk] {
      for (const auto& stream : streams) stream(self, chunk);
    });
  });
}

void DataStreamRequest::didReceiveResponse(const std::shared_ptr<const platform::HTTPURLResponse>& response,
                                           platform::ResponseCompletionHandler completion) {
  answerResponse(streamMutableState_.write([](const StreamMutableState& state) { return state.httpResponseHandler; }),
                 response, std::move(completion));
}

std::shared_ptr<platform::URLSessionTask> DataStreamRequest::createTask(
    const platform::URLRequest& urlRequest, const std::shared_ptr<platform::URLSession>& session) {
  return session->dataTaskWithRequest(urlRequest);
}

void DataStreamRequest::finish(const std::optional<WNError>& error) {
  // Writes queued before run before this, on the same queue.
  streamMutableState_.write([](StreamMutableState& state) {
    if (state.outputStream) state.outputStream->close();
  });
  Request::finish(error);
}

// Stream handlers.

DataStreamRequest& DataStreamRequest::responseStream(std::shared_ptr<platform::DispatchQueue> queue,
                                                     Handler<platform::Data, Never> stream) {
  appendStream(
      [queue, stream](const std::shared_ptr<DataStreamRequest>& self, const platform::Data& chunk) {
        self->deliverToHandler(queue, [stream, chunk, token = self->token()] {
          stream({Event<platform::Data, Never>::stream(chunk), token});
        });
      },
      queue, completionDelivery(stream));
  return *this;
}

DataStreamRequest& DataStreamRequest::responseStreamString(std::shared_ptr<platform::DispatchQueue> queue,
                                                           Handler<std::string, Never> stream) {
  // Touched only on the serial serializationQueue. Bytes held back at the
  // end of a failed attempt are not joined to the next attempt's body.
  struct Text {
    UTF8StreamDecoder decoder;
    std::int64_t attempt = 0;
  };
  const auto text = std::make_shared<Text>();
  const DeliverChunk deliver = [stream](const Result<AnyValue>& result, const CancellationToken& token) {
    stream({Event<std::string, Never>::stream(*result->get<std::string>()), token});
  };
  appendStream(
      [text, queue, deliver](const std::shared_ptr<DataStreamRequest>& self, const platform::Data& chunk) {
        self->deliverSerialized(
            [text, chunk, attempt = self->retryCount()] {
              std::string decoded;
              if (attempt != text->attempt) {
                decoded = text->decoder.flush();
                text->attempt = attempt;
              }
              decoded += text->decoder.decode(chunk.view());
              return AnyValue(std::move(decoded));
            },
            queue, deliver);
      },
      queue, completionDelivery(stream),
      [text, queue, deliver](DataStreamRequest& self) {
        auto rest = text->decoder.flush();
        if (rest.empty()) return;
        self.incrementExecutingStreams();
        self.deliverSerialized([rest = std::move(rest)] { return AnyValue(rest); }, queue, deliver);
      });
  return *this;
}

void DataStreamRequest::appendStream(StreamEntry entry, std::shared_ptr<platform::DispatchQueue> queue,
                                     DeliverCompletion complete,
                                     std::function<void(DataStreamRequest&)> beforeCompletion) {
  streamMutableState_.write([&](StreamMutableState& state) { state.streams.push_back(std::move(entry)); });
  // The handler's completion counts as one response serializer of the
  // request; it serializes nothing.
  appendResponseSerializer([request = std::weak_ptr<DataStreamRequest>(self()), queue = std::move(queue),
                            complete = std::move(complete), beforeCompletion = std::move(beforeCompletion)] {
    const auto self = request.lock();
    if (!self) return;
    if (beforeCompletion) beforeCompletion(*self);
    self->underlyingQueue()->async([self, queue, complete] {
      self->appendResponseSerializerCompletion([request = std::weak_ptr<DataStreamRequest>(self), queue, complete] {
        if (const auto self = request.lock()) self->enqueueCompletionEvent(queue, complete);
      });
      self->processNextResponseSerializer();
    });
  });
}

void DataStreamRequest::appendSerializedStream(std::function<SerializeChunk(const platform::Data&)> makeSerialize,
                                               std::shared_ptr<platform::DispatchQueue> queue, DeliverChunk deliver,
                                               DeliverCompletion complete) {
  appendStream([makeSerialize = std::move(makeSerialize), queue, deliver = std::move(deliver)](
                   const std::shared_ptr<DataStreamRequest>& self,
                   const platform::Data& chunk) { self->deliverSerialized(makeSerialize(chunk), queue, deliver); },
               queue, std::move(complete));
}

void DataStreamRequest::deliverSerialized(SerializeChunk serialize, std::shared_ptr<platform::DispatchQueue> queue,
                                          DeliverChunk deliver) {
  serializationQueue()->async(
      [self = self(), serialize = std::move(serialize), queue = std::move(queue), deliver = std::move(deliver)] {
        Result<AnyValue> result = [&]() -> Result<AnyValue> {
          try {
            return serialize();
          } catch (const WNError& failure) {
            return std::unexpected(failure);
          } catch (const platform::Error& failure) {
            return std::unexpected(customSerializationFailure(failure));
          }
        }();
        self->underlyingQueue()->async([self, result = std::move(result), queue, deliver] {
          self->reportParsedChunk(result);
          // A failure reaches the handler too, also when it cancelled the request.
          self->deliverToHandler(queue, [deliver, result, token = self->token()] { deliver(result, token); });
        });
      });
}

void DataStreamRequest::reportParsedChunk(const Result<AnyValue>& result) {
  report(&EventMonitor::requestDidParseStream, result);
  if (!result && automaticallyCancelOnStreamError_) cancel();
}

void DataStreamRequest::deliverToHandler(const std::shared_ptr<platform::DispatchQueue>& queue,
                                         std::function<void()> handle) {
  queue->async([self = self(), handle = std::move(handle)] {
    self->captureHandlerError(handle);
    self->decrementExecutingStreams();
  });
}

void DataStreamRequest::captureHandlerError(const std::function<void()>& handle) {
  std::optional<WNError> failure;
  try {
    handle();
    return;
  } catch (const WNError& error) {
    failure = error;
  } catch (const platform::Error& error) {
    failure = customSerializationFailure(error);
  }
  // Stored first, so the cancel keeps it rather than explicitlyCancelled.
  mutableState_.write([&](MutableState& state) { state.error = failure; });
  cancel();
}

// Counting deliveries and holding back completion events.

void DataStreamRequest::incrementExecutingStreams() {
  streamMutableState_.write([](StreamMutableState& state) { ++state.numberOfExecutingStreams; });
}

void DataStreamRequest::decrementExecutingStreams() {
  streamMutableState_.write([&](StreamMutableState& state) {
    --state.numberOfExecutingStreams;
    if (state.numberOfExecutingStreams != 0 || state.enqueuedCompletionEvents.empty()) return;
    underlyingQueue()->async([self = self(), events = std::exchange(state.enqueuedCompletionEvents, {})]() mutable {
      for (auto& event : events) event();
    });
  });
}

void DataStreamRequest::enqueueCompletionEvent(std::shared_ptr<platform::DispatchQueue> queue,
                                               DeliverCompletion complete) {
  streamMutableState_.write([&](StreamMutableState& state) {
    if (state.numberOfExecutingStreams == 0) return sendCompletionEvent(queue, std::move(complete));
    state.enqueuedCompletionEvents.push_back(
        [request = std::weak_ptr<DataStreamRequest>(self()), queue = std::move(queue), complete = std::move(complete)] {
          if (const auto self = request.lock()) self->sendCompletionEvent(queue, complete);
        });
  });
}

void DataStreamRequest::sendCompletionEvent(const std::shared_ptr<platform::DispatchQueue>& queue,
                                            DeliverCompletion complete) {
  queue->async([self = self(), complete = std::move(complete)] {
    // One lock at a time, in this order, as the event is delivered.
    auto urlRequest = self->lastRequest();
    auto response = self->response();
    auto metrics = self->lastMetrics();
    auto error = self->error();
    try {
      complete({std::move(urlRequest), std::move(response), std::move(metrics), std::move(error)}, self->token());
    } catch (const platform::Error&) {
      // The request is over: an error from its completion event has nothing
      // left to change.
    }
  });
}

// Answering the HTTP response.

DataStreamRequest& DataStreamRequest::onHTTPResponseWithDisposition(std::shared_ptr<platform::DispatchQueue> queue,
                                                                    HTTPResponseDispositionHandler handler) {
  streamMutableState_.write([&](StreamMutableState& state) {
    state.httpResponseHandler = QueuedHandler<HTTPResponseDispositionHandler>{std::move(queue), std::move(handler)};
  });
  return *this;
}

DataStreamRequest& DataStreamRequest::onHTTPResponse(std::shared_ptr<platform::DispatchQueue> queue,
                                                     HTTPResponseHandler handler) {
  return onHTTPResponseWithDisposition(std::move(queue), allowingAfter(std::move(handler)));
}

// Validation.

DataStreamRequest& DataStreamRequest::validate(Validation validation) {
  validators_.write([&](std::vector<Validator>& validators) {
    validators.push_back([request = std::weak_ptr<DataStreamRequest>(self()), validation = std::move(validation)] {
      if (const auto self = request.lock()) self->runValidator(validation);
    });
  });
  return *this;
}

void DataStreamRequest::runValidator(const Validation& validation) {
  if (error()) return;
  const auto response = this->response();
  if (!response) return;
  const ValidationResult result = validation(lastRequest(), response);
  recordValidationResult(result);
  report(&EventMonitor::requestDidValidateRequestResponseWithResult, lastRequest(), response, result);
}

DataStreamRequest& DataStreamRequest::validateContentType(std::function<std::vector<std::string>()> acceptableTypes) {
  return validate([acceptableTypes = std::move(acceptableTypes)](const auto&, const auto& response) {
    return wendanet::validateContentType(acceptableTypes(), *response);
  });
}

DataStreamRequest& DataStreamRequest::validate() {
  validateStatusCode(std::views::iota(200, 300));
  // The "Accept" header of the URL request sent last, after adaptation and
  // retries, which is the one the validator is given.
  return validate([](const auto& urlRequest, const auto& response) {
    return wendanet::validateContentType(acceptableContentTypes(urlRequest), *response);
  });
}

// Bound streams.

std::shared_ptr<platform::InputStream> DataStreamRequest::asInputStream(std::ptrdiff_t bufferSize) {
  auto pair = streamMutableState_.write([&](StreamMutableState& state) {
    auto made = platform::makeBoundStreamPair(bufferSize);
    state.outputStream = made ? made->output : nullptr;
    if (state.outputStream) state.outputStream->open();
    return made;
  });
  resume();
  return pair ? pair->input : nullptr;
}

}  // namespace wendanet
