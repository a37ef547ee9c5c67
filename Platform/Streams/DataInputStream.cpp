#include "Platform/Streams/DataInputStream.h"

#include <algorithm>
#include <cstring>

namespace platform {

std::expected<std::size_t, AnyError> DataInputStream::readBytes(std::uint8_t* buffer, std::size_t maxLength) {
  std::size_t count = std::min(maxLength, data_.size() - offset_);
  if (count > 0) std::memcpy(buffer, data_.bytes() + offset_, count);
  offset_ += count;
  return count;
}

}  // namespace platform
