#include "Wendanet/Source/Core/ResponseSerializationFailureReason.h"

#include "Wendanet/Source/Core/ErrorText.h"
#include "Wendanet/Source/Core/TaggedUnion.h"

namespace wendanet {

std::string ResponseSerializationFailureReason::reasonDescription() const {
  return std::visit(
      Overloaded{
          [](const InputFileReadFailed& reason) {
            return "Response could not be serialized, input file could not be read: " + reason.at.absoluteString() +
                   ".";
          },
          [](const StringSerializationFailed& reason) {
            return "String could not be serialized with encoding: " + std::string(reason.encoding.description()) + ".";
          },
          [](const JSONSerializationFailed& reason) {
            return "JSON could not be serialized because of error:\n" + localizedDescriptionOf(reason.error);
          },
          [](const DecodingFailed& reason) {
            return "Response could not be decoded because of error:\n" + localizedDescriptionOf(reason.error);
          },
          [](const CustomSerializationFailed& reason) {
            return "Custom response serializer failed with error:\n" + localizedDescriptionOf(reason.error);
          },
          [](const InvalidEmptyResponse& reason) {
            return "Empty response could not be serialized to type: " + reason.type +
                   ". Use Empty as the expected type for such responses.";
          },
          [](const InputDataNilOrZeroLength&) {
            return std::string("Response could not be serialized, input data was nil or zero length.");
          },
          [](const InputFileNil&) { return std::string("Response could not be serialized, input file was nil."); },
      },
      value_);
}

}  // namespace wendanet
