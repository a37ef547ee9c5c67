#include "Wendalore/History/CurlCommand.h"

#include <vector>

#include "Platform/Foundation/ShellQuoting.h"
#include "Platform/URLLoading/BodyFraming.h"
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

// The headers as they went out, for curl to send. curl writes the length of
// the body it is given itself, as the transfer did, and sends none without
// one, where the send may have told that it carried none.
HeaderDictionary headersForCurl(const RequestHistoryItem& item, bool curlSendsBody) {
  auto headers = sentHeaders(item);
  std::erase_if(headers, [](const auto& header) { return platform::writtenByTransfer(header.first); });
  if (const auto length = item.sentContentLength(); length && !curlSendsBody) {
    headers.emplace("Content-Length", std::to_string(*length));
  }
  return headers;
}

}  // namespace

std::string curlCommand(const RequestHistoryItem& item) {
  std::vector<std::string> parts{"curl"};
  const auto* body = sentBody(item);
  // A body that no argument can carry goes in on curl's standard input.
  const bool bodyOnInput = body && !platform::fitsShellArgument(*body);
  if (bodyOnInput) parts.front() = platform::printfCommand(*body) + " | curl";
  // A form without parts went out as no bytes: curl is given no form then.
  const auto& form = item.bodyWasSent() ? item.sentForm() : std::nullopt;
  const bool curlWritesForm = form && !form->files.empty();
  // Given a body or a form, curl sends a POST unless told otherwise.
  if (item.method() != "GET" || body || curlWritesForm) parts.push_back(platform::curlMethodOption(item.method()));
  for (const auto& [name, value] : sortedHeaders(headersForCurl(item, body || curlWritesForm))) {
    // curl names its own boundary.
    if (curlWritesForm && name == "Content-Type") continue;
    parts.push_back(platform::curlHeaderOption(name, value));
  }
  if (bodyOnInput) {
    parts.push_back("--data-binary @-");
  } else if (body) {
    parts.push_back("--data-raw " + singleQuoted(*body));
  }
  if (curlWritesForm) {
    for (const auto& file : form->files) parts.push_back("-F " + singleQuoted(formOption(file)));
  }
  parts.push_back(doubleQuoted(item.url()));

  std::string command = parts.front();
  for (std::size_t index = 1; index < parts.size(); ++index) command.append(separator).append(parts[index]);
  return command;
}

}  // namespace wendalore
