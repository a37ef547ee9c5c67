#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Platform/Foundation/URLRequest.h"
#include "Wendanet/Source/Core/URLConvertible.h"
#include "Wendanet/Source/Core/WNError.h"
#include "Wendanet/Source/Support/URLRequestExtensions.h"
#include "tests/Wendanet/TestErrors.h"

using namespace wendanet;
using platform::URL;
using wendanet::testing::testError;
using Multipart = MultipartEncodingFailureReason;
using Validation = ResponseValidationFailureReason;
using Serialization = ResponseSerializationFailureReason;
using Trust = ServerTrustFailureReason;

namespace {

URL url(const char* text) { return *URL::string(text); }

void expectMessages(const std::vector<std::pair<WNError, std::string>>& cases) {
  for (const auto& [error, message] : cases) {
    EXPECT_EQ(error.errorDescription(), message);
    EXPECT_EQ(error.localizedDescription(), message);
  }
}

std::string validationMessage(const platform::URLRequest& request) {
  try {
    validate(request);
  } catch (const WNError& error) {
    return error.localizedDescription();
  }
  return "passed";
}

}  // namespace

TEST(WNErrorMessages, CasesWithTheirOwnPrefix) {
  expectMessages({
      {WNError::createUploadableFailed(testError()), "Uploadable creation failed with error: Something went wrong."},
      {WNError::createURLRequestFailed(testError()), "URLRequest creation failed with error: Something went wrong."},
      {WNError::downloadedFileMoveFailed(testError(), url("file:///tmp/a"), url("file:///tmp/b")),
       "Moving downloaded file from: file:///tmp/a to: file:///tmp/b failed with error: Something went wrong."},
      {WNError::requestAdaptationFailed(testError()), "Request adaption failed with error: Something went wrong."},
      {WNError::requestRetryFailed(testError(1), WNError::explicitlyCancelled().clone()),
       "Request retry failed with retry error: Something went wrong., original error: Request explicitly cancelled."},
      {WNError::sessionInvalidated(testError()), "Session was invalidated with error: Something went wrong."},
      {WNError::sessionInvalidated(), "Session was invalidated with error: No description."},
      {WNError::sessionTaskFailed(testError()), "URLSessionTask failed with error: Something went wrong."},
      {WNError::explicitlyCancelled(), "Request explicitly cancelled."},
      {WNError::sessionDeinitialized(),
       "Session was invalidated without error, so it was likely deinitialized unexpectedly. Be sure to retain a "
       "reference to your Session for the duration of your requests."},
  });
}

TEST(WNErrorMessages, InvalidURLShowsTheValueAsGiven) {
  expectMessages({
      {WNError::invalidURL(std::make_shared<const ConvertibleString>("")), "URL is not valid: "},
      {WNError::invalidURL(std::make_shared<const ConvertibleString>("http://a b")), "URL is not valid: http://a b"},
      {WNError::invalidURL(std::make_shared<const ConvertibleURL>(url("http://h/p?q"))),
       "URL is not valid: http://h/p?q"},
  });
}

TEST(WNErrorMessages, ResponseValidation) {
  expectMessages({
      {WNError::responseValidationFailed(
           Validation::unacceptableContentType({"application/json"}, "application/octet-stream")),
       "Response Content-Type \"application/octet-stream\" does not match any acceptable types: application/json."},
      {WNError::responseValidationFailed(Validation::missingContentType({"application/json", "text/plain"})),
       "Response Content-Type was missing and acceptable content types (application/json,text/plain) do not match "
       "\"*/*\"."},
      {WNError::responseValidationFailed(Validation::missingContentType({})),
       "Response Content-Type was missing and acceptable content types () do not match \"*/*\"."},
      {WNError::responseValidationFailed(Validation::unacceptableStatusCode(404)),
       "Response status code was unacceptable: 404."},
      {WNError::responseValidationFailed(Validation::dataFileNil()),
       "Response could not be validated, data file was nil."},
      {WNError::responseValidationFailed(Validation::dataFileReadFailed(url("file:///tmp/d"))),
       "Response could not be validated, data file could not be read: file:///tmp/d."},
      {WNError::responseValidationFailed(Validation::customValidationFailed(testError())),
       "Custom response validation failed with error: Something went wrong."},
  });
}

