#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "Platform/Foundation/Date.h"
#include "Platform/Foundation/URLRequest.h"
#include "Wendanet/Source/Core/URLEncoding.h"
#include "Wendanet/Source/Core/WNError.h"
#include "tests/Wendanet/TestErrors.h"
#include "tests/Wendanet/ThrownError.h"

using namespace wendanet;
using platform::URL;
using platform::URLRequest;
using wendanet::testing::thrownError;

namespace {

URLRequest makeRequest(const char* url, std::optional<std::string> method = "GET") {
  URLRequest request(URL::string(url));
  request.setHTTPMethod(std::move(method));
  return request;
}

URLRequest encoded(const URLEncoding& encoding, const URLRequest& request,
                   const std::optional<Parameters>& parameters) {
  return encoding.encode(ConvertibleURLRequest(request), parameters);
}

std::string queryOf(const URLEncoding& encoding, const Parameters& parameters) {
  return *encoded(encoding, makeRequest("http://h/p"), parameters).url()->query();
}

std::string bodyOf(const URLRequest& request) { return request.httpBody() ? request.httpBody()->toString() : "(none)"; }

const Parameters twoParameters{{"b", 1}, {"a", 2}};

class FailingConvertible final : public URLRequestConvertible {
 public:
  URLRequest asURLRequest() const override { throw wendanet::testing::TestError(3); }
};

}  // namespace

TEST(URLEncoding, QueryMethodsAppendSortedPairsToTheURL) {
  EXPECT_EQ(encoded(URLEncoding::default_(), makeRequest("http://h/p?x=1"), twoParameters).url()->absoluteString(),
            "http://h/p?x=1&a=2&b=1");
  EXPECT_EQ(encoded(URLEncoding::default_(), makeRequest("http://h/p?"), twoParameters).url()->absoluteString(),
            "http://h/p?&a=2&b=1");
  EXPECT_EQ(
      encoded(URLEncoding::default_(), makeRequest("http://h/p#top", "DELETE"), twoParameters).url()->absoluteString(),
      "http://h/p?a=2&b=1#top");
  const auto head = encoded(URLEncoding::default_(), makeRequest("http://h/p", "HEAD"), twoParameters);
  EXPECT_FALSE(head.httpBody());
  EXPECT_FALSE(head.allHTTPHeaderFields());
}

TEST(URLEncoding, OtherMethodsGetAFormBody) {
  const auto post = encoded(URLEncoding::default_(), makeRequest("http://h/p?x=1", "POST"), twoParameters);
  EXPECT_EQ(bodyOf(post), "a=2&b=1");
  EXPECT_EQ(post.valueForHTTPHeaderField("Content-Type"), "application/x-www-form-urlencoded; charset=utf-8");
  EXPECT_EQ(post.url()->absoluteString(), "http://h/p?x=1");

  // Methods are compared exactly; a request without one sends a body too.
  EXPECT_EQ(bodyOf(encoded(URLEncoding::default_(), makeRequest("http://h/p", "get"), twoParameters)), "a=2&b=1");
  EXPECT_EQ(bodyOf(encoded(URLEncoding::default_(), makeRequest("http://h/p", std::nullopt), twoParameters)),
            "a=2&b=1");

  auto typed = makeRequest("http://h/p", "PUT");
  typed.setValueForHTTPHeaderField("text/plain", "content-type");
  EXPECT_EQ(encoded(URLEncoding::default_(), typed, twoParameters).valueForHTTPHeaderField("Content-Type"),
            "text/plain");
}

TEST(URLEncoding, DestinationsOverrideTheMethod) {
  EXPECT_EQ(
      encoded(URLEncoding::queryString(), makeRequest("http://h/p", "POST"), twoParameters).url()->absoluteString(),
      "http://h/p?a=2&b=1");
  EXPECT_EQ(bodyOf(encoded(URLEncoding::httpBody(), makeRequest("http://h/p"), twoParameters)), "a=2&b=1");
}

TEST(URLEncoding, AbsentAndEmptyParameters) {
  const URLRequest noURL;
  EXPECT_EQ(encoded(URLEncoding::default_(), noURL, std::nullopt), noURL);
  const auto get = makeRequest("http://h/p");
  EXPECT_EQ(encoded(URLEncoding::default_(), get, Parameters{}), get);
  const auto emptyBody = encoded(URLEncoding::httpBody(), get, Parameters{});
  EXPECT_EQ(bodyOf(emptyBody), "");
  EXPECT_TRUE(emptyBody.valueForHTTPHeaderField("Content-Type"));
}

