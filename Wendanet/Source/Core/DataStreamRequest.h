#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <expected>
#include <functional>
#include <memory>
#include <optional>
#include <ranges>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "Platform/Coding/Codable.h"
#include "Platform/Foundation/Data.h"
#include "Platform/Streams/InputStream.h"
#include "Platform/Streams/OutputStream.h"
#include "Wendanet/Source/Core/ChainedRequest.h"
#include "Wendanet/Source/Core/AnyValue.h"
#include "Wendanet/Source/Support/DataStreamSerializer.h"
#include "Wendanet/Source/Core/Never.h"
#include "Wendanet/Source/Core/Request.h"
#include "Wendanet/Source/Support/ResponseValidation.h"
#include "Wendanet/Source/Core/URLRequestConvertible.h"

namespace wendanet {

// A request whose response body is not gathered but handed out chunk by
// chunk as it arrives: to every stream handler, each on its own queue, and
// to the output side of a bound stream pair when one was asked for. When
// the request is over, every handler receives exactly one completion
// event, held back until every chunk handed out has been handled.
//
// The stream state has its own lock, apart from the request's state lock
// and its validators' lock; no operation holds two at once, and no handler,
// serializer or monitor is called under any of them.
class DataStreamRequest final : public ChainedRequest<DataStreamRequest> {
 public:
  // The request's outcome, read as the completion event is delivered.
  struct Completion {
    std::optional<platform::URLRequest> request;
    std::shared_ptr<const platform::HTTPURLResponse> response;
    std::shared_ptr<const platform::URLSessionTaskMetrics> metrics;
    std::optional<WNError> error;
  };

  // Cancels the request from a handler without keeping it alive.
  struct CancellationToken {
    std::weak_ptr<DataStreamRequest> request;
    // Does nothing once the request is gone.
    void cancel() const;
  };

  // One chunk's result, or the completion.
  template <class Success, class Failure>
  class Event {
   public:
    using ChunkResult = std::expected<Success, Failure>;

    static Event stream(ChunkResult result) { return Event(std::in_place_index<0>, std::move(result)); }
    static Event complete(Completion completion) { return Event(std::in_place_index<1>, std::move(completion)); }

    // Each is null for the other case.
    const ChunkResult* streamResult() const { return std::get_if<0>(&value_); }
    const Completion* completion() const { return std::get_if<1>(&value_); }

   private:
    template <std::size_t index, class Value>
    Event(std::in_place_index_t<index> tag, Value value) : value_(tag, std::move(value)) {}

    std::variant<ChunkResult, Completion> value_;
  };

  // What a stream handler is called with.
  template <class Success, class Failure>
  struct Stream {
    Event<Success, Failure> event;
    CancellationToken token;

    // Absent for a completion.
    std::optional<std::expected<Success, Failure>> result() const {
      if (const auto* chunk = event.streamResult()) return *chunk;
      return std::nullopt;
    }
    // Absent for a failure and for a completion.
    std::optional<Success> value() const {
      const auto* chunk = event.streamResult();
      if (chunk && chunk->has_value()) return **chunk;
      return std::nullopt;
    }
    // Absent for a success and for a completion.
    std::optional<Failure> error() const {
      const auto* chunk = event.streamResult();
      if (chunk && !chunk->has_value()) return chunk->error();
      return std::nullopt;
    }
    // Absent for a chunk.
    std::optional<Completion> completion() const {
      if (const auto* completed = event.completion()) return *completed;
      return std::nullopt;
    }
    void cancel() const { token.cancel(); }
  };

  // Called once per chunk and once with the completion. A handler that
  // throws on a chunk cancels the request with its error; one that throws
  // on the completion is ignored.
  template <class Success, class Failure>
  using Handler = std::function<void(const Stream<Success, Failure>&)>;

  // Sees the last URL request and the response; there is no body to see.
  using Validation = std::function<ValidationResult(const std::optional<platform::URLRequest>&,
                                                    const std::shared_ptr<const platform::HTTPURLResponse>&)>;

  // With `automaticallyCancelOnStreamError`, a chunk that a stream
  // serializer fails to serialize cancels the request.
  static std::shared_ptr<DataStreamRequest> make(BaseFields fields,
                                                 std::shared_ptr<const URLRequestConvertible> convertible,
                                                 bool automaticallyCancelOnStreamError);

