#pragma once

#include <string>
#include <utility>
#include <variant>

#include "Platform/Foundation/Error.h"
#include "Wendanet/Source/Core/TaggedUnion.h"

namespace wendanet {

// Why a parameter encoder could not put an encodable value into a URL
// request.
class ParameterEncoderFailureReason {
 public:
  // The part of the URL request the encoder needed but did not find.
  class RequiredComponent {
   public:
    struct HTTPMethodComponent {
      std::string rawValue;
    };
    struct URLComponent {};
    using Case = std::variant<HTTPMethodComponent, URLComponent>;

    static RequiredComponent httpMethod(std::string rawValue) { return HTTPMethodComponent{std::move(rawValue)}; }
    static RequiredComponent url() { return URLComponent{}; }

    template <AlternativeOf<Case> Alternative>

    RequiredComponent(Alternative value) : value_(std::move(value)) {}
    const Case& value() const { return value_; }

    // `url`, or `httpMethod(rawValue: "GET")`.
    std::string description() const;

   private:
    Case value_;
  };

  struct MissingRequiredComponent {
    RequiredComponent component;
  };
  struct EncoderFailed {
    platform::AnyError error;
  };
  using Case = std::variant<MissingRequiredComponent, EncoderFailed>;

  static ParameterEncoderFailureReason missingRequiredComponent(RequiredComponent component) {
    return MissingRequiredComponent{std::move(component)};
  }
  static ParameterEncoderFailureReason encoderFailed(platform::AnyError error) {
    return EncoderFailed{std::move(error)};
  }

  template <AlternativeOf<Case> Alternative>

  ParameterEncoderFailureReason(Alternative value) : value_(std::move(value)) {}
  const Case& value() const { return value_; }

  std::string reasonDescription() const;

 private:
  Case value_;
};

}  // namespace wendanet
