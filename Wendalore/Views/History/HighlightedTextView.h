#pragma once

#include <QTextCharFormat>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Wendalore/Model/RequestHistoryItem.h"
#include "Wendalore/Views/History/LargeTextView.h"
#include "Wendalore/Views/History/ResponseHighlighter.h"

namespace wendalore {

// A read-only code view for response bodies of any size. The text shows
// plain at once; the styled text is made in the background and applied to
// the lines in view. Highlighted text is shown in the code font with space
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

 signals:
  void highlighted();

 protected:
  void addStyles(std::uint32_t start, std::uint32_t end, QList<QTextLayout::FormatRange>& formats) const override;
  void changeEvent(QEvent* event) override;

 private:
  void copyBody(std::shared_ptr<const RequestHistoryItem> item, std::shared_ptr<std::string> copy);
  void requestHighlight();
  void showStyled(ResponseHighlighter::Result styled);
  QTextCharFormat format(std::uint16_t style) const;

  // Bumped with every new content, so that late answers for another body
  // are recognised.
  int content_ = 0;
  platform::UUID record_;
  std::shared_ptr<const std::string> body_ = std::make_shared<const std::string>();
  // The record's body that `body_` copies.
  std::pair<const char*, std::size_t> source_;
  std::string language_;
  ResponseHighlighter::Result styled_;
  bool answered_ = false;
  std::vector<QTextCharFormat> formats_;
};

}  // namespace wendalore
