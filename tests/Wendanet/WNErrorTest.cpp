#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Platform/Foundation/URLError.h"
#include "Wendanet/Source/Core/URLConvertible.h"
#include "Wendanet/Source/Core/WNError.h"
#include "Wendanet/Source/Core/WNErrorCasts.h"
#include "tests/Wendanet/TestErrors.h"

using namespace wendanet;
using platform::AnyError;
using platform::URL;
using wendanet::testing::testError;
using wendanet::testing::TestError;

namespace {

URL url(const char* text) { return *URL::string(text); }

// One value of every case, in declaration order.
std::vector<WNError> everyCase() {
  return {
      WNError::createUploadableFailed(testError()),
      WNError::createURLRequestFailed(testError()),
      WNError::downloadedFileMoveFailed(testError(), url("file:///a"), url("file:///b")),
      WNError::invalidURL(std::make_shared<const ConvertibleString>("")),
      WNError::multipartEncodingFailed(MultipartEncodingFailureReason::bodyPartURLInvalid(url("http://h/"))),
      WNError::parameterEncodingFailed(ParameterEncodingFailureReason::missingURL()),
      WNError::parameterEncoderFailed(ParameterEncoderFailureReason::encoderFailed(testError())),
      WNError::requestAdaptationFailed(testError()),
      WNError::requestRetryFailed(testError(1), testError(2)),
      WNError::responseValidationFailed(ResponseValidationFailureReason::dataFileNil()),
      WNError::responseSerializationFailed(ResponseSerializationFailureReason::inputFileNil()),
      WNError::serverTrustEvaluationFailed(ServerTrustFailureReason::noCertificatesFound()),
      WNError::sessionInvalidated(),
      WNError::sessionTaskFailed(testError()),
      WNError::urlRequestValidationFailed(URLRequestValidationFailureReason::bodyDataInGETRequest({})),
      WNError::explicitlyCancelled(),
      WNError::sessionDeinitialized(),
  };
}

int codeOf(const AnyError& error) {
  const auto* test = platform::errorAs<TestError>(error);
  return test ? test->code() : -1;
}

}  // namespace

TEST(WNError, EachCaseTestAnswersForItsCaseOnly) {
  using Test = bool (WNError::*)() const;
  // Indexed like everyCase(); urlRequestValidationFailed (14) has no test.
  const std::vector<std::pair<std::size_t, Test>> tests = {
      {0, &WNError::isCreateUploadableFailed},       {1, &WNError::isCreateURLRequestFailed},
      {2, &WNError::isDownloadedFileMoveFailed},     {3, &WNError::isInvalidURL},
      {4, &WNError::isMultipartEncodingFailed},      {5, &WNError::isParameterEncodingFailed},
      {6, &WNError::isParameterEncoderFailed},       {7, &WNError::isRequestAdaptationFailed},
      {8, &WNError::isRequestRetryFailed},           {9, &WNError::isResponseValidationFailed},
      {10, &WNError::isResponseSerializationFailed}, {11, &WNError::isServerTrustEvaluationFailed},
      {12, &WNError::isSessionInvalidated},          {13, &WNError::isSessionTaskFailed},
      {15, &WNError::isExplicitlyCancelled},         {16, &WNError::isSessionDeinitialized},
  };
  const auto errors = everyCase();
  for (std::size_t index = 0; index < errors.size(); ++index) {
    for (const auto& [answersFor, test] : tests) {
      EXPECT_EQ((errors[index].*test)(), index == answersFor) << "case " << index << ", test for " << answersFor;
    }
  }
}

TEST(WNError, UnderlyingErrorCaseByCase) {
  std::vector<int> codes;
  for (const auto& error : everyCase()) codes.push_back(codeOf(error.getUnderlyingError()));
  // requestRetryFailed gives its retry error (1), never the original (2).
  EXPECT_EQ(codes, (std::vector<int>{7, 7, 7, -1, -1, -1, 7, 7, 1, -1, -1, -1, -1, 7, -1, -1, -1}));

  using Trust = ServerTrustFailureReason;
  EXPECT_EQ(WNError::serverTrustEvaluationFailed(Trust::trustEvaluationFailed(nullptr)).getUnderlyingError(), nullptr);
  EXPECT_EQ(
      codeOf(WNError::serverTrustEvaluationFailed(Trust::customEvaluationFailed(testError(4))).getUnderlyingError()),
      4);
  EXPECT_EQ(
      codeOf(WNError::responseSerializationFailed(ResponseSerializationFailureReason::decodingFailed(testError(5)))
                 .getUnderlyingError()),
      5);
  EXPECT_EQ(
      codeOf(WNError::multipartEncodingFailed(
                 MultipartEncodingFailureReason::bodyPartFileSizeQueryFailedWithError(url("file:///s"), testError(6)))
                 .getUnderlyingError()),
      6);
}

TEST(WNError, OnlyMultipartFailuresGiveAURL) {
  using Multipart = MultipartEncodingFailureReason;
  EXPECT_EQ(
      WNError::multipartEncodingFailed(Multipart::bodyPartFileSizeQueryFailedWithError(url("file:///s"), testError()))
          .getURL(),
      url("file:///s"));
  EXPECT_EQ(WNError::multipartEncodingFailed(Multipart::bodyPartInputStreamCreationFailed(url("file:///i"))).getURL(),
            url("file:///i"));
  EXPECT_EQ(WNError::multipartEncodingFailed(Multipart::outputStreamWriteFailed(testError())).getURL(), std::nullopt);
  EXPECT_EQ(
      WNError::responseValidationFailed(ResponseValidationFailureReason::dataFileReadFailed(url("file:///d"))).getURL(),
      std::nullopt);
  EXPECT_EQ(WNError::downloadedFileMoveFailed(testError(), url("file:///a"), url("file:///b")).getURL(), std::nullopt);
}

