#pragma once

#include <cstdint>
#include <string>

#include "Platform/Foundation/Error.h"

namespace wendanet {

// An input stream that ended before giving the bytes it promised.
class UnexpectedInputStreamLength : public platform::ErrorBase<UnexpectedInputStreamLength> {
 public:
  UnexpectedInputStreamLength(std::uint64_t bytesExpected, std::uint64_t bytesRead)
      : bytesExpected(bytesExpected), bytesRead(bytesRead) {}

  // "UnexpectedInputStreamLength(bytesExpected: 10, bytesRead: 4)"
  std::string description() const override;

  std::uint64_t bytesExpected;
  std::uint64_t bytesRead;
};

}  // namespace wendanet
