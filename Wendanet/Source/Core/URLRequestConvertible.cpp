#include "Wendanet/Source/Core/URLRequestConvertible.h"

#include "Platform/Foundation/Error.h"

namespace wendanet {

std::optional<platform::URLRequest> URLRequestConvertible::urlRequest() const {
  try {
    return asURLRequest();
  } catch (const platform::Error&) {
    return std::nullopt;
  }
}

}  // namespace wendanet
