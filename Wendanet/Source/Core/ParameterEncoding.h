#pragma once

#include <optional>

#include "Platform/Foundation/URLRequest.h"
#include "Wendanet/Source/Core/ParameterValue.h"
#include "Wendanet/Source/Core/URLRequestConvertible.h"

namespace wendanet {

// Puts a parameter dictionary into a URL request.
class ParameterEncoding {
 public:
  virtual ~ParameterEncoding() = default;

  // The request with the parameters in it; absent parameters give the
  // request unchanged. Throws WNError, or whatever the convertible throws.
  virtual platform::URLRequest encode(const URLRequestConvertible& convertible,
                                      const std::optional<Parameters>& parameters) const = 0;
};

}  // namespace wendanet
