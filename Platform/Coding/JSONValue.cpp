#include "Platform/Coding/JSONValue.h"

namespace platform {

std::string_view JSONValue::kindDescription() const {
  if (isNull()) return "null";
  if (as<bool>()) return "a boolean";
  if (isNumber()) return "a number";
  if (as<std::string>()) return "a string";
  if (as<JSONArray>()) return "an array";
  return "an object";
}

}  // namespace platform
