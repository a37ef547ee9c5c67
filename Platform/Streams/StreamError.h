#pragma once

#include <string>

#include "Platform/Foundation/Error.h"

namespace platform {

// A stream used in a way its state does not allow.
class StreamError : public ErrorBase<StreamError> {
 public:
  enum class Code {
    // Read or written before open, or after close.
    notOpen,
    // Written to a bound pair whose input side is closed: nobody will read.
    readerClosed,
  };

  explicit StreamError(Code code) : code_(code) {}

  Code code() const { return code_; }
  std::string description() const override;

 private:
  Code code_;
};

}  // namespace platform
