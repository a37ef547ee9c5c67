#pragma once

#include <string>

#include "Platform/Foundation/Error.h"

namespace platform {

// A store that cannot be opened, read or written; the message says which
// file or object and why.
class StoreError : public ErrorBase<StoreError> {
 public:
  explicit StoreError(std::string message) : message_(std::move(message)) {}

  std::string description() const override { return message_; }

 private:
  std::string message_;
};

}  // namespace platform
