#pragma once

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace platform::detail {

// Keys that are the same key only when their bytes are.
struct ExactKeys {
  static bool equal(std::string_view left, std::string_view right) { return left == right; }
  // The text equal keys share, which the hash index is keyed by.
  static std::string_view indexKey(std::string_view key) { return key; }
};

// Text keys to values, iterated in first-insertion order. Small objects,
// most of any document, are searched in place; past a few keys lookups go
// by hash, so that large objects stay cheap to fill and to read. `Keys`
// says which keys are the same key; each entry keeps the text it was first
// set with.
template <class Value, class Keys = ExactKeys>
class OrderedDictionary {
 public:
  using Entry = std::pair<std::string, Value>;
  using const_iterator = typename std::vector<Entry>::const_iterator;
  using iterator = typename std::vector<Entry>::iterator;

  OrderedDictionary() = default;
  OrderedDictionary(std::initializer_list<Entry> entries) {
    for (const auto& entry : entries) set(entry.first, entry.second);
  }

  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  const_iterator begin() const { return entries_.begin(); }
  const_iterator end() const { return entries_.end(); }
  iterator begin() { return entries_.begin(); }
  iterator end() { return entries_.end(); }

  const Value* find(std::string_view key) const {
    if (index_.empty()) {
      for (const auto& entry : entries_) {
        if (Keys::equal(entry.first, key)) return &entry.second;
      }
      return nullptr;
    }
    const auto found = index_.find(Keys::indexKey(key));
    return found == index_.end() ? nullptr : &entries_[found->second].second;
  }
  Value* find(std::string_view key) {
    return const_cast<Value*>(static_cast<const OrderedDictionary&>(*this).find(key));
  }
  bool contains(std::string_view key) const { return find(key) != nullptr; }

  // A key already present keeps its position and takes the new value.
  Value& set(std::string key, Value value) {
    if (Value* existing = find(key)) return *existing = std::move(value);
    if (entries_.size() >= searchedInPlace) {
      if (index_.empty()) {
        for (std::size_t position = 0; position < entries_.size(); ++position) {
          index_.emplace(Keys::indexKey(entries_[position].first), position);
        }
      }
      index_.emplace(Keys::indexKey(key), entries_.size());
    }
    return entries_.emplace_back(std::move(key), std::move(value)).second;
  }

  // Entries compare in order.
  friend bool operator==(const OrderedDictionary& left, const OrderedDictionary& right) {
    return left.entries_ == right.entries_;
  }

 private:
  static constexpr std::size_t searchedInPlace = 8;

  struct KeyHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view key) const { return std::hash<std::string_view>{}(key); }
  };

  std::vector<Entry> entries_;
  std::unordered_map<std::string, std::size_t, KeyHash, std::equal_to<>> index_;
};

}  // namespace platform::detail
