#pragma once

#include <string>

#include "Wendanet/Source/Core/WNError.h"

namespace wendalore {

// A developer's rendering of a failure: its case, then in parentheses what
// it carries, as in
// "responseValidationFailed(unacceptableStatusCode(Response status code was unacceptable: 404.))".
std::string diagnosticText(const wendanet::WNError& error);

}  // namespace wendalore
