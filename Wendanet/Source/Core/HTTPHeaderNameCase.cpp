#include "Wendanet/Source/Core/HTTPHeaderNameCase.h"

#include "Platform/Foundation/ASCIICase.h"
#include "Platform/Text/CanonicalText.h"
#include "Wendanet/Source/Support/UnicodeCase.h"

namespace wendanet {

bool headerNamesMatch(std::string_view left, std::string_view right) {
  // Some non-ASCII letters lower-case to ASCII ones (the Kelvin sign to
  // k), so only two ASCII names can stay on the ASCII path.
  if (platform::isASCII(left) && platform::isASCII(right)) return platform::equalsIgnoringASCIICase(left, right);
  return platform::canonicallyEqual(lowercased(left), lowercased(right));
}

std::string headerNameSortKey(std::string_view name) {
  return platform::isASCII(name) ? platform::asciiLowercased(name) : lowercased(name);
}

}  // namespace wendanet
