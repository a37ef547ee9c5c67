#pragma once

#include <string>
#include <utility>
#include <variant>

#include "Platform/Foundation/Error.h"
#include "Wendanet/Source/Core/TaggedUnion.h"

namespace wendanet {

// Why a parameter encoding could not put parameters into a URL request.
class ParameterEncodingFailureReason {
 public:
  struct JSONEncodingFailed {
    platform::AnyError error;
  };
  struct CustomEncodingFailed {
    platform::AnyError error;
  };
  struct MissingURL {};
  using Case = std::variant<JSONEncodingFailed, CustomEncodingFailed, MissingURL>;

  static ParameterEncodingFailureReason jsonEncodingFailed(platform::AnyError error) {
    return JSONEncodingFailed{std::move(error)};
  }
  static ParameterEncodingFailureReason customEncodingFailed(platform::AnyError error) {
    return CustomEncodingFailed{std::move(error)};
  }
  static ParameterEncodingFailureReason missingURL() { return MissingURL{}; }

  template <AlternativeOf<Case> Alternative>

  ParameterEncodingFailureReason(Alternative value) : value_(std::move(value)) {}
  const Case& value() const { return value_; }

  std::string reasonDescription() const;

 private:
  Case value_;
};

}  // namespace wendanet
