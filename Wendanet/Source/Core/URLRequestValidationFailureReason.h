#pragma once

#include <string>
#include <utility>
#include <variant>

#include "Platform/Foundation/Data.h"
#include "Wendanet/Source/Core/TaggedUnion.h"

namespace wendanet {

// Why a URL request was refused before any task was made for it.
class URLRequestValidationFailureReason {
 public:
  struct BodyDataInGETRequest {
    platform::Data body;
  };
  using Case = std::variant<BodyDataInGETRequest>;

  static URLRequestValidationFailureReason bodyDataInGETRequest(platform::Data body) {
    return BodyDataInGETRequest{std::move(body)};
  }

  template <AlternativeOf<Case> Alternative>

  URLRequestValidationFailureReason(Alternative value) : value_(std::move(value)) {}
  const Case& value() const { return value_; }

  std::string reasonDescription() const;

 private:
  Case value_;
};

}  // namespace wendanet