TEST(URLEncoding, FailuresReachTheCaller) {
  URLRequest noURL;
  noURL.setHTTPMethod("GET");
  const auto missing = thrownError<WNError>([&] { encoded(URLEncoding::default_(), noURL, Parameters{}); });
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->localizedDescription(), "URL request to encode was missing a URL");

  const auto own = thrownError<wendanet::testing::TestError>(
      [] { URLEncoding::default_().encode(FailingConvertible(), std::nullopt); });
  ASSERT_TRUE(own);
  EXPECT_EQ(own->code(), 3);
}

TEST(URLEncoding, NestedValuesAndArrayEncodings) {
  const Parameters nested{{"user", Parameters{{"name", "x"}}}, {"ids", ParameterArray{1, 2}}};
  EXPECT_EQ(queryOf(URLEncoding::default_(), nested), "ids%5B%5D=1&ids%5B%5D=2&user%5Bname%5D=x");
  const auto get = ParameterDestination::methodDependent;
  EXPECT_EQ(queryOf(URLEncoding(get, ArrayEncoding::indexInBrackets), nested),
            "ids%5B0%5D=1&ids%5B1%5D=2&user%5Bname%5D=x");
  EXPECT_EQ(queryOf(URLEncoding(get, ArrayEncoding::noBrackets), nested), "ids=1&ids=2&user%5Bname%5D=x");

  // Nested levels keep their order; empty containers leave no pair.
  const Parameters order{{"m", Parameters{{"z", 1}, {"a", 2}}}, {"empty", ParameterArray{}}, {"none", Parameters{}}};
  EXPECT_EQ(queryOf(URLEncoding::default_(), order), "m%5Bz%5D=1&m%5Ba%5D=2");
}

TEST(URLEncoding, ScalarsAsText) {
  const Parameters flags{{"t", true}, {"f", false}, {"one", 1}, {"zero", 0}};
  EXPECT_EQ(queryOf(URLEncoding::default_(), flags), "f=0&one=1&t=1&zero=0");
  const URLEncoding literal(ParameterDestination::methodDependent, ArrayEncoding::brackets, BoolEncoding::literal);
  EXPECT_EQ(queryOf(literal, flags), "f=false&one=1&t=true&zero=0");

  const Parameters others{{"d", 1.5},
                          {"w", 2.0},
                          {"n", nullptr},
                          {"s", ""},
                          {"u", UINT64_MAX},
                          {"B", "upper"},
                          {"date", platform::Date{978307200}}};
  EXPECT_EQ(queryOf(URLEncoding::default_(), others),
            "B=upper&d=1.5&date=2001-01-01%2000%3A00%3A00%20%2B0000&n=%3Cnull%3E&s=&u=18446744073709551615&w=2");
}

TEST(URLEncoding, Escaping) {
  EXPECT_EQ(URLEncoding::escape("a b&c"), "a%20b%26c");
  EXPECT_EQ(URLEncoding::escape("/?-._~"), "/?-._~");
  EXPECT_EQ(URLEncoding::escape(":#[]@!$&'()*+,;=é"), "%3A%23%5B%5D%40%21%24%26%27%28%29%2A%2B%2C%3B%3D%C3%A9");
  // Text that is not UTF-8 is escaped byte by byte, never left as it is.
  EXPECT_EQ(URLEncoding::escape("x\xFF&y=#"), "x%FF%26y%3D%23");
  const auto pairs = URLEncoding::default_().queryComponents("k[", ParameterArray{"v"});
  ASSERT_EQ(pairs.size(), 1U);
  EXPECT_EQ(pairs[0], (std::pair<std::string, std::string>{"k%5B%5B%5D", "v"}));
}

TEST(URLEncoding, CustomArrayKeys) {
  const URLEncoding custom(ParameterDestination::queryString,
                           ArrayEncoding::custom([](const std::string& key, std::size_t index) {
                             return key + "_" + std::to_string(index);
                           }));
  EXPECT_EQ(queryOf(custom, Parameters{{"k", ParameterArray{"a", "b"}}}), "k_0=a&k_1=b");
}

TEST(URLEncoding, ARequestMadeFromAURLAloneIsAGETWithItsParametersInTheQuery) {
  const auto fresh = encoded(URLEncoding::default_(), URLRequest(URL::string("http://h/p")), twoParameters);
  EXPECT_EQ(fresh.url()->absoluteString(), "http://h/p?a=2&b=1");
  EXPECT_FALSE(fresh.httpBody());
}
