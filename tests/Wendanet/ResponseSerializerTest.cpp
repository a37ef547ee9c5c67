#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

#include "Platform/Coding/JSONEncoder.h"
#include "Wendanet/Source/Support/DataResponseSerializer.h"
#include "Wendanet/Source/Support/DecodableResponseSerializer.h"
#include "Wendanet/Source/Support/JSONResponseSerializer.h"
#include "Wendanet/Source/Support/StringResponseSerializer.h"
#include "Wendanet/Source/Support/URLResponseSerializer.h"
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

class RefusingPreprocessor final : public DataPreprocessor {
 public:
  Data preprocess(const Data&) const override { throw TestError(3); }
};

std::optional<platform::URLRequest> request(const char* method) {
  platform::URLRequest request(platform::URL::string("http://example.com/x"));
  request.setHTTPMethod(method);
  return request;
}

std::shared_ptr<const platform::HTTPURLResponse> response(int status, const platform::HTTPHeaderFields& fields = {}) {
  return platform::HTTPURLResponse::make(*platform::URL::string("http://example.com/x"), status, fields);
}

template <class Serializer>
auto serialize(const Serializer& serializer, const char* method, int status, std::optional<Data> body = {},
               const platform::HTTPHeaderFields& fields = {}) {
  return serializer.serialize(request(method), response(status, fields), body, std::nullopt);
}

// The message of the WNError `action` throws, or "no error".
template <class Action>
std::string failureText(Action&& action) {
  const auto error = thrownError<WNError>(action);
  return error ? error->errorDescription() : "no error";
}

const std::string nilOrZeroLength = "Response could not be serialized, input data was nil or zero length.";
const std::string inputFileNil = "Response could not be serialized, input file was nil.";

}  // namespace

TEST(ResponseSerializer, AnEmptyBodyIsAllowedForTheChosenMethodsAndStatusCodesOnly) {
  const DataResponseSerializer serializer;
  EXPECT_EQ(serialize(serializer, "HEAD", 200), Data());
  EXPECT_EQ(serialize(serializer, "GET", 204, Data()), Data());
  EXPECT_EQ(serialize(serializer, "GET", 205), Data());
  EXPECT_EQ(serialize(serializer, "GET", 205, Data("abc")), Data("abc"));
  EXPECT_EQ(failureText([&] { serialize(serializer, "GET", 200, Data()); }), nilOrZeroLength);
  EXPECT_EQ(failureText([&] { serialize(serializer, "head", 200); }), nilOrZeroLength);
  EXPECT_EQ(failureText([&] { serializer.serialize(std::nullopt, nullptr, std::nullopt, std::nullopt); }),
            nilOrZeroLength);
  const DataResponseSerializer custom(ResponseSerializer::defaultDataPreprocessor(), {404}, {HTTPMethod("head")});
  EXPECT_EQ(serialize(custom, "head", 404), Data());
  EXPECT_EQ(failureText([&] { serialize(custom, "HEAD", 204); }), nilOrZeroLength);
}

TEST(ResponseSerializer, SerializersShareTheirEmptyBodyRulesWithoutChangingEachOthers) {
  ResponseSerializer::EmptyResponseCodes::Set codes{404};
  const DataResponseSerializer custom(ResponseSerializer::defaultDataPreprocessor(), codes);
  codes.insert(200);
  EXPECT_EQ(failureText([&] { serialize(custom, "GET", 200); }), nilOrZeroLength);
  EXPECT_EQ(serialize(custom, "GET", 404), Data());

  const DataResponseSerializer first;
  const DataResponseSerializer second = first;
  EXPECT_EQ(&first.emptyResponseCodes().values(), &ResponseSerializer::defaultEmptyResponseCodes().values());
  EXPECT_EQ(&second.emptyRequestMethods().values(), &ResponseSerializer::defaultEmptyRequestMethods().values());
  EXPECT_EQ(ResponseSerializer::defaultEmptyResponseCodes().values(), (std::unordered_set<int>{204, 205}));
  EXPECT_EQ(ResponseSerializer::defaultEmptyRequestMethods().values(),
            (std::unordered_set<HTTPMethod>{HTTPMethod::head()}));
  EXPECT_EQ(failureText([&] { serialize(second, "GET", 404); }), nilOrZeroLength);
}

TEST(ResponseSerializer, AGivenErrorAndAPreprocessorsErrorPassUnchanged) {
  const auto given = WNError::sessionTaskFailed(testError(5));
  EXPECT_TRUE(thrownError<WNError>([&] {
                DataResponseSerializer().serialize(request("GET"), response(200), Data("abc"), given);
              })->isSessionTaskFailed());
  // The preprocessor never sees an empty body.
  const DataResponseSerializer refusing(std::make_shared<RefusingPreprocessor>());
  EXPECT_EQ(serialize(refusing, "GET", 204, Data()), Data());
  EXPECT_EQ(thrownError<TestError>([&] { serialize(refusing, "GET", 200, Data("x")); })->code(), 3);
}

