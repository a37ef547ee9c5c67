#include "Platform/Foundation/CharacterSet.h"

#include <wctype.h>

#include <algorithm>
#include <clocale>

#include "Platform/Foundation/UnicodeScalars.h"

namespace platform {

namespace {

constexpr std::string_view asciiLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr std::string_view asciiDigits = "0123456789";
constexpr std::string_view unreservedMarks = "-._~";
constexpr std::string_view subDelimiters = "!$&'()*+,;=";

CharacterSet unreserved() {
  auto set = CharacterSet::characters(asciiLetters);
  set.insert(asciiDigits);
  set.insert(unreservedMarks);
  return set;
}

CharacterSet pathCharacters() { return unreserved().inserting(subDelimiters).inserting(":@/"); }

// Classification of scalars past ASCII follows the C library's Unicode
// tables, independent of the process locale.
bool isUnicodeAlphanumeric(char32_t scalar) {
  static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
  return unicode != locale_t{} && iswalnum_l(static_cast<wint_t>(scalar), unicode) != 0;
}

bool sortedContains(const std::vector<char32_t>& scalars, char32_t scalar) {
  return std::binary_search(scalars.begin(), scalars.end(), scalar);
}

void sortedInsert(std::vector<char32_t>& scalars, char32_t scalar) {
  const auto place = std::lower_bound(scalars.begin(), scalars.end(), scalar);
  if (place == scalars.end() || *place != scalar) scalars.insert(place, scalar);
}

void sortedErase(std::vector<char32_t>& scalars, char32_t scalar) {
  const auto place = std::lower_bound(scalars.begin(), scalars.end(), scalar);
  if (place != scalars.end() && *place == scalar) scalars.erase(place);
}

}  // namespace

CharacterSet CharacterSet::characters(std::string_view characters) {
  CharacterSet set;
  set.insert(characters);
  return set;
}

const CharacterSet& CharacterSet::urlQueryAllowed() {
  static const CharacterSet set = pathCharacters().inserting("?");
  return set;
}

const CharacterSet& CharacterSet::urlFragmentAllowed() { return urlQueryAllowed(); }

const CharacterSet& CharacterSet::urlPathAllowed() {
  static const CharacterSet set = pathCharacters();
  return set;
}

const CharacterSet& CharacterSet::urlHostAllowed() {
  static const CharacterSet set = unreserved().inserting(subDelimiters).inserting(":[]");
  return set;
}

const CharacterSet& CharacterSet::alphanumerics() {
  static const CharacterSet set = [] {
    auto alphanumerics = characters(asciiLetters).inserting(asciiDigits);
    alphanumerics.unicodeAlphanumerics_ = true;
    return alphanumerics;
  }();
  return set;
}

bool CharacterSet::contains(char32_t scalar) const {
  if (scalar < 128) return ascii_[scalar];
  if (sortedContains(removed_, scalar)) return false;
  return sortedContains(added_, scalar) || (unicodeAlphanumerics_ && isUnicodeAlphanumeric(scalar));
}

void CharacterSet::set(char32_t scalar, bool member) {
  if (scalar < 128) {
    ascii_[scalar] = member;
  } else if (member) {
    sortedInsert(added_, scalar);
    sortedErase(removed_, scalar);
  } else {
    sortedErase(added_, scalar);
    if (unicodeAlphanumerics_) sortedInsert(removed_, scalar);
  }
}

void CharacterSet::update(std::string_view characters, bool member) {
  for (std::size_t position = 0; position < characters.size();) {
    if (const auto scalar = nextUnicodeScalar(characters, position)) set(*scalar, member);
  }
}

CharacterSet CharacterSet::inserting(std::string_view characters) const {
  auto copy = *this;
  copy.insert(characters);
  return copy;
}

CharacterSet CharacterSet::removing(std::string_view characters) const {
  auto copy = *this;
  copy.remove(characters);
  return copy;
}

}  // namespace platform
