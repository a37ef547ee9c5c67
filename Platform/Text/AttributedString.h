#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Text/TextAttributes.h"

namespace platform {

// Text with attributes over ranges of its characters. Positions are UTF-16
// code units. Every character lies in exactly one run; runs are in text
// order and never empty. A range outside the text is a programming error
// and stops the process. Runs share their attributes, which never change
// once made: a highlighted body has a run per token but only a few styles.
class AttributedString {
 public:
  struct Run {
    TextRange range;
    std::shared_ptr<const TextAttributes> style;

    const TextAttributes& attributes() const { return *style; }
    bool hasAttributes(const std::shared_ptr<const TextAttributes>& other) const {
      return style == other || *style == *other;
    }
    friend bool operator==(const Run& left, const Run& right) {
      return left.range == right.range && left.hasAttributes(right.style);
    }
  };

  AttributedString() = default;
  explicit AttributedString(std::string_view utf8, TextAttributes attributes = {});
  explicit AttributedString(std::u16string characters, TextAttributes attributes = {});

  const std::u16string& characters() const { return characters_; }
  std::string string() const;
  std::size_t length() const { return characters_.size(); }
  const std::vector<Run>& runs() const { return runs_; }

  // The attributes of the character at `index` and, when asked, the run
  // that holds it.
  const TextAttributes& attributesAt(std::size_t index, TextRange* effectiveRange = nullptr) const;
  AttributedString attributedSubstring(TextRange range) const;

  void append(const AttributedString& other);
  void append(std::u16string_view characters, const TextAttributes& attributes);
  // Shares `attributes` with the run that takes the characters.
  void append(std::u16string_view characters, const std::shared_ptr<const TextAttributes>& attributes);
  // Inserted characters take the attributes of the first replaced character,
  // or of the one before them when nothing is replaced (of the first
  // character when inserting at the start).
  void replaceCharacters(TextRange range, std::u16string_view characters);
  void setAttributes(const TextAttributes& attributes, TextRange range);
  // Gives the characters from `location` on the runs of `source`, in one
  // pass however many runs it has.
  void setAttributes(const AttributedString& source, std::size_t location);

  // From the start of the paragraph holding the range's first character to
  // the end of the paragraph holding its last, the terminator included.
  TextRange paragraphRange(TextRange range) const;

  friend bool operator==(const AttributedString&, const AttributedString&) = default;

 private:
  void checkRange(TextRange range) const;
  // The index of the run that starts at `position`, splitting a run there
  // when needed; runs_.size() at the end of the text.
  std::size_t splitAt(std::size_t position);
  // Replaces the runs over `range` by `replacement` (already positioned).
  void replaceRuns(TextRange range, std::vector<Run> replacement);
  // Joins runs of equal attributes from the one before `first` to the one
  // after `last`.
  void coalesce(std::size_t first, std::size_t last);

  std::u16string characters_;
  std::vector<Run> runs_;
};

}  // namespace platform
