#pragma once

#include <initializer_list>
#include <memory>
#include <unordered_set>
#include <utility>

namespace wendanet {

// An immutable set that every copy shares, so handing one from a default
// argument to a serializer on each request costs a pointer copy rather than
// a fresh set. A plain set given in its place is copied once, on the way in.
template <class T>
class SharedSet {
 public:
  using Set = std::unordered_set<T>;

  SharedSet(Set values) : set_(std::make_shared<const Set>(std::move(values))) {}
  SharedSet(std::initializer_list<T> values) : SharedSet(Set(values)) {}

  // Refers to `set`, which outlives every copy, without counting references:
  // copies of a static default then touch no shared counter at all.
  static SharedSet referringTo(const Set& set) { return SharedSet(std::shared_ptr<const Set>(nullptr), &set); }

  const Set& values() const { return *set_; }
  bool contains(const T& value) const { return set_->contains(value); }

 private:
  SharedSet(const std::shared_ptr<const Set>& owner, const Set* set) : set_(owner, set) {}

  std::shared_ptr<const Set> set_;
};

}  // namespace wendanet
