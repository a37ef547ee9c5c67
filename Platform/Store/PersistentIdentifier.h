#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace platform {

// Names one stored object: its entity and its row in the store. An object
// that no context holds yet has a temporary identifier, unique in the
// process, which gives way to the permanent one when it is inserted.
struct PersistentIdentifier {
  std::string entityName;
  std::int64_t primaryKey = 0;
  bool isTemporary = false;

  friend bool operator==(const PersistentIdentifier&, const PersistentIdentifier&) = default;
};

}  // namespace platform

template <>
struct std::hash<platform::PersistentIdentifier> {
  std::size_t operator()(const platform::PersistentIdentifier& identifier) const {
    const std::size_t name = std::hash<std::string>{}(identifier.entityName);
    const std::size_t key = std::hash<std::int64_t>{}(identifier.primaryKey * 2 + (identifier.isTemporary ? 1 : 0));
    return name ^ (key + 0x9e3779b97f4a7c15ULL + (name << 6) + (name >> 2));
  }
};
