#pragma once

#include <QTextCharFormat>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Wendalore/Model/RequestHistoryItem.h"
#include "Wendalore/Views/History/LargeTextView.h"
#include "Wendalore/Views/History/ResponseHighlighter.h"

namespace wendalore {

// A read-only code view for response bodies of any size. The text shows
// plain at once; the styled text is made in the background, the lines in
// view first (wherever the view goes meanwhile), and applied to the lines
// in view as it comes. Highlighted text is shown in the code font with space
// between the lines; a body the highlighter gives nothing for keeps the
// default font without that space.
class HighlightedTextView : public LargeTextView {
  Q_OBJECT

 public:
  explicit HighlightedTextView(QWidget* parent = nullptr);

  // Shows the response body of `item` highlighted in its language; the same
  // content again changes nothing.
  void setContent(std::shared_ptr<const RequestHistoryItem> item);

  // "atom-one-dark" on a dark palette, "atom-one-light" otherwise.
  QString themeName() const;
  bool isHighlighted() const { return styled_ != nullptr; }
  // Whether the highlighter has answered for the body shown, with styles or
  // without.
  bool isHighlightingDone() const { return answered_; }
  // Whether the lines the view showed last are coloured.
  bool areShownLinesColoured() const { return styled_ && styled_->covers(shown_.first, shown_.second); }

 signals:
  void highlighted();

 protected:
  void addStyles(std::uint32_t start, std::uint32_t end, QList<QTextLayout::FormatRange>& formats) const override;
  void changeEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  using Range = std::pair<std::uint32_t, std::uint32_t>;

  void requestHighlight();
  void showStyled(ResponseHighlighter::Result styled);
  void paintWith(ResponseHighlighter::Result styled);
  // Asks for the lines in view to be highlighted next, unless they are.
  void preferShown();
  QTextCharFormat format(std::size_t style) const;

  // Bumped with every new content, so that late answers for another body
  // are recognised.
  int content_ = 0;
  platform::UUID record_;
  // The record's body, shared with it.
  std::shared_ptr<const std::string> body_ = std::make_shared<const std::string>();
  std::string language_;
  ResponseHighlighter::Result styled_;
  bool answered_ = false;
  std::vector<QTextCharFormat> formats_;
  // What the last paint showed, and what the one under way shows so far.
  Range shown_{0, 0};
  mutable std::optional<Range> painted_;
};

}  // namespace wendalore
