#include "Wendanet/Source/Core/ParameterEncoderFailureReason.h"

#include "Wendanet/Source/Core/ErrorText.h"
#include "Wendanet/Source/Core/TaggedUnion.h"

namespace wendanet {

std::string ParameterEncoderFailureReason::RequiredComponent::description() const {
  return std::visit(
      Overloaded{
          [](const HTTPMethodComponent& method) { return "httpMethod(rawValue: \"" + method.rawValue + "\")"; },
          [](const URLComponent&) { return std::string("url"); },
      },
      value_);
}

std::string ParameterEncoderFailureReason::reasonDescription() const {
  return std::visit(Overloaded{
                        [](const MissingRequiredComponent& reason) {
                          return "Encoding failed due to a missing request component: " +
                                 reason.component.description();
                        },
                        [](const EncoderFailed& reason) {
                          return "The underlying encoder failed with the error: " + textualFormOf(reason.error);
                        },
                    },
                    value_);
}

}  // namespace wendanet
