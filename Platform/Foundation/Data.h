#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A byte buffer with value semantics that is cheap to copy: copies and
// slices share storage, and a change copies first when storage is shared.
class Data {
 public:
  Data() = default;
  Data(const void* bytes, std::size_t count);
  explicit Data(std::vector<std::uint8_t> bytes);
  explicit Data(std::string_view bytes) : Data(bytes.data(), bytes.size()) {}
  explicit Data(const char* bytes) : Data(std::string_view(bytes)) {}

  const std::uint8_t* bytes() const { return storage_ ? storage_->data() + offset_ : nullptr; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  std::span<const std::uint8_t> span() const { return {bytes(), size_}; }
  // The bytes as they are; not decoded or checked in any way.
  std::string_view view() const { return {reinterpret_cast<const char*>(bytes()), size_}; }
  std::string toString() const { return std::string(view()); }

  const std::uint8_t* begin() const { return bytes(); }
  const std::uint8_t* end() const { return bytes() + size_; }
  std::uint8_t operator[](std::size_t index) const { return bytes()[index]; }

  // Shares storage with this buffer; the range is clamped to the bytes held.
  Data subdata(std::size_t offset, std::size_t length) const;
  Data prefix(std::size_t length) const { return subdata(0, length); }
  Data suffix(std::size_t length) const { return subdata(size_ > length ? size_ - length : 0, length); }

  // Room for `capacity` bytes in storage of this buffer's own, so that
  // appending up to there copies nothing already held.
  void reserve(std::size_t capacity);
  void append(const void* bytes, std::size_t count);
  // Appended to an empty buffer, `other` is shared rather than copied.
  void append(const Data& other);
  void append(std::string_view bytes) { append(bytes.data(), bytes.size()); }
  void clear();

  friend bool operator==(const Data& left, const Data& right) { return left.view() == right.view(); }
  friend auto operator<=>(const Data& left, const Data& right) { return left.view() <=> right.view(); }

 private:
  // Storage held by this buffer alone, the bytes at its start; the replaced
  // storage, which `bytes` being appended may point into, is returned.
  std::shared_ptr<std::vector<std::uint8_t>> ownStorage(std::size_t capacity);

  std::shared_ptr<std::vector<std::uint8_t>> storage_;
  std::size_t offset_ = 0;
  std::size_t size_ = 0;
};

}  // namespace platform

template <>
struct std::hash<platform::Data> {
  std::size_t operator()(const platform::Data& data) const { return std::hash<std::string_view>{}(data.view()); }
};
