#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "Platform/Coding/CodingTraits.h"
#include "Platform/Foundation/Data.h"
#include "Wendanet/Source/Async/RequestStream.h"
#include "Wendanet/Source/Core/DataStreamRequest.h"
#include "Wendanet/Source/Core/Never.h"

namespace wendanet {

// A streamed response as loops: every stream yields each chunk event the
// request delivers, then its completion event, and then ends. Leaving a
// loop early with automatic cancelling cancels a request still running.
class DataStreamTask {
 public:
  template <class Success, class Failure>
  using Stream = DataStreamRequest::Stream<Success, Failure>;
  using BufferingPolicy = platform::StreamBufferingPolicy;

  explicit DataStreamTask(std::shared_ptr<DataStreamRequest> request) : request_(std::move(request)) {}

  const std::shared_ptr<DataStreamRequest>& request() const { return request_; }

  StreamOf<Stream<platform::Data, Never>> dataStream(bool automaticallyCancelling = true,
                                                     BufferingPolicy bufferingPolicy = BufferingPolicy::unbounded()) const;
  // UTF-8 text, characters kept whole across chunks.
  StreamOf<Stream<std::string, Never>> stringStream(bool automaticallyCancelling = true,
                                                    BufferingPolicy bufferingPolicy = BufferingPolicy::unbounded()) const;
  // A chunk that does not decode comes as a failure and the stream goes on.
  template <platform::Decodable T>
  StreamOf<Stream<T, WNError>> decodableStream(bool automaticallyCancelling = true,
                                               BufferingPolicy bufferingPolicy = BufferingPolicy::unbounded()) const {
    return serializedStream(DecodableStreamSerializer<T>(std::make_shared<JSONDataDecoder>(),
                                                         ResponseSerializer::defaultDataPreprocessor()),
                            automaticallyCancelling, bufferingPolicy);
  }
  template <DataStreamSerializer Serializer>
  StreamOf<Stream<typename Serializer::SerializedObject, WNError>> serializedStream(
      Serializer serializer, bool automaticallyCancelling = true,
      BufferingPolicy bufferingPolicy = BufferingPolicy::unbounded()) const {
    using Element = Stream<typename Serializer::SerializedObject, WNError>;
    return makeStream<Element>(automaticallyCancelling, bufferingPolicy,
                               [serializer = std::move(serializer)](DataStreamRequest& request, auto queue,
                                                                    std::function<void(const Element&)> handler) {
                                 request.responseStream(serializer, std::move(queue), std::move(handler));
                               });
  }

  void cancel() const { request_->cancel(); }
  void resume() const { request_->resume(); }
  void suspend() const { request_->suspend(); }

 private:
  template <class Element>
  using Registration = std::function<void(DataStreamRequest&, std::shared_ptr<platform::DispatchQueue>,
                                          std::function<void(const Element&)>)>;

  template <class Element>
  StreamOf<Element> makeStream(bool automaticallyCancelling, BufferingPolicy bufferingPolicy,
                               Registration<Element> registerHandler) const {
    return detail::makeRequestStream<Element, Element>(
        request_, automaticallyCancelling, bufferingPolicy, std::move(registerHandler),
        [](const Element& stream) { return std::optional<Element>(stream); },
        [](const Element& stream) { return stream.event.completion() != nullptr; });
  }

  std::shared_ptr<DataStreamRequest> request_;
};

inline DataStreamTask makeDataStreamTask(std::shared_ptr<DataStreamRequest> request) {
  return DataStreamTask(std::move(request));
}

}  // namespace wendanet