TEST(WNError, PayloadAccessors) {
  const auto moved = WNError::downloadedFileMoveFailed(testError(), url("file:///a"), url("file:///b"));
  EXPECT_EQ(moved.getSourceURL(), url("file:///a"));
  EXPECT_EQ(moved.getDestinationURL(), url("file:///b"));
  EXPECT_EQ(WNError::explicitlyCancelled().getSourceURL(), std::nullopt);

  using Validation = ResponseValidationFailureReason;
  const auto unacceptable = WNError::responseValidationFailed(Validation::unacceptableContentType({"a/b"}, "c/d"));
  EXPECT_EQ(unacceptable.getAcceptableContentTypes(), (std::vector<std::string>{"a/b"}));
  EXPECT_EQ(unacceptable.getResponseContentType(), "c/d");
  EXPECT_EQ(unacceptable.getResponseCode(), std::nullopt);
  const auto missing = WNError::responseValidationFailed(Validation::missingContentType({}));
  EXPECT_EQ(missing.getAcceptableContentTypes(), std::vector<std::string>{});
  EXPECT_EQ(missing.getResponseContentType(), std::nullopt);
  const auto status = WNError::responseValidationFailed(Validation::unacceptableStatusCode(404));
  EXPECT_EQ(status.getResponseCode(), 404);
  EXPECT_EQ(status.getUnderlyingError(), nullptr);
  EXPECT_EQ(status.getAcceptableContentTypes(), std::nullopt);

  const auto encoding = WNError::responseSerializationFailed(
      ResponseSerializationFailureReason::stringSerializationFailed(platform::TextEncoding::isoLatin1));
  EXPECT_EQ(encoding.getFailedStringEncoding(), platform::TextEncoding::isoLatin1);
  EXPECT_EQ(status.getFailedStringEncoding(), std::nullopt);

  const auto invalid = WNError::invalidURL(std::make_shared<const ConvertibleString>("x y"));
  ASSERT_NE(invalid.getURLConvertible(), nullptr);
  EXPECT_EQ(invalid.getURLConvertible()->description(), "x y");
  EXPECT_EQ(status.getURLConvertible(), nullptr);
}

TEST(WNError, DownloadResumeDataComesOnlyFromAURLErrorHoldingData) {
  using platform::URLError;
  const std::string key(URLError::resumeDataKey);
  const auto withData = platform::makeError(URLError(URLError::Code::cancelled, nullptr, {{key, platform::Data("r")}}));
  const auto withText = platform::makeError(URLError(URLError::Code::cancelled, nullptr, {{key, std::string("r")}}));
  const auto without = platform::makeError(URLError(URLError::Code::cancelled));
  EXPECT_EQ(WNError::sessionTaskFailed(withData).getDownloadResumeData(), platform::Data("r"));
  EXPECT_EQ(WNError::downloadedFileMoveFailed(withData, url("file:///a"), url("file:///b")).getDownloadResumeData(),
            platform::Data("r"));
  EXPECT_EQ(WNError::sessionTaskFailed(withText).getDownloadResumeData(), std::nullopt);
  EXPECT_EQ(WNError::sessionTaskFailed(without).getDownloadResumeData(), std::nullopt);
  EXPECT_EQ(WNError::sessionTaskFailed(testError()).getDownloadResumeData(), std::nullopt);
  EXPECT_EQ(WNError::explicitlyCancelled().getDownloadResumeData(), std::nullopt);
}

TEST(WNError, TravelsAsAThrownAndAsAHeldPlatformError) {
  try {
    throw WNError::responseValidationFailed(ResponseValidationFailureReason::unacceptableStatusCode(500));
  } catch (const platform::Error& error) {
    EXPECT_STREQ(error.what(), "Response status code was unacceptable: 500.");
    const AnyError held = error.clone();
    const auto cast = castToWNError(held);
    ASSERT_TRUE(cast.has_value());
    EXPECT_EQ(cast->getResponseCode(), 500);
    EXPECT_TRUE(castToWNError(error).has_value());
  }
}

TEST(WNErrorCasts, FindOnlyWNErrors) {
  EXPECT_FALSE(castToWNError(testError()).has_value());
  EXPECT_FALSE(castToWNError(AnyError()).has_value());
  EXPECT_TRUE(castToWNError(WNError::explicitlyCancelled().clone())->isExplicitlyCancelled());
}

TEST(WNErrorCasts, DefaultIsBuiltOnlyForForeignErrors) {
  int calls = 0;
  const auto wrap = [&] {
    ++calls;
    return WNError::sessionTaskFailed(testError(9));
  };
  EXPECT_TRUE(castToWNErrorOrDefault(WNError::explicitlyCancelled().clone(), wrap).isExplicitlyCancelled());
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(codeOf(castToWNErrorOrDefault(TestError(1), wrap).getUnderlyingError()), 9);
  EXPECT_EQ(calls, 1);
}

TEST(WNErrorCasts, OrFailPassesWNErrorsWithoutAskingForTheMessage) {
  bool asked = false;
  const auto error = castToWNErrorOrFail(WNError::sessionDeinitialized().clone(), [&] {
    asked = true;
    return "unused";
  });
  EXPECT_TRUE(error.isSessionDeinitialized());
  EXPECT_FALSE(asked);
}

TEST(WNErrorCastsDeathTest, OrFailStopsOnAForeignErrorNamingTheCaller) {
  EXPECT_DEATH(castToWNErrorOrFail(testError(), [] { return "Received retryError was not already WNError"; }),
               "Fatal error: Received retryError was not already WNError: file .*WNErrorTest\\.cpp, line [0-9]+");
}
