#include "Wendanet/Source/Support/CharacterSetExtensions.h"

namespace wendanet {

const platform::CharacterSet& wnURLQueryAllowed() {
  // The general and sub-delimiters that may stand in a query but would
  // split or mark up a query component.
  static const platform::CharacterSet allowed = platform::CharacterSet::urlQueryAllowed().removing(":#[]@!$&'()*+,;=");
  return allowed;
}

}  // namespace wendanet
