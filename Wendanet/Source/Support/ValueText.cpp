#include "Wendanet/Source/Support/ValueText.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>

#include "Platform/Coding/JSONSerialization.h"

namespace wendanet::detail {

std::string quotedText(std::string_view text) {
  std::string quoted = "\"";
  for (const char character : text) {
    switch (character) {
      case '"':
        quoted += "\\\"";
        break;
      case '\\':
        quoted += "\\\\";
        break;
      case '\n':
        quoted += "\\n";
        break;
      case '\r':
        quoted += "\\r";
        break;
      case '\t':
        quoted += "\\t";
        break;
      default:
        quoted += character;
    }
  }
  return quoted + "\"";
}

std::string sizeText(const platform::Data& data) { return std::to_string(data.size()) + " bytes"; }

std::string jsonText(const platform::JSONValue& value) {
  try {
    return platform::JSONSerialization::data(value, platform::JSONWritingOptions::fragmentsAllowed).toString();
  } catch (const platform::Error&) {
    // Numbers JSON cannot hold (NaN, infinities) leave only the kind.
    return typeName(typeid(platform::JSONValue));
  }
}

std::string typeName(const std::type_info& type) {
  int status = 0;
  const std::unique_ptr<char, decltype(&std::free)> name(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status),
                                                         &std::free);
  return status == 0 && name ? std::string(name.get()) : std::string(type.name());
}

}  // namespace wendanet::detail