  const std::shared_ptr<const URLRequestConvertible>& convertible() const { return convertible_; }
  bool automaticallyCancelOnStreamError() const { return automaticallyCancelOnStreamError_; }

  // Called by the session as bytes and the response arrive. A chunk goes to
  // the handlers registered by then; the body is never kept, and download
  // progress stays at 0 of 0.
  void didReceiveData(const platform::Data& chunk);
  void didReceiveResponse(const std::shared_ptr<const platform::HTTPURLResponse>& response,
                          platform::ResponseCompletionHandler completion);
  std::shared_ptr<platform::URLSessionTask> createTask(const platform::URLRequest& urlRequest,
                                                       const std::shared_ptr<platform::URLSession>& session) override;
  // Closes the bound output stream, so that its reader reaches the end.
  void finish(const std::optional<WNError>& error = std::nullopt) override;

  // Stream handlers. Every handler gets each later chunk, on `queue`, in
  // arrival order when `queue` is serial, then one completion event per
  // finish, after every chunk handed out to any handler has been handled.
  // Adding one starts a request that starts automatically. Handlers stay
  // through retries: they get the chunks of every attempt.
  DataStreamRequest& responseStream(std::shared_ptr<platform::DispatchQueue> queue,
                                    Handler<platform::Data, Never> stream);
  // A chunk the serializer fails on reaches the handler as a failure (a
  // foreign error wrapped as customSerializationFailed); the request goes
  // on unless it cancels automatically on stream errors.
  template <DataStreamSerializer Serializer>
  DataStreamRequest& responseStream(Serializer serializer, std::shared_ptr<platform::DispatchQueue> queue,
                                    Handler<typename Serializer::SerializedObject, WNError> stream);
  // The body as UTF-8 text, ill-formed bytes as U+FFFD. A character split
  // between chunks is handed out whole with the chunk that completes it (a
  // chunk holding nothing else gives empty text); one the body never
  // completes comes as U+FFFD before the completion event.
  DataStreamRequest& responseStreamString(std::shared_ptr<platform::DispatchQueue> queue,
                                          Handler<std::string, Never> stream);
  template <platform::Decodable T>
  DataStreamRequest& responseStreamDecodable(
      std::shared_ptr<platform::DispatchQueue> queue, Handler<T, WNError> stream,
      std::shared_ptr<const DataDecoder> decoder = DecodableResponseSerializer<T>::defaultDecoder(),
      std::shared_ptr<const DataPreprocessor> preprocessor = wendanet::ResponseSerializer::defaultDataPreprocessor()) {
    return responseStream(DecodableStreamSerializer<T>(std::move(decoder), std::move(preprocessor)), std::move(queue),
                          std::move(stream));
  }

  // Each replaces the handler stored before; it answers the response of
  // every attempt. The plain form always allows.
  DataStreamRequest& onHTTPResponseWithDisposition(std::shared_ptr<platform::DispatchQueue> queue,
                                                   HTTPResponseDispositionHandler handler);
  DataStreamRequest& onHTTPResponse(std::shared_ptr<platform::DispatchQueue> queue, HTTPResponseHandler handler);

  // Validators run in the order added when a task completes, after every
  // chunk of the attempt was handed out, and only while the request has a
  // response and no error. The first failure becomes the request's error
  // (wrapped as customValidationFailed unless a WNError); handlers see it in
  // their completion events.
  DataStreamRequest& validate(Validation validation);
  template <std::ranges::input_range Codes>
  requires std::integral<std::ranges::range_value_t<Codes>> DataStreamRequest& validateStatusCode(
      Codes acceptableCodes) {
    return validate([acceptableCodes = std::move(acceptableCodes)](const auto&, const auto& response) {
      return wendanet::validateStatusCode(acceptableCodes, *response);
    });
  }
  // The types are asked for each time the validator runs.
  DataStreamRequest& validateContentType(std::function<std::vector<std::string>()> acceptableTypes);
  // Status 200 to 299, then the types the last URL request's "Accept"
  // header admits.
  DataStreamRequest& validate();

  // Resumes the request and feeds every later chunk, until the request
  // finishes, into a bound stream pair whose input side it returns
  // unopened; null when no pair can be made of `bufferSize`. A later call
  // replaces the output side.
  std::shared_ptr<platform::InputStream> asInputStream(std::ptrdiff_t bufferSize);

