#include <gtest/gtest.h>

#include "Platform/Foundation/URLError.h"

using namespace platform;

TEST(URLError, CarriesTheCodeTheURLAndAPlainDescription) {
  const URLError error(URLError::Code::timedOut, URL::string("http://h/"));
  EXPECT_EQ(static_cast<int>(error.code()), -1001);
  EXPECT_EQ(error.failingURL(), URL::string("http://h/"));
  EXPECT_EQ(error.localizedDescription(), "The request timed out.");
  EXPECT_EQ(error.description(), "URLError(-1001): The request timed out.");
  EXPECT_STREQ(error.what(), "URLError(-1001): The request timed out.");
  // A code the enumeration does not name still describes itself.
  EXPECT_EQ(URLError(static_cast<URLError::Code>(-42)).description(), "URLError(-42): The URL could not be loaded.");
}

TEST(URLError, GivesResumeDataOnlyWhenDataIsStoredUnderTheKey) {
  EXPECT_EQ(URLError::resumeDataKey, "NSURLSessionDownloadTaskResumeData");
  const URLError withData(URLError::Code::cancelled, nullptr,
                          {{std::string(URLError::resumeDataKey), Data("resume")}});
  EXPECT_EQ(withData.resumeData(), Data("resume"));
  const URLError withText(URLError::Code::cancelled, nullptr,
                          {{std::string(URLError::resumeDataKey), std::string("resume")}});
  EXPECT_EQ(withText.resumeData(), std::nullopt);
  EXPECT_EQ(URLError(URLError::Code::cancelled).resumeData(), std::nullopt);
}

TEST(URLError, SurvivesCloningAsAnyError) {
  const auto underlying = makeError(URLError(URLError::Code::cannotFindHost));
  const AnyError error = URLError(URLError::Code::networkConnectionLost, underlying).clone();
  const auto* urlError = errorAs<URLError>(error);
  ASSERT_NE(urlError, nullptr);
  EXPECT_EQ(urlError->code(), URLError::Code::networkConnectionLost);
  ASSERT_NE(errorAs<URLError>(urlError->underlyingError()), nullptr);
  EXPECT_EQ(errorAs<URLError>(urlError->underlyingError())->code(), URLError::Code::cannotFindHost);
}
