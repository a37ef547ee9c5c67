#include <gtest/gtest.h>

#include <string>

#include "Wendanet/Source/Core/WNError.h"
#include "Wendanet/Source/Core/WNInfo.h"
#include "Wendanet/Source/Support/CharacterSetExtensions.h"
#include "Wendanet/Source/Core/HTTPHeaders.h"
#include "Wendanet/Source/Support/ResultExtensions.h"
#include "Wendanet/Source/Support/SessionConfigurations.h"
#include "Wendanet/Source/Support/WendanetExtension.h"
#include "tests/Wendanet/TestErrors.h"

using namespace wendanet;
using wendanet::testing::TestError;
using wendanet::testing::testError;

namespace {

struct Counter {
  int value = 0;
};

}  // namespace

template <>
inline constexpr bool wendanet::isWendanetExtended<Counter> = true;

TEST(WNInfo, Version) { EXPECT_EQ(WNInfo::version, "5.11.0"); }

TEST(ResultExtensions, Accessors) {
  const Result<int> success = 4;
  const Result<int> failure = std::unexpected(WNError::explicitlyCancelled());
  EXPECT_TRUE(isSuccess(success));
  EXPECT_FALSE(isFailure(success));
  EXPECT_EQ(getSuccess(success), 4);
  EXPECT_FALSE(getFailure(success));
  EXPECT_TRUE(isFailure(failure));
  EXPECT_FALSE(getSuccess(failure));
  ASSERT_TRUE(getFailure(failure));
  EXPECT_TRUE(getFailure(failure)->isExplicitlyCancelled());
}

TEST(ResultExtensions, MapThrowing) {
  const Result<int> success = 4;
  const auto doubled = mapThrowing(success, [](int value) { return std::to_string(value * 2); });
  EXPECT_EQ(doubled, "8");

  const auto thrown = mapThrowing(success, [](int) -> int { throw TestError(9); });
  ASSERT_FALSE(thrown);
  EXPECT_EQ(platform::errorAs<TestError>(thrown.error())->code(), 9);

  bool called = false;
  const Result<int> failure = std::unexpected(WNError::explicitlyCancelled());
  const auto passed = mapThrowing(failure, [&](int value) {
    called = true;
    return value;
  });
  EXPECT_FALSE(called);
  ASSERT_FALSE(passed);
  EXPECT_TRUE(platform::errorAs<WNError>(passed.error())->isExplicitlyCancelled());

  // An error that already is an error value stays the same object.
  const platform::AnyError original = testError();
  const std::expected<int, platform::AnyError> anyFailure = std::unexpected(original);
  EXPECT_EQ(mapThrowing(anyFailure, [](int value) { return value; }).error(), original);
}

TEST(ResultExtensions, MapErrorThrowing) {
  const std::expected<int, platform::AnyError> failure = std::unexpected(testError(1));
  const auto replaced = mapErrorThrowing(failure, [](const platform::AnyError&) { return testError(2); });
  EXPECT_EQ(platform::errorAs<TestError>(replaced.error())->code(), 2);

  const auto thrown = mapErrorThrowing(
      failure, [](const platform::AnyError&) -> platform::AnyError { throw WNError::explicitlyCancelled(); });
  EXPECT_TRUE(platform::errorAs<WNError>(thrown.error())->isExplicitlyCancelled());

  const Result<int> success = 5;
  EXPECT_EQ(mapErrorThrowing(success, [](const WNError&) { return testError(); }), 5);
}

TEST(WendanetExtension, WrapsACopy) {
  Counter counter{3};
  auto extension = wn(counter);
  EXPECT_EQ(extension.type().value, 3);
  extension = WendanetExtension<Counter>(Counter{8});
  EXPECT_EQ(counter.value, 3);
  EXPECT_EQ(extension.type().value, 8);
}

TEST(wnURLQueryAllowed, HoldsExactlyTheUnreservedCharactersAndSlashAndQuestionMark) {
  const auto& allowed = wnURLQueryAllowed();
  std::string members;
  for (char32_t scalar = 0; scalar < 128; ++scalar) {
    if (allowed.contains(scalar)) members.push_back(static_cast<char>(scalar));
  }
  EXPECT_EQ(members, "-./0123456789?ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz~");
  EXPECT_FALSE(allowed.contains(U'é'));
  EXPECT_EQ(&allowed, &wnURLQueryAllowed());
}

TEST(SessionConfigurations, EachCallGivesANewConfigurationWithTheDefaultHeaders) {
  const auto first = SessionConfigurations::makeDefault();
  const auto second = SessionConfigurations::makeDefault();
  ASSERT_NE(first, second);
  EXPECT_EQ(getHeaders(*first), HTTPHeaders::defaultHeaders());
  EXPECT_EQ(getHeaders(*first), getHeaders(*second));
  EXPECT_TRUE(getHeaders(*first).findValue("User-Agent"));

  setHeaders(*first, HTTPHeaders{{"X-Only", "first"}});
  EXPECT_EQ(getHeaders(*second), HTTPHeaders::defaultHeaders());
  EXPECT_EQ(getHeaders(*SessionConfigurations::makeEphemeral()), HTTPHeaders::defaultHeaders());
}

TEST(SessionConfigurations, AbsentAdditionalHeadersGiveNoHeaders) {
  const auto plain = platform::URLSessionConfiguration::defaultConfiguration();
  plain->setHTTPAdditionalHeaders(std::nullopt);
  EXPECT_TRUE(getHeaders(*plain).empty());
}
