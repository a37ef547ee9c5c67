#include "Platform/Foundation/ShellQuoting.h"

#include <algorithm>
#include <utility>

#include "Platform/Foundation/UTF8.h"

namespace platform {
namespace {

bool isControlCharacter(char character) {
  const auto byte = static_cast<unsigned char>(character);
  return byte < 0x20 || byte == 0x7F;
}

// The length of the sequence at `position` and whether it stands in quotes.
std::pair<std::size_t, bool> sequenceAt(std::string_view text, std::size_t position) {
  const auto sequence = readUTF8Sequence(text, position);
  const char first = text[position];
  return {sequence.length, sequence.valid && (first == '\t' || first == '\n' || !isControlCharacter(first))};
}

// Three digits always, so that a digit after the escape stays a digit.
void appendOctalEscape(std::string& text, char character) {
  const auto byte = static_cast<unsigned char>(character);
  text += '\\';
  text += static_cast<char>('0' + (byte >> 6));
  text += static_cast<char>('0' + ((byte >> 3) & 7));
  text += static_cast<char>('0' + (byte & 7));
}

// A backslash keeps its meaning between double quotes only before these, or
// before the closing quote; elsewhere it stays as written.
bool escapesNext(std::string_view text, std::size_t backslash) {
  if (backslash + 1 == text.size()) return true;
  return std::string_view("\\$`\"\n").find(text[backslash + 1]) != std::string_view::npos;
}

std::string doubleQuoted(std::string_view text) {
  std::string quoted = "\"";
  for (std::size_t index = 0; index < text.size(); ++index) {
    const char character = text[index];
    if (character == '\\') {
      quoted += escapesNext(text, index) ? "\\\\" : "\\";
    } else {
      if (character == '$' || character == '`' || character == '"') quoted += '\\';
      quoted += character;
    }
  }
  return quoted + "\"";
}

std::string quotedStretch(std::string_view stretch, ShellQuotes quotes) {
  if (quotes == ShellQuotes::doubled && stretch.find('!') == std::string_view::npos) return doubleQuoted(stretch);
  return singleQuotedShellWord(stretch);
}

// The bytes written by printf in a command substitution, which would drop a
// trailing line feed: but those stand in quotes and never come here.
std::string substitutedStretch(std::string_view stretch) {
  std::string escapes;
  for (const char character : stretch) {
    if (character != '\0') appendOctalEscape(escapes, character);
  }
  return escapes.empty() ? std::string() : "\"$(printf '" + escapes + "')\"";
}

}  // namespace

bool standsInShellQuotes(std::string_view text) {
  for (std::size_t position = 0; position < text.size();) {
    const auto [length, stands] = sequenceAt(text, position);
    if (!stands) return false;
    position += length;
  }
  return true;
}

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

std::string quotedShellWord(std::string_view text, ShellQuotes quotes) {
  std::string word;
  for (std::size_t start = 0; start < text.size();) {
    const bool stands = sequenceAt(text, start).second;
    std::size_t end = start;
    while (end < text.size()) {
      const auto [length, next] = sequenceAt(text, end);
      if (next != stands) break;
      end += length;
    }
    const auto stretch = text.substr(start, end - start);
    word += stands ? quotedStretch(stretch, quotes) : substitutedStretch(stretch);
    start = end;
  }
  return word.empty() ? quotedStretch("", quotes) : word;
}

bool isPlainShellWord(std::string_view text) {
  return !text.empty() && text.front() != '=' && std::ranges::all_of(text, [](char character) {
    return (character >= 'a' && character <= 'z') || (character >= 'A' && character <= 'Z') ||
           (character >= '0' && character <= '9') ||
           std::string_view("%+,-./:=@_").find(character) != std::string_view::npos;
  });
}

std::string shellWord(std::string_view text, ShellQuotes quotes) {
  return isPlainShellWord(text) ? std::string(text) : quotedShellWord(text, quotes);
}

std::string printfCommand(std::string_view bytes) {
  std::string format;
  for (std::size_t position = 0; position < bytes.size();) {
    const auto [length, stands] = sequenceAt(bytes, position);
    // A format starting with "-" would read as an option.
    const bool escaped = !stands || (position == 0 && bytes.front() == '-');
    for (const char character : bytes.substr(position, length)) {
      if (escaped) {
        appendOctalEscape(format, character);
      } else {
        if (character == '%' || character == '\\') format += character;
        format += character;
      }
    }
    position += length;
  }
  return "printf " + singleQuotedShellWord(format);
}

bool fitsShellArgument(std::string_view text) {
  return text.size() <= longestProgramArgument && standsInShellQuotes(text);
}

}  // namespace platform
