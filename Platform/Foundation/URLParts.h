#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace platform {

// Where each part of a URL text lies, as found by an RFC 3986 parser that
// changes nothing: the parts are ranges of the text as typed.
struct URLParts {
  struct Range {
    std::size_t begin = 0;
    std::size_t length = 0;
    std::size_t end() const { return begin + length; }
    std::string_view of(std::string_view text) const { return text.substr(begin, length); }
  };

  std::optional<Range> scheme;    // without the ":"
  std::optional<Range> user;      // present only with an authority
  std::optional<Range> password;  // after the ":" of the user information
  std::optional<Range> host;      // present exactly when there is an authority; brackets kept
  std::optional<Range> port;      // the digits after the ":", possibly none
  Range path;
  std::optional<Range> query;     // after the "?"
  std::optional<Range> fragment;  // after the "#"

  // Refuses the empty text, characters a URL may not hold (spaces, controls,
  // non-ASCII, "<>\"{}|\\^`"), "%" without two hex digits, ports past 65535
  // and anything else outside the grammar of a URI reference.
  static std::optional<URLParts> parse(std::string_view text);
};

}  // namespace platform
