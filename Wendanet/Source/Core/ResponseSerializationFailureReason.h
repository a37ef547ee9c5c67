#pragma once

#include <string>
#include <utility>
#include <variant>

#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/TextEncoding.h"
#include "Platform/Foundation/URL.h"
#include "Wendanet/Source/Core/TaggedUnion.h"

namespace wendanet {

// Why a response could not be turned into the value asked for.
class ResponseSerializationFailureReason {
 public:
  struct InputFileReadFailed {
    platform::URL at;
  };
  struct StringSerializationFailed {
    platform::TextEncoding encoding;
  };
  struct JSONSerializationFailed {
    platform::AnyError error;
  };
  struct DecodingFailed {
    platform::AnyError error;
  };
  struct CustomSerializationFailed {
    platform::AnyError error;
  };
  struct InvalidEmptyResponse {
    std::string type;  // the name of the expected result type
  };
  struct InputDataNilOrZeroLength {};
  struct InputFileNil {};
  using Case = std::variant<InputFileReadFailed, StringSerializationFailed, JSONSerializationFailed, DecodingFailed,
                            CustomSerializationFailed, InvalidEmptyResponse, InputDataNilOrZeroLength, InputFileNil>;

  static ResponseSerializationFailureReason inputFileReadFailed(platform::URL at) {
    return InputFileReadFailed{std::move(at)};
  }
  static ResponseSerializationFailureReason stringSerializationFailed(platform::TextEncoding encoding) {
    return StringSerializationFailed{encoding};
  }
  static ResponseSerializationFailureReason jsonSerializationFailed(platform::AnyError error) {
    return JSONSerializationFailed{std::move(error)};
  }
  static ResponseSerializationFailureReason decodingFailed(platform::AnyError error) {
    return DecodingFailed{std::move(error)};
  }
  static ResponseSerializationFailureReason customSerializationFailed(platform::AnyError error) {
    return CustomSerializationFailed{std::move(error)};
  }
  static ResponseSerializationFailureReason invalidEmptyResponse(std::string type) {
    return InvalidEmptyResponse{std::move(type)};
  }
  static ResponseSerializationFailureReason inputDataNilOrZeroLength() { return InputDataNilOrZeroLength{}; }
  static ResponseSerializationFailureReason inputFileNil() { return InputFileNil{}; }

  template <AlternativeOf<Case> Alternative>

  ResponseSerializationFailureReason(Alternative value) : value_(std::move(value)) {}
  const Case& value() const { return value_; }

  std::string reasonDescription() const;

 private:
  Case value_;
};

}  // namespace wendanet
