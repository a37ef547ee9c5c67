#pragma once

#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/URL.h"
#include "Wendanet/Source/Core/TaggedUnion.h"

namespace wendanet {

// Why a response failed validation.
class ResponseValidationFailureReason {
 public:
  struct DataFileReadFailed {
    platform::URL at;
  };
  struct MissingContentType {
    std::vector<std::string> acceptableContentTypes;
  };
  struct UnacceptableContentType {
    std::vector<std::string> acceptableContentTypes;
    std::string responseContentType;
  };
  struct UnacceptableStatusCode {
    int code;
  };
  struct CustomValidationFailed {
    platform::AnyError error;
  };
  struct DataFileNil {};
  using Case = std::variant<DataFileReadFailed, MissingContentType, UnacceptableContentType, UnacceptableStatusCode,
                            CustomValidationFailed, DataFileNil>;

  static ResponseValidationFailureReason dataFileReadFailed(platform::URL at) {
    return DataFileReadFailed{std::move(at)};
  }
  static ResponseValidationFailureReason missingContentType(std::vector<std::string> acceptableContentTypes) {
    return MissingContentType{std::move(acceptableContentTypes)};
  }
  static ResponseValidationFailureReason unacceptableContentType(std::vector<std::string> acceptableContentTypes,
                                                                 std::string responseContentType) {
    return UnacceptableContentType{std::move(acceptableContentTypes), std::move(responseContentType)};
  }
  static ResponseValidationFailureReason unacceptableStatusCode(int code) { return UnacceptableStatusCode{code}; }
  static ResponseValidationFailureReason customValidationFailed(platform::AnyError error) {
    return CustomValidationFailed{std::move(error)};
  }
  static ResponseValidationFailureReason dataFileNil() { return DataFileNil{}; }

  template <AlternativeOf<Case> Alternative>

  ResponseValidationFailureReason(Alternative value) : value_(std::move(value)) {}
  const Case& value() const { return value_; }

  std::string reasonDescription() const;

 private:
  Case value_;
};

}  // namespace wendanet
