#pragma once

#include <algorithm>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "Platform/Coding/detail/ReformatPlan.h"

namespace platform::detail {

// The keys an object has shown so far, each with its tally: searched in
// place while few, as most objects have few keys, hashed beyond that.
class KeyTally {
 public:
  // The tally of `key`, new on its first sight. It stays where it is until
  // the next key is looked up.
  RepeatedKey& operator[](std::string key) {
    if (hashed_.empty() && few_.size() < searchedInPlace) {
      const auto found = std::ranges::find(few_, key, &Entry::first);
      if (found != few_.end()) return found->second;
      return few_.emplace_back(std::move(key), RepeatedKey{}).second;
    }
    if (hashed_.empty()) {
      hashed_.insert(std::make_move_iterator(few_.begin()), std::make_move_iterator(few_.end()));
      few_.clear();
    }
    return hashed_[std::move(key)];
  }

  // Calls `each(key, tally)` for every key shown more than once.
  template <class Each>
  void forEachRepeated(Each&& each) {
    const auto visit = [&](auto& entry) {
      if (entry.second.occurrences > 1) each(entry.first, entry.second);
    };
    std::ranges::for_each(few_, visit);
    std::ranges::for_each(hashed_, visit);
  }

 private:
  using Entry = std::pair<std::string, RepeatedKey>;
  static constexpr std::size_t searchedInPlace = 8;
  std::vector<Entry> few_;
  std::unordered_map<std::string, RepeatedKey> hashed_;
};

}  // namespace platform::detail
