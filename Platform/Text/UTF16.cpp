#include "Platform/Text/UTF16.h"

#include "Platform/Foundation/UnicodeScalars.h"

namespace platform {

namespace {

constexpr char32_t replacementCharacter = 0xFFFD;

bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void appendUTF8(std::string& text, char32_t scalar) {
  if (scalar < 0x80) {
    text += static_cast<char>(scalar);
  } else if (scalar < 0x800) {
    text += static_cast<char>(0xC0 | (scalar >> 6));
    text += static_cast<char>(0x80 | (scalar & 0x3F));
  } else if (scalar < 0x10000) {
    text += static_cast<char>(0xE0 | (scalar >> 12));
    text += static_cast<char>(0x80 | ((scalar >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (scalar & 0x3F));
  } else {
    text += static_cast<char>(0xF0 | (scalar >> 18));
    text += static_cast<char>(0x80 | ((scalar >> 12) & 0x3F));
    text += static_cast<char>(0x80 | ((scalar >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (scalar & 0x3F));
  }
}

}  // namespace

void appendUTF16(std::u16string& text, char32_t scalar) {
  if ((scalar >= 0xD800 && scalar <= 0xDFFF) || scalar > 0x10FFFF) scalar = replacementCharacter;
  if (scalar < 0x10000) {
    text += static_cast<char16_t>(scalar);
  } else {
    scalar -= 0x10000;
    text += static_cast<char16_t>(0xD800 + (scalar >> 10));
    text += static_cast<char16_t>(0xDC00 + (scalar & 0x3FF));
  }
}

std::u16string utf16FromUTF8(std::string_view text) {
  std::u16string result;
  result.reserve(text.size());
  std::size_t position = 0;
  while (position < text.size()) {
    const auto scalar = nextUnicodeScalar(text, position);
    appendUTF16(result, scalar.value_or(replacementCharacter));
  }
  return result;
}

std::string utf8FromUTF16(std::u16string_view text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t index = 0; index < text.size(); ++index) {
    const char16_t unit = text[index];
    if (isHighSurrogate(unit) && index + 1 < text.size() && isLowSurrogate(text[index + 1])) {
      appendUTF8(result, 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(text[index + 1]) - 0xDC00));
      ++index;
    } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
      appendUTF8(result, replacementCharacter);
    } else {
      appendUTF8(result, unit);
    }
  }
  return result;
}

}  // namespace platform
