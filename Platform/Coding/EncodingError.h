#pragma once

#include <string>

#include "Platform/Coding/CodingKey.h"
#include "Platform/Foundation/Error.h"

namespace platform {

// A value that an encoder cannot write.
class EncodingError : public ErrorBase<EncodingError> {
 public:
  struct Context {
    CodingPath codingPath;
    std::string debugDescription;
    AnyError underlyingError;
  };

  // `valueDescription` shows the offending value, for example "nan".
  static EncodingError invalidValue(std::string valueDescription, Context context) {
    return EncodingError(std::move(valueDescription), std::move(context));
  }

  const std::string& valueDescription() const { return valueDescription_; }
  const Context& context() const { return context_; }

  // "Invalid value nan at user.score: " and the debug description.
  std::string description() const override;
  std::string localizedDescription() const override;

 private:
  EncodingError(std::string valueDescription, Context context)
      : valueDescription_(std::move(valueDescription)), context_(std::move(context)) {}

  std::string valueDescription_;
  Context context_;
};

}  // namespace platform
