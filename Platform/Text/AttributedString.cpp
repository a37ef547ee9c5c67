#include "Platform/Text/AttributedString.h"

#include <fmt/format.h>

#include <algorithm>
#include <iterator>

#include "Platform/Fatal.h"
#include "Platform/Text/UTF16.h"

namespace platform {

namespace {

bool isParagraphSeparator(char16_t unit) {
  return unit == u'\n' || unit == u'\r' || unit == 0x0085 || unit == 0x2029;
}

// The run holding `position`, which must lie inside the text.
std::vector<AttributedString::Run>::const_iterator runHolding(const std::vector<AttributedString::Run>& runs,
                                                              std::size_t position) {
  return std::prev(std::upper_bound(runs.begin(), runs.end(), position,
                                    [](std::size_t value, const auto& run) { return value < run.range.location; }));
}

}  // namespace

AttributedString::AttributedString(std::string_view utf8, TextAttributes attributes)
    : AttributedString(utf16FromUTF8(utf8), std::move(attributes)) {}

AttributedString::AttributedString(std::u16string characters, TextAttributes attributes)
    : characters_(std::move(characters)) {
  if (!characters_.empty()) {
    runs_.push_back({{0, characters_.size()}, std::make_shared<const TextAttributes>(std::move(attributes))});
  }
}

std::string AttributedString::string() const { return utf8FromUTF16(characters_); }

void AttributedString::checkRange(TextRange range) const {
  if (range.location > length() || range.length > length() - range.location) {
    fatal(fmt::format("AttributedString: range {{{}, {}}} lies outside the text of length {}.", range.location,
                      range.length, length()));
  }
}

const TextAttributes& AttributedString::attributesAt(std::size_t index, TextRange* effectiveRange) const {
  if (index >= length()) {
    fatal(fmt::format("AttributedString: index {} lies outside the text of length {}.", index, length()));
  }
  const auto run = runHolding(runs_, index);
  if (effectiveRange) *effectiveRange = run->range;
  return run->attributes();
}

AttributedString AttributedString::attributedSubstring(TextRange range) const {
  checkRange(range);
  AttributedString result;
  if (range.length == 0) return result;
  for (auto run = runHolding(runs_, range.location); run != runs_.end() && run->range.location < range.end(); ++run) {
    const auto start = std::max(run->range.location, range.location);
    const auto end = std::min(run->range.end(), range.end());
    result.append(std::u16string_view(characters_).substr(start, end - start), run->style);
  }
  return result;
}

void AttributedString::append(const AttributedString& other) {
  for (const auto& run : other.runs_) {
    append(std::u16string_view(other.characters_).substr(run.range.location, run.range.length), run.style);
  }
}

void AttributedString::append(std::u16string_view characters, const TextAttributes& attributes) {
  if (characters.empty()) return;
  if (!runs_.empty() && runs_.back().attributes() == attributes) {
    append(characters, runs_.back().style);
  } else {
    append(characters, std::make_shared<const TextAttributes>(attributes));
  }
}

void AttributedString::append(std::u16string_view characters, const std::shared_ptr<const TextAttributes>& attributes) {
  if (characters.empty()) return;
  if (!runs_.empty() && runs_.back().hasAttributes(attributes)) {
    runs_.back().range.length += characters.size();
  } else {
    runs_.push_back({{length(), characters.size()}, attributes});
  }
  characters_ += characters;
}

std::size_t AttributedString::splitAt(std::size_t position) {
  if (position >= length()) return runs_.size();
  const auto index = static_cast<std::size_t>(runHolding(runs_, position) - runs_.begin());
  Run& run = runs_[index];
  if (run.range.location == position) return index;
  Run tail{{position, run.range.end() - position}, run.style};
  run.range.length = position - run.range.location;
  runs_.insert(runs_.begin() + static_cast<std::ptrdiff_t>(index) + 1, std::move(tail));
  return index + 1;
}

void AttributedString::replaceRuns(TextRange range, std::vector<Run> replacement) {
  const auto first = splitAt(range.location);
  const auto last = splitAt(range.end());
  const auto count = replacement.size();
  const auto at = runs_.erase(runs_.begin() + static_cast<std::ptrdiff_t>(first),
                              runs_.begin() + static_cast<std::ptrdiff_t>(last));
  runs_.insert(at, std::make_move_iterator(replacement.begin()), std::make_move_iterator(replacement.end()));
  coalesce(first, first + count);
}

void AttributedString::coalesce(std::size_t first, std::size_t last) {
  std::size_t index = first > 0 ? first - 1 : 0;
  std::size_t end = std::min(last + 1, runs_.size());
  while (index + 1 < end) {
    if (runs_[index].hasAttributes(runs_[index + 1].style)) {
      runs_[index].range.length += runs_[index + 1].range.length;
      runs_.erase(runs_.begin() + static_cast<std::ptrdiff_t>(index) + 1);
      --end;
    } else {
      ++index;
    }
  }
}

void AttributedString::replaceCharacters(TextRange range, std::u16string_view characters) {
  checkRange(range);
  std::shared_ptr<const TextAttributes> attributes;
  if (length() > 0) {
    const auto at = range.length > 0 ? range.location : range.location > 0 ? range.location - 1 : 0;
    attributes = runHolding(runs_, at)->style;
  } else {
    attributes = std::make_shared<const TextAttributes>();
  }
  const auto first = splitAt(range.location);
  const auto last = splitAt(range.end());
  auto at = runs_.erase(runs_.begin() + static_cast<std::ptrdiff_t>(first),
                        runs_.begin() + static_cast<std::ptrdiff_t>(last));
  for (auto run = at; run != runs_.end(); ++run) run->range.location = run->range.location - range.length + characters.size();
  if (!characters.empty()) runs_.insert(at, Run{{range.location, characters.size()}, std::move(attributes)});
  characters_.replace(range.location, range.length, characters);
  coalesce(first, first + 1);
}

void AttributedString::setAttributes(const TextAttributes& attributes, TextRange range) {
  checkRange(range);
  if (range.length == 0) return;
  replaceRuns(range, {Run{range, std::make_shared<const TextAttributes>(attributes)}});
}

void AttributedString::setAttributes(const AttributedString& source, std::size_t location) {
  const TextRange range{location, source.length()};
  checkRange(range);
  std::vector<Run> replacement = source.runs_;
  for (auto& run : replacement) run.range.location += location;
  replaceRuns(range, std::move(replacement));
}

TextRange AttributedString::paragraphRange(TextRange range) const {
  checkRange(range);
  std::size_t start = range.location;
  // The line feed of a CR LF pair ends the paragraph the carriage return ends.
  if (start > 0 && start < length() && characters_[start] == u'\n' && characters_[start - 1] == u'\r') --start;
  while (start > 0 && !isParagraphSeparator(characters_[start - 1])) --start;
  std::size_t end = range.length > 0 ? range.end() - 1 : range.location;
  while (end < length() && !isParagraphSeparator(characters_[end])) ++end;
  if (end < length()) {
    ++end;
    if (characters_[end - 1] == u'\r' && end < length() && characters_[end] == u'\n') ++end;
  }
  return {start, end - start};
}

}  // namespace platform
