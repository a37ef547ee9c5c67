#include <gtest/gtest.h>

#include <functional>
#include <type_traits>

#include "Platform/Foundation/URLComponents.h"
#include "Wendanet/Source/Core/HTTPMethod.h"
#include "Wendanet/Source/Core/RequestDelegate.h"
#include "Wendanet/Source/Core/URLConvertible.h"
#include "Wendanet/Source/Core/URLRequestConvertible.h"
#include "Wendanet/Source/Support/URLRequestExtensions.h"

using namespace wendanet;
using platform::URL;
using platform::URLRequest;

namespace {

// The value an invalidURL failure carries, as text.
std::string invalidURLCarried(const URLConvertible& convertible) {
  try {
    convertible.asURL();
  } catch (const WNError& error) {
    EXPECT_TRUE(error.isInvalidURL());
    return error.getURLConvertible()->description();
  }
  ADD_FAILURE() << "conversion did not fail";
  return {};
}

class FailingConvertible final : public URLRequestConvertible {
 public:
  URLRequest asURLRequest() const override { throw WNError::explicitlyCancelled(); }
};

bool passesValidation(const URLRequest& request) {
  try {
    validate(request);
    return true;
  } catch (const WNError& error) {
    EXPECT_EQ(error.getUnderlyingError(), nullptr);
    return false;
  }
}

}  // namespace

static_assert(std::is_abstract_v<RequestDelegate>);

TEST(HTTPMethod, TextIsKeptAndComparedExactly) {
  EXPECT_EQ(HTTPMethod("GET"), HTTPMethod::get());
  EXPECT_NE(HTTPMethod("get"), HTTPMethod::get());
  EXPECT_EQ(HTTPMethod(" get ").rawValue(), " get ");
  EXPECT_EQ(HTTPMethod::delete_().rawValue(), "DELETE");
  EXPECT_EQ(HTTPMethod::query().rawValue(), "QUERY");
  EXPECT_EQ(std::hash<HTTPMethod>{}(HTTPMethod("PATCH")), std::hash<HTTPMethod>{}(HTTPMethod::patch()));
}

TEST(URLConvertible, TextAndComponentsFailWithTheValueGiven) {
  EXPECT_EQ(invalidURLCarried(ConvertibleString("")), "");
  EXPECT_EQ(invalidURLCarried(ConvertibleString("http://a b/")), "http://a b/");
  EXPECT_EQ(ConvertibleString("http://h/p?q=1").asURL().absoluteString(), "http://h/p?q=1");

  auto components = *platform::URLComponents::string("http://h/p#f");
  components.setPercentEncodedQuery("a b");
  EXPECT_EQ(invalidURLCarried(ConvertibleURLComponents(components)), "http://h/p?a b#f");
  components.setPercentEncodedQuery("a=1");
  EXPECT_EQ(ConvertibleURLComponents(components).asURL().absoluteString(), "http://h/p?a=1#f");

  EXPECT_EQ(ConvertibleURL(*URL::string("mailto:x")).asURL(), *URL::string("mailto:x"));
}

TEST(URLRequestConvertible, URLRequestIsAbsentWhenConversionFails) {
  const URLRequest request(URL::string("http://h/"));
  EXPECT_EQ(ConvertibleURLRequest(request).urlRequest(), request);
  EXPECT_EQ(FailingConvertible().urlRequest(), std::nullopt);
}

TEST(URLRequestExtensions, MakeURLRequestSetsMethodTimeoutAndHeaders) {
  const auto bare = makeURLRequest(ConvertibleString("http://h/"), HTTPMethod::post());
  EXPECT_EQ(bare.httpMethod(), "POST");
  EXPECT_EQ(bare.timeoutInterval(), 60.0);
  EXPECT_EQ(bare.cachePolicy(), URLRequest::CachePolicy::useProtocolCachePolicy);
  EXPECT_EQ(bare.allHTTPHeaderFields(), std::nullopt);

  const auto withHeaders = makeURLRequest(ConvertibleString("http://h/"), HTTPMethod::get(), HTTPHeaders{{"A", "1"}});
  EXPECT_EQ(withHeaders.valueForHTTPHeaderField("a"), "1");

  try {
    makeURLRequest(ConvertibleString(""), HTTPMethod::get());
    ADD_FAILURE() << "no URL, no request";
  } catch (const WNError& error) {
    EXPECT_EQ(error.localizedDescription(), "URL is not valid: ");
  }
}

TEST(URLRequestExtensions, MethodReadsAndWritesTheRequestText) {
  URLRequest request(URL::string("http://h/"));
  EXPECT_EQ(getMethod(request), HTTPMethod::get());
  setMethod(request, HTTPMethod("get"));
  EXPECT_EQ(request.httpMethod(), "get");
  EXPECT_EQ(getMethod(request), HTTPMethod("get"));
  setMethod(request, std::nullopt);
  EXPECT_EQ(request.httpMethod(), std::nullopt);
}

TEST(URLRequestExtensions, OnlyExactGETWithABodyFailsValidation) {
  URLRequest request(URL::string("http://h/"));
  request.setHTTPBody(platform::Data());
  EXPECT_FALSE(passesValidation(request));  // a new request is a GET, and even an empty body counts
  request.setHTTPMethod(std::nullopt);
  EXPECT_TRUE(passesValidation(request));
  request.setHTTPMethod("get");
  EXPECT_TRUE(passesValidation(request));
  request.setHTTPMethod("POST");
  EXPECT_TRUE(passesValidation(request));
  request.setHTTPMethod("GET");
  request.setHTTPBody(std::nullopt);
  EXPECT_TRUE(passesValidation(request));
}
