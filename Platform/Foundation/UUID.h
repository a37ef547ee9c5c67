#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// A 128-bit universally unique identifier.
class UUID {
 public:
  using Bytes = std::array<std::uint8_t, 16>;

  // A new random (version 4) identifier.
  UUID();
  explicit UUID(const Bytes& bytes) : bytes_(bytes) {}

  // Reads the hyphenated 8-4-4-4-12 form; hexadecimal digits of either case.
  static std::optional<UUID> fromString(std::string_view text);

  const Bytes& bytes() const { return bytes_; }
  // Upper-case hexadecimal digits in groups of 8, 4, 4, 4 and 12 joined by hyphens.
  std::string uuidString() const;
  std::string description() const { return uuidString(); }

  friend auto operator<=>(const UUID&, const UUID&) = default;

 private:
  Bytes bytes_;
};

}  // namespace platform

template <>
struct std::hash<platform::UUID> {
  std::size_t operator()(const platform::UUID& uuid) const {
    const auto& bytes = uuid.bytes();
    return std::hash<std::string_view>{}(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  }
};
