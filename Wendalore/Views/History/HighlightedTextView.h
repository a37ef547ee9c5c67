#pragma once

#include <QPlainTextEdit>
#include <QTextCharFormat>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Wendalore/Views/History/ResponseHighlighter.h"

namespace wendalore {

// A read-only code view for response bodies of any size. The text goes in
// in slices between frames; the styled text is made in the background and
// laid onto the lines as they come into view; until then the text is plain.
// Every case-insensitive occurrence of the search text is marked.
class HighlightedTextView : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit HighlightedTextView(QWidget* parent = nullptr);

  // Shows `body` of the record `record` highlighted as `language`; the same
  // content again changes nothing.
  void setContent(const platform::UUID& record, const std::string& body, const std::string& language);
  void setSearch(const QString& search);

  // "atom-one-dark" on a dark palette, "atom-one-light" otherwise.
  QString themeName() const;
  bool isHighlighted() const { return styled_ != nullptr; }
  bool isLoaded() const { return loaded_ == text_.size(); }
  int searchMatchCount() const { return static_cast<int>(extraSelections().size()); }

 signals:
  void highlighted();

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void requestHighlight();
  void loadNextSlice();
  void styleVisibleBlocks();
  void markSearch();
  QTextCharFormat format(std::uint16_t style) const;

  // Bumped with every new content, so that late slices and answers for
  // another body are recognised.
  int content_ = 0;
  // Bumped with every new styled text; a block styled with an older one is
  // styled again when it comes into view.
  int styleVersion_ = 0;
  platform::UUID record_;
  std::string body_;
  std::string language_;
  QString text_;
  qsizetype loaded_ = 0;
  ResponseHighlighter::Result styled_;
  std::vector<QTextCharFormat> formats_;
  QString search_;
  bool styling_ = false;
};

}  // namespace wendalore
