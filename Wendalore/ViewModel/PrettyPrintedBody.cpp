#include "Wendalore/ViewModel/PrettyPrintedBody.h"

#include "Platform/Coding/JSONSerialization.h"
#include "Platform/Coding/detail/JSONReformatter.h"
#include "Platform/Coding/detail/JSONWriter.h"
#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/UTF8.h"

namespace wendalore {

namespace {

constexpr auto prettyPrinted = platform::JSONWritingOptions::prettyPrinted;

std::optional<std::string> writtenFromTree(const platform::Data& body) {
  try {
    platform::detail::JSONWriter writer(prettyPrinted);
    return writer.writeIfValid(platform::JSONSerialization::jsonObject(body));
  } catch (const platform::Error&) {
    // Not a JSON object or array: shown as the text it is.
    return std::nullopt;
  }
}

// The parsed tree can take many times the body's size, so it is built only
// when an object repeats a key; the text is written once, never copied.
std::optional<std::string> prettyPrintedJSON(const platform::Data& body) {
  auto text = platform::detail::reformatJSON(body.view(), prettyPrinted);
  if (text) return *std::move(text);
  if (text.error() == platform::detail::ReformatFailure::needsTree) return writtenFromTree(body);
  return std::nullopt;
}

}  // namespace

std::string prettyPrintedBody(const std::optional<platform::Data>& body) {
  if (!body) return {};
  if (auto pretty = prettyPrintedJSON(*body)) return *std::move(pretty);
  return platform::decodeUTF8(body->view()).value_or("Unable to decode data");
}

}  // namespace wendalore
