#include "Wendalore/History/CurlCommand.h"

#include <vector>

#include "Platform/Foundation/QuotedString.h"
#include "Platform/Foundation/ShellQuoting.h"
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
  if (platform::holdsControlCharacter(text)) return platform::ansiCQuotedShellWord(text);
  if (text.find('!') != std::string_view::npos) return platform::singleQuotedShellWord(text);
  std::string quoted = "\"";
  for (const char character : text) {
    if (character == '"' || character == '\\' || character == '$' || character == '`') quoted += '\\';
    quoted += character;
  }
  return quoted + "\"";
}

// Single quotes fit any argument but one holding a control character.
std::string singleQuoted(std::string_view text) {
  return platform::holdsControlCharacter(text) ? platform::ansiCQuotedShellWord(text)
                                               : platform::singleQuotedShellWord(text);
}

// curl writes the form's own Content-Type, with a boundary of its own.
std::string formOption(const SentFilePart& file) {
  // curl reads the file name and type after ";" as quoted strings.
  return "-F " + singleQuoted(file.name + "=@" + platform::quotedString(file.path) +
                              ";filename=" + platform::quotedString(file.fileName) + ";type=" + file.mimeType);
}

}  // namespace

std::string curlCommand(const RequestHistoryItem& item) {
  std::vector<std::string> parts{"curl"};
  if (item.method() != "GET") parts.push_back("-X " + item.method());
  const auto& form = item.bodyWasSent() ? item.sentForm() : std::nullopt;
  for (const auto& [name, value] : sortedHeaders(sentHeaders(item))) {
    if (form && name == "Content-Type") continue;
    parts.push_back("-H " + quoted(name + ": " + value));
  }
  if (const auto* body = sentBody(item)) parts.push_back("--data-raw " + singleQuoted(*body));
  if (form) {
    for (const auto& file : form->files) parts.push_back(formOption(file));
  }
  parts.push_back(quoted(item.url()));

  std::string command = parts.front();
  for (std::size_t index = 1; index < parts.size(); ++index) command.append(separator).append(parts[index]);
  return command;
}

}  // namespace wendalore
