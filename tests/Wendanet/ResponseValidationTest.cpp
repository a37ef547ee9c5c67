#include <gtest/gtest.h>

#include <optional>
#include <ranges>
#include <string>
#include <vector>

#include "Wendanet/Source/Support/ResponseValidation.h"
#include "tests/Platform/ScratchDirectory.h"

using namespace wendanet;
using Types = std::vector<std::string>;

namespace {

std::shared_ptr<platform::HTTPURLResponse> response(std::optional<std::string> contentType, int status = 200) {
  platform::HTTPHeaderFields fields;
  if (contentType) fields.emplace_back("Content-Type", *contentType);
  return platform::HTTPURLResponse::make(*platform::URL::string("http://example.com/x"), status, fields);
}

// "ok", or the failure's message.
std::string outcome(const ValidationResult& result) { return result ? "ok" : result.error()->description(); }

std::string typeOutcome(const Types& acceptable, std::optional<std::string> contentType) {
  return outcome(validateContentType(acceptable, *response(std::move(contentType))));
}

std::string unacceptable(const char* type, const char* acceptable) {
  return std::string("Response Content-Type \"") + type + "\" does not match any acceptable types: " + acceptable + ".";
}

}  // namespace

TEST(ResponseValidation, StatusCodesPassOnlyWhenAcceptable) {
  const auto successful = std::views::iota(200, 300);
  EXPECT_EQ(outcome(validateStatusCode(successful, *response(std::nullopt, 299))), "ok");
  EXPECT_EQ(outcome(validateStatusCode(successful, *response(std::nullopt, 300))),
            "Response status code was unacceptable: 300.");
  EXPECT_EQ(outcome(validateStatusCode(successful, *response(std::nullopt, 199))),
            "Response status code was unacceptable: 199.");
  EXPECT_EQ(outcome(validateStatusCode(std::vector{404}, *response(std::nullopt, 404))), "ok");
}

TEST(ResponseValidation, TypesAreTrimmedCutBeforeParametersAndMatchedByWholeHalves) {
  const auto parsed = ParsedMIMEType::parse("\xC2\xA0\ttext/html ; q=0.9\n");
  EXPECT_EQ(parsed.type + "|" + parsed.subtype, "text|html ");
  EXPECT_EQ(ParsedMIMEType::parse("a/b/c").subtype, "c");
  EXPECT_TRUE(ParsedMIMEType::parse("*").isWildcard());

  EXPECT_EQ(typeOutcome({"text/*"}, "text/csv"), "ok");
  EXPECT_EQ(typeOutcome({"*/json"}, "application/json"), "ok");
  EXPECT_EQ(typeOutcome({"text/html;q=0.9"}, "text/html"), "ok");
  EXPECT_EQ(typeOutcome({"text/html ; charset=utf-8"}, "text/html"),
            unacceptable("text/html", "text/html ; charset=utf-8"));
  EXPECT_EQ(typeOutcome({"Application/JSON"}, "application/json"),
            unacceptable("application/json", "Application/JSON"));
  EXPECT_EQ(typeOutcome({"te*/plain"}, "text/plain"), unacceptable("text/plain", "te*/plain"));
}

TEST(ResponseValidation, FailuresListTheAcceptableTypesSorted) {
  EXPECT_EQ(typeOutcome({"b/x", "a/y"}, "text/plain"), unacceptable("text/plain", "a/y,b/x"));
  EXPECT_EQ(typeOutcome({}, "text/plain"), unacceptable("text/plain", ""));
  EXPECT_EQ(typeOutcome({"application/json"}, std::nullopt),
            "Response Content-Type was missing and acceptable content types (application/json) do not match "
            "\"*/*\".");
  EXPECT_EQ(typeOutcome({"application/json", " */*"}, std::nullopt), "ok");
}

TEST(ResponseValidation, TheAcceptHeaderGivesTheAcceptableTypesUntrimmed) {
  platform::URLRequest request(platform::URL::string("http://example.com/x"));
  EXPECT_EQ(acceptableContentTypes(std::nullopt), Types{"*/*"});
  EXPECT_EQ(acceptableContentTypes(request), Types{"*/*"});
  request.setValueForHTTPHeaderField("application/json, text/plain", "accept");
  EXPECT_EQ(acceptableContentTypes(request), (Types{"application/json", " text/plain"}));
  EXPECT_EQ(typeOutcome(acceptableContentTypes(request), "text/plain"), "ok");
}

TEST(ResponseValidation, ABodyOrFileWithoutBytesPassesTheTypeCheck) {
  const auto html = response("text/html");
  EXPECT_EQ(outcome(validateDataContentType({"application/json"}, *html, platform::Data())), "ok");
  EXPECT_EQ(outcome(validateDataContentType({"application/json"}, *html, platform::Data("<p>"))),
            unacceptable("text/html", "application/json"));

  ScratchDirectory scratch;
  int asked = 0;
  const auto json = [&] {
    ++asked;
    return Types{"application/json"};
  };
  const auto download = [&](std::optional<platform::URL> fileURL) {
    return outcome(validateDownloadContentType(json, *html, fileURL, *platform::FileManager::defaultManager()));
  };
  const auto missing = platform::URL::fileURL((scratch / "missing").string());
  EXPECT_EQ(download(std::nullopt), "Response could not be validated, data file was nil.");
  EXPECT_EQ(download(missing),
            "Response could not be validated, data file could not be read: " + missing.absoluteString() + ".");
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(download(platform::URL::fileURL(scratch.write("empty", "").string())), "ok");
  EXPECT_EQ(download(platform::URL::fileURL(scratch.write("page", "<p>").string())),
            unacceptable("text/html", "application/json"));
}
