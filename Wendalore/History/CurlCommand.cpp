#include "Wendalore/History/CurlCommand.h"

#include <fmt/format.h>

#include <vector>

#include "Platform/Foundation/ShellQuoting.h"
#include "Platform/Foundation/UTF8.h"
#include "Wendalore/History/FormOption.h"
#include "Wendalore/History/HeaderRows.h"
#include "Wendalore/History/SentBody.h"

namespace wendalore {
namespace {

constexpr std::string_view separator = " \\\n    ";

// Double quotes leave "!" to an interactive shell's history expansion, and
// only a backslash or single quotes can stop that; so such an argument goes
// in single quotes. Otherwise the characters that stay special inside
// double quotes are escaped.
std::string quoted(std::string_view text) {
  if (platform::needsANSICQuoting(text)) return platform::ansiCQuotedShellWord(text);
  if (text.find('!') != std::string_view::npos) return platform::singleQuotedShellWord(text);
  std::string quoted = "\"";
  for (const char character : text) {
    if (character == '"' || character == '\\' || character == '$' || character == '`') quoted += '\\';
    quoted += character;
  }
  return quoted + "\"";
}

// Single quotes fit any argument but one holding a byte a terminal acts on.
std::string singleQuoted(std::string_view text) {
  return platform::needsANSICQuoting(text) ? platform::ansiCQuotedShellWord(text)
                                           : platform::singleQuotedShellWord(text);
}

// printf's format with the escapes that every shell's printf reads, so
// that between single quotes it needs no other quoting: octal for the bytes
// a terminal acts on and for those that are not UTF-8.
std::string printfFormat(std::string_view bytes) {
  std::string format;
  for (std::size_t position = 0; position < bytes.size();) {
    const auto sequence = bytes.substr(position, platform::readUTF8Sequence(bytes, position).length);
    // A format starting with "-" would read as an option.
    const bool escaped = platform::needsANSICQuoting(sequence) || (position == 0 && sequence == "-");
    for (const char character : sequence) {
      if (escaped) {
        format += fmt::format("\\{:03o}", static_cast<unsigned char>(character));
      } else {
        if (character == '%' || character == '\\') format += character;
        format += character;
      }
    }
    position += sequence.size();
  }
  return format;
}

}  // namespace

std::string curlCommand(const RequestHistoryItem& item) {
  std::vector<std::string> parts{"curl"};
  const auto* body = sentBody(item);
  // An argument ends at its first NUL, so such a body goes in on curl's
  // standard input, written by printf.
  const bool bodyOnInput = body && body->find('\0') != std::string::npos;
  if (bodyOnInput) parts.front() = "printf " + platform::singleQuotedShellWord(printfFormat(*body)) + " | curl";
  if (item.method() != "GET") {
    parts.push_back("-X " + (platform::isPlainShellWord(item.method()) ? item.method() : quoted(item.method())));
  }
  const auto& form = item.bodyWasSent() ? item.sentForm() : std::nullopt;
  for (const auto& [name, value] : sortedHeaders(sentHeaders(item))) {
    if (form && name == "Content-Type") continue;
    parts.push_back("-H " + quoted(name + ": " + value));
  }
  if (bodyOnInput) {
    parts.push_back("--data-binary @-");
  } else if (body) {
    parts.push_back("--data-raw " + singleQuoted(*body));
  }
  if (form) {
    for (const auto& file : form->files) parts.push_back("-F " + singleQuoted(formOption(file)));
  }
  parts.push_back(quoted(item.url()));

  std::string command = parts.front();
  for (std::size_t index = 1; index < parts.size(); ++index) command.append(separator).append(parts[index]);
  return command;
}

}  // namespace wendalore
