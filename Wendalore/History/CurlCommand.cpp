#include "Wendalore/History/CurlCommand.h"

#include <vector>

#include "Platform/Foundation/ShellQuoting.h"
#include "Platform/URLLoading/CurlOptions.h"
#include "Wendalore/History/FormOption.h"
#include "Wendalore/History/HeaderRows.h"
#include "Wendalore/History/SentBody.h"

namespace wendalore {
namespace {

constexpr std::string_view separator = " \\\n    ";

std::string doubleQuoted(std::string_view text) {
  return platform::quotedShellWord(text, platform::ShellQuotes::doubled);
}

std::string singleQuoted(std::string_view text) {
  return platform::quotedShellWord(text, platform::ShellQuotes::single);
}

}  // namespace

std::string curlCommand(const RequestHistoryItem& item) {
  std::vector<std::string> parts{"curl"};
  const auto* body = sentBody(item);
  // A body that no argument can carry goes in on curl's standard input.
  const bool bodyOnInput = body && !platform::fitsShellArgument(*body);
  if (bodyOnInput) parts.front() = platform::printfCommand(*body) + " | curl";
  if (item.method() != "GET") parts.push_back(platform::curlMethodOption(item.method()));
  const auto& form = item.bodyWasSent() ? item.sentForm() : std::nullopt;
  for (const auto& [name, value] : sortedHeaders(sentHeaders(item))) {
    if (form && name == "Content-Type") continue;
    parts.push_back(platform::curlHeaderOption(name, value));
  }
  if (bodyOnInput) {
    parts.push_back("--data-binary @-");
  } else if (body) {
    parts.push_back("--data-raw " + singleQuoted(*body));
  }
  if (form) {
    for (const auto& file : form->files) parts.push_back("-F " + singleQuoted(formOption(file)));
  }
  parts.push_back(doubleQuoted(item.url()));

  std::string command = parts.front();
  for (std::size_t index = 1; index < parts.size(); ++index) command.append(separator).append(parts[index]);
  return command;
}

}  // namespace wendalore
