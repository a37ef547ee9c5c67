#include "Highlighter/CodeAttributedString.h"

#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Fatal.h"

namespace highlighter {

using platform::AttributedString;
using platform::TextRange;
using platform::TextStorageEditActions;

std::shared_ptr<CodeAttributedString> CodeAttributedString::make() {
  auto highlighter = Highlighter::make();
  if (!highlighter) platform::fatal("Highlighter.CodeAttributedString: the highlighter could not be created.");
  return make(std::move(highlighter));
}

std::shared_ptr<CodeAttributedString> CodeAttributedString::make(std::shared_ptr<Highlighter> highlighter) {
  std::shared_ptr<CodeAttributedString> storage(new CodeAttributedString(std::move(highlighter)));
  storage->highlighter_->setThemeChanged([weak = std::weak_ptr(storage)](const std::shared_ptr<Theme>&) {
    if (const auto self = weak.lock()) self->highlightRange({0, self->stringStorage_->length()});
  });
  return storage;
}

CodeAttributedString::CodeAttributedString(std::shared_ptr<Highlighter> highlighter)
    : stringStorage_(platform::TextStorage::make()), highlighter_(std::move(highlighter)) {}

void CodeAttributedString::setLanguage(std::optional<std::string> language) {
  language_ = std::move(language);
  highlightRange({0, stringStorage_->length()});
}

void CodeAttributedString::replaceCharacters(TextRange range, std::u16string_view characters) {
  stringStorage_->replaceCharacters(range, characters);
  edited(TextStorageEditActions::characters, range,
         static_cast<std::ptrdiff_t>(characters.size()) - static_cast<std::ptrdiff_t>(range.length));
}

void CodeAttributedString::setAttributes(const std::optional<platform::TextAttributes>& attributes, TextRange range) {
  stringStorage_->setAttributes(attributes, range);
  edited(TextStorageEditActions::attributes, range, 0);
}

void CodeAttributedString::setAttributes(const AttributedString& source, std::size_t location) {
  stringStorage_->setAttributes(source, location);
  edited(TextStorageEditActions::attributes, {location, source.length()}, 0);
}

void CodeAttributedString::processEditing() {
  TextStorage::processEditing();
  if (language_ && contains(editedMask(), TextStorageEditActions::characters)) {
    highlightRange(attributedString().paragraphRange(editedRange()));
  }
}

void CodeAttributedString::highlightRange(TextRange range) {
  if (!language_) return;
  if (highlightDelegate_ && !highlightDelegate_->shouldHighlight(range)) return;
  // The worker gets the text and the language as they are now, so it never
  // reads what the main thread may be changing.
  std::u16string text = stringStorage_->characters().substr(range.location, range.length);
  auto weak = std::weak_ptr(std::static_pointer_cast<CodeAttributedString>(shared_from_this()));
  platform::DispatchQueue::global()->async(
      [weak, highlighter = highlighter_, language = *language_, text = std::move(text), range]() mutable {
        auto result = highlighter->highlight(std::u16string_view(text), language, true);
        platform::DispatchQueue::main()->async([weak, range, result = std::move(result)] {
          if (const auto self = weak.lock()) self->apply(range, result);
        });
      });
}

void CodeAttributedString::apply(TextRange range, const std::optional<AttributedString>& result) {
  const auto& current = stringStorage_->characters();
  const bool fits = range.end() <= current.size() && result &&
                    std::u16string_view(current).substr(range.location, range.length) == result->characters();
  if (fits) {
    beginEditing();
    stringStorage_->setAttributes(*result, range.location);
    endEditing();
    edited(TextStorageEditActions::attributes, range, 0);
  }
  if (highlightDelegate_) highlightDelegate_->didHighlight(range, fits);
}

}  // namespace highlighter
