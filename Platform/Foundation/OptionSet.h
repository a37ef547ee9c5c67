#pragma once

#include <initializer_list>

namespace platform {

// A set of flags over one raw word, for option types whose raw values are
// handed to something else unchanged. `Options` derives from it and names
// its members; every operation gives back an `Options`.
template <class Options, class Raw>
class OptionSet {
 public:
  using RawValue = Raw;

  constexpr OptionSet() = default;
  constexpr explicit OptionSet(Raw rawValue) : rawValue_(rawValue) {}
  // The set holding every member listed.
  constexpr OptionSet(std::initializer_list<Options> members) {
    for (const auto& member : members) rawValue_ |= member.rawValue();
  }

  constexpr Raw rawValue() const { return rawValue_; }
  constexpr bool isEmpty() const { return rawValue_ == 0; }
  constexpr bool contains(Options members) const { return (rawValue_ & members.rawValue()) == members.rawValue(); }

  constexpr Options unionWith(Options other) const { return Options(rawValue_ | other.rawValue()); }
  constexpr Options intersection(Options other) const { return Options(rawValue_ & other.rawValue()); }
  constexpr Options subtracting(Options other) const { return Options(rawValue_ & ~other.rawValue()); }
  constexpr Options symmetricDifference(Options other) const { return Options(rawValue_ ^ other.rawValue()); }
  constexpr void insert(Options members) { rawValue_ |= members.rawValue(); }
  constexpr void remove(Options members) { rawValue_ &= ~members.rawValue(); }

  friend constexpr Options operator|(Options left, Options right) { return left.unionWith(right); }
  friend constexpr Options operator&(Options left, Options right) { return left.intersection(right); }
  friend constexpr bool operator==(const OptionSet&, const OptionSet&) = default;

 private:
  Raw rawValue_ = 0;
};

}  // namespace platform
