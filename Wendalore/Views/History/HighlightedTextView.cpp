#include "Wendalore/Views/History/HighlightedTextView.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QFontDatabase>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

namespace wendalore {
namespace {

// The text goes in slices for as long as a frame can spare, then the event
// loop turns.
constexpr qsizetype sliceLength = 8 * 1024;
constexpr qint64 sliceBudgetMilliseconds = 10;

QColor qtColor(const platform::Color& color) {
  return QColor::fromRgbF(static_cast<float>(color.red), static_cast<float>(color.green),
                          static_cast<float>(color.blue), static_cast<float>(color.alpha));
}

}  // namespace

HighlightedTextView::HighlightedTextView(QWidget* parent) : QPlainTextEdit(parent) {
  setObjectName("responseText");
  setReadOnly(true);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setUndoRedoEnabled(false);
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSize(11);
  setFont(font);
  document()->setDocumentMargin(16);
  connect(this, &QPlainTextEdit::updateRequest, this, [this] { styleVisibleBlocks(); });
}

QString HighlightedTextView::themeName() const {
  return palette().color(QPalette::Base).lightness() < 128 ? "atom-one-dark" : "atom-one-light";
}

void HighlightedTextView::setContent(const platform::UUID& record, const std::string& body,
                                     const std::string& language) {
  if (content_ != 0 && record == record_ && language == language_ && body == body_) return;
  ++content_;
  record_ = record;
  body_ = body;
  language_ = language;
  styled_ = nullptr;
  text_ = QString::fromStdString(body);
  loaded_ = 0;
  clear();
  loadNextSlice();
  requestHighlight();
}

void HighlightedTextView::requestHighlight() {
  if (body_.empty()) return ResponseHighlighter::shared().cancel(this);
  const int content = content_;
  const QString theme = themeName();
  ResponseHighlighter::shared().highlight(
      ResponseHighlighter::Key::of(record_, theme.toStdString(), body_), body_, language_, this,
      [this, content, theme](ResponseHighlighter::Result result) {
        if (content != content_ || theme != themeName() || !result) return;
        styled_ = std::move(result);
        ++styleVersion_;
        formats_.clear();
        for (std::uint16_t style = 0; style < styled_->styles.size(); ++style) formats_.push_back(format(style));
        styleVisibleBlocks();
        emit highlighted();
      });
}

QTextCharFormat HighlightedTextView::format(std::uint16_t style) const {
  const auto& attributes = styled_->styles[style];
  QTextCharFormat format;
  if (attributes.foregroundColor) format.setForeground(qtColor(*attributes.foregroundColor));
  if (attributes.backgroundColor) format.setBackground(qtColor(*attributes.backgroundColor));
  if (attributes.font && attributes.font->bold) format.setFontWeight(QFont::Bold);
  if (attributes.font && attributes.font->italic) format.setFontItalic(true);
  return format;
}

void HighlightedTextView::loadNextSlice() {
  const int content = content_;
  const int scroll = verticalScrollBar()->value();
  QTextCursor cursor(document());
  cursor.movePosition(QTextCursor::End);
  QElapsedTimer budget;
  budget.start();
  while (!isLoaded() && budget.elapsed() < sliceBudgetMilliseconds) {
    qsizetype length = std::min(sliceLength, text_.size() - loaded_);
    // A slice never ends between the two halves of a surrogate pair.
    if (loaded_ + length < text_.size() && text_.at(loaded_ + length - 1).isHighSurrogate()) ++length;
    cursor.insertText(text_.mid(loaded_, length));
    loaded_ += length;
  }
  verticalScrollBar()->setValue(scroll);
  if (isLoaded()) {
    markSearch();
    return;
  }
  QTimer::singleShot(0, this, [this, content] {
    if (content == content_) loadNextSlice();
  });
}

void HighlightedTextView::styleVisibleBlocks() {
  if (!styled_ || styling_) return;
  styling_ = true;
  const int bottom = viewport()->height();
  for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
    if (blockBoundingGeometry(block).translated(contentOffset()).top() > bottom) break;
    if (block.userState() == styleVersion_) continue;
    QList<QTextLayout::FormatRange> ranges;
    const auto start = static_cast<std::uint32_t>(block.position());
    const auto end = start + static_cast<std::uint32_t>(block.length() - 1);
    for (const auto& span : styled_->spansBetween(start, end)) {
      ranges.append({static_cast<int>(span.start - start), static_cast<int>(span.end - span.start),
                     formats_[span.style]});
    }
    block.layout()->setFormats(ranges);
    block.setUserState(styleVersion_);
    document()->markContentsDirty(block.position(), block.length());
  }
  styling_ = false;
}

void HighlightedTextView::setSearch(const QString& search) {
  if (search == search_) return;
  search_ = search;
  markSearch();
}

void HighlightedTextView::markSearch() {
  QList<QTextEdit::ExtraSelection> marks;
  if (!search_.isEmpty() && isLoaded()) {
    QTextCharFormat mark;
    mark.setBackground(QColor(255, 204, 0));
    for (auto found = text_.indexOf(search_, 0, Qt::CaseInsensitive); found >= 0;
         found = text_.indexOf(search_, found + search_.size(), Qt::CaseInsensitive)) {
      QTextCursor cursor(document());
      cursor.setPosition(static_cast<int>(found));
      cursor.setPosition(static_cast<int>(found + search_.size()), QTextCursor::KeepAnchor);
      marks.append({cursor, mark});
    }
  }
  setExtraSelections(marks);
}

void HighlightedTextView::changeEvent(QEvent* event) {
  QPlainTextEdit::changeEvent(event);
  // The other theme: the current colours stay until its styling is ready.
  if (event->type() == QEvent::PaletteChange && content_ != 0) requestHighlight();
}

}  // namespace wendalore
