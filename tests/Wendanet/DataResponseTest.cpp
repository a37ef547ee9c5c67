#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/HTTPURLResponse.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/URLRequest.h"
#include "Platform/URLLoading/URLSessionTaskMetrics.h"
#include "Wendanet/Source/Core/DataResponse.h"
#include "Wendanet/Source/Core/DownloadResponse.h"
#include "tests/Wendanet/TestErrors.h"

using namespace wendanet;
using platform::Data;
using platform::HTTPHeaderFields;
using platform::URLRequest;
using wendanet::testing::testError;
using wendanet::testing::TestError;

namespace {

URLRequest makeRequest(const char* method, const char* url) {
  URLRequest request(platform::URL::string(url));
  request.setHTTPMethod(method);
  return request;
}

std::shared_ptr<const platform::HTTPURLResponse> makeResponse(const HTTPHeaderFields& fields, int status = 200) {
  return platform::HTTPURLResponse::make(*platform::URL::string("https://example.com/get"), status, fields);
}

DataResponse<Data> dataResponse(std::optional<Data> body, const HTTPHeaderFields& fields,
                                double serializationDuration = 0) {
  return {makeRequest("GET", "https://example.com/get"),
          makeResponse(fields),
          body,
          nullptr,
          serializationDuration,
          Data("ok")};
}

// The text after "[Status Code]: 200\n    " and before the durations.
std::string responseHeadersAndBody(const DataResponse<Data>& response) {
  const std::string text = response.debugDescription();
  const std::string start = "[Status Code]: 200\n    ";
  const auto from = text.find(start) + start.size();
  return text.substr(from, text.find("\n[Network Duration]") - from);
}

std::shared_ptr<const platform::URLSessionTaskMetrics> makeMetrics(double seconds) {
  platform::URLSessionTaskMetrics metrics;
  metrics.taskInterval.duration = seconds;
  return std::make_shared<const platform::URLSessionTaskMetrics>(std::move(metrics));
}

std::string json(std::size_t size) { return "\"" + std::string(size - 2, 'x') + "\""; }

}  // namespace

TEST(DataResponseDescription, ShowsEverySectionLaidOutToTheCharacter) {
  const DataResponse<Data> response(makeRequest("GET", "https://example.com/get"),
                                    makeResponse({{"Content-Type", "application/json"}, {"Content-Length", "8"}}),
                                    Data(R"({"a": 1})"), nullptr, 0, Data(R"({"a": 1})"));
  EXPECT_EQ(response.debugDescription(),
            "[Request]: GET https://example.com/get\n    [Headers]: None\n    [Body]: None\n[Response]:\n"
            "    [Status Code]: 200\n    [Headers]:\n        Content-Length: 8\n"
            "        Content-Type: application/json\n    [Body]:\n        {\"a\": 1}\n"
            "[Network Duration]: None\n[Serialization Duration]: 0.0s\n[Result]: success(8 bytes)");
  EXPECT_EQ(response.description(), "success(8 bytes)");
}

TEST(DataResponseDescription, WithoutARequestShowsOnlyTheOutcome) {
  const DataResponse<Data> response(std::nullopt, makeResponse({}), Data("x"), makeMetrics(2), 3,
                                    std::unexpected(WNError::explicitlyCancelled()));
  EXPECT_EQ(response.debugDescription(),
            "[Request]: None\n[Result]: failure(" + WNError::explicitlyCancelled().errorDescription() + ")");
}

TEST(DataResponseDescription, RequestHeadersAndBodyStandUnderTheRequestLine) {
  URLRequest request = makeRequest("POST", "https://example.com/post");
  request.setAllHTTPHeaderFields(HTTPHeaderFields{{"X-B", "2"}, {"Content-Type", "text/plain"}});
  request.setHTTPBody(Data("line 1\nline 2"));
  const DataResponse<Data> response(request, nullptr, Data("ignored"), nullptr, 0, Data());
  EXPECT_EQ(response.debugDescription(),
            "[Request]: POST https://example.com/post\n    [Headers]:\n        Content-Type: text/plain\n"
            "        X-B: 2\n    [Body]:\n        line 1\n        line 2\n[Response]: None\n"
            "[Network Duration]: None\n[Serialization Duration]: 0.0s\n[Result]: success(0 bytes)");
}

