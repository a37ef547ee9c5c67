#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "Platform/Coding/JSONEncoder.h"
#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/HTTPURLResponse.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/URLRequest.h"
#include "Wendanet/Source/Core/DataPreprocessor.h"
#include "Wendanet/Source/Core/DataResponseSerializer.h"
#include "Wendanet/Source/Core/DecodableResponseSerializer.h"
#include "Wendanet/Source/Core/Empty.h"
#include "Wendanet/Source/Core/JSONResponseSerializer.h"
#include "Wendanet/Source/Core/StringResponseSerializer.h"
#include "Wendanet/Source/Core/URLResponseSerializer.h"
#include "Wendanet/Source/Support/TypeName.h"
#include "tests/Platform/ScratchDirectory.h"
#include "tests/Wendanet/TestErrors.h"
#include "tests/Wendanet/ThrownError.h"

using namespace wendanet;
using namespace wendanet::testing;
using platform::Data;
using platform::JSONValue;
using platform::TextEncoding;

namespace {

struct Foo {
  std::string name;
  static constexpr auto codingFields() { return std::tuple{platform::field("name", &Foo::name)}; }
};

struct Outer {
  template <class T>
  struct Inner {};
};

// Fails the test if a body reaches it.
class RefusingPreprocessor final : public DataPreprocessor {
 public:
  Data preprocess(const Data&) const override { throw TestError(3); }
};

std::optional<platform::URLRequest> request(const char* method) {
  platform::URLRequest request(platform::URL::string("http://example.com/x"));
  request.setHTTPMethod(method);
  return request;
}

std::shared_ptr<const platform::HTTPURLResponse> response(int statusCode,
                                                          const platform::HTTPHeaderFields& fields = {}) {
  return platform::HTTPURLResponse::make(*platform::URL::string("http://example.com/x"), statusCode, fields);
}

const std::string nilOrZeroLength = "Response could not be serialized, input data was nil or zero length.";

// The message of the WNError `serialize` throws, or "no error".
template <class Serialize>
std::string failureText(Serialize&& serialize) {
  const auto error = thrownError<WNError>(serialize);
  return error ? error->errorDescription() : "no error";
}

template <class Serializer>
auto serialize(const Serializer& serializer, const char* method, int statusCode, std::optional<Data> body = {}) {
  return serializer.serialize(request(method), response(statusCode), body, std::nullopt);
}

}  // namespace

TEST(ResponseSerializer, AnEmptyBodyIsAllowedForHEADOr204Or205Only) {
  const DataResponseSerializer serializer;
  EXPECT_EQ(serialize(serializer, "HEAD", 200), Data());
  EXPECT_EQ(serialize(serializer, "GET", 204, Data()), Data());
  EXPECT_EQ(serialize(serializer, "GET", 205), Data());
  EXPECT_EQ(failureText([&] { serialize(serializer, "GET", 200, Data()); }), nilOrZeroLength);
  EXPECT_EQ(failureText([&] { serialize(serializer, "head", 200); }), nilOrZeroLength);
  EXPECT_EQ(failureText([&] { serializer.serialize(request("GET"), nullptr, std::nullopt, std::nullopt); }),
            nilOrZeroLength);
  EXPECT_EQ(failureText([&] { serializer.serialize(std::nullopt, nullptr, std::nullopt, std::nullopt); }),
            nilOrZeroLength);
  // A body that is there is decoded, whatever the status.
  EXPECT_EQ(serialize(serializer, "GET", 205, Data("abc")), Data("abc"));

  const DataResponseSerializer custom(ResponseSerializer::defaultDataPreprocessor(), {404},
                                      {HTTPMethod("head")});
  EXPECT_EQ(serialize(custom, "head", 200), Data());
  EXPECT_EQ(serialize(custom, "GET", 404), Data());
  EXPECT_EQ(failureText([&] { serialize(custom, "HEAD", 204); }), nilOrZeroLength);
}

TEST(ResponseSerializer, AGivenErrorWinsOverTheBodyAndPassesUnchanged) {
  const auto given = WNError::sessionTaskFailed(testError(5));
  const auto thrown = thrownError<WNError>(
      [&] { DataResponseSerializer().serialize(request("GET"), response(200), Data("abc"), given); });
  ASSERT_TRUE(thrown && thrown->isSessionTaskFailed());
  EXPECT_EQ(platform::errorAs<TestError>(thrown->getUnderlyingError())->code(), 5);
}

