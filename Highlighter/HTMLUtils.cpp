#include "Highlighter/HTMLUtils.h"

#include "Platform/Text/HTMLEntities.h"
#include "Platform/Text/UTF16.h"

namespace highlighter {

namespace {

int digitValue(char16_t unit) {
  if (unit >= u'0' && unit <= u'9') return unit - u'0';
  if (unit >= u'a' && unit <= u'z') return unit - u'a' + 10;
  if (unit >= u'A' && unit <= u'Z') return unit - u'A' + 10;
  return 99;
}

}  // namespace

std::optional<std::u16string> HTMLUtils::decodeNumeric(std::u16string_view digits, int radix) {
  char32_t value = 0;
  for (const char16_t unit : digits) {
    const int digit = digitValue(unit);
    if (digit >= radix) break;
    value = value * static_cast<char32_t>(radix) + static_cast<char32_t>(digit);
    // Past the last scalar value; stop before the number can wrap around.
    if (value > 0x10FFFF) return std::nullopt;
  }
  if (value >= 0xD800 && value <= 0xDFFF) return std::nullopt;
  std::u16string character;
  platform::appendUTF16(character, value);
  return character;
}

std::optional<std::u16string> HTMLUtils::decode(std::u16string_view entity) {
  if (entity.starts_with(u"&#x") || entity.starts_with(u"&#X")) return decodeNumeric(entity.substr(3), 16);
  if (entity.starts_with(u"&#")) return decodeNumeric(entity.substr(2), 10);
  if (entity.size() < 2 || !entity.starts_with(u'&') || !entity.ends_with(u';')) return std::nullopt;
  const auto scalar = platform::htmlNamedEntity(entity.substr(1, entity.size() - 2));
  if (!scalar) return std::nullopt;
  std::u16string character;
  platform::appendUTF16(character, *scalar);
  return character;
}

}  // namespace highlighter
