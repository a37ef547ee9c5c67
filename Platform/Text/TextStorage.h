#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Platform/Text/AttributedString.h"

namespace platform {

// What an edit of a text storage changed; combined as bits.
enum class TextStorageEditActions : unsigned { none = 0, attributes = 1, characters = 2 };

constexpr TextStorageEditActions operator|(TextStorageEditActions left, TextStorageEditActions right) {
  return static_cast<TextStorageEditActions>(static_cast<unsigned>(left) | static_cast<unsigned>(right));
}
constexpr bool contains(TextStorageEditActions mask, TextStorageEditActions action) {
  return (static_cast<unsigned>(mask) & static_cast<unsigned>(action)) != 0;
}

// Styled text that a text view lays out and edits. Edits are reported with
// edited(); outside an editing group each report is processed at once, inside
// one they are gathered and processed when the outermost group ends. A
// subclass may keep its text elsewhere by overriding the four primitives.
// Used on the main thread only.
class TextStorage : public std::enable_shared_from_this<TextStorage> {
 public:
  static std::shared_ptr<TextStorage> make();

  virtual ~TextStorage() = default;
  TextStorage(const TextStorage&) = delete;
  TextStorage& operator=(const TextStorage&) = delete;

  // Primitives.
  virtual const AttributedString& attributedString() const { return contents_; }
  virtual void replaceCharacters(TextRange range, std::u16string_view characters);
  // Absent attributes clear the range's attributes.
  virtual void setAttributes(const std::optional<TextAttributes>& attributes, TextRange range);
  // Gives the characters from `location` on the runs of `source`, in one
  // pass and one reported edit however many runs it has.
  virtual void setAttributes(const AttributedString& source, std::size_t location);

  const std::u16string& characters() const { return attributedString().characters(); }
  std::string string() const { return attributedString().string(); }
  std::size_t length() const { return characters().size(); }
  const TextAttributes& attributesAt(std::size_t index, TextRange* effectiveRange = nullptr) const {
    return attributedString().attributesAt(index, effectiveRange);
  }

  void beginEditing();
  void endEditing();
  // `range` is the edited range before the edit; `changeInLength` what the
  // edit added to (or, negative, took from) the text's length.
  void edited(TextStorageEditActions actions, TextRange range, std::ptrdiff_t changeInLength);

  // While processing: what the edits being processed changed; `editedRange`
  // is their range in the text after the edits.
  TextStorageEditActions editedMask() const { return editedMask_; }
  TextRange editedRange() const { return editedRange_; }
  std::ptrdiff_t changeInLength() const { return changeInLength_; }

  // Told after every processed edit, for the views that show the text.
  void setDidProcessEditing(std::function<void(TextStorage&)> handler) { didProcessEditing_ = std::move(handler); }

 protected:
  TextStorage() = default;
  // Runs once per processed edit or editing group, before the views hear of it.
  virtual void processEditing() {}

 private:
  void finishEditing();

  AttributedString contents_;
  int editingDepth_ = 0;
  TextStorageEditActions editedMask_ = TextStorageEditActions::none;
  TextRange editedRange_;
  std::ptrdiff_t changeInLength_ = 0;
  std::function<void(TextStorage&)> didProcessEditing_;
};

}  // namespace platform
