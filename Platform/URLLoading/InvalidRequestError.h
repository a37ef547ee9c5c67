#pragma once

#include <string>

#include "Platform/Foundation/Error.h"

namespace platform {

// A request the session refused to send because it could not go out as
// written: a method or header field that would break the message apart.
class InvalidRequestError : public ErrorBase<InvalidRequestError> {
 public:
  explicit InvalidRequestError(std::string reason) : reason_(std::move(reason)) {}

  const std::string& reason() const { return reason_; }
  std::string description() const override { return "The request was not sent: " + reason_; }

 private:
  std::string reason_;
};

}  // namespace platform
