#include "Platform/Coding/DecodingError.h"

#include <fmt/format.h>

namespace platform {

namespace {

std::string_view kindName(DecodingError::Kind kind) {
  switch (kind) {
    case DecodingError::Kind::typeMismatch: return "Type mismatch";
    case DecodingError::Kind::valueNotFound: return "Value not found";
    case DecodingError::Kind::keyNotFound: return "Key not found";
    case DecodingError::Kind::dataCorrupted: return "Data corrupted";
  }
  return "Decoding failed";
}

}  // namespace

std::string DecodingError::description() const {
  const CodingPath path = key_ ? appending(context_.codingPath, *key_) : context_.codingPath;
  std::string text = fmt::format("{} at {}: {}", kindName(kind_), describe(path), context_.debugDescription);
  if (context_.underlyingError) text += " (" + context_.underlyingError->description() + ")";
  return text;
}

std::string DecodingError::localizedDescription() const {
  const bool missing = kind_ == Kind::keyNotFound || kind_ == Kind::valueNotFound;
  return missing ? "The data couldn't be read because it is missing."
                 : "The data couldn't be read because it isn't in the correct format.";
}

}  // namespace platform
