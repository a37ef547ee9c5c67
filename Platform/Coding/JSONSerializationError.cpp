#include "Platform/Coding/JSONSerializationError.h"

#include <fmt/format.h>

namespace platform {

std::string JSONSerializationError::description() const {
  if (kind_ == Kind::unwritableValue) return "The value cannot be written as JSON: " + message_;
  if (offset_) return fmt::format("The data is not valid JSON (at byte {}): {}", *offset_, message_);
  return "The data is not valid JSON: " + message_;
}

std::string JSONSerializationError::localizedDescription() const {
  return kind_ == Kind::unreadableText ? "The data couldn't be read because it isn't in the correct format."
                                       : "The data couldn't be written because it isn't in the correct format.";
}

}  // namespace platform
