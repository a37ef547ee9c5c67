#pragma once

#include <memory>
#include <optional>
#include <utility>

#include "Platform/Coding/CodingTraits.h"
#include "Platform/Foundation/TextEncoding.h"
#include "Wendanet/Source/Async/ResponseKind.h"
#include "Wendanet/Source/Async/ResponseTask.h"
#include "Wendanet/Source/Support/URLResponseSerializer.h"

namespace wendanet {

namespace detail {

// Every builder ends here: the handler is added, with `serializer`, on the
// request's underlying queue from inside the task.
template <class RequestKind, class Serializer>
auto responseTask(const std::shared_ptr<RequestKind>& request, Serializer serializer, bool automaticallyCancelling) {
  using Response = typename ResponseKind<RequestKind>::template Response<typename Serializer::SerializedObject>;
  using Task = ResponseTask<RequestKind, Response>;
  return Task(request, automaticallyCancelling, ResponseKind<RequestKind>::taskFunction,
              [request, serializer = std::move(serializer)](typename Task::Completion completion) {
                request->response(request->underlyingQueue(), serializer, std::move(completion));
              });
}

}  // namespace detail

using EmptyResponseCodes = ResponseSerializer::EmptyResponseCodes;
using EmptyRequestMethods = ResponseSerializer::EmptyRequestMethods;

template <DataResponseSerializerProtocol Serializer>
DataTask<typename Serializer::SerializedObject> dataTaskForSerializer(const std::shared_ptr<DataRequest>& request,
                                                                      Serializer serializer,
                                                                      bool automaticallyCancelling = false) {
  return detail::responseTask(request, std::move(serializer), automaticallyCancelling);
}

inline DataTask<platform::Data> dataTaskForData(
    const std::shared_ptr<DataRequest>& request, bool automaticallyCancelling = false,
    std::shared_ptr<const DataPreprocessor> dataPreprocessor = ResponseSerializer::defaultDataPreprocessor(),
    EmptyResponseCodes emptyResponseCodes = ResponseSerializer::defaultEmptyResponseCodes(),
    EmptyRequestMethods emptyRequestMethods = ResponseSerializer::defaultEmptyRequestMethods()) {
  return dataTaskForSerializer(request,
                               DataResponseSerializer(std::move(dataPreprocessor), std::move(emptyResponseCodes),
                                                      std::move(emptyRequestMethods)),
                               automaticallyCancelling);
}

inline DataTask<std::string> dataTaskForString(
    const std::shared_ptr<DataRequest>& request, bool automaticallyCancelling = false,
    std::shared_ptr<const DataPreprocessor> dataPreprocessor = ResponseSerializer::defaultDataPreprocessor(),
    std::optional<platform::TextEncoding> encoding = std::nullopt,
    EmptyResponseCodes emptyResponseCodes = ResponseSerializer::defaultEmptyResponseCodes(),
    EmptyRequestMethods emptyRequestMethods = ResponseSerializer::defaultEmptyRequestMethods()) {
  return dataTaskForSerializer(request,
                               StringResponseSerializer(std::move(dataPreprocessor), encoding,
                                                        std::move(emptyResponseCodes), std::move(emptyRequestMethods)),
                               automaticallyCancelling);
}

template <platform::Decodable T>
DataTask<T> dataTaskForDecodable(
    const std::shared_ptr<DataRequest>& request, bool automaticallyCancelling = false,
    std::shared_ptr<const DataPreprocessor> dataPreprocessor = ResponseSerializer::defaultDataPreprocessor(),
    std::shared_ptr<const DataDecoder> decoder = DecodableResponseSerializer<T>::defaultDecoder(),
    EmptyResponseCodes emptyResponseCodes = ResponseSerializer::defaultEmptyResponseCodes(),
    EmptyRequestMethods emptyRequestMethods = ResponseSerializer::defaultEmptyRequestMethods()) {
  return dataTaskForSerializer(
      request,
      DecodableResponseSerializer<T>(std::move(dataPreprocessor), std::move(decoder), std::move(emptyResponseCodes),
                                     std::move(emptyRequestMethods)),
      automaticallyCancelling);
}

template <DownloadResponseSerializerProtocol Serializer>
DownloadTask<typename Serializer::SerializedObject> downloadTaskForSerializer(
    const std::shared_ptr<DownloadRequest>& request, Serializer serializer, bool automaticallyCancelling = false) {
  return detail::responseTask(request, std::move(serializer), automaticallyCancelling);
}

inline DownloadTask<platform::Data> downloadTaskForData(
    const std::shared_ptr<DownloadRequest>& request, bool automaticallyCancelling = false,
    std::shared_ptr<const DataPreprocessor> dataPreprocessor = ResponseSerializer::defaultDataPreprocessor(),
    EmptyResponseCodes emptyResponseCodes = ResponseSerializer::defaultEmptyResponseCodes(),
    EmptyRequestMethods emptyRequestMethods = ResponseSerializer::defaultEmptyRequestMethods()) {
  return downloadTaskForSerializer(request,
                                   DataResponseSerializer(std::move(dataPreprocessor), std::move(emptyResponseCodes),
                                                          std::move(emptyRequestMethods)),
                                   automaticallyCancelling);
}

inline DownloadTask<std::string> downloadTaskForString(
    const std::shared_ptr<DownloadRequest>& request, bool automaticallyCancelling = false,
    std::shared_ptr<const DataPreprocessor> dataPreprocessor = ResponseSerializer::defaultDataPreprocessor(),
    std::optional<platform::TextEncoding> encoding = std::nullopt,
    EmptyResponseCodes emptyResponseCodes = ResponseSerializer::defaultEmptyResponseCodes(),
    EmptyRequestMethods emptyRequestMethods = ResponseSerializer::defaultEmptyRequestMethods()) {
  return downloadTaskForSerializer(
      request,
      StringResponseSerializer(std::move(dataPreprocessor), encoding, std::move(emptyResponseCodes),
                               std::move(emptyRequestMethods)),
      automaticallyCancelling);
}

template <platform::Decodable T>
DownloadTask<T> downloadTaskForDecodable(
    const std::shared_ptr<DownloadRequest>& request, bool automaticallyCancelling = false,
    std::shared_ptr<const DataPreprocessor> dataPreprocessor = ResponseSerializer::defaultDataPreprocessor(),
    std::shared_ptr<const DataDecoder> decoder = DecodableResponseSerializer<T>::defaultDecoder(),
    EmptyResponseCodes emptyResponseCodes = ResponseSerializer::defaultEmptyResponseCodes(),
    EmptyRequestMethods emptyRequestMethods = ResponseSerializer::defaultEmptyRequestMethods()) {
  return downloadTaskForSerializer(
      request,
      DecodableResponseSerializer<T>(std::move(dataPreprocessor), std::move(decoder), std::move(emptyResponseCodes),
                                     std::move(emptyRequestMethods)),
      automaticallyCancelling);
}

// The downloaded file's URL.
inline DownloadTask<platform::URL> downloadTaskForFileURL(const std::shared_ptr<DownloadRequest>& request,
                                                          bool automaticallyCancelling = false) {
  return downloadTaskForSerializer(request, URLResponseSerializer(), automaticallyCancelling);
}

}  // namespace wendanet
