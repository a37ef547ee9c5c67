#include "Platform/Foundation/UnicodeScalars.h"

namespace platform {

std::optional<char32_t> nextUnicodeScalar(std::string_view text, std::size_t& position) {
  const auto byteAt = [&](std::size_t index) { return static_cast<unsigned char>(text[index]); };
  const unsigned char lead = byteAt(position);
  std::size_t length = 0;
  char32_t scalar = 0;
  char32_t smallest = 0;
  if (lead < 0x80) {
    ++position;
    return lead;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, scalar = lead & 0x1F, smallest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, scalar = lead & 0x0F, smallest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, scalar = lead & 0x07, smallest = 0x10000;
  } else {
    ++position;
    return std::nullopt;
  }
  if (text.size() - position < length) {
    ++position;
    return std::nullopt;
  }
  for (std::size_t index = 1; index < length; ++index) {
    const unsigned char next = byteAt(position + index);
    if ((next & 0xC0) != 0x80) {
      ++position;
      return std::nullopt;
    }
    scalar = (scalar << 6) | (next & 0x3F);
  }
  if (scalar < smallest || scalar > 0x10FFFF || (scalar >= 0xD800 && scalar <= 0xDFFF)) {
    ++position;
    return std::nullopt;
  }
  position += length;
  return scalar;
}

}  // namespace platform
