#include "Platform/Foundation/PercentEncoding.h"

#include "Platform/Foundation/UTF8.h"
#include "Platform/Foundation/UnicodeScalars.h"

namespace platform {

namespace {

std::optional<int> hexValue(char digit) {
  if (digit >= '0' && digit <= '9') return digit - '0';
  if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
  if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
  return std::nullopt;
}

void appendEscaped(std::string& out, std::string_view bytes) {
  static constexpr char digits[] = "0123456789ABCDEF";
  for (const char byte : bytes) {
    const auto value = static_cast<unsigned char>(byte);
    out.push_back('%');
    out.push_back(digits[value >> 4]);
    out.push_back(digits[value & 0x0F]);
  }
}

// The bytes the escapes stand for. A "%" without two hex digits after it
// fails, or stays as it stands when `keepMalformed` is set.
std::optional<std::string> decodeEscapes(std::string_view text, bool keepMalformed) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t index = 0; index < text.size(); ++index) {
    if (text[index] != '%') {
      out.push_back(text[index]);
      continue;
    }
    const auto high = index + 2 < text.size() ? hexValue(text[index + 1]) : std::nullopt;
    const auto low = index + 2 < text.size() ? hexValue(text[index + 2]) : std::nullopt;
    if (high && low) {
      out.push_back(static_cast<char>(*high * 16 + *low));
      index += 2;
    } else if (keepMalformed) {
      out.push_back('%');
    } else {
      return std::nullopt;
    }
  }
  return out;
}

}  // namespace

std::string percentEncodedBytes(std::string_view text, const CharacterSet& allowed) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t position = 0; position < text.size();) {
    const std::size_t start = position;
    const auto scalar = nextUnicodeScalar(text, position);
    const auto bytes = text.substr(start, position - start);
    if (scalar && allowed.contains(*scalar)) {
      out.append(bytes);
    } else {
      appendEscaped(out, bytes);
    }
  }
  return out;
}

std::string percentDecodedBytes(std::string_view text) { return *decodeEscapes(text, true); }

std::optional<std::string> addingPercentEncoding(std::string_view text, const CharacterSet& allowed) {
  if (!isValidUTF8(text)) return std::nullopt;
  return percentEncodedBytes(text, allowed);
}

std::optional<std::string> removingPercentEncoding(std::string_view text) {
  auto decoded = decodeEscapes(text, false);
  if (!decoded || !isValidUTF8(*decoded)) return std::nullopt;
  return decoded;
}

}  // namespace platform
