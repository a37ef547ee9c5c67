#include "Platform/Foundation/UUID.h"

#include <sys/random.h>

#include <cerrno>
#include <cstring>

#include "Platform/Fatal.h"

namespace platform {
namespace {

constexpr char hexDigits[] = "0123456789ABCDEF";

// Positions of the hyphens in the text form.
constexpr bool isHyphenPosition(std::size_t index) { return index == 8 || index == 13 || index == 18 || index == 23; }

int hexValue(char digit) {
  if (digit >= '0' && digit <= '9') return digit - '0';
  if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
  if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
  return -1;
}

void fillRandom(UUID::Bytes& bytes) {
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    const ssize_t got = getrandom(bytes.data() + filled, bytes.size() - filled, 0);
    if (got > 0) {
      filled += static_cast<std::size_t>(got);
    } else if (got < 0 && errno != EINTR) {
      fatal(std::string("UUID: the system gave no random bytes: ") + std::strerror(errno));
    }
  }
}

}  // namespace

UUID::UUID() {
  fillRandom(bytes_);
  bytes_[6] = static_cast<std::uint8_t>((bytes_[6] & 0x0F) | 0x40);  // version 4
  bytes_[8] = static_cast<std::uint8_t>((bytes_[8] & 0x3F) | 0x80);  // variant 1
}

std::optional<UUID> UUID::fromString(std::string_view text) {
  if (text.size() != 36) return std::nullopt;
  Bytes bytes{};
  std::size_t nibble = 0;
  for (std::size_t index = 0; index < text.size(); ++index) {
    if (isHyphenPosition(index)) {
      if (text[index] != '-') return std::nullopt;
      continue;
    }
    const int value = hexValue(text[index]);
    if (value < 0) return std::nullopt;
    bytes[nibble / 2] = static_cast<std::uint8_t>(bytes[nibble / 2] << 4 | value);
    ++nibble;
  }
  return UUID(bytes);
}

std::string UUID::uuidString() const {
  std::string text;
  text.reserve(36);
  for (std::size_t index = 0; index < bytes_.size(); ++index) {
    if (isHyphenPosition(text.size())) text.push_back('-');
    text.push_back(hexDigits[bytes_[index] >> 4]);
    text.push_back(hexDigits[bytes_[index] & 0x0F]);
  }
  return text;
}

}  // namespace platform