TEST(DataResponseDescription, DurationsUseThePlatformsNumberText) {
  const std::pair<double, const char*> cases[] = {
      {5e-05, "5e-05s"}, {1.25e-05, "1.25e-05s"}, {0.0001, "0.0001s"}, {2.0, "2.0s"}, {12.5, "12.5s"}};
  for (const auto& [seconds, text] : cases) {
    EXPECT_NE(dataResponse(std::nullopt, {}, seconds)
                  .debugDescription()
                  .find("\n[Serialization Duration]: " + std::string(text) + "\n"),
              std::string::npos)
        << text;
  }
}

TEST(DataResponseDescription, NetworkDurationComesFromTheMetrics) {
  const auto metrics = makeMetrics(1.5);
  const DataResponse<Data> measured(makeRequest("GET", "https://example.com/get"), nullptr, std::nullopt, metrics, 0,
                                    Data());
  EXPECT_NE(measured.debugDescription().find("[Network Duration]: 1.5s\n"), std::string::npos);
  const DataResponse<Data> unmeasured(makeRequest("GET", "https://example.com/get"), nullptr, std::nullopt, nullptr, 0,
                                      Data());
  EXPECT_NE(unmeasured.debugDescription().find("[Network Duration]: None\n"), std::string::npos);
}

TEST(DataResponseDescription, BodiesPastTheLimitShowOnlyTheirSize) {
  const HTTPHeaderFields jsonType = {{"Content-Type", "application/json"}};
  EXPECT_EQ(responseHeadersAndBody(dataResponse(Data(json(100'001)), jsonType)),
            "[Headers]:\n        Content-Type: application/json\n    [Body]: 100001 bytes");
  EXPECT_NE(responseHeadersAndBody(dataResponse(Data(json(100'000)), jsonType)).find("[Body]:\n        \"xxx"),
            std::string::npos);
}

TEST(DataResponseDescription, OnlyTextualContentTypesArePrinted) {
  const auto body = [](const HTTPHeaderFields& fields, std::optional<Data> data = Data("abc")) {
    const std::string text = responseHeadersAndBody(dataResponse(std::move(data), fields));
    return text.substr(text.find("[Body]"));
  };
  EXPECT_EQ(body({{"Content-Type", "image/png"}}), "[Body]: 3 bytes");
  EXPECT_EQ(body({}), "[Body]: 3 bytes");
  EXPECT_EQ(body({{"Content-Type", "TEXT/PLAIN"}}), "[Body]: 3 bytes");
  EXPECT_EQ(body({{"content-type", "application/xml; charset=utf-8"}}), "[Body]:\n        abc");
  EXPECT_EQ(body({{"Content-Type", "application/json"}}, Data()), "[Body]: None");
  EXPECT_EQ(body({{"Content-Type", "application/json"}}, std::nullopt), "[Body]: None");
}

TEST(DataResponseDescription, BodyTextIsTrimmedRepairedAndIndentedLineByLine) {
  const HTTPHeaderFields textType = {{"Content-Type", "text/plain"}};
  EXPECT_EQ(responseHeadersAndBody(dataResponse(Data("\n  {\"a\": 1}\n\n"), textType)),
            "[Headers]:\n        Content-Type: text/plain\n    [Body]:\n        {\"a\": 1}");
  const std::string lines = responseHeadersAndBody(dataResponse(Data("\u00A0one\n two\u3000\r\n"), textType));
  EXPECT_EQ(lines.substr(lines.find("[Body]")), "[Body]:\n        one\n         two");
  const std::string repaired = responseHeadersAndBody(dataResponse(Data("a\xFF"
                                                                        "b"),
                                                                   textType));
  EXPECT_EQ(repaired.substr(repaired.find("[Body]")), "[Body]:\n        a\uFFFDb");
}

TEST(DataResponseDescription, HeadersAreSortedByLowerCasedName) {
  EXPECT_EQ(responseHeadersAndBody(dataResponse(std::nullopt, {{"b", "2"}, {"A", "1"}, {"c", "3"}})),
            "[Headers]:\n        A: 1\n        b: 2\n        c: 3\n    [Body]: None");
}

TEST(DataResponseTransforms, MapRunsOnlyForASuccessAndKeepsEveryOtherField) {
  const auto metrics = makeMetrics(2);
  const DataResponse<int> success(makeRequest("GET", "https://example.com/get"), makeResponse({}), Data("b"), metrics,
                                  0.5, 20);
  const auto doubled = success.map([](int value) { return std::to_string(value * 2); });
  EXPECT_EQ(doubled.value(), "40");
  EXPECT_EQ(doubled.request(), success.request());
  EXPECT_EQ(doubled.response(), success.response());
  EXPECT_EQ(doubled.data(), success.data());
  EXPECT_EQ(doubled.metrics(), metrics);
  EXPECT_EQ(doubled.serializationDuration(), 0.5);
  EXPECT_EQ(doubled.description(), "success(\"40\")");

  const DataResponse<int> failure(std::nullopt, nullptr, std::nullopt, nullptr, 0,
                                  std::unexpected(WNError::explicitlyCancelled()));
  bool called = false;
  const auto mapped = failure.map([&](int value) {
    called = true;
    return value;
  });
  EXPECT_FALSE(called);
  EXPECT_TRUE(mapped.error()->isExplicitlyCancelled());
  EXPECT_EQ(failure.mapError([](const WNError&) { return TestError(5); }).error()->code(), 5);
  EXPECT_EQ(success
                .mapError([&](const WNError&) {
                  called = true;
                  return TestError(5);
                })
                .value(),
            20);
  EXPECT_FALSE(called);
}

TEST(DataResponseTransforms, ThrowingTransformsCarryTheThrownErrorExactly) {
  const DataResponse<int> success(makeRequest("GET", "https://example.com/get"), nullptr, Data("b"), nullptr, 0.25, 1);
  const auto thrown = success.mapThrowing([](int) -> int { throw TestError(42); });
  ASSERT_TRUE(thrown.error());
  EXPECT_EQ(platform::errorAs<TestError>(*thrown.error())->code(), 42);
  EXPECT_EQ(thrown.data(), Data("b"));
  EXPECT_EQ(thrown.serializationDuration(), 0.25);

  const DataResponse<int> failure(std::nullopt, nullptr, std::nullopt, nullptr, 0,
                                  std::unexpected(WNError::sessionDeinitialized()));
  const auto general = failure.mapThrowing([](int value) { return value; });
  EXPECT_TRUE(platform::errorAs<WNError>(*general.error())->isSessionDeinitialized());

  const auto replaced = failure.mapErrorThrowing([](const WNError&) { return TestError(3); });
  EXPECT_EQ(platform::errorAs<TestError>(*replaced.error())->code(), 3);
  const auto failedAgain = failure.mapErrorThrowing([](const WNError&) -> TestError { throw TestError(4); });
  EXPECT_EQ(platform::errorAs<TestError>(*failedAgain.error())->code(), 4);

  bool called = false;
  EXPECT_EQ(success
                .mapErrorThrowing([&](const WNError& error) {
                  called = true;
                  return error;
                })
                .value(),
            1);
  EXPECT_FALSE(called);
}

TEST(DataResponseTransforms, ErasedValuesKeepTheirTypeAndText) {
  const DataResponse<std::optional<std::string>> response(std::nullopt, nullptr, std::nullopt, nullptr, 0,
                                                          std::optional<std::string>("hi"));
  const auto erased = response.erasingValue();
  ASSERT_TRUE(erased.value());
  EXPECT_EQ(erased.value()->type(), typeid(std::optional<std::string>));
  EXPECT_EQ(**erased.value()->get<std::optional<std::string>>(), "hi");
  EXPECT_EQ(erased.value()->get<std::string>(), nullptr);
  EXPECT_EQ(erased.description(), response.description());
  EXPECT_EQ(response.map([](const auto&) { return std::optional<int>(); }).description(), "success(None)");
}

TEST(DownloadResponseDescription, ShowsFileAndResumeDataInsteadOfABody) {
  const DownloadResponse<int> response(
      makeRequest("GET", "https://example.com/get"), makeResponse({{"Content-Type", "text/plain"}}),
      platform::URL::fileURL("/tmp/a b.bin"), Data(std::string(1234, 'r')), nullptr, 2.0, 7);
  EXPECT_EQ(response.debugDescription(),
            "[Request]: GET https://example.com/get\n    [Headers]: None\n    [Body]: None\n[Response]:\n"
            "    [Status Code]: 200\n    [Headers]:\n        Content-Type: text/plain\n[File URL]: /tmp/a b.bin\n"
            "[Resume Data]: 1234 bytes\n[Network Duration]: None\n[Serialization Duration]: 2.0s\n"
            "[Result]: success(7)");

  const DownloadResponse<int> bare(makeRequest("GET", "https://example.com/get"), nullptr, std::nullopt, std::nullopt,
                                   nullptr, 0, std::unexpected(WNError::explicitlyCancelled()));
  EXPECT_NE(bare.debugDescription().find("\n[Response]: None\n[File URL]: None\n[Resume Data]: None\n"),
            std::string::npos);
  EXPECT_EQ(DownloadResponse<int>(std::nullopt, nullptr, std::nullopt, std::nullopt, nullptr, 0, 1).debugDescription(),
            "[Request]: None\n[Result]: success(1)");
}
