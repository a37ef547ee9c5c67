#include "Wendalore/ViewModel/PrettyPrintedBody.h"

#include "Platform/Coding/JSONSerialization.h"
#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/UTF8.h"

namespace wendalore {

std::string prettyPrintedBody(const std::optional<platform::Data>& body) {
  if (!body) return {};
  try {
    const auto value = platform::JSONSerialization::jsonObject(*body);
    const auto pretty = platform::JSONSerialization::data(value, platform::JSONWritingOptions::prettyPrinted);
    if (auto text = platform::decodeUTF8(pretty.view())) return *std::move(text);
  } catch (const platform::Error&) {
    // Not a JSON object or array: shown as the text it is.
  }
  return platform::decodeUTF8(body->view()).value_or("Unable to decode data");
}

}  // namespace wendalore
