#include "Platform/Text/CanonicalText.h"

#include <utf8proc.h>

#include <cstdlib>
#include <memory>

#include "Platform/Foundation/ASCIICase.h"

namespace platform {

std::string canonicalComposition(std::string_view text) {
  // ASCII is its own composed form; most header names and query keys are.
  if (isASCII(text)) return std::string(text);
  utf8proc_uint8_t* composed = nullptr;
  const auto length = utf8proc_map(reinterpret_cast<const utf8proc_uint8_t*>(text.data()),
                                   static_cast<utf8proc_ssize_t>(text.size()), &composed,
                                   static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_COMPOSE));
  if (length < 0) return std::string(text);
  const std::unique_ptr<utf8proc_uint8_t, decltype(&std::free)> owned(composed, &std::free);
  return std::string(reinterpret_cast<const char*>(composed), static_cast<std::size_t>(length));
}

bool canonicallyEqual(std::string_view left, std::string_view right) {
  if (left == right) return true;
  if (isASCII(left) && isASCII(right)) return false;
  return canonicalComposition(left) == canonicalComposition(right);
}

bool canonicallyLess(std::string_view left, std::string_view right) {
  if (isASCII(left) && isASCII(right)) return left < right;
  return canonicalComposition(left) < canonicalComposition(right);
}

}  // namespace platform
