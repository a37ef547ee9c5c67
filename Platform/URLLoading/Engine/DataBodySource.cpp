#include <algorithm>
#include <cstring>

#include "Platform/URLLoading/Engine/BodySource.h"

namespace platform {

namespace {

class DataBodySource final : public BodySource {
 public:
  explicit DataBodySource(Data data) : data_(std::move(data)) {}

  ReadResult read(std::uint8_t* buffer, std::size_t maxLength) override {
    const std::size_t count = std::min(maxLength, data_.size() - offset_);
    if (count == 0) return {Status::end};
    std::memcpy(buffer, data_.bytes() + offset_, count);
    offset_ += count;
    return {Status::bytes, count};
  }
  std::optional<std::int64_t> length() const override { return static_cast<std::int64_t>(data_.size()); }
  bool rewind() override {
    offset_ = 0;
    return true;
  }
  AnyError error() const override { return nullptr; }

 private:
  Data data_;
  std::size_t offset_ = 0;
};

}  // namespace

std::unique_ptr<BodySource> BodySource::fromData(Data data) {
  return std::make_unique<DataBodySource>(std::move(data));
}

}  // namespace platform
