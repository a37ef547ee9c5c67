#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "Platform/Coding/CodingTraits.h"
#include "Platform/Combine/AnyPublisher.h"
#include "Platform/Dispatch/DispatchQueue.h"
#include "Wendanet/Source/Async/PublisherSubscription.h"
#include "Wendanet/Source/Core/DataStreamRequest.h"

namespace wendanet {

// A streamed request published: on the first demand the stream handler is
// added on the given queue and the request resumed; the subscriber gets
// every chunk event, then the completion event and `finished`. Cancelling
// the subscription cancels the request.
template <class Value>
class DataStreamPublisher {
 public:
  using Output = DataStreamRequest::Stream<Value, WNError>;
  using Failure = Never;
  using Result = std::expected<Value, WNError>;
  using Subscription = detail::PublisherSubscription<DataStreamRequest, Output>;

  DataStreamPublisher(std::shared_ptr<DataStreamRequest> request, typename Subscription::Register streamHandler)
      : request_(std::move(request)), streamHandler_(std::move(streamHandler)) {}

  const std::shared_ptr<DataStreamRequest>& request() const { return request_; }

  void receive(std::shared_ptr<platform::Subscriber<Output, Never>> subscriber) const {
    subscriber->receive(std::make_shared<Subscription>(
        request_, streamHandler_, subscriber, [](const Output& stream) { return stream.event.completion() != nullptr; }));
  }

  platform::AnyPublisher<Output, Never> eraseToAnyPublisher() const {
    return platform::AnyPublisher<Output, Never>::erasing(*this);
  }
  // Each chunk's result; a completion with an error as that failure, one
  // without as nothing.
  platform::AnyPublisher<Result, Never> result() const {
    return eraseToAnyPublisher().compactMap([](const Output& stream) -> std::optional<Result> {
      if (auto chunk = stream.result()) return *std::move(chunk);
      if (auto error = stream.completion()->error) return std::unexpected(*std::move(error));
      return std::nullopt;
    });
  }
  // The chunk values; the first failure ends the publisher with its error.
  platform::AnyPublisher<Value, WNError> value() const {
    return result().template setFailureType<WNError>().flatMap(
        [](const Result& result) { return platform::resultPublisher(result); });
  }

 private:
  std::shared_ptr<DataStreamRequest> request_;
  typename Subscription::Register streamHandler_;
};

namespace detail {

// The same stream, its failure type widened to WNError: a chunk of a
// handler that cannot fail always holds a value.
template <class Value>
DataStreamRequest::Stream<Value, WNError> widened(const DataStreamRequest::Stream<Value, Never>& stream) {
  using Event = DataStreamRequest::Event<Value, WNError>;
  if (const auto* completion = stream.event.completion()) return {Event::complete(*completion), stream.token};
  return {Event::stream(**stream.event.streamResult()), stream.token};
}

}  // namespace detail

template <DataStreamSerializer Serializer>
DataStreamPublisher<typename Serializer::SerializedObject> streamPublisher(
    const std::shared_ptr<DataStreamRequest>& request, Serializer serializer,
    std::shared_ptr<platform::DispatchQueue> queue) {
  using Publisher = DataStreamPublisher<typename Serializer::SerializedObject>;
  return Publisher(request, [request, serializer = std::move(serializer),
                             queue = std::move(queue)](typename Publisher::Subscription::Deliver deliver) {
    request->responseStream(serializer, queue, std::move(deliver));
    return request;
  });
}

DataStreamPublisher<platform::Data> dataPublisher(const std::shared_ptr<DataStreamRequest>& request,
                                                  std::shared_ptr<platform::DispatchQueue> queue);
// UTF-8 text, characters kept whole across chunks.
DataStreamPublisher<std::string> stringPublisher(const std::shared_ptr<DataStreamRequest>& request,
                                                 std::shared_ptr<platform::DispatchQueue> queue);

template <platform::Decodable T>
DataStreamPublisher<T> decodablePublisher(const std::shared_ptr<DataStreamRequest>& request,
                                          std::shared_ptr<platform::DispatchQueue> queue,
                                          std::shared_ptr<const DataDecoder> decoder,
                                          std::shared_ptr<const DataPreprocessor> dataPreprocessor) {
  return streamPublisher(request, DecodableStreamSerializer<T>(std::move(decoder), std::move(dataPreprocessor)),
                         std::move(queue));
}

}  // namespace wendanet
