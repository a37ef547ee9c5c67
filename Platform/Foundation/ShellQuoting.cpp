#include "Platform/Foundation/ShellQuoting.h"

#include <algorithm>

#include "Platform/Foundation/UTF8.h"

namespace platform {
namespace {

bool isControlCharacter(char character) {
  const auto byte = static_cast<unsigned char>(character);
  return byte < 0x20 || byte == 0x7F;
}

void appendHexEscape(std::string& text, char character) {
  constexpr std::string_view digits = "0123456789abcdef";
  const auto byte = static_cast<unsigned char>(character);
  text += "\\x";
  text += digits[byte >> 4];
  text += digits[byte & 0xF];
}

}  // namespace

std::string singleQuotedShellWord(std::string_view text) {
  std::string quoted = "'";
  for (const char character : text) {
    if (character == '\'') {
      quoted += "'\\''";
    } else {
      quoted += character;
    }
  }
  return quoted + "'";
}

bool needsANSICQuoting(std::string_view text) {
  return std::ranges::any_of(text, [](char character) { return character != '\n' && isControlCharacter(character); }) ||
         !isValidUTF8(text);
}

std::string ansiCQuotedShellWord(std::string_view text) {
  std::string quoted = "$'";
  for (std::size_t position = 0; position < text.size();) {
    const auto sequence = readUTF8Sequence(text, position);
    for (const char character : text.substr(position, sequence.length)) {
      if (!sequence.valid || isControlCharacter(character) || character == '\'' || character == '!' ||
          character == '\\') {
        appendHexEscape(quoted, character);
      } else {
        quoted += character;
      }
    }
    position += sequence.length;
  }
  return quoted + "'";
}

bool isPlainShellWord(std::string_view text) {
  return !text.empty() && std::ranges::all_of(text, [](char character) {
    return (character >= 'a' && character <= 'z') || (character >= 'A' && character <= 'Z') ||
           (character >= '0' && character <= '9') ||
           std::string_view("%+,-./:=@_").find(character) != std::string_view::npos;
  });
}

}  // namespace platform
