#include "Platform/Foundation/Base64.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace platform {
namespace {

constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int sextetValue(char symbol) {
  if (symbol >= 'A' && symbol <= 'Z') return symbol - 'A';
  if (symbol >= 'a' && symbol <= 'z') return symbol - 'a' + 26;
  if (symbol >= '0' && symbol <= '9') return symbol - '0' + 52;
  if (symbol == '+') return 62;
  if (symbol == '/') return 63;
  return -1;
}

}  // namespace

std::string base64Encode(std::string_view bytes) {
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t index = 0; index < bytes.size(); index += 3) {
    const std::size_t available = std::min<std::size_t>(3, bytes.size() - index);
    std::uint32_t group = 0;
    for (std::size_t offset = 0; offset < 3; ++offset) {
      const std::uint8_t byte = offset < available ? static_cast<std::uint8_t>(bytes[index + offset]) : 0;
      group = group << 8 | byte;
    }
    for (std::size_t symbol = 0; symbol < 4; ++symbol) {
      text.push_back(symbol <= available ? alphabet[(group >> (18 - 6 * symbol)) & 0x3F] : '=');
    }
  }
  return text;
}

std::optional<Data> base64Decode(std::string_view text) {
  if (text.size() % 4 != 0) return std::nullopt;
  std::size_t padding = 0;
  while (padding < 2 && padding < text.size() && text[text.size() - 1 - padding] == '=') ++padding;
  std::vector<std::uint8_t> bytes;
  bytes.reserve(text.size() / 4 * 3);
  std::uint32_t group = 0;
  const std::size_t symbols = text.size() - padding;
  for (std::size_t index = 0; index < symbols; ++index) {
    const int value = sextetValue(text[index]);
    if (value < 0) return std::nullopt;
    group = group << 6 | static_cast<std::uint32_t>(value);
    if (index % 4 == 3) {
      bytes.push_back(static_cast<std::uint8_t>(group >> 16));
      bytes.push_back(static_cast<std::uint8_t>(group >> 8));
      bytes.push_back(static_cast<std::uint8_t>(group));
      group = 0;
    }
  }
  // The unpadded tail of the last group: 3 symbols hold 2 bytes, 2 hold 1.
  if (padding == 2) {
    bytes.push_back(static_cast<std::uint8_t>(group >> 4));
  } else if (padding == 1) {
    bytes.push_back(static_cast<std::uint8_t>(group >> 10));
    bytes.push_back(static_cast<std::uint8_t>(group >> 2));
  }
  return Data(std::move(bytes));
}

}  // namespace platform
