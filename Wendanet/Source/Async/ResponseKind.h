#pragma once

#include <concepts>
#include <memory>
#include <optional>

#include "Wendanet/Source/Core/DataRequest.h"
#include "Wendanet/Source/Core/DownloadRequest.h"

namespace wendanet::detail {

// What a request kind that hands one serialized response to its handlers
// produces.
template <class RequestKind>
struct ResponseKind;

template <>
struct ResponseKind<DataRequest> {
  template <class Value>
  using Response = DataResponse<Value>;
  using UnserializedValue = std::optional<platform::Data>;
  static constexpr const char* taskFunction = "dataTask(automaticallyCancelling:forResponse:)";
};

template <>
struct ResponseKind<DownloadRequest> {
  template <class Value>
  using Response = DownloadResponse<Value>;
  using UnserializedValue = std::optional<platform::URL>;
  static constexpr const char* taskFunction = "downloadTask(automaticallyCancelling:forResponse:)";
};

// Data requests (uploads among them) and downloads.
template <class Kind>
concept OneResponseRequest = std::derived_from<Kind, DataRequest> || std::same_as<Kind, DownloadRequest>;

template <OneResponseRequest Kind>
using BaseKind = std::conditional_t<std::derived_from<Kind, DataRequest>, DataRequest, DownloadRequest>;

template <OneResponseRequest Kind>
std::shared_ptr<BaseKind<Kind>> base(const std::shared_ptr<Kind>& request) {
  return request;
}

}  // namespace wendanet::detail

namespace wendanet {

// A serializer the request kind's response handler takes.
template <class Serializer, class Kind>
concept ResponseSerializerFor =
    (std::same_as<Kind, DataRequest> && DataResponseSerializerProtocol<Serializer>) ||
    (std::same_as<Kind, DownloadRequest> && DownloadResponseSerializerProtocol<Serializer>);

}  // namespace wendanet
