#include "Platform/Foundation/UTF8.h"

#include <cstdint>

namespace platform {
namespace {

constexpr std::string_view replacementCharacter = "\xEF\xBF\xBD";

}  // namespace

UTF8Sequence readUTF8Sequence(std::string_view bytes, std::size_t position) {
  const auto byteAt = [&](std::size_t index) { return static_cast<std::uint8_t>(bytes[index]); };
  const std::uint8_t lead = byteAt(position);
  if (lead < 0x80) return {1, true};

  std::size_t length = 0;
  // Only the second byte has a range narrower than 80..BF.
  std::uint8_t secondLow = 0x80;
  std::uint8_t secondHigh = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) secondLow = 0xA0;   // no overlong forms
    if (lead == 0xED) secondHigh = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) secondLow = 0x90;   // no overlong forms
    if (lead == 0xF4) secondHigh = 0x8F;  // nothing above U+10FFFF
  } else {
    return {1, false};
  }

  for (std::size_t offset = 1; offset < length; ++offset) {
    if (position + offset >= bytes.size()) return {offset, false};
    const std::uint8_t low = offset == 1 ? secondLow : 0x80;
    const std::uint8_t high = offset == 1 ? secondHigh : 0xBF;
    const std::uint8_t byte = byteAt(position + offset);
    if (byte < low || byte > high) return {offset, false};
  }
  return {length, true};
}

bool isValidUTF8(std::string_view bytes) {
  for (std::size_t position = 0; position < bytes.size();) {
    const UTF8Sequence sequence = readUTF8Sequence(bytes, position);
    if (!sequence.valid) return false;
    position += sequence.length;
  }
  return true;
}

std::optional<std::string> decodeUTF8(std::string_view bytes) {
  if (!isValidUTF8(bytes)) return std::nullopt;
  return std::string(bytes);
}

std::string decodeUTF8Repairing(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (std::size_t position = 0; position < bytes.size();) {
    const UTF8Sequence sequence = readUTF8Sequence(bytes, position);
    if (sequence.valid) {
      text.append(bytes.substr(position, sequence.length));
    } else {
      text.append(replacementCharacter);
    }
    position += sequence.length;
  }
  return text;
}

}  // namespace platform
