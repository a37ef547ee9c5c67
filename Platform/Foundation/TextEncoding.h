#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "Platform/Foundation/Data.h"

namespace platform {

// A character encoding that text can be read from and written to.
class TextEncoding {
 public:
  enum Value : std::uint8_t {
    utf8,
    isoLatin1,
    // Read in the byte order of a leading byte-order mark (which is
    // dropped), else big-endian; written big-endian after a byte-order mark.
    utf16,
    utf16BigEndian,
    utf16LittleEndian,
    utf32,  // byte order as for utf16
    utf32BigEndian,
    utf32LittleEndian,
  };

  constexpr TextEncoding(Value value) : value_(value) {}

  // The encoding for a character-set name, compared without regard to
  // letter case: "utf-8", "iso-8859-1", "unicode-1-1", "iso-10646-ucs-2",
  // "utf-16", "utf-16be", "utf-16le", "utf-32", "utf-32be" and "utf-32le".
  // Absent for every other name, aliases and names with blanks included.
  static std::optional<TextEncoding> fromIANACharsetName(std::string_view name);

  constexpr Value value() const { return value_; }
  // A descriptive name such as "Unicode (UTF-8)" or "Western (ISO Latin 1)".
  std::string_view description() const;

  // The bytes read as text in this encoding, as UTF-8; absent when they do
  // not form text in it.
  std::optional<std::string> decode(std::string_view bytes) const;
  std::optional<std::string> decode(const Data& bytes) const { return decode(bytes.view()); }
  // The UTF-8 `text` written in this encoding; absent when `text` is not
  // UTF-8 or holds a character the encoding cannot represent.
  std::optional<Data> encode(std::string_view text) const;

  friend constexpr bool operator==(TextEncoding, TextEncoding) = default;

 private:
  Value value_;
};

}  // namespace platform