TEST(WNErrorMessages, ResponseSerialization) {
  expectMessages({
      {WNError::responseSerializationFailed(Serialization::inputDataNilOrZeroLength()),
       "Response could not be serialized, input data was nil or zero length."},
      {WNError::responseSerializationFailed(Serialization::stringSerializationFailed(platform::TextEncoding::utf8)),
       "String could not be serialized with encoding: Unicode (UTF-8)."},
      {WNError::responseSerializationFailed(Serialization::jsonSerializationFailed(testError())),
       "JSON could not be serialized because of error:\nSomething went wrong."},
      {WNError::responseSerializationFailed(Serialization::invalidEmptyResponse("Person")),
       "Empty response could not be serialized to type: Person. Use Empty as the expected type for such responses."},
      {WNError::responseSerializationFailed(Serialization::inputFileReadFailed(url("file:///tmp/f"))),
       "Response could not be serialized, input file could not be read: file:///tmp/f."},
  });
}

TEST(WNErrorMessages, MultipartPrintsErrorsByTheirTextualForm) {
  expectMessages({
      {WNError::multipartEncodingFailed(
           Multipart::inputStreamReadFailed(platform::makeError(WNError::UnexpectedInputStreamLength(10, 4)))),
       "InputStream read failed with error: UnexpectedInputStreamLength(bytesExpected: 10, bytesRead: 4)"},
      {WNError::multipartEncodingFailed(
           Multipart::bodyPartFileNotReachableWithError(url("file:///tmp/x"), testError(2))),
       "The system returned an error while checking the provided URL for reachability.\nURL: file:///tmp/x\n"
       "Error: TestError(code: 2)"},
      {WNError::multipartEncodingFailed(Multipart::bodyPartURLInvalid(url("http://h/f"))),
       "The URL provided is not a file URL: http://h/f"},
      {WNError::multipartEncodingFailed(Multipart::outputStreamCreationFailed(url("file:///tmp/o"))),
       "Failed to create an OutputStream for URL: file:///tmp/o"},
  });
}

TEST(WNErrorMessages, ParameterEncodingAndEncoder) {
  using Encoder = ParameterEncoderFailureReason;
  expectMessages({
      {WNError::parameterEncodingFailed(ParameterEncodingFailureReason::missingURL()),
       "URL request to encode was missing a URL"},
      {WNError::parameterEncodingFailed(ParameterEncodingFailureReason::jsonEncodingFailed(testError())),
       "JSON could not be encoded because of error:\nSomething went wrong."},
      {WNError::parameterEncoderFailed(Encoder::missingRequiredComponent(Encoder::RequiredComponent::url())),
       "Encoding failed due to a missing request component: url"},
      {WNError::parameterEncoderFailed(
           Encoder::missingRequiredComponent(Encoder::RequiredComponent::httpMethod("GET"))),
       "Encoding failed due to a missing request component: httpMethod(rawValue: \"GET\")"},
      {WNError::parameterEncoderFailed(Encoder::encoderFailed(testError(3))),
       "The underlying encoder failed with the error: TestError(code: 3)"},
  });
}

TEST(WNErrorMessages, ServerTrustPrintsOnlyHosts) {
  const Trust::Output output{"example.com", nullptr, 0, {}};
  expectMessages({
      {WNError::serverTrustEvaluationFailed(Trust::trustEvaluationFailed(nullptr)),
       "Server trust evaluation failed due to reason: SecTrust evaluation failed with error: None"},
      {WNError::serverTrustEvaluationFailed(Trust::trustEvaluationFailed(testError())),
       "Server trust evaluation failed due to reason: SecTrust evaluation failed with error: Something went wrong."},
      {WNError::serverTrustEvaluationFailed(Trust::revocationCheckFailed(output, RevocationTrustEvaluatorOptions(3))),
       "Server trust evaluation failed due to reason: Revocation check failed for host example.com."},
      {WNError::serverTrustEvaluationFailed(Trust::certificatePinningFailed("h.test", nullptr, {}, {})),
       "Server trust evaluation failed due to reason: Certificate pinning failed for host h.test."},
      {WNError::serverTrustEvaluationFailed(Trust::noRequiredEvaluator("h.test")),
       "Server trust evaluation failed due to reason: A ServerTrustEvaluating value is required for host h.test but "
       "none was found."},
  });
}

TEST(WNErrorMessages, GETWithBodyShowsTheBodyAsRepairedUTF8) {
  platform::URLRequest request(url("http://h/"));
  request.setHTTPMethod("GET");
  request.setHTTPBody(platform::Data("a=1"));
  EXPECT_EQ(validationMessage(request),
            "URLRequest validation failed due to reason: Invalid URLRequest: Requests with GET method cannot have body "
            "data:\na=1");
  request.setHTTPBody(platform::Data("a\xff"));
  EXPECT_EQ(validationMessage(request),
            "URLRequest validation failed due to reason: Invalid URLRequest: Requests with GET method cannot have body "
            "data:\na\xEF\xBF\xBD");
}
