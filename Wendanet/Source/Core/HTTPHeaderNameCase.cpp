#include "Wendanet/Source/Core/HTTPHeaderNameCase.h"

#include "Platform/Foundation/ASCIICase.h"
#include "Platform/Text/CanonicalText.h"
#include "Wendanet/Source/Support/UnicodeCase.h"

namespace wendanet {

std::string headerNameMatchKey(std::string_view name) {
  return platform::isASCII(name) ? platform::asciiLowercased(name) : platform::canonicalComposition(lowercased(name));
}

std::string headerNameSortKey(std::string_view name) {
  return platform::isASCII(name) ? platform::asciiLowercased(name) : lowercased(name);
}

}  // namespace wendanet
