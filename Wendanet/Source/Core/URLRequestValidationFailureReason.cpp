#include "Wendanet/Source/Core/URLRequestValidationFailureReason.h"

#include "Platform/Foundation/UTF8.h"

namespace wendanet {

std::string URLRequestValidationFailureReason::reasonDescription() const {
  const auto& reason = std::get<BodyDataInGETRequest>(value_);
  return "Invalid URLRequest: Requests with GET method cannot have body data:\n" +
         platform::decodeUTF8Repairing(reason.body.view());
}

}  // namespace wendanet
