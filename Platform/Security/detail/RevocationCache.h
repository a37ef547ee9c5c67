#pragma once

#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "Platform/Foundation/Data.h"

namespace platform::detail {

// Revocation answers fetched before, shared by every evaluation in the
// process. Entries are kept as fetched; whoever reads one checks that it is
// still current.
class RevocationCache {
 public:
  static constexpr std::size_t capacity = 256;

  static RevocationCache& shared();

  std::optional<Data> find(const std::string& key) const;
  // Replaces an earlier answer under the same key; past the capacity the
  // oldest entry goes.
  void store(const std::string& key, Data answer);

 private:
  mutable std::mutex mutex_;
  std::map<std::string, Data> answers_;
  std::deque<std::string> insertionOrder_;
};

}  // namespace platform::detail
