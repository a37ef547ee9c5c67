#pragma once

#include <memory>
#include <optional>
#include <utility>

#include "Platform/Coding/CodingTraits.h"
#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Foundation/TextEncoding.h"
#include "Wendanet/Source/Async/ResponsePublisher.h"
#include "Wendanet/Source/Support/URLResponseSerializer.h"

namespace wendanet {

namespace detail {

template <class RequestKind, class Value>
using PublisherOf = ResponsePublisher<RequestKind, typename ResponseKind<RequestKind>::template Response<Value>>;

// A publisher whose handler serializes with `serializer` on `queue`.
template <class RequestKind, class Serializer>
PublisherOf<RequestKind, typename Serializer::SerializedObject> serializingPublisher(
    const std::shared_ptr<RequestKind>& request, Serializer serializer, std::shared_ptr<platform::DispatchQueue> queue) {
  using Publisher = PublisherOf<RequestKind, typename Serializer::SerializedObject>;
  return Publisher(request, [request, serializer = std::move(serializer),
                             queue = std::move(queue)](typename Publisher::Subscription::Deliver deliver) {
    request->response(queue, serializer, std::move(deliver));
    return request;
  });
}

// A publisher of the unserialized response: the body, or the file's URL.
template <class RequestKind, class Value>
PublisherOf<RequestKind, Value> unserializedPublisher(const std::shared_ptr<RequestKind>& request,
                                                      std::shared_ptr<platform::DispatchQueue> queue) {
  using Publisher = PublisherOf<RequestKind, Value>;
  return Publisher(request, [request, queue = std::move(queue)](typename Publisher::Subscription::Deliver deliver) {
    request->response(queue, std::move(deliver));
    return request;
  });
}

}  // namespace detail

// Each builder serves data requests (uploads included) and downloads alike.
template <detail::OneResponseRequest Kind, class Serializer>
  requires ResponseSerializerFor<Serializer, detail::BaseKind<Kind>>
auto responsePublisher(const std::shared_ptr<Kind>& request, Serializer serializer,
                       std::shared_ptr<platform::DispatchQueue> queue) {
  return detail::serializingPublisher(detail::base(request), std::move(serializer), std::move(queue));
}

template <detail::OneResponseRequest Kind>
auto dataPublisher(const std::shared_ptr<Kind>& request, std::shared_ptr<platform::DispatchQueue> queue,
                   std::shared_ptr<const DataPreprocessor> dataPreprocessor,
                   ResponseSerializer::EmptyResponseCodes emptyResponseCodes,
                   ResponseSerializer::EmptyRequestMethods emptyRequestMethods) {
  return responsePublisher(request,
                           DataResponseSerializer(std::move(dataPreprocessor), std::move(emptyResponseCodes),
                                                  std::move(emptyRequestMethods)),
                           std::move(queue));
}

template <detail::OneResponseRequest Kind>
auto stringPublisher(const std::shared_ptr<Kind>& request, std::shared_ptr<platform::DispatchQueue> queue,
                     std::shared_ptr<const DataPreprocessor> dataPreprocessor,
                     std::optional<platform::TextEncoding> encoding,
                     ResponseSerializer::EmptyResponseCodes emptyResponseCodes,
                     ResponseSerializer::EmptyRequestMethods emptyRequestMethods) {
  return responsePublisher(request,
                           StringResponseSerializer(std::move(dataPreprocessor), encoding,
                                                    std::move(emptyResponseCodes), std::move(emptyRequestMethods)),
                           std::move(queue));
}

template <platform::Decodable T, detail::OneResponseRequest Kind>
auto decodablePublisher(const std::shared_ptr<Kind>& request, std::shared_ptr<platform::DispatchQueue> queue,
                        std::shared_ptr<const DataPreprocessor> dataPreprocessor,
                        std::shared_ptr<const DataDecoder> decoder,
                        ResponseSerializer::EmptyResponseCodes emptyResponseCodes,
                        ResponseSerializer::EmptyRequestMethods emptyRequestMethods) {
  return responsePublisher(request,
                           DecodableResponseSerializer<T>(std::move(dataPreprocessor), std::move(decoder),
                                                          std::move(emptyResponseCodes),
                                                          std::move(emptyRequestMethods)),
                           std::move(queue));
}

// The body of a data request, or the file URL of a download, unserialized.
template <detail::OneResponseRequest Kind>
auto unserializedPublisher(const std::shared_ptr<Kind>& request, std::shared_ptr<platform::DispatchQueue> queue) {
  using Base = detail::BaseKind<Kind>;
  return detail::unserializedPublisher<Base, typename detail::ResponseKind<Base>::UnserializedValue>(
      detail::base(request), std::move(queue));
}

inline DownloadResponsePublisher<platform::URL> urlPublisher(const std::shared_ptr<DownloadRequest>& request,
                                                             std::shared_ptr<platform::DispatchQueue> queue) {
  return responsePublisher(request, URLResponseSerializer(), std::move(queue));
}

}  // namespace wendanet
