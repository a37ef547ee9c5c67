#include "Wendalore/ViewModel/PrettyPrintedBody.h"

#include "Platform/Coding/JSONSerialization.h"
#include "Platform/Coding/detail/JSONWriter.h"
#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/UTF8.h"

namespace wendalore {

namespace {

// The parsed tree can take several times the body's size: it is gone before
// the text is handed on, and the text is written once, never copied.
std::optional<std::string> prettyPrintedJSON(const platform::Data& body) {
  try {
    const auto value = platform::JSONSerialization::jsonObject(body);
    platform::detail::JSONWriter writer(platform::JSONWritingOptions::prettyPrinted);
    auto text = writer.writeIfValid(value);
    if (text && platform::isValidUTF8(*text)) return text;
  } catch (const platform::Error&) {
    // Not a JSON object or array: shown as the text it is.
  }
  return std::nullopt;
}

}  // namespace

std::string prettyPrintedBody(const std::optional<platform::Data>& body) {
  if (!body) return {};
  if (auto pretty = prettyPrintedJSON(*body)) return *std::move(pretty);
  return platform::decodeUTF8(body->view()).value_or("Unable to decode data");
}

}  // namespace wendalore