TEST(GoogleXSSIPreprocessor, RemovesOneWholeGuardAndNothingElse) {
  const GoogleXSSIPreprocessor preprocessor;
  const auto preprocessed = [&](const char* body) { return preprocessor.preprocess(Data(body)).toString(); };
  EXPECT_EQ(preprocessed(")]}',\n{}"), "{}");
  EXPECT_EQ(preprocessed(")]}'"), ")]}'");
  EXPECT_EQ(preprocessed(")]}',{}"), ")]}',{}");
  EXPECT_EQ(preprocessed(")]}',\n)]}',\n{}"), ")]}',\n{}");
  EXPECT_EQ(
      serialize(JSONResponseSerializer(std::make_shared<GoogleXSSIPreprocessor>()), "GET", 200, Data(")]}',\n[1]")),
      JSONValue::array({1}));
}

TEST(StringResponseSerializer, ReadsUTF8UnlessAnEncodingOrCharsetSaysOtherwise) {
  const Data eAcute("\xC3\xA9");
  const auto text = [&](std::optional<TextEncoding> encoding, const char* charset, const Data& body) {
    const StringResponseSerializer serializer(ResponseSerializer::defaultDataPreprocessor(), encoding);
    if (!*charset) return serialize(serializer, "GET", 200, body);
    return serialize(serializer, "GET", 200, body, {{"Content-Type", std::string("text/plain; charset=") + charset}});
  };
  EXPECT_EQ(text(std::nullopt, "", eAcute), "é");
  EXPECT_EQ(text(TextEncoding::isoLatin1, "", eAcute), "Ã©");
  EXPECT_EQ(text(std::nullopt, "ISO-8859-1", eAcute), "Ã©");
  EXPECT_EQ(text(TextEncoding::utf8, "iso-8859-1", eAcute), "é");
  // Bytes that are no UTF-8, in a charset without a mapping, read as Latin 1.
  EXPECT_EQ(text(std::nullopt, "windows-1252", Data("caf\xE9")), "café");
  EXPECT_EQ(failureText([&] { text(std::nullopt, "UTF-8", Data("caf\xE9")); }),
            "String could not be serialized with encoding: Unicode (UTF-8).");
  EXPECT_EQ(serialize(StringResponseSerializer(), "GET", 204), "");
}

TEST(JSONResponseSerializer, ReadsAnyValueAndNullForAnAllowedEmptyBody) {
  EXPECT_EQ(serialize(JSONResponseSerializer(), "GET", 200, Data("42")), JSONValue(42));
  EXPECT_TRUE(serialize(JSONResponseSerializer(), "GET", 204).isNull());
  EXPECT_TRUE(failureText([] {
                serialize(JSONResponseSerializer(), "GET", 200, Data("{"));
              }).starts_with("JSON could not be serialized because of error:\n"));
}

TEST(DecodableResponseSerializer, DecodesTheBodyOrNamesTheTypeThatCannotBeEmpty) {
  const DecodableResponseSerializer<Foo> foo;
  EXPECT_EQ(serialize(foo, "GET", 200, Data(R"({"name":"x"})")).name, "x");
  EXPECT_EQ(failureText([&] { serialize(foo, "GET", 204); }),
            "Empty response could not be serialized to type: Foo. Use Empty as the expected type for such responses.");
  EXPECT_TRUE(failureText([&] {
                serialize(foo, "GET", 200, Data("[]"));
              }).starts_with("Response could not be decoded because of error:\n"));

  // Empty is what an allowed empty body, or anything the decoder reads, gives.
  EXPECT_EQ(serialize(DecodableResponseSerializer<Empty>(), "HEAD", 200), Empty());
  EXPECT_EQ(serialize(DecodableResponseSerializer<Empty>(), "GET", 200, Data("[1]")), Empty());
  EXPECT_EQ(platform::JSONEncoder().encode(Empty()).toString(), "{}");
}

TEST(ResponseSerializer, DownloadsAreReadFromTheirFileAndFollowTheBodyRules) {
  ScratchDirectory scratch;
  const auto file = [&](const char* name, const char* contents) {
    return platform::URL::fileURL(scratch.write(name, contents).string());
  };
  const auto missing = platform::URL::fileURL((scratch / "missing").string());
  const auto download = [](const auto& serializer, std::optional<platform::URL> fileURL, int status = 200) {
    return serializer.serializeDownload(request("GET"), response(status), fileURL, std::nullopt);
  };
  EXPECT_EQ(download(StringResponseSerializer(), file("body", "abc")), "abc");
  EXPECT_EQ(download(DataResponseSerializer(), file("empty", ""), 204), Data());
  EXPECT_EQ(failureText([&] { download(DataResponseSerializer(), file("empty", "")); }), nilOrZeroLength);
  EXPECT_EQ(failureText([&] { download(JSONResponseSerializer(), std::nullopt); }), inputFileNil);
  EXPECT_EQ(failureText([&] { download(DecodableResponseSerializer<Foo>(), missing); }),
            "Response could not be serialized, input file could not be read: " + missing.absoluteString() + ".");

  // The URL serializer never opens the file.
  EXPECT_EQ(download(URLResponseSerializer(), missing), missing);
  EXPECT_EQ(failureText([&] { download(URLResponseSerializer(), std::nullopt); }), inputFileNil);
  EXPECT_TRUE(thrownError<WNError>([&] {
                URLResponseSerializer().serializeDownload(std::nullopt, nullptr, missing,
                                                          WNError::explicitlyCancelled());
              })->isExplicitlyCancelled());
}
