#include "Platform/Text/CaseIgnorable.h"

#include <utf8proc.h>

#include <algorithm>
#include <array>

namespace platform {
namespace {

// The characters that break no word between letters: apostrophes, full
// stops, colons and middle dots in their several forms.
constexpr std::array<char32_t, 17> insideWordPunctuation{
    0x0027, 0x002E, 0x003A, 0x00B7, 0x0387, 0x055F, 0x05F4, 0x2018, 0x2019,
    0x2024, 0x2027, 0xFE13, 0xFE52, 0xFE55, 0xFF07, 0xFF0E, 0xFF1A,
};

}  // namespace

bool isCaseIgnorable(char32_t scalar) {
  if (std::ranges::binary_search(insideWordPunctuation, scalar)) return true;
  switch (utf8proc_category(static_cast<utf8proc_int32_t>(scalar))) {
    case UTF8PROC_CATEGORY_MN:
    case UTF8PROC_CATEGORY_ME:
    case UTF8PROC_CATEGORY_CF:
    case UTF8PROC_CATEGORY_LM:
    case UTF8PROC_CATEGORY_SK:
      return true;
    default:
      return false;
  }
}

}  // namespace platform
