#include "Platform/Coding/detail/Base64.h"

#include <array>
#include <cstdint>
#include <vector>

namespace platform::detail {

namespace {

constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::uint8_t notInAlphabet = 0xFF;

constexpr std::array<std::uint8_t, 256> makeDecodingTable() {
  std::array<std::uint8_t, 256> table{};
  table.fill(notInAlphabet);
  for (std::size_t i = 0; i < alphabet.size(); ++i) table[static_cast<std::uint8_t>(alphabet[i])] = static_cast<std::uint8_t>(i);
  return table;
}

constexpr auto decodingTable = makeDecodingTable();

}  // namespace

std::string base64Encoded(const Data& data) {
  std::string text;
  text.reserve((data.size() + 2) / 3 * 4);
  const std::uint8_t* bytes = data.bytes();
  std::size_t i = 0;
  for (; i + 3 <= data.size(); i += 3) {
    const std::uint32_t group = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
    for (int shift = 18; shift >= 0; shift -= 6) text += alphabet[(group >> shift) & 0x3F];
  }
  const std::size_t rest = data.size() - i;
  if (rest != 0) {
    std::uint32_t group = bytes[i] << 16;
    if (rest == 2) group |= bytes[i + 1] << 8;
    text += alphabet[(group >> 18) & 0x3F];
    text += alphabet[(group >> 12) & 0x3F];
    text += rest == 2 ? alphabet[(group >> 6) & 0x3F] : '=';
    text += '=';
  }
  return text;
}

std::optional<Data> base64Decoded(std::string_view text) {
  if (text.size() % 4 != 0) return std::nullopt;
  std::size_t padding = 0;
  if (!text.empty() && text.back() == '=') padding = text.size() >= 2 && text[text.size() - 2] == '=' ? 2 : 1;
  std::vector<std::uint8_t> bytes;
  bytes.reserve(text.size() / 4 * 3);
  const std::size_t significant = text.size() - padding;
  std::uint32_t group = 0;
  int bits = 0;
  for (std::size_t i = 0; i < significant; ++i) {
    const std::uint8_t value = decodingTable[static_cast<std::uint8_t>(text[i])];
    if (value == notInAlphabet) return std::nullopt;
    group = (group << 6) | value;
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      bytes.push_back(static_cast<std::uint8_t>(group >> bits));
      group &= (1u << bits) - 1;
    }
  }
  return Data(std::move(bytes));
}

}  // namespace platform::detail
