#pragma once

#include <expected>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/TextEncoding.h"
#include "Platform/Foundation/URL.h"
#include "Wendanet/Source/Core/MultipartEncodingFailureReason.h"
#include "Wendanet/Source/Core/ParameterEncoderFailureReason.h"
#include "Wendanet/Source/Core/ParameterEncodingFailureReason.h"
#include "Wendanet/Source/Core/ResponseSerializationFailureReason.h"
#include "Wendanet/Source/Core/ResponseValidationFailureReason.h"
#include "Wendanet/Source/Core/ServerTrustFailureReason.h"
#include "Wendanet/Source/Core/TaggedUnion.h"
#include "Wendanet/Source/Core/URLRequestValidationFailureReason.h"
#include "Wendanet/Source/Core/UnexpectedInputStreamLength.h"

namespace wendanet {

class URLConvertible;

// The one error of the HTTP layer. Whatever fails inside the layer reaches
// its callers as one of these cases, foreign errors nested inside; the
// description is the English message shown to users.
class WNError final : public platform::ErrorBase<WNError> {
 public:
  using MultipartEncodingFailureReason = wendanet::MultipartEncodingFailureReason;
  using ParameterEncodingFailureReason = wendanet::ParameterEncodingFailureReason;
  using ParameterEncoderFailureReason = wendanet::ParameterEncoderFailureReason;
  using ResponseValidationFailureReason = wendanet::ResponseValidationFailureReason;
  using ResponseSerializationFailureReason = wendanet::ResponseSerializationFailureReason;
  using ServerTrustFailureReason = wendanet::ServerTrustFailureReason;
  using URLRequestValidationFailureReason = wendanet::URLRequestValidationFailureReason;
  using UnexpectedInputStreamLength = wendanet::UnexpectedInputStreamLength;

  struct CreateUploadableFailed {
    platform::AnyError error;
  };
  struct CreateURLRequestFailed {
    platform::AnyError error;
  };
  struct DownloadedFileMoveFailed {
    platform::AnyError error;
    platform::URL source;
    platform::URL destination;
  };
  struct InvalidURL {
    std::shared_ptr<const URLConvertible> url;
  };
  struct MultipartEncodingFailed {
    MultipartEncodingFailureReason reason;
  };
  struct ParameterEncodingFailed {
    ParameterEncodingFailureReason reason;
  };
  struct ParameterEncoderFailed {
    ParameterEncoderFailureReason reason;
  };
  struct RequestAdaptationFailed {
    platform::AnyError error;
  };
  struct RequestRetryFailed {
    platform::AnyError retryError;
    platform::AnyError originalError;
  };
  struct ResponseValidationFailed {
    ResponseValidationFailureReason reason;
  };
  struct ResponseSerializationFailed {
    ResponseSerializationFailureReason reason;
  };
  struct ServerTrustEvaluationFailed {
    ServerTrustFailureReason reason;
  };
  struct SessionInvalidated {
    platform::AnyError error;  // may be null
  };
  struct SessionTaskFailed {
    platform::AnyError error;
  };
  struct URLRequestValidationFailed {
    URLRequestValidationFailureReason reason;
  };
  struct ExplicitlyCancelled {};
  struct SessionDeinitialized {};
  using Case = std::variant<CreateUploadableFailed, CreateURLRequestFailed, DownloadedFileMoveFailed, InvalidURL,
                            MultipartEncodingFailed, ParameterEncodingFailed, ParameterEncoderFailed,
                            RequestAdaptationFailed, RequestRetryFailed, ResponseValidationFailed,
                            ResponseSerializationFailed, ServerTrustEvaluationFailed, SessionInvalidated,
                            SessionTaskFailed, URLRequestValidationFailed, ExplicitlyCancelled, SessionDeinitialized>;

