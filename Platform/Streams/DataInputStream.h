#pragma once

#include "Platform/Streams/InputStream.h"

namespace platform {

// Reads the bytes of a buffer from the start.
class DataInputStream final : public InputStream {
 public:
  explicit DataInputStream(Data data) : data_(std::move(data)) {}

 private:
  std::expected<void, AnyError> openResource() override { return {}; }
  void closeResource() override {}
  std::expected<std::size_t, AnyError> readBytes(std::uint8_t* buffer, std::size_t maxLength) override;
  bool mayHaveMoreBytes() const override { return offset_ < data_.size(); }

  Data data_;
  std::size_t offset_ = 0;
};

}  // namespace platform
