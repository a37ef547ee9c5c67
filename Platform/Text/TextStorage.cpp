#include "Platform/Text/TextStorage.h"

#include <algorithm>

namespace platform {

std::shared_ptr<TextStorage> TextStorage::make() { return std::shared_ptr<TextStorage>(new TextStorage()); }

void TextStorage::replaceCharacters(TextRange range, std::u16string_view characters) {
  contents_.replaceCharacters(range, characters);
  edited(TextStorageEditActions::characters, range,
         static_cast<std::ptrdiff_t>(characters.size()) - static_cast<std::ptrdiff_t>(range.length));
}

void TextStorage::setAttributes(const std::optional<TextAttributes>& attributes, TextRange range) {
  contents_.setAttributes(attributes.value_or(TextAttributes{}), range);
  edited(TextStorageEditActions::attributes, range, 0);
}

void TextStorage::setAttributes(const AttributedString& source, std::size_t location) {
  contents_.setAttributes(source, location);
  edited(TextStorageEditActions::attributes, {location, source.length()}, 0);
}

void TextStorage::beginEditing() { ++editingDepth_; }

void TextStorage::endEditing() {
  if (editingDepth_ > 0 && --editingDepth_ == 0 && editedMask_ != TextStorageEditActions::none) finishEditing();
}

void TextStorage::edited(TextStorageEditActions actions, TextRange range, std::ptrdiff_t changeInLength) {
  const TextRange after{range.location,
                        static_cast<std::size_t>(static_cast<std::ptrdiff_t>(range.length) + changeInLength)};
  if (editedMask_ == TextStorageEditActions::none) {
    editedRange_ = after;
  } else {
    // The earlier range moves with the text when this edit lies before it,
    // and stretches when the edit lies inside it.
    TextRange earlier = editedRange_;
    const auto shifted = [&](std::size_t position) {
      return static_cast<std::size_t>(std::max<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(position) + changeInLength, 0));
    };
    if (range.end() <= earlier.location) {
      earlier.location = shifted(earlier.location);
    } else if (range.location <= earlier.end()) {
      earlier.length = shifted(earlier.end()) - std::min(earlier.location, shifted(earlier.end()));
    }
    const auto start = std::min(earlier.location, after.location);
    const auto end = std::max(earlier.end(), after.end());
    editedRange_ = {start, end - start};
  }
  editedMask_ = editedMask_ | actions;
  changeInLength_ += changeInLength;
  if (editingDepth_ == 0) finishEditing();
}

void TextStorage::finishEditing() {
  processEditing();
  if (didProcessEditing_) didProcessEditing_(*this);
  editedMask_ = TextStorageEditActions::none;
  editedRange_ = {};
  changeInLength_ = 0;
}

}  // namespace platform
