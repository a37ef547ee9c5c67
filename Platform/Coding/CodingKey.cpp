#include "Platform/Coding/CodingKey.h"

#include <fmt/format.h>

namespace platform {

CodingPath appending(CodingPath path, CodingKey key) {
  path.push_back(std::move(key));
  return path;
}

std::string describe(const CodingPath& path) {
  if (path.empty()) return "the top level";
  std::string text;
  for (const auto& key : path) {
    if (key.intValue) {
      fmt::format_to(std::back_inserter(text), "[{}]", *key.intValue);
    } else {
      if (!text.empty()) text += '.';
      text += key.stringValue;
    }
  }
  return text;
}

}  // namespace platform
