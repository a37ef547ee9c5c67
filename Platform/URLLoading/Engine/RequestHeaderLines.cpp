#include "Platform/URLLoading/Engine/RequestHeaderLines.h"

#include <algorithm>

#include <fmt/format.h>

#include "Platform/URLLoading/BodyFraming.h"
#include "Platform/URLLoading/CurlHeaderLine.h"
#include "Platform/URLLoading/InvalidRequestError.h"

namespace platform {

namespace {

bool isTokenCharacter(char character) {
  if ((character >= 'a' && character <= 'z') || (character >= 'A' && character <= 'Z') ||
      (character >= '0' && character <= '9')) {
    return true;
  }
  return std::string_view("!#$%&'*+-.^_`|~").find(character) != std::string_view::npos;
}

}  // namespace

bool isHTTPToken(std::string_view text) { return !text.empty() && std::ranges::all_of(text, isTokenCharacter); }

bool holdsControlCharacter(std::string_view value) {
  return std::ranges::any_of(value, [](char character) {
    const auto byte = static_cast<unsigned char>(character);
    return (byte < 0x20 && byte != '\t') || byte == 0x7F;
  });
}

std::expected<HTTPHeaderFields, AnyError> mergedHeaderFields(const URLRequest& request,
                                                             const std::optional<HTTPHeaderFields>& additionalHeaders) {
  HTTPHeaderFields fields = additionalHeaders.value_or(HTTPHeaderFields{});
  for (const auto& field : request.allHTTPHeaderFields().value_or(HTTPHeaderFields{})) {
    if (const auto index = indexOfHeaderField(fields, field.first)) {
      fields[*index] = field;
    } else {
      fields.push_back(field);
    }
  }
  for (const auto& [name, value] : fields) {
    if (!isHTTPToken(name)) {
      return std::unexpected(
          makeError(InvalidRequestError(fmt::format("\"{}\" is not a valid header field name.", name))));
    }
    if (holdsControlCharacter(value)) {
      return std::unexpected(makeError(InvalidRequestError(
          fmt::format("the value of the header field \"{}\" holds a line break or another control character.", name))));
    }
  }
  return fields;
}

std::expected<std::vector<std::string>, AnyError> requestHeaderLines(
    const URLRequest& request, const std::optional<HTTPHeaderFields>& additionalHeaders) {
  auto fields = mergedHeaderFields(request, additionalHeaders);
  if (!fields) return std::unexpected(fields.error());
  std::vector<std::string> lines;
  lines.reserve(fields->size() + 1);
  for (const auto& [name, value] : *fields) {
    if (writtenByTransfer(name)) continue;
    lines.push_back(curlHeaderLine(name, value));
  }
  // The library would otherwise add these on its own: an Expect for large
  // bodies, holding the body back waiting for an interim answer, and a form
  // content type for every body, which the request never asked for.
  for (const std::string_view name : {"Expect", "Content-Type"}) {
    if (!indexOfHeaderField(*fields, name)) lines.push_back(std::string(name) + ":");
  }
  return lines;
}

}  // namespace platform
