#include "Wendanet/Source/Core/ParameterEncodingFailureReason.h"

#include "Wendanet/Source/Core/ErrorText.h"
#include "Wendanet/Source/Core/TaggedUnion.h"

namespace wendanet {

std::string ParameterEncodingFailureReason::reasonDescription() const {
  return std::visit(Overloaded{
                        [](const JSONEncodingFailed& reason) {
                          return "JSON could not be encoded because of error:\n" + localizedDescriptionOf(reason.error);
                        },
                        [](const CustomEncodingFailed& reason) {
                          return "Custom parameter encoder failed with error: " + localizedDescriptionOf(reason.error);
                        },
                        [](const MissingURL&) { return std::string("URL request to encode was missing a URL"); },
                    },
                    value_);
}

}  // namespace wendanet
