#include "Wendanet/Source/Support/UnicodeCase.h"

#include <clocale>
#include <cwctype>

#include <algorithm>
#include <array>
#include <optional>
#include <span>

#include "Platform/Foundation/UnicodeScalars.h"
#include "Platform/Text/CaseIgnorable.h"

namespace wendanet {
namespace {

// The C library's UTF-8 tables give the simple mappings and case classes,
// independent of the process locale. Without them only ASCII is cased.
locale_t unicodeLocale() {
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
  return locale;
}

void appendUTF8(std::string& out, char32_t scalar) {
  if (scalar < 0x80) {
    out.push_back(static_cast<char>(scalar));
  } else if (scalar < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (scalar >> 6)));
    out.push_back(static_cast<char>(0x80 | (scalar & 0x3F)));
  } else if (scalar < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (scalar >> 12)));
    out.push_back(static_cast<char>(0x80 | ((scalar >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (scalar & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (scalar >> 18)));
    out.push_back(static_cast<char>(0x80 | ((scalar >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((scalar >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (scalar & 0x3F)));
  }
}

struct ScalarRange {
  char32_t first;
  char32_t last;
};

bool inRanges(char32_t scalar, std::span<const ScalarRange> ranges) {
  return std::any_of(ranges.begin(), ranges.end(),
                     [&](const ScalarRange& range) { return scalar >= range.first && scalar <= range.last; });
}

// The C library's upper class adds these to Lu and Lt: Roman numerals and
// circled or squared capital letters.
constexpr std::array<ScalarRange, 5> upperClassExtras{{
    {0x2160, 0x216F}, {0x24B6, 0x24CF}, {0x1F130, 0x1F149}, {0x1F150, 0x1F169}, {0x1F170, 0x1F189},
}};

// Its lower class adds these to Ll: titlecase digraphs, modifier letters,
// ordinal indicators, the iota subscript, small Roman numerals and circled
// small letters.
constexpr std::array<ScalarRange, 28> lowerClassExtras{{
    {0x00AA, 0x00AA},   {0x00BA, 0x00BA},   {0x01C5, 0x01C5},   {0x01C8, 0x01C8},   {0x01CB, 0x01CB},
    {0x01F2, 0x01F2},   {0x02B0, 0x02B8},   {0x02C0, 0x02C1},   {0x02E0, 0x02E4},   {0x0345, 0x0345},
    {0x037A, 0x037A},   {0x1D2C, 0x1D6A},   {0x1D78, 0x1D78},   {0x1D9B, 0x1DBF},   {0x2071, 0x2071},
    {0x207F, 0x207F},   {0x2090, 0x209C},   {0x2170, 0x217F},   {0x24D0, 0x24E9},   {0x2C7C, 0x2C7D},
    {0xA69C, 0xA69D},   {0xA770, 0xA770},   {0xA7F8, 0xA7F9},   {0xAB5C, 0xAB5F},   {0x10780, 0x10780},
    {0x10783, 0x10785}, {0x10787, 0x107B0}, {0x107B2, 0x107BA},
}};

// Mappings to more than one character, which the simple tables lack.
struct FullMapping {
  char32_t scalar;
  std::array<char32_t, 3> mapping;  // unused places are 0
};

constexpr std::array<FullMapping, 1> fullLowercase{{{0x0130, {0x0069, 0x0307}}}};

constexpr std::array<FullMapping, 102> fullUppercase{{
    {0x00DF, {0x0053, 0x0053}}, {0x0149, {0x02BC, 0x004E}}, {0x01F0, {0x004A, 0x030C}},
    {0x0390, {0x0399, 0x0308, 0x0301}}, {0x03B0, {0x03A5, 0x0308, 0x0301}}, {0x0587, {0x0535, 0x0552}},
    {0x1E96, {0x0048, 0x0331}}, {0x1E97, {0x0054, 0x0308}}, {0x1E98, {0x0057, 0x030A}}, {0x1E99, {0x0059, 0x030A}},
    {0x1E9A, {0x0041, 0x02BE}}, {0x1F50, {0x03A5, 0x0313}}, {0x1F52, {0x03A5, 0x0313, 0x0300}},
    {0x1F54, {0x03A5, 0x0313, 0x0301}}, {0x1F56, {0x03A5, 0x0313, 0x0342}}, {0x1F80, {0x1F08, 0x0399}},
    {0x1F81, {0x1F09, 0x0399}}, {0x1F82, {0x1F0A, 0x0399}}, {0x1F83, {0x1F0B, 0x0399}}, {0x1F84, {0x1F0C, 0x0399}},
    {0x1F85, {0x1F0D, 0x0399}}, {0x1F86, {0x1F0E, 0x0399}}, {0x1F87, {0x1F0F, 0x0399}}, {0x1F88, {0x1F08, 0x0399}},
    {0x1F89, {0x1F09, 0x0399}}, {0x1F8A, {0x1F0A, 0x0399}}, {0x1F8B, {0x1F0B, 0x0399}}, {0x1F8C, {0x1F0C, 0x0399}},
    {0x1F8D, {0x1F0D, 0x0399}}, {0x1F8E, {0x1F0E, 0x0399}}, {0x1F8F, {0x1F0F, 0x0399}}, {0x1F90, {0x1F28, 0x0399}},
    {0x1F91, {0x1F29, 0x0399}}, {0x1F92, {0x1F2A, 0x0399}}, {0x1F93, {0x1F2B, 0x0399}}, {0x1F94, {0x1F2C, 0x0399}},
    {0x1F95, {0x1F2D, 0x0399}}, {0x1F96, {0x1F2E, 0x0399}}, {0x1F97, {0x1F2F, 0x0399}}, {0x1F98, {0x1F28, 0x0399}},
    {0x1F99, {0x1F29, 0x0399}}, {0x1F9A, {0x1F2A, 0x0399}}, {0x1F9B, {0x1F2B, 0x0399}}, {0x1F9C, {0x1F2C, 0x0399}},
    {0x1F9D, {0x1F2D, 0x0399}}, {0x1F9E, {0x1F2E, 0x0399}}, {0x1F9F, {0x1F2F, 0x0399}}, {0x1FA0, {0x1F68, 0x0399}},
    {0x1FA1, {0x1F69, 0x0399}}, {0x1FA2, {0x1F6A, 0x0399}}, {0x1FA3, {0x1F6B, 0x0399}}, {0x1FA4, {0x1F6C, 0x0399}},
    {0x1FA5, {0x1F6D, 0x0399}}, {0x1FA6, {0x1F6E, 0x0399}}, {0x1FA7, {0x1F6F, 0x0399}}, {0x1FA8, {0x1F68, 0x0399}},
    {0x1FA9, {0x1F69, 0x0399}}, {0x1FAA, {0x1F6A, 0x0399}}, {0x1FAB, {0x1F6B, 0x0399}}, {0x1FAC, {0x1F6C, 0x0399}},
    {0x1FAD, {0x1F6D, 0x0399}}, {0x1FAE, {0x1F6E, 0x0399}}, {0x1FAF, {0x1F6F, 0x0399}}, {0x1FB2, {0x1FBA, 0x0399}},
    {0x1FB3, {0x0391, 0x0399}}, {0x1FB4, {0x0386, 0x0399}}, {0x1FB6, {0x0391, 0x0342}},
    {0x1FB7, {0x0391, 0x0342, 0x0399}}, {0x1FBC, {0x0391, 0x0399}}, {0x1FC2, {0x1FCA, 0x0399}},
    {0x1FC3, {0x0397, 0x0399}}, {0x1FC4, {0x0389, 0x0399}}, {0x1FC6, {0x0397, 0x0342}},
    {0x1FC7, {0x0397, 0x0342, 0x0399}}, {0x1FCC, {0x0397, 0x0399}}, {0x1FD2, {0x0399, 0x0308, 0x0300}},
    {0x1FD3, {0x0399, 0x0308, 0x0301}}, {0x1FD6, {0x0399, 0x0342}}, {0x1FD7, {0x0399, 0x0308, 0x0342}},
    {0x1FE2, {0x03A5, 0x0308, 0x0300}}, {0x1FE3, {0x03A5, 0x0308, 0x0301}}, {0x1FE4, {0x03A1, 0x0313}},
    {0x1FE6, {0x03A5, 0x0342}}, {0x1FE7, {0x03A5, 0x0308, 0x0342}}, {0x1FF2, {0x1FFA, 0x0399}},
    {0x1FF3, {0x03A9, 0x0399}}, {0x1FF4, {0x038F, 0x0399}}, {0x1FF6, {0x03A9, 0x0342}},
    {0x1FF7, {0x03A9, 0x0342, 0x0399}}, {0x1FFC, {0x03A9, 0x0399}}, {0xFB00, {0x0046, 0x0046}},
    {0xFB01, {0x0046, 0x0049}}, {0xFB02, {0x0046, 0x004C}}, {0xFB03, {0x0046, 0x0046, 0x0049}},
    {0xFB04, {0x0046, 0x0046, 0x004C}}, {0xFB05, {0x0053, 0x0054}}, {0xFB06, {0x0053, 0x0054}},
    {0xFB13, {0x0544, 0x0546}}, {0xFB14, {0x0544, 0x0535}}, {0xFB15, {0x0544, 0x053B}}, {0xFB16, {0x054E, 0x0546}},
    {0xFB17, {0x0544, 0x053D}},
}};

const FullMapping* findFullMapping(char32_t scalar, std::span<const FullMapping> table) {
  const auto found = std::lower_bound(table.begin(), table.end(), scalar,
                                      [](const FullMapping& entry, char32_t wanted) { return entry.scalar < wanted; });
  return found != table.end() && found->scalar == scalar ? &*found : nullptr;
}

// One case direction: the C library's simple mapping, the ASCII letters
// that stand in for it when its tables are missing, and the full mappings.
struct CaseMapping {
  wint_t (*simple)(wint_t, locale_t);
  char32_t asciiFrom;
  char32_t asciiTo;
  std::span<const FullMapping> full;
  bool contextualSigma = false;

  char32_t simpleMapping(char32_t scalar) const {
    if (const locale_t locale = unicodeLocale(); locale != locale_t{}) {
      return static_cast<char32_t>(simple(static_cast<wint_t>(scalar), locale));
    }
    return scalar >= asciiFrom && scalar < asciiFrom + 26 ? scalar - asciiFrom + asciiTo : scalar;
  }
};

bool inClass(char32_t scalar, int (*test)(wint_t, locale_t)) {
  const locale_t locale = unicodeLocale();
  return locale != locale_t{} && test(static_cast<wint_t>(scalar), locale) != 0;
}

// The C library's classes hold what has letter case: Lu, Ll, Lt and the
// letters and numerals that are upper- or lower-case without a category
// that says so.
bool isCased(char32_t scalar) { return inClass(scalar, iswupper_l) || inClass(scalar, iswlower_l); }

std::optional<char32_t> previousUnicodeScalar(std::string_view text, std::size_t& position) {
  std::size_t start = position - 1;
  while (start > 0 && position - start < 4 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
  std::size_t end = start;
  const auto scalar = platform::nextUnicodeScalar(text, end);
  if (!scalar || end != position) {
    --position;
    return std::nullopt;
  }
  position = start;
  return scalar;
}

// Whether a cased letter comes first on one side of a position, looking
// through case-ignorable characters; any other character, or a byte that
// is not UTF-8, ends the look.
bool casedLetterFirst(std::string_view text, std::size_t position, bool backwards) {
  while (backwards ? position > 0 : position < text.size()) {
    const auto scalar =
        backwards ? previousUnicodeScalar(text, position) : platform::nextUnicodeScalar(text, position);
    if (!scalar) return false;
    if (isCased(*scalar)) return true;
    if (!platform::isCaseIgnorable(*scalar)) return false;
  }
  return false;
}

constexpr char32_t capitalSigma = 0x03A3;
constexpr char32_t finalSigma = 0x03C2;

// Capital sigma lower-cases to the final form where it ends a word: after a
// cased letter and before none.
bool endsAWord(std::string_view text, std::size_t start, std::size_t end) {
  return casedLetterFirst(text, start, true) && !casedLetterFirst(text, end, false);
}

std::string mapped(std::string_view text, const CaseMapping& mapping) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t position = 0; position < text.size();) {
    const std::size_t start = position;
    const auto scalar = platform::nextUnicodeScalar(text, position);
    if (!scalar) {
      out.append(text.substr(start, position - start));
    } else if (mapping.contextualSigma && *scalar == capitalSigma && endsAWord(text, start, position)) {
      appendUTF8(out, finalSigma);
    } else if (const FullMapping* full = findFullMapping(*scalar, mapping.full)) {
      for (const char32_t part : full->mapping) {
        if (part != 0) appendUTF8(out, part);
      }
    } else {
      appendUTF8(out, mapping.simpleMapping(*scalar));
    }
  }
  return out;
}


}  // namespace

bool isUppercaseLetter(char32_t scalar) {
  if (scalar < 0x80) return scalar >= 'A' && scalar <= 'Z';
  return inClass(scalar, iswupper_l) && !inRanges(scalar, upperClassExtras);
}

bool isLowercaseLetter(char32_t scalar) {
  if (scalar < 0x80) return scalar >= 'a' && scalar <= 'z';
  return inClass(scalar, iswlower_l) && !inRanges(scalar, lowerClassExtras);
}

std::string lowercased(std::string_view text) { return mapped(text, {towlower_l, 'A', 'a', fullLowercase, true}); }

std::string uppercased(std::string_view text) { return mapped(text, {towupper_l, 'a', 'A', fullUppercase}); }

}  // namespace wendanet
