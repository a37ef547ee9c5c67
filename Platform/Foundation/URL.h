#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Platform/Foundation/URLParts.h"

namespace platform {

// A URL kept exactly as typed: nothing is normalised, resolved or escaped on
// the way in, so `absoluteString` gives back the text it was made from.
// Equal texts make equal URLs.
class URL {
 public:
  // The URL the text spells, or nothing for text that is no URL reference
  // (the empty text, spaces or other characters a URL may not hold, bad
  // escapes; see URLParts::parse).
  static std::optional<URL> string(std::string_view text);
  // A "file://" URL for an absolute file system path, escaping what a URL
  // path may not hold. A relative path is a caller's error that stops the
  // process.
  static URL fileURL(std::string_view path);

  const std::string& absoluteString() const { return *text_; }
  std::optional<std::string> scheme() const { return part(parts_.scheme); }
  // Escapes decoded and IPv6 brackets removed; absent when there is no
  // authority or its host is empty (as in "file:///tmp").
  std::optional<std::string> host() const;
  std::optional<int> port() const;
  std::optional<std::string> user() const { return decodedPart(parts_.user); }
  std::optional<std::string> password() const { return decodedPart(parts_.password); }
  // The path with its escapes decoded: for a file URL, its file system path.
  std::string path() const;
  std::string percentEncodedPath() const { return std::string(parts_.path.of(*text_)); }
  // Query and fragment as typed.
  std::optional<std::string> query() const { return part(parts_.query); }
  std::optional<std::string> fragment() const { return part(parts_.fragment); }

  // The last segment of the path, decoded, ignoring a trailing "/"; "/" for
  // the root path and the empty text for an empty path.
  std::string lastPathComponent() const;
  // What follows the last "." of the last path component, when that dot is
  // neither its first nor its last character; otherwise the empty text.
  std::string pathExtension() const;
  bool isFileURL() const;

  // The path extended by one more component (escaped as a path needs),
  // with a "/" between unless the path already ends in one.
  URL appendingPathComponent(std::string_view component) const;
  // The path cut after the "/" that comes before its last segment ("./" when
  // nothing would be left of a relative reference).
  URL deletingLastPathComponent() const;

  // Copies only: a move would leave the shared text null.
  URL(const URL&) = default;
  URL& operator=(const URL&) = default;

  friend bool operator==(const URL& left, const URL& right) { return *left.text_ == *right.text_; }

 private:
  URL(std::string text, URLParts parts)
      : text_(std::make_shared<const std::string>(std::move(text))), parts_(parts) {}
  std::optional<std::string> part(const std::optional<URLParts::Range>& range) const;
  std::optional<std::string> decodedPart(const std::optional<URLParts::Range>& range) const;
  URL replacingPath(std::string_view newPath) const;

  // Shared by every copy: a request's URL is copied many times on its way
  // through a session, and the text never changes. Never null, as a URL
  // is never moved from.
  std::shared_ptr<const std::string> text_;
  URLParts parts_;
};

}  // namespace platform

template <>
struct std::hash<platform::URL> {
  std::size_t operator()(const platform::URL& url) const { return std::hash<std::string>{}(url.absoluteString()); }
};
