#pragma once

#include <bitset>
#include <string_view>
#include <vector>

namespace platform {

// A set of Unicode scalars, used to say which characters percent-encoding
// leaves alone. Sets are values: the shared URL sets are never changed, a
// changed copy is made instead.
class CharacterSet {
 public:
  CharacterSet() = default;

  // The scalars of `characters` (UTF-8); bytes that are not UTF-8 add nothing.
  static CharacterSet characters(std::string_view characters);

  // What may stand unescaped in each part of a URL (RFC 3986).
  static const CharacterSet& urlQueryAllowed();
  static const CharacterSet& urlFragmentAllowed();
  static const CharacterSet& urlPathAllowed();
  static const CharacterSet& urlHostAllowed();
  // Letters and digits of every script.
  static const CharacterSet& alphanumerics();

  bool contains(char32_t scalar) const;

  void insert(std::string_view characters) { update(characters, true); }
  void remove(std::string_view characters) { update(characters, false); }
  CharacterSet inserting(std::string_view characters) const;
  CharacterSet removing(std::string_view characters) const;

 private:
  void update(std::string_view characters, bool member);
  void set(char32_t scalar, bool member);

  std::bitset<128> ascii_;
  // Scalars past ASCII named one by one; kept sorted and disjoint.
  std::vector<char32_t> added_;
  std::vector<char32_t> removed_;
  bool unicodeAlphanumerics_ = false;
};

}  // namespace platform
