#pragma once

#include <string>

#include "Platform/Foundation/Error.h"

namespace wendanet {

// An output stream that took no bytes without reporting a failure of its
// own (closed, or refusing to move). Carried so that such a stream ends the
// write with a failure instead of spinning or dropping the bytes.
class OutputStreamStalled : public platform::ErrorBase<OutputStreamStalled> {
 public:
  std::string description() const override { return "The output stream accepted no bytes."; }
};

}  // namespace wendanet
