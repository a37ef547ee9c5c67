#include "Wendanet/Source/Core/WNError.h"

#include "Platform/Foundation/URLError.h"
#include "Wendanet/Source/Core/ErrorText.h"
#include "Wendanet/Source/Core/URLConvertible.h"

namespace wendanet {
namespace {

using platform::AnyError;

template <class Alternative, class Variant>
const Alternative* caseOf(const Variant& value) {
  return std::get_if<Alternative>(&value);
}

AnyError underlyingErrorOf(const ParameterEncodingFailureReason& reason) {
  return std::visit(
      Overloaded{
          [](const ParameterEncodingFailureReason::JSONEncodingFailed& failure) { return failure.error; },
          [](const ParameterEncodingFailureReason::CustomEncodingFailed& failure) { return failure.error; },
          [](const ParameterEncodingFailureReason::MissingURL&) { return AnyError(); },
      },
      reason.value());
}

AnyError underlyingErrorOf(const ParameterEncoderFailureReason& reason) {
  const auto* failure = caseOf<ParameterEncoderFailureReason::EncoderFailed>(reason.value());
  return failure ? failure->error : nullptr;
}

AnyError underlyingErrorOf(const ResponseValidationFailureReason& reason) {
  const auto* failure = caseOf<ResponseValidationFailureReason::CustomValidationFailed>(reason.value());
  return failure ? failure->error : nullptr;
}

AnyError underlyingErrorOf(const ResponseSerializationFailureReason& reason) {
  using Reason = ResponseSerializationFailureReason;
  return std::visit(Overloaded{
                        [](const Reason::JSONSerializationFailed& failure) { return failure.error; },
                        [](const Reason::DecodingFailed& failure) { return failure.error; },
                        [](const Reason::CustomSerializationFailed& failure) { return failure.error; },
                        [](const auto&) { return AnyError(); },
                    },
                    reason.value());
}

AnyError underlyingErrorOf(const ServerTrustFailureReason& reason) {
  return std::visit(Overloaded{
                        [](const ServerTrustFailureReason::TrustEvaluationFailed& failure) { return failure.error; },
                        [](const ServerTrustFailureReason::CustomEvaluationFailed& failure) { return failure.error; },
                        [](const auto&) { return AnyError(); },
                    },
                    reason.value());
}

}  // namespace

AnyError WNError::getUnderlyingError() const {
  return std::visit(Overloaded{
                        [](const CreateUploadableFailed& failure) { return failure.error; },
                        [](const CreateURLRequestFailed& failure) { return failure.error; },
                        [](const DownloadedFileMoveFailed& failure) { return failure.error; },
                        [](const RequestAdaptationFailed& failure) { return failure.error; },
                        [](const RequestRetryFailed& failure) { return failure.retryError; },
                        [](const SessionInvalidated& failure) { return failure.error; },
                        [](const SessionTaskFailed& failure) { return failure.error; },
                        [](const MultipartEncodingFailed& failure) { return failure.reason.getUnderlyingError(); },
                        [](const ParameterEncodingFailed& failure) { return underlyingErrorOf(failure.reason); },
                        [](const ParameterEncoderFailed& failure) { return underlyingErrorOf(failure.reason); },
                        [](const ResponseValidationFailed& failure) { return underlyingErrorOf(failure.reason); },
                        [](const ResponseSerializationFailed& failure) { return underlyingErrorOf(failure.reason); },
                        [](const ServerTrustEvaluationFailed& failure) { return underlyingErrorOf(failure.reason); },
                        [](const auto&) { return AnyError(); },
                    },
                    value_);
}

std::shared_ptr<const URLConvertible> WNError::getURLConvertible() const {
  const auto* failure = caseOf<InvalidURL>(value_);
  return failure ? failure->url : nullptr;
}

std::optional<platform::URL> WNError::getURL() const {
  const auto* failure = caseOf<MultipartEncodingFailed>(value_);
  return failure ? failure->reason.getURL() : std::nullopt;
}

std::optional<platform::URL> WNError::getSourceURL() const {
  const auto* failure = caseOf<DownloadedFileMoveFailed>(value_);
  return failure ? std::optional(failure->source) : std::nullopt;
}

std::optional<platform::URL> WNError::getDestinationURL() const {
  const auto* failure = caseOf<DownloadedFileMoveFailed>(value_);
  return failure ? std::optional(failure->destination) : std::nullopt;
}

std::optional<std::vector<std::string>> WNError::getAcceptableContentTypes() const {
  const auto* failure = caseOf<ResponseValidationFailed>(value_);
  if (!failure) return std::nullopt;
  using Reason = ResponseValidationFailureReason;
  if (const auto* missing = caseOf<Reason::MissingContentType>(failure->reason.value())) {
    return missing->acceptableContentTypes;
  }
  if (const auto* unacceptable = caseOf<Reason::UnacceptableContentType>(failure->reason.value())) {
    return unacceptable->acceptableContentTypes;
  }
  return std::nullopt;
}

std::optional<std::string> WNError::getResponseContentType() const {
  const auto* failure = caseOf<ResponseValidationFailed>(value_);
  if (!failure) return std::nullopt;
  const auto* unacceptable = caseOf<ResponseValidationFailureReason::UnacceptableContentType>(failure->reason.value());
  return unacceptable ? std::optional(unacceptable->responseContentType) : std::nullopt;
}

std::optional<int> WNError::getResponseCode() const {
  const auto* failure = caseOf<ResponseValidationFailed>(value_);
  if (!failure) return std::nullopt;
  const auto* unacceptable = caseOf<ResponseValidationFailureReason::UnacceptableStatusCode>(failure->reason.value());
  return unacceptable ? std::optional(unacceptable->code) : std::nullopt;
}

std::optional<platform::TextEncoding> WNError::getFailedStringEncoding() const {
  const auto* failure = caseOf<ResponseSerializationFailed>(value_);
  if (!failure) return std::nullopt;
  const auto* stringFailure =
      caseOf<ResponseSerializationFailureReason::StringSerializationFailed>(failure->reason.value());
  return stringFailure ? std::optional(stringFailure->encoding) : std::nullopt;
}

std::optional<platform::Data> WNError::getDownloadResumeData() const {
  const auto* urlError = platform::errorAs<platform::URLError>(getUnderlyingError());
  return urlError ? urlError->resumeData() : std::nullopt;
}

std::string WNError::errorDescription() const {
  return std::visit(
      Overloaded{
          [](const CreateUploadableFailed& failure) {
            return "Uploadable creation failed with error: " + localizedDescriptionOf(failure.error);
          },
          [](const CreateURLRequestFailed& failure) {
            return "URLRequest creation failed with error: " + localizedDescriptionOf(failure.error);
          },
          [](const DownloadedFileMoveFailed& failure) {
            return "Moving downloaded file from: " + failure.source.absoluteString() +
                   " to: " + failure.destination.absoluteString() +
                   " failed with error: " + localizedDescriptionOf(failure.error);
          },
          [](const InvalidURL& failure) {
            return "URL is not valid: " + (failure.url ? failure.url->description() : std::string());
          },
          [](const MultipartEncodingFailed& failure) { return failure.reason.reasonDescription(); },
          [](const ParameterEncodingFailed& failure) { return failure.reason.reasonDescription(); },
          [](const ParameterEncoderFailed& failure) { return failure.reason.reasonDescription(); },
          [](const RequestAdaptationFailed& failure) {
            return "Request adaption failed with error: " + localizedDescriptionOf(failure.error);
          },
          [](const RequestRetryFailed& failure) {
            return "Request retry failed with retry error: " + localizedDescriptionOf(failure.retryError) +
                   ", original error: " + localizedDescriptionOf(failure.originalError);
          },
          [](const ResponseValidationFailed& failure) { return failure.reason.reasonDescription(); },
          [](const ResponseSerializationFailed& failure) { return failure.reason.reasonDescription(); },
          [](const ServerTrustEvaluationFailed& failure) {
            return "Server trust evaluation failed due to reason: " + failure.reason.reasonDescription();
          },
          [](const SessionInvalidated& failure) {
            return "Session was invalidated with error: " + localizedDescriptionOf(failure.error);
          },
          [](const SessionTaskFailed& failure) {
            return "URLSessionTask failed with error: " + localizedDescriptionOf(failure.error);
          },
          [](const URLRequestValidationFailed& failure) {
            return "URLRequest validation failed due to reason: " + failure.reason.reasonDescription();
          },
          [](const ExplicitlyCancelled&) { return std::string("Request explicitly cancelled."); },
          [](const SessionDeinitialized&) {
            return std::string(
                "Session was invalidated without error, so it was likely deinitialized unexpectedly. Be sure to "
                "retain a reference to your Session for the duration of your requests.");
          },
      },
      value_);
}

}  // namespace wendanet