  static WNError createUploadableFailed(platform::AnyError error) { return CreateUploadableFailed{std::move(error)}; }
  static WNError createURLRequestFailed(platform::AnyError error) { return CreateURLRequestFailed{std::move(error)}; }
  static WNError downloadedFileMoveFailed(platform::AnyError error, platform::URL source, platform::URL destination) {
    return DownloadedFileMoveFailed{std::move(error), std::move(source), std::move(destination)};
  }
  static WNError invalidURL(std::shared_ptr<const URLConvertible> url) { return InvalidURL{std::move(url)}; }
  static WNError multipartEncodingFailed(MultipartEncodingFailureReason reason) {
    return MultipartEncodingFailed{std::move(reason)};
  }
  static WNError parameterEncodingFailed(ParameterEncodingFailureReason reason) {
    return ParameterEncodingFailed{std::move(reason)};
  }
  static WNError parameterEncoderFailed(ParameterEncoderFailureReason reason) {
    return ParameterEncoderFailed{std::move(reason)};
  }
  static WNError requestAdaptationFailed(platform::AnyError error) { return RequestAdaptationFailed{std::move(error)}; }
  static WNError requestRetryFailed(platform::AnyError retryError, platform::AnyError originalError) {
    return RequestRetryFailed{std::move(retryError), std::move(originalError)};
  }
  static WNError responseValidationFailed(ResponseValidationFailureReason reason) {
    return ResponseValidationFailed{std::move(reason)};
  }
  static WNError responseSerializationFailed(ResponseSerializationFailureReason reason) {
    return ResponseSerializationFailed{std::move(reason)};
  }
  static WNError serverTrustEvaluationFailed(ServerTrustFailureReason reason) {
    return ServerTrustEvaluationFailed{std::move(reason)};
  }
  static WNError sessionInvalidated(platform::AnyError error = nullptr) { return SessionInvalidated{std::move(error)}; }
  static WNError sessionTaskFailed(platform::AnyError error) { return SessionTaskFailed{std::move(error)}; }
  static WNError urlRequestValidationFailed(URLRequestValidationFailureReason reason) {
    return URLRequestValidationFailed{std::move(reason)};
  }
  static WNError explicitlyCancelled() { return ExplicitlyCancelled{}; }
  static WNError sessionDeinitialized() { return SessionDeinitialized{}; }

  template <AlternativeOf<Case> Alternative>
  WNError(Alternative value) : value_(std::move(value)) {}
  const Case& value() const { return value_; }

  bool isCreateUploadableFailed() const { return is<CreateUploadableFailed>(); }
  bool isCreateURLRequestFailed() const { return is<CreateURLRequestFailed>(); }
  bool isDownloadedFileMoveFailed() const { return is<DownloadedFileMoveFailed>(); }
  bool isInvalidURL() const { return is<InvalidURL>(); }
  bool isMultipartEncodingFailed() const { return is<MultipartEncodingFailed>(); }
  bool isParameterEncodingFailed() const { return is<ParameterEncodingFailed>(); }
  bool isParameterEncoderFailed() const { return is<ParameterEncoderFailed>(); }
  bool isRequestAdaptationFailed() const { return is<RequestAdaptationFailed>(); }
  bool isRequestRetryFailed() const { return is<RequestRetryFailed>(); }
  bool isResponseValidationFailed() const { return is<ResponseValidationFailed>(); }
  bool isResponseSerializationFailed() const { return is<ResponseSerializationFailed>(); }
  bool isServerTrustEvaluationFailed() const { return is<ServerTrustEvaluationFailed>(); }
  bool isSessionInvalidated() const { return is<SessionInvalidated>(); }
  bool isSessionTaskFailed() const { return is<SessionTaskFailed>(); }
  bool isExplicitlyCancelled() const { return is<ExplicitlyCancelled>(); }
  bool isSessionDeinitialized() const { return is<SessionDeinitialized>(); }

  // The foreign error inside, null when the case carries none.
  platform::AnyError getUnderlyingError() const;
  std::shared_ptr<const URLConvertible> getURLConvertible() const;
  // Only multipart failures give their URL.
  std::optional<platform::URL> getURL() const;
  std::optional<platform::URL> getSourceURL() const;
  std::optional<platform::URL> getDestinationURL() const;
  std::optional<std::vector<std::string>> getAcceptableContentTypes() const;
  std::optional<std::string> getResponseContentType() const;
  std::optional<int> getResponseCode() const;
  std::optional<platform::TextEncoding> getFailedStringEncoding() const;
  // What a failed download left to resume from, when the underlying error
  // is a URL-loading failure that kept it.
  std::optional<platform::Data> getDownloadResumeData() const;

  std::string errorDescription() const;
  std::string description() const override { return errorDescription(); }
  std::string localizedDescription() const override { return errorDescription(); }

 private:
  template <class Alternative>
  bool is() const {
    return std::holds_alternative<Alternative>(value_);
  }

  Case value_;
};

template <class Success>
using Result = std::expected<Success, WNError>;

}  // namespace wendanet
