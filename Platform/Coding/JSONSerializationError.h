#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "Platform/Foundation/Error.h"

namespace platform {

// JSON text that cannot be read, or a value that cannot be written as JSON.
class JSONSerializationError : public ErrorBase<JSONSerializationError> {
 public:
  enum class Kind { unreadableText, unwritableValue };

  JSONSerializationError(Kind kind, std::string message, std::optional<std::size_t> offset = std::nullopt)
      : kind_(kind), message_(std::move(message)), offset_(offset) {}

  Kind kind() const { return kind_; }
  const std::string& message() const { return message_; }
  // Byte offset into the text where reading failed, when known.
  std::optional<std::size_t> offset() const { return offset_; }

  std::string description() const override;
  std::string localizedDescription() const override;

 private:
  Kind kind_;
  std::string message_;
  std::optional<std::size_t> offset_;
};

}  // namespace platform