 private:
  // Hands one chunk to one handler; called on `underlyingQueue`.
  using StreamEntry = std::function<void(const std::shared_ptr<DataStreamRequest>&, const platform::Data&)>;
  // A serializer's work on one chunk, on `serializationQueue`; may throw.
  using SerializeChunk = std::function<AnyValue()>;
  // A typed handler's call for a chunk or the completion; may throw.
  using DeliverChunk = std::function<void(const Result<AnyValue>&, const CancellationToken&)>;
  using DeliverCompletion = std::function<void(const Completion&, const CancellationToken&)>;

  struct StreamMutableState {
    std::shared_ptr<platform::OutputStream> outputStream;
    // One per handler, in registration order; never removed.
    std::vector<StreamEntry> streams;
    // Chunk deliveries handed out and not yet handled, over all handlers.
    std::int64_t numberOfExecutingStreams = 0;
    // Completion events held back while deliveries are counted.
    std::vector<std::move_only_function<void()>> enqueuedCompletionEvents;
    std::optional<QueuedHandler<HTTPResponseDispositionHandler>> httpResponseHandler;
  };

  DataStreamRequest(BaseFields fields, std::shared_ptr<const URLRequestConvertible> convertible,
                    bool automaticallyCancelOnStreamError);

  std::shared_ptr<DataStreamRequest> self() { return std::static_pointer_cast<DataStreamRequest>(shared_from_this()); }
  CancellationToken token() { return {self()}; }

  // Registers a handler: its chunk entry, then its completion as one of the
  // request's response serializers. `beforeCompletion` runs on
  // `serializationQueue` once the chunks of the request have been
  // serialized, before the completion event is decided.
  void appendStream(StreamEntry entry, std::shared_ptr<platform::DispatchQueue> queue, DeliverCompletion complete,
                    std::function<void(DataStreamRequest&)> beforeCompletion = {});
  void appendSerializedStream(std::function<SerializeChunk(const platform::Data&)> makeSerialize,
                              std::shared_ptr<platform::DispatchQueue> queue, DeliverChunk deliver,
                              DeliverCompletion complete);
  // The path of a serialized chunk: serialized on `serializationQueue`,
  // told to the monitor on `underlyingQueue`, handled on `queue`.
  void deliverSerialized(SerializeChunk serialize, std::shared_ptr<platform::DispatchQueue> queue,
                         DeliverChunk deliver);
  void reportParsedChunk(const Result<AnyValue>& result);
  // Calls `handle` on `queue`, then counts the delivery down.
  void deliverToHandler(const std::shared_ptr<platform::DispatchQueue>& queue, std::function<void()> handle);
  void captureHandlerError(const std::function<void()>& handle);
  // Counts one more delivery, for a chunk handed out outside didReceiveData.
  void incrementExecutingStreams();
  void decrementExecutingStreams();
  void enqueueCompletionEvent(std::shared_ptr<platform::DispatchQueue> queue, DeliverCompletion complete);
  void sendCompletionEvent(const std::shared_ptr<platform::DispatchQueue>& queue, DeliverCompletion complete);
  void runValidator(const Validation& validation);

  template <class Success, class Failure>
  static DeliverCompletion completionDelivery(Handler<Success, Failure> handler) {
    return [handler = std::move(handler)](const Completion& completion, const CancellationToken& token) {
      handler({Event<Success, Failure>::complete(completion), token});
    };
  }

  const std::shared_ptr<const URLRequestConvertible> convertible_;
  const bool automaticallyCancelOnStreamError_;
  Protected<StreamMutableState> streamMutableState_;
};

template <DataStreamSerializer Serializer>
DataStreamRequest& DataStreamRequest::responseStream(Serializer serializer,
                                                     std::shared_ptr<platform::DispatchQueue> queue,
                                                     Handler<typename Serializer::SerializedObject, WNError> stream) {
  using Value = typename Serializer::SerializedObject;
  const auto shared = std::make_shared<const Serializer>(std::move(serializer));
  appendSerializedStream(
      [shared](const platform::Data& chunk) -> SerializeChunk {
        return [shared, chunk] { return AnyValue(Value(shared->serialize(chunk))); };
      },
      std::move(queue),
      [stream](const Result<AnyValue>& result, const CancellationToken& token) {
        auto typed = result ? Result<Value>(*result->get<Value>()) : std::unexpected(result.error());
        stream({Event<Value, WNError>::stream(std::move(typed)), token});
      },
      completionDelivery(stream));
  return *this;
}

}  // namespace wendanet
