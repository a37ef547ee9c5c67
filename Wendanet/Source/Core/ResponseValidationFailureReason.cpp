#include "Wendanet/Source/Core/ResponseValidationFailureReason.h"

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "Wendanet/Source/Core/ErrorText.h"
#include "Wendanet/Source/Core/TaggedUnion.h"

namespace wendanet {
namespace {

std::string joined(const std::vector<std::string>& contentTypes) {
  return fmt::format("{}", fmt::join(contentTypes, ","));
}

}  // namespace

std::string ResponseValidationFailureReason::reasonDescription() const {
  return std::visit(
      Overloaded{
          [](const DataFileReadFailed& reason) {
            return "Response could not be validated, data file could not be read: " + reason.at.absoluteString() + ".";
          },
          [](const MissingContentType& reason) {
            return "Response Content-Type was missing and acceptable content types (" +
                   joined(reason.acceptableContentTypes) + ") do not match \"*/*\".";
          },
          [](const UnacceptableContentType& reason) {
            return "Response Content-Type \"" + reason.responseContentType +
                   "\" does not match any acceptable types: " + joined(reason.acceptableContentTypes) + ".";
          },
          [](const UnacceptableStatusCode& reason) {
            return fmt::format("Response status code was unacceptable: {}.", reason.code);
          },
          [](const CustomValidationFailed& reason) {
            return "Custom response validation failed with error: " + localizedDescriptionOf(reason.error);
          },
          [](const DataFileNil&) { return std::string("Response could not be validated, data file was nil."); },
      },
      value_);
}

}  // namespace wendanet
