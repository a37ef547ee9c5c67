#include "Platform/Foundation/HTTPHeaderFields.h"

#include "Platform/Foundation/ASCIICase.h"

namespace platform {

std::optional<std::size_t> indexOfHeaderField(const HTTPHeaderFields& fields, std::string_view name) {
  for (std::size_t index = 0; index < fields.size(); ++index) {
    if (equalsIgnoringASCIICase(fields[index].first, name)) return index;
  }
  return std::nullopt;
}

std::optional<std::string> valueOfHeaderField(const HTTPHeaderFields& fields, std::string_view name) {
  const auto index = indexOfHeaderField(fields, name);
  if (!index) return std::nullopt;
  return fields[*index].second;
}

}  // namespace platform