TEST(ResponseSerializer, ThePreprocessorSeesOnlyBodiesWithBytesAndItsErrorPassesUnchanged) {
  const auto refusing = std::make_shared<RefusingPreprocessor>();
  EXPECT_EQ(serialize(DataResponseSerializer(refusing), "GET", 204, Data()), Data());
  const auto thrown = thrownError<TestError>([&] { serialize(DataResponseSerializer(refusing), "GET", 200, Data("x")); });
  ASSERT_TRUE(thrown);
  EXPECT_EQ(thrown->code(), 3);

  const auto xssi = std::make_shared<GoogleXSSIPreprocessor>();
  EXPECT_EQ(serialize(JSONResponseSerializer(xssi), "GET", 200, Data(")]}',\n[1]")), JSONValue::array({1}));
}

TEST(GoogleXSSIPreprocessor, RemovesOneWholeGuardAndNothingElse) {
  const GoogleXSSIPreprocessor preprocessor;
  const auto preprocessed = [&](const char* body) { return preprocessor.preprocess(Data(body)).toString(); };
  EXPECT_EQ(preprocessed(")]}',\n{}"), "{}");
  EXPECT_EQ(preprocessed(")]}'"), ")]}'");
  EXPECT_EQ(preprocessed(")]}',{}"), ")]}',{}");
  EXPECT_EQ(preprocessed(")]}',\n)]}',\n{}"), ")]}',\n{}");
  EXPECT_EQ(preprocessed("{}\n)]}',\n"), "{}\n)]}',\n");
  EXPECT_EQ(PassthroughPreprocessor().preprocess(Data(")]}',\n{}")).toString(), ")]}',\n{}");
}

TEST(StringResponseSerializer, ReadsUTF8UnlessAnEncodingOrCharsetSaysOtherwise) {
  const Data eAcute("\xC3\xA9");
  const auto text = [&](std::optional<TextEncoding> encoding, const platform::HTTPHeaderFields& fields,
                        const Data& body) {
    return StringResponseSerializer(ResponseSerializer::defaultDataPreprocessor(), encoding)
        .serialize(request("GET"), response(200, fields), body, std::nullopt);
  };
  const platform::HTTPHeaderFields latin1Charset{{"Content-Type", "text/plain; charset=ISO-8859-1"}};
  const platform::HTTPHeaderFields utf8Charset{{"Content-Type", "text/plain; charset=UTF-8"}};
  const platform::HTTPHeaderFields unknownCharset{{"Content-Type", "text/plain; charset=windows-1252"}};

  EXPECT_EQ(text(std::nullopt, {}, eAcute), "é");
  EXPECT_EQ(text(TextEncoding::isoLatin1, {}, eAcute), "Ã©");
  EXPECT_EQ(text(std::nullopt, latin1Charset, eAcute), "Ã©");
  EXPECT_EQ(text(TextEncoding::utf8, latin1Charset, eAcute), "é");
  EXPECT_EQ(text(std::nullopt, utf8Charset, eAcute), "é");
  // Bytes that are no UTF-8, with no charset known, are read as Latin 1.
  EXPECT_EQ(text(std::nullopt, unknownCharset, Data("caf\xE9")), "café");
  EXPECT_EQ(serialize(StringResponseSerializer(), "GET", 204), "");
  EXPECT_EQ(failureText([&] { text(TextEncoding::utf8, {}, Data("caf\xE9")); }),
            "String could not be serialized with encoding: Unicode (UTF-8).");
  EXPECT_EQ(failureText([&] { text(std::nullopt, utf8Charset, Data("caf\xE9")); }),
            "String could not be serialized with encoding: Unicode (UTF-8).");
}

TEST(JSONResponseSerializer, ReadsAnyJSONValueAndNullForAnAllowedEmptyBody) {
  const JSONResponseSerializer serializer;
  EXPECT_EQ(serialize(serializer, "GET", 200, Data(R"({"a":[true]})")),
            JSONValue::object({{"a", JSONValue::array({true})}}));
  EXPECT_EQ(serialize(serializer, "GET", 200, Data("42")), JSONValue(42));
  EXPECT_TRUE(serialize(serializer, "GET", 204).isNull());

  const auto strict =
      JSONResponseSerializer(ResponseSerializer::defaultDataPreprocessor(), ResponseSerializer::defaultEmptyResponseCodes(),
                             ResponseSerializer::defaultEmptyRequestMethods(), platform::JSONReadingOptions());
  const auto thrown = thrownError<WNError>([&] { serialize(strict, "GET", 200, Data("42")); });
  ASSERT_TRUE(thrown && thrown->isResponseSerializationFailed());
  EXPECT_TRUE(thrown->errorDescription().starts_with("JSON could not be serialized because of error:\n"));
  EXPECT_NE(thrown->getUnderlyingError(), nullptr);
}

