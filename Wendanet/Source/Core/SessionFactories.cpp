#include "Platform/Foundation/UUID.h"
#include "Wendanet/Source/Core/Session.h"
#include "Wendanet/Source/Core/Uploadable.h"
#include "Wendanet/Source/Support/MultipartUpload.h"

// The request factories. None fails: whatever cannot be converted is found
// when the request is performed, and reported to the request then.

namespace wendanet {

namespace {

std::shared_ptr<const URLRequestConvertible> parameterless(Session::URLRef url, HTTPMethod method,
                                                           std::optional<HTTPHeaders> headers,
                                                           RequestModifier requestModifier) {
  return std::make_shared<ParameterlessRequestConvertible>(std::move(url), std::move(method), std::move(headers),
                                                           std::move(requestModifier));
}

}  // namespace

Request::BaseFields Session::baseFields(std::shared_ptr<RequestInterceptor> interceptor,
                                        std::optional<bool> shouldAutomaticallyResume) {
  return {.id = platform::UUID(),
          .underlyingQueue = rootQueue_,
          .serializationQueue = serializationQueue_,
          .eventMonitor = eventMonitor_,
          .interceptor = std::move(interceptor),
          .delegate = std::weak_ptr<RequestDelegate>(shared_from_this()),
          .shouldAutomaticallyResume = shouldAutomaticallyResume};
}

std::shared_ptr<const ParameterEncoder> Session::orDefault(std::shared_ptr<const ParameterEncoder> encoder) {
  if (encoder) return encoder;
  return URLEncodedFormParameterEncoder::default_();
}

std::shared_ptr<const ParameterEncoding> Session::orDefault(std::shared_ptr<const ParameterEncoding> encoding) {
  if (encoding) return encoding;
  // Immutable, so every request without an encoding of its own shares one.
  static const std::shared_ptr<const ParameterEncoding> standard = std::make_shared<URLEncoding>();
  return standard;
}

// Data requests.

std::shared_ptr<DataRequest> Session::requestWithParameters(URLRef url, HTTPMethod method,
                                                            std::optional<Parameters> parameters,
                                                            std::shared_ptr<const ParameterEncoding> encoding,
                                                            std::optional<HTTPHeaders> headers,
                                                            std::shared_ptr<RequestInterceptor> interceptor,
                                                            std::optional<bool> shouldAutomaticallyResume,
                                                            RequestModifier requestModifier) {
  return requestWithURLRequest(
      std::make_shared<RequestConvertible>(std::move(url), std::move(method), std::move(parameters),
                                           orDefault(std::move(encoding)), std::move(headers),
                                           std::move(requestModifier)),
      std::move(interceptor), shouldAutomaticallyResume);
}

std::shared_ptr<DataRequest> Session::requestWithURLRequest(ConvertibleRef convertible,
                                                            std::shared_ptr<RequestInterceptor> interceptor,
                                                            std::optional<bool> shouldAutomaticallyResume) {
  return setUp(DataRequest::make(baseFields(std::move(interceptor), shouldAutomaticallyResume), std::move(convertible)));
}

// Streams.

std::shared_ptr<DataStreamRequest> Session::streamRequestWithoutParameters(
    URLRef url, HTTPMethod method, std::optional<HTTPHeaders> headers, bool automaticallyCancelOnStreamError,
    std::shared_ptr<RequestInterceptor> interceptor, std::optional<bool> shouldAutomaticallyResume,
    RequestModifier requestModifier) {
  return streamRequestWithEncodableParameters<platform::Data>(
      std::move(url), std::move(method), std::nullopt, nullptr, std::move(headers), automaticallyCancelOnStreamError,
      std::move(interceptor), shouldAutomaticallyResume, std::move(requestModifier));
}

std::shared_ptr<DataStreamRequest> Session::streamRequestWithURLRequest(ConvertibleRef convertible,
                                                                        bool automaticallyCancelOnStreamError,
                                                                        std::shared_ptr<RequestInterceptor> interceptor,
                                                                        std::optional<bool> shouldAutomaticallyResume) {
  return setUp(DataStreamRequest::make(baseFields(std::move(interceptor), shouldAutomaticallyResume),
                                       std::move(convertible), automaticallyCancelOnStreamError));
}

// WebSockets.

std::shared_ptr<WebSocketRequest> Session::webSocketRequestWithDefaultEncoder(
    URLRef url, WebSocketRequest::Configuration configuration, std::optional<HTTPHeaders> headers,
    std::shared_ptr<RequestInterceptor> interceptor, std::optional<bool> shouldAutomaticallyResume,
    RequestModifier requestModifier) {
  return webSocketRequestWithEncodableParameters<platform::Data>(
      std::move(url), std::move(configuration), std::nullopt, nullptr, std::move(headers), std::move(interceptor),
      shouldAutomaticallyResume, std::move(requestModifier));
}

std::shared_ptr<WebSocketRequest> Session::webSocketRequestWithURLRequest(
    ConvertibleRef convertible, WebSocketRequest::Configuration configuration,
    std::shared_ptr<RequestInterceptor> interceptor, std::optional<bool> shouldAutomaticallyResume) {
  return setUp(WebSocketRequest::make(baseFields(std::move(interceptor), shouldAutomaticallyResume),
                                      std::move(convertible), std::move(configuration)));
}

// Downloads.

DownloadRequest::DestinationChoice Session::defaultDownloadDestination(
    const platform::URL& temporaryURL, const std::shared_ptr<const platform::HTTPURLResponse>&) {
  return {DownloadRequest::defaultDestinationURL(temporaryURL), {}};
}

std::shared_ptr<DownloadRequest> Session::downloadWithParameters(
    URLRef url, HTTPMethod method, std::optional<Parameters> parameters,
    std::shared_ptr<const ParameterEncoding> encoding, std::optional<HTTPHeaders> headers,
    std::shared_ptr<RequestInterceptor> interceptor, std::optional<bool> shouldAutomaticallyResume,
    RequestModifier requestModifier, Destination destination) {
  return downloadWithURLRequest(
      std::make_shared<RequestConvertible>(std::move(url), std::move(method), std::move(parameters),
                                           orDefault(std::move(encoding)), std::move(headers),
                                           std::move(requestModifier)),
      std::move(interceptor), shouldAutomaticallyResume, std::move(destination));
}

std::shared_ptr<DownloadRequest> Session::downloadWithURLRequest(ConvertibleRef convertible,
                                                                 std::shared_ptr<RequestInterceptor> interceptor,
                                                                 std::optional<bool> shouldAutomaticallyResume,
                                                                 Destination destination) {
  return setUp(DownloadRequest::make(baseFields(std::move(interceptor), shouldAutomaticallyResume),
                                     DownloadRequest::Downloadable::request(std::move(convertible)),
                                     destination ? std::move(destination) : defaultDownloadDestination));
}

std::shared_ptr<DownloadRequest> Session::downloadResumingWithData(platform::Data resumeData,
                                                                   std::shared_ptr<RequestInterceptor> interceptor,
                                                                   std::optional<bool> shouldAutomaticallyResume,
                                                                   Destination destination) {
  return setUp(DownloadRequest::make(baseFields(std::move(interceptor), shouldAutomaticallyResume),
                                     DownloadRequest::Downloadable::resumeData(std::move(resumeData)),
                                     destination ? std::move(destination) : defaultDownloadDestination));
}

// Uploads.

std::shared_ptr<UploadRequest> Session::uploadWithConvertible(std::shared_ptr<const UploadConvertible> upload,
                                                              std::shared_ptr<RequestInterceptor> interceptor,
                                                              std::optional<bool> shouldAutomaticallyResume,
                                                              std::shared_ptr<platform::FileManager> fileManager) {
  return setUp(UploadRequest::make(baseFields(std::move(interceptor), shouldAutomaticallyResume), std::move(upload),
                                   std::move(fileManager)));
}

std::shared_ptr<UploadRequest> Session::uploadDataToURL(platform::Data data, URLRef url, HTTPMethod method,
                                                        std::optional<HTTPHeaders> headers,
                                                        std::shared_ptr<RequestInterceptor> interceptor,
                                                        std::optional<bool> shouldAutomaticallyResume,
                                                        std::shared_ptr<platform::FileManager> fileManager,
                                                        RequestModifier requestModifier) {
  return uploadDataWithURLRequest(
      std::move(data), parameterless(std::move(url), std::move(method), std::move(headers), std::move(requestModifier)),
      std::move(interceptor), shouldAutomaticallyResume, std::move(fileManager));
}

std::shared_ptr<UploadRequest> Session::uploadDataWithURLRequest(platform::Data data, ConvertibleRef convertible,
                                                                 std::shared_ptr<RequestInterceptor> interceptor,
                                                                 std::optional<bool> shouldAutomaticallyResume,
                                                                 std::shared_ptr<platform::FileManager> fileManager) {
  return uploadWithConvertible(
      std::make_shared<Upload>(std::move(convertible), std::make_shared<Uploadable>(Uploadable::data(std::move(data)))),
      std::move(interceptor), shouldAutomaticallyResume, std::move(fileManager));
}

std::shared_ptr<UploadRequest> Session::uploadFileToURL(platform::URL fileURL, URLRef url, HTTPMethod method,
                                                        std::optional<HTTPHeaders> headers,
                                                        std::shared_ptr<RequestInterceptor> interceptor,
                                                        std::optional<bool> shouldAutomaticallyResume,
                                                        std::shared_ptr<platform::FileManager> fileManager,
                                                        RequestModifier requestModifier) {
  return uploadFileWithURLRequest(
      std::move(fileURL),
      parameterless(std::move(url), std::move(method), std::move(headers), std::move(requestModifier)),
      std::move(interceptor), shouldAutomaticallyResume, std::move(fileManager));
}

std::shared_ptr<UploadRequest> Session::uploadFileWithURLRequest(platform::URL fileURL, ConvertibleRef convertible,
                                                                 std::shared_ptr<RequestInterceptor> interceptor,
                                                                 std::optional<bool> shouldAutomaticallyResume,
                                                                 std::shared_ptr<platform::FileManager> fileManager) {
  return uploadWithConvertible(std::make_shared<Upload>(std::move(convertible), std::make_shared<Uploadable>(
                                                                                    Uploadable::file(std::move(fileURL),
                                                                                                     false))),
                               std::move(interceptor), shouldAutomaticallyResume, std::move(fileManager));
}

std::shared_ptr<UploadRequest> Session::uploadStreamToURL(std::shared_ptr<platform::InputStream> stream, URLRef url,
                                                          HTTPMethod method, std::optional<HTTPHeaders> headers,
                                                          std::shared_ptr<RequestInterceptor> interceptor,
                                                          std::shared_ptr<platform::FileManager> fileManager,
                                                          RequestModifier requestModifier) {
  return uploadStreamWithURLRequest(
      std::move(stream), parameterless(std::move(url), std::move(method), std::move(headers), std::move(requestModifier)),
      std::move(interceptor), std::nullopt, std::move(fileManager));
}

std::shared_ptr<UploadRequest> Session::uploadStreamWithURLRequest(std::shared_ptr<platform::InputStream> stream,
                                                                   ConvertibleRef convertible,
                                                                   std::shared_ptr<RequestInterceptor> interceptor,
                                                                   std::optional<bool> shouldAutomaticallyResume,
                                                                   std::shared_ptr<platform::FileManager> fileManager) {
  return uploadWithConvertible(
      std::make_shared<Upload>(std::move(convertible),
                               std::make_shared<Uploadable>(Uploadable::stream(std::move(stream)))),
      std::move(interceptor), shouldAutomaticallyResume, std::move(fileManager));
}

std::shared_ptr<UploadRequest> Session::uploadMultipartClosureToURL(MultipartBuilder builder, URLRef url,
                                                                    std::uint64_t encodingMemoryThreshold,
                                                                    HTTPMethod method,
                                                                    std::optional<HTTPHeaders> headers,
                                                                    std::shared_ptr<RequestInterceptor> interceptor,
                                                                    std::shared_ptr<platform::FileManager> fileManager,
                                                                    RequestModifier requestModifier) {
  return uploadMultipartClosureWithURLRequest(
      std::move(builder),
      parameterless(std::move(url), std::move(method), std::move(headers), std::move(requestModifier)),
      encodingMemoryThreshold, std::move(interceptor), std::move(fileManager));
}

std::shared_ptr<UploadRequest> Session::uploadMultipartClosureWithURLRequest(
    MultipartBuilder builder, ConvertibleRef convertible, std::uint64_t encodingMemoryThreshold,
    std::shared_ptr<RequestInterceptor> interceptor, std::shared_ptr<platform::FileManager> fileManager) {
  const auto formData = MultipartFormData::make(fileManager);
  builder(*formData);
  return uploadMultipartFormDataWithURLRequest(formData, std::move(convertible), encodingMemoryThreshold,
                                               std::move(interceptor), std::nullopt, std::move(fileManager));
}

std::shared_ptr<UploadRequest> Session::uploadMultipartFormDataToURL(
    std::shared_ptr<MultipartFormData> multipartFormData, URLRef url, std::uint64_t encodingMemoryThreshold,
    HTTPMethod method, std::optional<HTTPHeaders> headers, std::shared_ptr<RequestInterceptor> interceptor,
    std::optional<bool> shouldAutomaticallyResume, std::shared_ptr<platform::FileManager> fileManager,
    RequestModifier requestModifier) {
  return uploadWithConvertible(
      MultipartUpload::make(encodingMemoryThreshold,
                            parameterless(std::move(url), std::move(method), std::move(headers),
                                          std::move(requestModifier)),
                            std::move(multipartFormData)),
      std::move(interceptor), shouldAutomaticallyResume, std::move(fileManager));
}

std::shared_ptr<UploadRequest> Session::uploadMultipartFormDataWithURLRequest(
    std::shared_ptr<MultipartFormData> multipartFormData, ConvertibleRef convertible,
    std::uint64_t encodingMemoryThreshold, std::shared_ptr<RequestInterceptor> interceptor,
    std::optional<bool> shouldAutomaticallyResume, std::shared_ptr<platform::FileManager> fileManager) {
  return uploadWithConvertible(
      MultipartUpload::make(encodingMemoryThreshold, std::move(convertible), std::move(multipartFormData)),
      std::move(interceptor), shouldAutomaticallyResume, std::move(fileManager));
}

}  // namespace wendanet
