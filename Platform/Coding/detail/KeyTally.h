#pragma once

#include <algorithm>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace platform::detail {

// What counting an object learns of one of its keys.
struct KeyCount {
  std::size_t occurrences = 0;
  std::size_t firstMember = 0;
  std::size_t lastMember = 0;
  // The written size of the value of its last occurrence so far.
  std::size_t valueSize = 0;
};

// The keys an object has shown so far, each with its count: searched in
// place while few, as most objects have few keys, hashed beyond that.
class KeyTally {
 public:
  // The count of `key`, new on its first sight. It stays where it is until
  // the next key is looked up.
  KeyCount& operator[](std::string key) {
    if (hashed_.empty() && few_.size() < searchedInPlace) {
      const auto found = std::ranges::find(few_, key, &Entry::first);
      if (found != few_.end()) return found->second;
      auto& entry = few_.emplace_back(std::move(key), KeyCount{});
      return add(entry.first, entry.second);
    }
    if (hashed_.empty()) {
      hashed_.insert(std::make_move_iterator(few_.begin()), std::make_move_iterator(few_.end()));
      few_ = {};
    }
    const auto [entry, added] = hashed_.try_emplace(std::move(key));
    return added ? add(entry->first, entry->second) : entry->second;
  }

  // Calls `each(count)` for every key shown more than once.
  template <class Each>
  void forEachRepeated(Each&& each) const {
    const auto visit = [&](const auto& entry) {
      if (entry.second.occurrences > 1) each(entry.second);
    };
    std::ranges::for_each(few_, visit);
    std::ranges::for_each(hashed_, visit);
  }

  // About the memory the tally holds past a few keys, which grows with the
  // object: the hash table's nodes and buckets and the names too long to be
  // kept inside them. The few searched in place take a fixed amount.
  std::size_t bytes() const {
    constexpr std::size_t perNode = sizeof(Entry) + 4 * sizeof(void*);
    if (hashed_.empty()) return 0;
    return hashed_.size() * perNode + hashed_.bucket_count() * sizeof(void*) + names_;
  }

 private:
  using Entry = std::pair<std::string, KeyCount>;
  static constexpr std::size_t searchedInPlace = 8;

  KeyCount& add(const std::string& name, KeyCount& count) {
    if (name.capacity() > std::string().capacity()) names_ += name.capacity() + 2 * sizeof(void*);
    return count;
  }

  std::vector<Entry> few_;
  std::unordered_map<std::string, KeyCount> hashed_;
  std::size_t names_ = 0;
};

}  // namespace platform::detail