TEST(DecodableResponseSerializer, DecodesTheBodyOrNamesTheTypeThatCannotBeEmpty) {
  EXPECT_EQ(serialize(DecodableResponseSerializer<Foo>(), "GET", 200, Data(R"({"name":"x"})")).name, "x");
  EXPECT_EQ(failureText([] { serialize(DecodableResponseSerializer<Foo>(), "GET", 204); }),
            "Empty response could not be serialized to type: Foo. Use Empty as the expected type for such "
            "responses.");
  EXPECT_EQ(failureText([] { serialize(DecodableResponseSerializer<Foo>(), "GET", 200); }), nilOrZeroLength);
  EXPECT_EQ(serialize(DecodableResponseSerializer<Empty>(), "HEAD", 200), Empty());

  const auto thrown = thrownError<WNError>([] { serialize(DecodableResponseSerializer<Foo>(), "GET", 200, Data("[]")); });
  ASSERT_TRUE(thrown && thrown->isResponseSerializationFailed());
  EXPECT_TRUE(thrown->errorDescription().starts_with("Response could not be decoded because of error:\n"));
}

TEST(Empty, WritesAnEmptyObjectAndReadsFromAnythingTheDecoderAccepts) {
  EXPECT_EQ(platform::JSONEncoder().encode(Empty()).toString(), "{}");
  for (const char* body : {"{}", "[1, 2]", "\"text\"", "null"}) {
    EXPECT_EQ(serialize(DecodableResponseSerializer<Empty>(), "GET", 200, Data(body)), Empty()) << body;
  }
  EXPECT_TRUE(failureText([] { serialize(DecodableResponseSerializer<Empty>(), "GET", 200, Data("{")); })
                  .starts_with("Response could not be decoded"));
  EXPECT_EQ(std::hash<Empty>{}(Empty()), std::hash<Empty>{}(Empty::emptyValue()));
}

TEST(TypeName, DropsNamespacesAndEnclosingClasses) {
  EXPECT_EQ(unqualifiedTypeName<Foo>(), "Foo");
  EXPECT_EQ(unqualifiedTypeName<WNError>(), "WNError");
  EXPECT_EQ(unqualifiedTypeName<Outer::Inner<int>>(), "Inner<int>");
  EXPECT_EQ(unqualifiedTypeName<int>(), "int");
}

TEST(ResponseSerializer, DownloadsAreReadFromTheirFileAndFollowTheBodyRules) {
  ScratchDirectory scratch;
  const auto file = [&](const char* name, const char* contents) {
    return platform::URL::fileURL(scratch.write(name, contents).string());
  };
  const auto download = [](const auto& serializer, std::optional<platform::URL> fileURL, int statusCode = 200) {
    return serializer.serializeDownload(request("GET"), response(statusCode), fileURL, std::nullopt);
  };
  EXPECT_EQ(download(StringResponseSerializer(), file("body", "abc")), "abc");
  EXPECT_EQ(download(DataResponseSerializer(), file("empty", ""), 204), Data());
  EXPECT_EQ(failureText([&] { download(DataResponseSerializer(), file("empty", "")); }), nilOrZeroLength);
  EXPECT_EQ(failureText([&] { download(JSONResponseSerializer(), std::nullopt); }),
            "Response could not be serialized, input file was nil.");
  const auto missing = platform::URL::fileURL((scratch / "missing").string());
  EXPECT_EQ(failureText([&] { download(DecodableResponseSerializer<Foo>(), missing); }),
            "Response could not be serialized, input file could not be read: " + missing.absoluteString() + ".");
  const auto given = WNError::explicitlyCancelled();
  EXPECT_TRUE(thrownError<WNError>([&] {
                DataResponseSerializer().serializeDownload(request("GET"), response(200), missing, given);
              })->isExplicitlyCancelled());
}

TEST(URLResponseSerializer, HandsOnTheFileURLWithoutOpeningIt) {
  const URLResponseSerializer serializer;
  const auto missing = platform::URL::fileURL("/nonexistent/file");
  EXPECT_EQ(serializer.serializeDownload(std::nullopt, nullptr, missing, std::nullopt), missing);
  EXPECT_EQ(failureText([&] { serializer.serializeDownload(std::nullopt, nullptr, std::nullopt, std::nullopt); }),
            "Response could not be serialized, input file was nil.");
  EXPECT_TRUE(thrownError<WNError>([&] {
                serializer.serializeDownload(std::nullopt, nullptr, missing, WNError::explicitlyCancelled());
              })->isExplicitlyCancelled());
}
