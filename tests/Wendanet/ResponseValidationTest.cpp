#include <gtest/gtest.h>

#include <optional>
#include <ranges>
#include <set>
#include <string>
#include <vector>

#include "Platform/Files/FileManager.h"
#include "Platform/Foundation/HTTPURLResponse.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/URLRequest.h"
#include "Wendanet/Source/Core/ResponseValidation.h"
#include "tests/Platform/ScratchDirectory.h"

using namespace wendanet;
using platform::HTTPURLResponse;
using Types = std::vector<std::string>;

namespace {

std::shared_ptr<HTTPURLResponse> response(std::optional<std::string> contentType, int statusCode = 200) {
  platform::HTTPHeaderFields fields;
  if (contentType) fields.emplace_back("Content-Type", *contentType);
  return HTTPURLResponse::make(*platform::URL::string("http://example.com/x"), statusCode, fields);
}

// "ok", or the failure's message.
std::string outcome(const ValidationResult& result) { return result ? "ok" : result.error()->description(); }

std::string contentTypeOutcome(const Types& acceptable, std::optional<std::string> contentType) {
  return outcome(validateContentType(acceptable, *response(std::move(contentType))));
}

}  // namespace

TEST(ResponseValidation, StatusCodesPassOnlyWhenAcceptable) {
  const auto successful = std::views::iota(200, 300);
  EXPECT_EQ(outcome(validateStatusCode(successful, *response(std::nullopt, 200))), "ok");
  EXPECT_EQ(outcome(validateStatusCode(successful, *response(std::nullopt, 299))), "ok");
  EXPECT_EQ(outcome(validateStatusCode(successful, *response(std::nullopt, 199))),
            "Response status code was unacceptable: 199.");
  EXPECT_EQ(outcome(validateStatusCode(successful, *response(std::nullopt, 300))),
            "Response status code was unacceptable: 300.");
  EXPECT_EQ(outcome(validateStatusCode(std::vector{404}, *response(std::nullopt, 404))), "ok");
  EXPECT_EQ(outcome(validateStatusCode(std::set{404}, *response(std::nullopt, 200))),
            "Response status code was unacceptable: 200.");
}

TEST(ResponseValidation, MIMETypesParseAfterTrimmingAndBeforeParameters) {
  const auto parsed = [](const char* text) {
    const auto type = ParsedMIMEType::parse(text);
    return type.type + "|" + type.subtype;
  };
  EXPECT_EQ(parsed(" text/plain"), "text|plain");
  EXPECT_EQ(parsed("\xC2\xA0\ttext/html;q=0.9\n"), "text|html");
  EXPECT_EQ(parsed("text/html ; charset=utf-8"), "text|html ");
  EXPECT_EQ(parsed("a/b/c"), "a|c");
  EXPECT_EQ(parsed("*"), "*|*");
  EXPECT_TRUE(ParsedMIMEType::parse("*").isWildcard());
  EXPECT_FALSE(ParsedMIMEType::parse("*/json").isWildcard());
}

TEST(ResponseValidation, AcceptableTypesMatchWholeHalvesOrWildcards) {
  EXPECT_EQ(contentTypeOutcome({"text/*"}, "text/csv"), "ok");
  EXPECT_EQ(contentTypeOutcome({"*/json"}, "application/json"), "ok");
  EXPECT_EQ(contentTypeOutcome({"*"}, "image/png"), "ok");
  EXPECT_EQ(contentTypeOutcome({"text/html;q=0.9"}, "text/html"), "ok");
  EXPECT_EQ(contentTypeOutcome({"text/html ; charset=utf-8"}, "text/html"),
            "Response Content-Type \"text/html\" does not match any acceptable types: text/html ; charset=utf-8.");
  EXPECT_EQ(contentTypeOutcome({"Application/JSON"}, "application/json"),
            "Response Content-Type \"application/json\" does not match any acceptable types: Application/JSON.");
  EXPECT_EQ(contentTypeOutcome({"te*/plain"}, "text/plain"),
            "Response Content-Type \"text/plain\" does not match any acceptable types: te*/plain.");
}

TEST(ResponseValidation, FailuresListTheAcceptableTypesSorted) {
  EXPECT_EQ(contentTypeOutcome({"b/x", "a/y"}, "text/plain"),
            "Response Content-Type \"text/plain\" does not match any acceptable types: a/y,b/x.");
  EXPECT_EQ(contentTypeOutcome({}, "text/plain"),
            "Response Content-Type \"text/plain\" does not match any acceptable types: .");
  EXPECT_EQ(contentTypeOutcome({"application/json"}, std::nullopt),
            "Response Content-Type was missing and acceptable content types (application/json) do not match "
            "\"*/*\".");
  EXPECT_EQ(contentTypeOutcome({}, std::nullopt),
            "Response Content-Type was missing and acceptable content types () do not match \"*/*\".");
  EXPECT_EQ(contentTypeOutcome({"application/json", " */*"}, std::nullopt), "ok");
}

TEST(ResponseValidation, TheAcceptHeaderGivesTheAcceptableTypesUntrimmed) {
  platform::URLRequest request(platform::URL::string("http://example.com/x"));
  EXPECT_EQ(acceptableContentTypes(std::nullopt), Types{"*/*"});
  EXPECT_EQ(acceptableContentTypes(request), Types{"*/*"});
  request.setValueForHTTPHeaderField("application/json, text/plain", "accept");
  const auto types = acceptableContentTypes(request);
  EXPECT_EQ(types, (Types{"application/json", " text/plain"}));
  EXPECT_EQ(outcome(validateContentType(types, *response("text/plain"))), "ok");
  EXPECT_EQ(outcome(validateContentType(acceptableContentTypes(std::nullopt), *response(std::nullopt))), "ok");
}

TEST(ResponseValidation, ADataBodyWithoutBytesPassesTheContentTypeCheck) {
  const auto html = response("text/html");
  EXPECT_EQ(outcome(validateDataContentType({"application/json"}, *html, std::nullopt)), "ok");
  EXPECT_EQ(outcome(validateDataContentType({"application/json"}, *html, platform::Data())), "ok");
  EXPECT_NE(outcome(validateDataContentType({"application/json"}, *html, platform::Data("<p>"))), "ok");
}

TEST(ResponseValidation, ADownloadNeedsAReadableFileAndPassesWhenItIsEmpty) {
  ScratchDirectory scratch;
  const auto& files = *platform::FileManager::defaultManager();
  int asked = 0;
  const auto json = [&] {
    ++asked;
    return Types{"application/json"};
  };
  const auto html = response("text/html");
  const auto fileURL = [&](const char* name, const char* contents) {
    return platform::URL::fileURL(scratch.write(name, contents).string());
  };

  EXPECT_EQ(outcome(validateDownloadContentType(json, *html, std::nullopt, files)),
            "Response could not be validated, data file was nil.");
  const auto missing = platform::URL::fileURL((scratch / "missing").string());
  EXPECT_EQ(outcome(validateDownloadContentType(json, *html, missing, files)),
            "Response could not be validated, data file could not be read: " + missing.absoluteString() + ".");
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(outcome(validateDownloadContentType(json, *html, fileURL("empty", ""), files)), "ok");
  EXPECT_EQ(outcome(validateDownloadContentType(json, *html, fileURL("page", "<p>"), files)),
            "Response Content-Type \"text/html\" does not match any acceptable types: application/json.");
  EXPECT_EQ(asked, 2);
}
