#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "Platform/Coding/Codable.h"
#include "Platform/Foundation/URLRequest.h"
#include "Wendanet/Source/Core/JSONParameterEncoder.h"
#include "Wendanet/Source/Support/URLEncodedFormParameterEncoder.h"
#include "Wendanet/Source/Core/WNError.h"
#include "Wendanet/Source/Support/CharacterSetExtensions.h"
#include "tests/Wendanet/ThrownError.h"

using namespace wendanet;
using platform::URL;
using platform::URLRequest;
using wendanet::testing::thrownError;

namespace {

struct Record {
  std::string name = "x";
  int age = 3;
  static constexpr auto codingFields() {
    return std::tuple{platform::field("name", &Record::name), platform::field("age", &Record::age)};
  }
};

struct Single {
  int a = 1;
  static constexpr auto codingFields() { return std::tuple{platform::field("a", &Single::a)}; }
};

struct Nothing {
  std::optional<int> a;
  static constexpr auto codingFields() { return std::tuple{platform::field("a", &Nothing::a)}; }
};

struct Spaced {
  std::string text = "a b#c";
  static constexpr auto codingFields() { return std::tuple{platform::field("text", &Spaced::text)}; }
};

URLRequest makeRequest(const char* url, std::optional<std::string> method) {
  URLRequest request(URL::string(url));
  request.setHTTPMethod(std::move(method));
  return request;
}

std::string bodyOf(const URLRequest& request) { return request.httpBody() ? request.httpBody()->toString() : "(none)"; }
std::string urlOf(const URLRequest& request) { return request.url()->absoluteString(); }

std::string messageOf(const std::optional<WNError>& error) { return error ? error->localizedDescription() : "none"; }

}  // namespace

TEST(JSONParameterEncoder, WritesAJSONBody) {
  const auto post = makeRequest("http://h/p", "POST");
  const auto request = JSONParameterEncoder::default_()->encode(Record(), post);
  EXPECT_EQ(bodyOf(request), R"({"name":"x","age":3})");
  EXPECT_EQ(request.valueForHTTPHeaderField("Content-Type"), "application/json");
  EXPECT_EQ(bodyOf(JSONParameterEncoder::sortedKeys()->encode(Record(), post)), R"({"age":3,"name":"x"})");
  EXPECT_EQ(bodyOf(JSONParameterEncoder::prettyPrinted()->encode(Record(), post)),
            "{\n  \"name\" : \"x\",\n  \"age\" : 3\n}");

  auto typed = post;
  typed.setValueForHTTPHeaderField("text/json", "Content-Type");
  EXPECT_EQ(ParameterEncoder::json()->encode(Record(), typed).valueForHTTPHeaderField("Content-Type"), "text/json");
  EXPECT_EQ(ParameterEncoder::json()->encode(std::optional<Record>(), post), post);
  EXPECT_NE(ParameterEncoder::json(), ParameterEncoder::json());
}

TEST(JSONParameterEncoder, EncoderFailuresAreJSONEncodingFailures) {
  const auto error = thrownError<WNError>([] {
    JSONParameterEncoder::default_()->encode(std::numeric_limits<double>::infinity(), makeRequest("http://h", "POST"));
  });
  ASSERT_TRUE(error);
  EXPECT_TRUE(error->isParameterEncodingFailed());
  EXPECT_NE(platform::errorAs<platform::EncodingError>(error->getUnderlyingError()), nullptr);
}

TEST(URLEncodedFormParameterEncoder, QueryOrBodyByMethod) {
  const auto encoder = URLEncodedFormParameterEncoder::default_();
  EXPECT_EQ(urlOf(encoder->encode(Single(), makeRequest("http://h/p?x=1", "GET"))), "http://h/p?x=1&a=1");
  EXPECT_EQ(urlOf(encoder->encode(Single(), makeRequest("http://h/p?", "HEAD"))), "http://h/p?&a=1");

  const auto post = encoder->encode(Single(), makeRequest("http://h/p?x=1", "POST"));
  EXPECT_EQ(bodyOf(post), "a=1");
  EXPECT_EQ(post.valueForHTTPHeaderField("Content-Type"), "application/x-www-form-urlencoded; charset=utf-8");
  EXPECT_EQ(urlOf(post), "http://h/p?x=1");
  EXPECT_EQ(bodyOf(encoder->encode(Single(), makeRequest("http://h/p", "get"))), "a=1");

  const auto toQuery =
      ParameterEncoder::urlEncodedForm(URLEncodedFormEncoder::make(), ParameterDestination::queryString);
  EXPECT_EQ(urlOf(toQuery->encode(Single(), makeRequest("http://h/p", "POST"))), "http://h/p?a=1");
  const auto toBody = URLEncodedFormParameterEncoder::make(nullptr, ParameterDestination::httpBody);
  EXPECT_EQ(bodyOf(toBody->encode(Single(), makeRequest("http://h/p", "GET"))), "a=1");
}

TEST(URLEncodedFormParameterEncoder, EmptyTextLeavesNoQuery) {
  const auto encoder = ParameterEncoder::urlEncodedForm();
  EXPECT_EQ(urlOf(encoder->encode(Nothing(), makeRequest("http://h/p", "GET"))), "http://h/p");
  EXPECT_EQ(urlOf(encoder->encode(Nothing(), makeRequest("http://h/p?x=1", "GET"))), "http://h/p?x=1&");
}

TEST(URLEncodedFormParameterEncoder, MissingPartsOfTheRequest) {
  const auto encoder = URLEncodedFormParameterEncoder::default_();
  URLRequest bare;
  EXPECT_EQ(encoder->encode(std::nullopt, bare), bare);
  EXPECT_EQ(messageOf(thrownError<WNError>([&] { encoder->encode(Single(), bare); })),
            "Encoding failed due to a missing request component: url");
  EXPECT_EQ(messageOf(thrownError<WNError>([&] { encoder->encode(Single(), makeRequest("http://h", std::nullopt)); })),
            "Encoding failed due to a missing request component: httpMethod(rawValue: \"nil\")");
}

TEST(URLEncodedFormParameterEncoder, FormEncoderFailuresAreWrapped) {
  const auto encoder = URLEncodedFormParameterEncoder::default_();
  const auto error =
      thrownError<WNError>([&] { encoder->encode(std::vector<int>{1}, makeRequest("http://h", "POST")); });
  EXPECT_EQ(messageOf(error),
            "The underlying encoder failed with the error: invalidRootObject(array([string(\"1\")]))");

  // Characters of the caller's own that no query may hold leave no URL.
  const auto lenient = URLEncodedFormEncoder::make();
  lenient->setAllowedCharacters(wnURLQueryAllowed().inserting("#"));
  const auto unusable = thrownError<WNError>(
      [&] { URLEncodedFormParameterEncoder::make(lenient)->encode(Spaced(), makeRequest("http://h", "GET")); });
  EXPECT_EQ(messageOf(unusable), "Encoding failed due to a missing request component: url");
  EXPECT_EQ(bodyOf(URLEncodedFormParameterEncoder::make(lenient)->encode(Spaced(), makeRequest("http://h", "POST"))),
            "text=a%20b#c");
}

TEST(URLEncodedFormParameterEncoder, ARequestMadeFromAURLAloneTakesItsParametersInTheQuery) {
  const auto encoded = URLEncodedFormParameterEncoder::default_()->encode(Single(), URLRequest(URL::string("http://h/p")));
  EXPECT_EQ(urlOf(encoded), "http://h/p?a=1");
  EXPECT_FALSE(encoded.httpBody());
}
