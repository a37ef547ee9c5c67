#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "Platform/Foundation/Date.h"
#include "Platform/Foundation/URLRequest.h"
#include "Wendanet/Source/Core/JSONEncoding.h"
#include "Wendanet/Source/Core/WNError.h"
#include "tests/Wendanet/ThrownError.h"

using namespace wendanet;
using platform::JSONValue;
using platform::URL;
using platform::URLRequest;
using wendanet::testing::thrownError;

namespace {

const URLRequest post = [] {
  URLRequest request(URL::string("http://h/p"));
  request.setHTTPMethod("POST");
  return request;
}();

URLRequest encoded(const JSONEncoding& encoding, const std::optional<Parameters>& parameters) {
  return encoding.encode(ConvertibleURLRequest(post), parameters);
}

std::string bodyOf(const URLRequest& request) { return request.httpBody() ? request.httpBody()->toString() : "(none)"; }

// The error inside a jsonEncodingFailed failure.
platform::AnyError jsonFailureOf(const std::optional<WNError>& error) {
  if (!error || !error->isParameterEncodingFailed()) return nullptr;
  return error->getUnderlyingError();
}

}  // namespace

TEST(JSONEncoding, WritesACompactBodyInInsertionOrder) {
  const auto request =
      encoded(JSONEncoding::default_(), Parameters{{"b", 1}, {"a", ParameterArray{true, nullptr, 0.5}}});
  EXPECT_EQ(bodyOf(request), R"({"b":1,"a":[true,null,0.5]})");
  EXPECT_EQ(request.valueForHTTPHeaderField("Content-Type"), "application/json");
  EXPECT_EQ(bodyOf(encoded(JSONEncoding::default_(), Parameters{})), "{}");
  EXPECT_EQ(bodyOf(encoded(JSONEncoding::prettyPrinted(), Parameters{{"a", 1}})), "{\n  \"a\" : 1\n}");
  EXPECT_EQ(encoded(JSONEncoding::default_(), std::nullopt), post);

  auto typed = post;
  typed.setValueForHTTPHeaderField("application/vnd.api+json", "CONTENT-TYPE");
  EXPECT_EQ(JSONEncoding::default_()
                .encode(ConvertibleURLRequest(typed), Parameters{})
                .valueForHTTPHeaderField("Content-Type"),
            "application/vnd.api+json");
}

TEST(JSONEncoding, ValuesWithoutAJSONFormFail) {
  const auto date = thrownError<WNError>([] {
    encoded(JSONEncoding::default_(), Parameters{{"when", ParameterArray{platform::Date{}}}});
  });
  const auto* invalid = platform::errorAs<JSONEncoding::Error>(jsonFailureOf(date));
  ASSERT_NE(invalid, nullptr);
  EXPECT_EQ(invalid->description(), "invalidJSONObject");
  EXPECT_EQ(date->localizedDescription(),
            "JSON could not be encoded because of error:\nThe operation couldn't be completed. "
            "(Wendanet.JSONEncoding.Error error 0.)");
  EXPECT_TRUE(JSONEncoding::Error::explanation.starts_with("Invalid JSON object provided"));

  const auto nan = thrownError<WNError>([] {
    encoded(JSONEncoding::default_(), Parameters{{"x", std::numeric_limits<double>::quiet_NaN()}});
  });
  EXPECT_NE(platform::errorAs<JSONEncoding::Error>(jsonFailureOf(nan)), nullptr);
  const auto badText = thrownError<WNError>([] { encoded(JSONEncoding::default_(), Parameters{{"x", "\xFF"}}); });
  EXPECT_NE(platform::errorAs<JSONEncoding::Error>(jsonFailureOf(badText)), nullptr);
}

TEST(JSONEncoding, AnyJSONObject) {
  const JSONEncoding encoding;
  const ConvertibleURLRequest convertible(post);
  EXPECT_EQ(bodyOf(encoding.encodeWithJSONObject(convertible, JSONValue::array({1, "a"}))), R"([1,"a"])");
  EXPECT_EQ(encoding.encodeWithJSONObject(convertible, std::nullopt), post);
  // A scalar at the top fails the validity test whatever the options.
  const JSONEncoding fragments(platform::JSONWritingOptions::fragmentsAllowed);
  EXPECT_TRUE(thrownError<WNError>([&] { fragments.encodeWithJSONObject(convertible, JSONValue(1)); }));
}
