#include "Platform/Coding/EncodingError.h"

#include <fmt/format.h>

namespace platform {

std::string EncodingError::description() const {
  std::string text = fmt::format("Invalid value {} at {}: {}", valueDescription_, describe(context_.codingPath),
                                 context_.debugDescription);
  if (context_.underlyingError) text += " (" + context_.underlyingError->description() + ")";
  return text;
}

std::string EncodingError::localizedDescription() const {
  return "The data couldn't be written because it isn't in the correct format.";
}

}  // namespace platform
