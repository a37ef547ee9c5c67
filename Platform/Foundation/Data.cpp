#include "Platform/Foundation/Data.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace platform {

Data::Data(const void* bytes, std::size_t count) {
  if (count == 0) return;
  const auto* first = static_cast<const std::uint8_t*>(bytes);
  storage_ = std::make_shared<std::vector<std::uint8_t>>(first, first + count);
  size_ = count;
}

Data::Data(std::vector<std::uint8_t> bytes) {
  size_ = bytes.size();
  if (size_ != 0) storage_ = std::make_shared<std::vector<std::uint8_t>>(std::move(bytes));
}

Data Data::subdata(std::size_t offset, std::size_t length) const {
  Data slice;
  offset = std::min(offset, size_);
  slice.size_ = std::min(length, size_ - offset);
  if (slice.size_ != 0) {
    slice.storage_ = storage_;
    slice.offset_ = offset_ + offset;
  }
  return slice;
}

std::shared_ptr<std::vector<std::uint8_t>> Data::ownStorage(std::size_t capacity) {
  if (storage_ && storage_.use_count() == 1 && offset_ == 0 && storage_->size() == size_) return nullptr;
  auto copy = std::make_shared<std::vector<std::uint8_t>>();
  copy->reserve(std::max(capacity, size_));
  copy->assign(bytes(), bytes() + size_);
  offset_ = 0;
  return std::exchange(storage_, std::move(copy));
}

void Data::reserve(std::size_t capacity) {
  ownStorage(capacity);
  storage_->reserve(capacity);
}

void Data::append(const void* bytes, std::size_t count) {
  if (count == 0) return;
  const auto* first = static_cast<const std::uint8_t*>(bytes);
  // `bytes` may point into the storage being replaced: it stays alive until
  // the bytes are copied.
  const auto replaced = ownStorage(size_ + count);
  // `bytes` may point into our own storage, which insert could reallocate.
  if (first >= storage_->data() && first < storage_->data() + storage_->size()) {
    std::vector<std::uint8_t> source(first, first + count);
    storage_->insert(storage_->end(), source.begin(), source.end());
  } else {
    storage_->insert(storage_->end(), first, first + count);
  }
  size_ += count;
}

void Data::append(const Data& other) {
  if (empty()) {
    *this = other;
    return;
  }
  append(other.bytes(), other.size());
}

void Data::clear() {
  storage_.reset();
  offset_ = 0;
  size_ = 0;
}

}  // namespace platform
