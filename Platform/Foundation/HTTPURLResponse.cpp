#include "Platform/Foundation/HTTPURLResponse.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <unordered_map>
#include <vector>

#include "Platform/Foundation/ASCIICase.h"

namespace platform {

namespace {

std::string_view trimmed(std::string_view text) {
  constexpr std::string_view blanks = " \t";
  const auto first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

void trimInPlace(std::string& text) {
  const auto kept = trimmed(text);
  if (kept.size() == text.size()) return;
  text = std::string(kept);
}

// A header value of the form `main; name=value; name="quoted value"`.
struct ParameterizedValue {
  std::string main;
  std::vector<std::pair<std::string, std::string>> parameters;  // names lower-cased

  static ParameterizedValue parse(std::string_view text);
  std::optional<std::string> parameter(std::string_view name) const {
    const auto found = std::ranges::find(parameters, name, &std::pair<std::string, std::string>::first);
    if (found == parameters.end()) return std::nullopt;
    return found->second;
  }
};

// The text up to the next ";" that is not inside quotes, quotes and
// backslash escapes removed; `position` moves past that ";".
std::string nextPiece(std::string_view text, std::size_t& position) {
  std::string piece;
  bool quoted = false;
  for (; position < text.size(); ++position) {
    const char c = text[position];
    if (quoted && c == '\\' && position + 1 < text.size()) {
      piece += text[++position];
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == ';' && !quoted) {
      ++position;
      return piece;
    } else {
      piece += c;
    }
  }
  return piece;
}

ParameterizedValue ParameterizedValue::parse(std::string_view text) {
  ParameterizedValue value;
  std::size_t position = 0;
  value.main = nextPiece(text, position);
  trimInPlace(value.main);
  while (position < text.size()) {
    const auto piece = nextPiece(text, position);
    const auto equals = piece.find('=');
    if (equals == std::string::npos) continue;
    value.parameters.emplace_back(asciiLowercased(trimmed(std::string_view(piece).substr(0, equals))),
                                  trimmed(std::string_view(piece).substr(equals + 1)));
  }
  return value;
}

}  // namespace

HTTPURLResponse::ContentType HTTPURLResponse::ContentType::of(const HTTPHeaderFields& fields) {
  const auto index = indexOfHeaderField(fields, "Content-Type");
  if (!index) return {};
  auto parsed = ParameterizedValue::parse(fields[*index].second);
  if (parsed.main.empty()) return {};
  std::ranges::transform(parsed.main, parsed.main.begin(), [](char c) { return asciiLowercased(c); });
  return {.mimeType = std::move(parsed.main), .charset = parsed.parameter("charset")};
}

namespace {

std::int64_t lengthOf(const HTTPHeaderFields& fields) {
  const auto value = valueOfHeaderField(fields, "Content-Length");
  if (!value) return URLResponse::unknownLength;
  const auto digits = trimmed(*value);
  std::int64_t length = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), length);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || length < 0) {
    return URLResponse::unknownLength;
  }
  return length;
}

}  // namespace

std::shared_ptr<HTTPURLResponse> HTTPURLResponse::make(URL url, int statusCode,
                                                       const HTTPHeaderFields& receivedFields) {
  // Repeated names join into one field. A long head finds earlier names
  // through a map: it may hold thousands of fields, and a search per field
  // would make this quadratic. A short one searches, which is cheaper.
  HTTPHeaderFields fields;
  fields.reserve(receivedFields.size());
  const bool mapped = receivedFields.size() >= 32;
  std::unordered_map<std::string, std::size_t> positions;
  for (const auto& [name, value] : receivedFields) {
    std::optional<std::size_t> index;
    if (!mapped) {
      index = indexOfHeaderField(fields, name);
    } else if (const auto [entry, added] = positions.try_emplace(asciiLowercased(name), fields.size()); !added) {
      index = entry->second;
    }
    if (index) {
      fields[*index].second += ", " + value;
    } else {
      fields.emplace_back(name, value);
    }
  }
  return std::make_shared<HTTPURLResponse>(std::move(url), statusCode, std::move(fields));
}

HTTPURLResponse::HTTPURLResponse(URL url, int statusCode, HTTPHeaderFields fields)
    : HTTPURLResponse(std::move(url), statusCode, std::move(fields), ContentType::of(fields)) {}

// `fields` is taken by reference so that reading its Content-Type above
// happens before anything is moved out of it.
HTTPURLResponse::HTTPURLResponse(URL&& url, int statusCode, HTTPHeaderFields&& fields, ContentType type)
    : URLResponse(std::move(url), std::move(type.mimeType), lengthOf(fields), std::move(type.charset)),
      statusCode_(statusCode),
      fields_(std::move(fields)) {}

std::string HTTPURLResponse::suggestedFilename() const {
  if (const auto disposition = valueForHTTPHeaderField("Content-Disposition")) {
    if (auto filename = ParameterizedValue::parse(*disposition).parameter("filename")) {
      if (auto safe = safeFilename(std::move(*filename))) return *safe;
    }
  }
  return URLResponse::suggestedFilename();
}

}  // namespace platform
