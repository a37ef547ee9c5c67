#include "Wendanet/Source/Core/UnexpectedInputStreamLength.h"

#include <fmt/format.h>

namespace wendanet {

std::string UnexpectedInputStreamLength::description() const {
  return fmt::format("UnexpectedInputStreamLength(bytesExpected: {}, bytesRead: {})", bytesExpected, bytesRead);
}

}  // namespace wendanet
