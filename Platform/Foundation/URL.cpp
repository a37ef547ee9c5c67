#include "Platform/Foundation/URL.h"

#include <algorithm>
#include <charconv>
#include <string>

#include "Platform/Fatal.h"
#include "Platform/Foundation/ASCIICase.h"
#include "Platform/Foundation/PercentEncoding.h"

namespace platform {

namespace {

// The range of the last segment of `path`, a trailing "/" not counted.
URLParts::Range lastSegment(std::string_view path) {
  std::size_t end = path.size();
  if (end > 1 && path[end - 1] == '/') --end;
  const auto slash = path.substr(0, end).rfind('/');
  const std::size_t begin = slash == std::string_view::npos ? 0 : slash + 1;
  return {begin, end - begin};
}

}  // namespace

std::optional<URL> URL::string(std::string_view text) {
  auto parts = URLParts::parse(text);
  if (!parts) return std::nullopt;
  return URL(std::string(text), *parts);
}

URL URL::fileURL(std::string_view path) {
  if (!path.starts_with('/')) fatal("A file URL needs an absolute path, not: " + std::string(path));
  auto url = string("file://" + percentEncodedBytes(path, CharacterSet::urlPathAllowed()));
  if (!url) fatal("An escaped file path did not make a URL.");
  return *url;
}

std::optional<std::string> URL::part(const std::optional<URLParts::Range>& range) const {
  if (!range) return std::nullopt;
  return std::string(range->of(*text_));
}

std::optional<std::string> URL::decodedPart(const std::optional<URLParts::Range>& range) const {
  if (!range) return std::nullopt;
  return percentDecodedBytes(range->of(*text_));
}

std::optional<std::string> URL::host() const {
  if (!parts_.host || parts_.host->length == 0) return std::nullopt;
  auto host = parts_.host->of(*text_);
  if (host.front() == '[') return std::string(host.substr(1, host.size() - 2));
  return percentDecodedBytes(host);
}

std::optional<int> URL::port() const {
  if (!parts_.port || parts_.port->length == 0) return std::nullopt;
  const auto digits = parts_.port->of(*text_);
  int port = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), port);
  return port;
}

std::string URL::path() const { return percentDecodedBytes(parts_.path.of(*text_)); }

std::string URL::lastPathComponent() const {
  const auto path = parts_.path.of(*text_);
  if (path == "/") return "/";
  return percentDecodedBytes(lastSegment(path).of(path));
}

std::string URL::pathExtension() const {
  const auto name = lastPathComponent();
  const auto dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0 || dot + 1 == name.size()) return {};
  return name.substr(dot + 1);
}

bool URL::isFileURL() const {
  return parts_.scheme && equalsIgnoringASCIICase(parts_.scheme->of(*text_), "file");
}

URL URL::replacingPath(std::string_view newPath) const {
  const auto text =
      std::string(text_->substr(0, parts_.path.begin)) + std::string(newPath) + text_->substr(parts_.path.end());
  auto url = string(text);
  if (!url) fatal("A rebuilt path did not make a URL.");
  return *url;
}

URL URL::appendingPathComponent(std::string_view component) const {
  const auto path = parts_.path.of(*text_);
  std::string extended(path);
  if (path.empty() ? parts_.host.has_value() : path.back() != '/') extended += '/';
  // Leading slashes would either double the separator or, on an empty path,
  // read as the start of an authority.
  component.remove_prefix(std::min(component.find_first_not_of('/'), component.size()));
  // "/" stays a separator, so a component may add several segments. Without
  // scheme or authority a ":" in the first segment would read as a scheme.
  static const auto relativeAllowed = CharacterSet::urlPathAllowed().removing(":");
  const bool relative = !parts_.scheme && !parts_.host;
  extended += percentEncodedBytes(component, relative ? relativeAllowed : CharacterSet::urlPathAllowed());
  return replacingPath(extended);
}

URL URL::deletingLastPathComponent() const {
  const auto path = parts_.path.of(*text_);
  const auto kept = path.substr(0, lastSegment(path).begin);
  // A relative reference needs some path left to stay a URL.
  const bool relative = !parts_.scheme && !parts_.host;
  return replacingPath(kept.empty() && relative ? "./" : kept);
}

}  // namespace platform
