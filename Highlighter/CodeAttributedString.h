#pragma once

#include <memory>
#include <optional>
#include <string>

#include "Highlighter/HighlightDelegate.h"
#include "Highlighter/Highlighter.h"
#include "Platform/Text/TextStorage.h"

namespace highlighter {

// A text storage that colours source code while it is edited: each change
// of characters re-highlights the paragraphs it touched on a background
// queue, and the result is applied on the main queue only if the text it
// was made from is still there. Used on the main thread.
class CodeAttributedString : public platform::TextStorage {
 public:
  // With a highlighter of its own; stops the process when none can be made.
  static std::shared_ptr<CodeAttributedString> make();
  static std::shared_ptr<CodeAttributedString> make(std::shared_ptr<Highlighter> highlighter);

  const std::shared_ptr<Highlighter>& highlighter() const { return highlighter_; }
  const std::shared_ptr<HighlightDelegate>& highlightDelegate() const { return highlightDelegate_; }
  void setHighlightDelegate(std::shared_ptr<HighlightDelegate> delegate) { highlightDelegate_ = std::move(delegate); }

  // The highlight script's name for the language of the text; nothing is
  // highlighted without one. Setting it, even to nothing, re-highlights the
  // whole text.
  const std::optional<std::string>& language() const { return language_; }
  void setLanguage(std::optional<std::string> language);

  // Schedules one highlighting pass over `range`.
  void highlightRange(platform::TextRange range);

  const platform::AttributedString& attributedString() const override { return stringStorage_->attributedString(); }
  void replaceCharacters(platform::TextRange range, std::u16string_view characters) override;
  void setAttributes(const std::optional<platform::TextAttributes>& attributes, platform::TextRange range) override;
  void setAttributes(const platform::AttributedString& source, std::size_t location) override;
  using platform::TextStorage::setAttributes;

 protected:
  void processEditing() override;

 private:
  explicit CodeAttributedString(std::shared_ptr<Highlighter> highlighter);

  void apply(platform::TextRange range, const std::optional<platform::AttributedString>& result);

  std::shared_ptr<platform::TextStorage> stringStorage_;
  std::shared_ptr<Highlighter> highlighter_;
  std::shared_ptr<HighlightDelegate> highlightDelegate_;
  std::optional<std::string> language_;
};

}  // namespace highlighter
