#include "Wendalore/Views/History/LargeTextView.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>

#include <malloc.h>

#include <algorithm>

#include "Wendalore/Views/History/TextSearch.h"

namespace wendalore {
namespace {

// Texts up to this size are indexed and searched at once: it takes less
// than a frame.
constexpr std::size_t immediateBytes = 256 * 1024;
// A text this large leaves freed pages in the heap once it goes; they are
// handed back to the system.
constexpr std::size_t trimmedBytes = 4 << 20;

// A column that does not fall between the two halves of a surrogate pair.
std::uint32_t characterBoundary(const QString& text, std::uint32_t column) {
  const auto at = static_cast<qsizetype>(column);
  if (at > 0 && at < text.size() && text.at(at).isLowSurrogate()) return column + 1;
  return std::min(column, static_cast<std::uint32_t>(text.size()));
}

bool isWordCharacter(QChar character) { return character.isLetterOrNumber() || character == QLatin1Char('_'); }

// Adds `format` for the part of [from, to) that lies in the slice [start,
// end), with offsets from `start`.
void addFormat(QList<QTextLayout::FormatRange>& formats, std::uint32_t start, std::uint32_t end, std::uint32_t from,
               std::uint32_t to, const QTextCharFormat& format) {
  const auto first = std::max(start, from);
  const auto last = std::min(end, to);
  if (first < last) formats.append({static_cast<int>(first - start), static_cast<int>(last - first), format});
}

}  // namespace

LargeTextView::LargeTextView(QWidget* parent)
    : QAbstractScrollArea(parent),
      lines_(std::make_shared<const TextLines>()),
      font_(font()),
      clipboard_(new SelectionClipboard(this)),
      copyingNote_(new QLabel(tr("Copying…"), viewport())) {
  copyingNote_->setAutoFillBackground(true);
  copyingNote_->setMargin(4);
  copyingNote_->adjustSize();
  copyingNote_->hide();
  connect(clipboard_, &SelectionClipboard::busyChanged, this, [this](bool busy) {
    // In the top right corner, over the end of the first row rather than its start.
    copyingNote_->move(std::max(0, viewport()->width() - copyingNote_->width()), 0);
    copyingNote_->setVisible(busy);
  });
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setCursor(Qt::IBeamCursor);
  verticalScrollBar()->setSingleStep(1);
  setWrapping(Wrapping::atWidth);
}

void LargeTextView::setText(std::shared_ptr<const std::string> shared) {
  const auto cancelled = indexing_.renew();
  if (shared->size() <= immediateBytes) {
    applyLines(std::make_shared<const TextLines>(TextLines::index(std::move(shared))));
    return;
  }
  // Nothing shows while the text is indexed.
  applyLines(std::make_shared<const TextLines>(), false);
  runInBackground(
      this,
      [shared = std::move(shared), cancelled]() -> std::shared_ptr<const TextLines> {
        auto lines = TextLines::index(shared, *cancelled);
        return lines ? std::make_shared<const TextLines>(std::move(*lines)) : nullptr;
      },
      [this, cancelled](std::shared_ptr<const TextLines> lines) {
        if (lines && !cancelled->load()) applyLines(std::move(lines));
      });
}

void LargeTextView::applyLines(std::shared_ptr<const TextLines> lines, bool loaded) {
  const bool wasLarge = lines_->bytes().size() >= trimmedBytes;
  lines_ = std::move(lines);
  if (wasLarge) historyBackgroundQueue()->async([] { malloc_trim(0); });
  loaded_ = loaded;
  anchor_ = caret_ = 0;
  selecting_ = false;
  firstRows_.clear();
  verticalScrollBar()->setValue(0);
  horizontalScrollBar()->setValue(0);
  relayout();
  if (loaded_) {
    countSearch();
  } else {
    counting_.renew();
    searchCount_.reset();
  }
  viewport()->update();
}

void LargeTextView::setWrapping(Wrapping wrapping) {
  wrapping_ = wrapping;
  setHorizontalScrollBarPolicy(wrapping == Wrapping::none ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  relayout();
}

void LargeTextView::setMargin(int margin) {
  margin_ = margin;
  relayout();
}

void LargeTextView::setTextFont(const QFont& font, int lineSpacing) {
  font_ = font;
  lineSpacing_ = lineSpacing;
  relayout();
}

int LargeTextView::rowHeight() const { return QFontMetrics(font_).height() + lineSpacing_; }

qreal LargeTextView::advance() const {
  return std::max<qreal>(QFontMetricsF(font_).horizontalAdvance(QLatin1Char('M')), 1);
}

void LargeTextView::relayout() {
  // The line at the top stays there.
  const std::uint32_t topPosition = startOf(row(std::min<std::size_t>(verticalScrollBar()->value(), rowCount() - 1)));

  const int width = viewport()->width() - 2 * margin_;
  columns_ = static_cast<std::uint32_t>(std::max(1.0, std::floor(width / advance())));
  firstRows_.clear();
  if (wrapping_ == Wrapping::atWidth && lines_->longestLength() > columns_) {
    firstRows_.reserve(lines_->count() + 1);
    std::uint32_t first = 0;
    for (std::size_t line = 0; line < lines_->count(); ++line) {
      firstRows_.push_back(first);
      first += static_cast<std::uint32_t>(std::max<std::uint32_t>(1, (lines_->length(line) + columns_ - 1) / columns_));
    }
    firstRows_.push_back(first);
  }

  const auto rows = rowCount();
  verticalScrollBar()->setRange(0, static_cast<int>(std::min<std::size_t>(rows > 0 ? topShowing(rows - 1) : 0, INT_MAX)));
  verticalScrollBar()->setPageStep(static_cast<int>(rowsFittingFrom(static_cast<std::size_t>(verticalScrollBar()->value()))));
  const auto contentWidth = static_cast<qint64>(lines_->longestLength() * advance()) + 2 * margin_;
  horizontalScrollBar()->setRange(
      0, wrapping_ == Wrapping::none ? static_cast<int>(std::clamp<qint64>(contentWidth - viewport()->width(), 0, INT_MAX)) : 0);
  horizontalScrollBar()->setPageStep(viewport()->width());
  horizontalScrollBar()->setSingleStep(static_cast<int>(advance() * 4));
  verticalScrollBar()->setValue(static_cast<int>(std::min<std::size_t>(rowOf(topPosition), INT_MAX)));
  viewport()->update();
}

std::uint32_t LargeTextView::startOf(const Row& row) const { return lines_->start(row.line) + row.from; }

std::size_t LargeTextView::rowCount() const { return firstRows_.empty() ? lines_->count() : firstRows_.back(); }

std::size_t LargeTextView::rowsOf(std::size_t line) const {
  return firstRows_.empty() ? 1 : firstRows_[line + 1] - firstRows_[line];
}

std::size_t LargeTextView::firstRowOf(std::size_t line) const { return firstRows_.empty() ? line : firstRows_[line]; }

LargeTextView::Row LargeTextView::row(std::size_t index) const {
  if (firstRows_.empty()) return {index, 0, lines_->length(index)};
  const auto after = std::ranges::upper_bound(firstRows_, static_cast<std::uint32_t>(index));
  const auto line = static_cast<std::size_t>(after - firstRows_.begin() - 1);
  const auto from = static_cast<std::uint32_t>(index - firstRows_[line]) * columns_;
  return {line, from, std::min(from + columns_, lines_->length(line))};
}

std::size_t LargeTextView::rowOf(std::uint32_t position) const {
  const auto line = lines_->lineAt(position);
  const auto column = position - lines_->start(line);
  if (firstRows_.empty()) return line;
  return firstRowOf(line) + std::min<std::size_t>(column / columns_, rowsOf(line) - 1);
}

LargeTextView::LineFrame LargeTextView::frameOf(const Row& row) const {
  const auto lineEnd = row.line + 1 < lines_->count() ? lines_->start(row.line + 1) : lines_->end();
  return frameOf(lines_->start(row.line), lineEnd);
}

int LargeTextView::heightOf(const Row& row, const LineFrame& frame) const {
  int height = rowHeight();
  if (row.from == 0) height += frame.above;
  if (row.to == lines_->length(row.line)) height += frame.below + (frame.dividerBelow ? 1 : 0);
  return height;
}

int LargeTextView::heightOf(std::size_t index) const {
  const Row shown = row(index);
  return heightOf(shown, frameOf(shown));
}

std::size_t LargeTextView::rowsFittingFrom(std::size_t first) const {
  const int room = viewport()->height() - 2 * margin_;
  std::size_t count = 0;
  for (int used = 0; first + count < rowCount(); ++count) {
    used += heightOf(first + count);
    if (used > room) break;
  }
  return std::max<std::size_t>(count, 1);
}

std::size_t LargeTextView::topShowing(std::size_t last) const {
  const int room = viewport()->height() - 2 * margin_;
  int used = heightOf(last);
  auto top = last;
  while (top > 0 && used + heightOf(top - 1) <= room) used += heightOf(--top);
  return top;
}

LargeTextView::Slice LargeTextView::sliceOf(const Row& row, const QString& text) const {
  Slice slice{characterBoundary(text, row.from), characterBoundary(text, row.to), static_cast<qreal>(margin_)};
  if (wrapping_ == Wrapping::none) {
    // Only the columns in view are laid out; the columns before them are
    // taken to be as wide as the font's.
    const int scrolled = horizontalScrollBar()->value();
    const auto first = static_cast<std::uint32_t>(std::max(0.0, std::floor(scrolled / advance()) - 1));
    const auto shown = static_cast<std::uint32_t>(viewport()->width() / advance()) + 4;
    slice.from = characterBoundary(text, std::min(first, slice.to));
    slice.to = characterBoundary(text, std::min(slice.from + shown, slice.to));
    slice.x = margin_ + slice.from * advance() - scrolled;
  }
  return slice;
}

void LargeTextView::layOut(QTextLayout& layout, const QString& text, const Slice& slice) const {
  layout.setText(text.mid(slice.from, slice.to - slice.from));
  layout.setFont(font_);
  QTextOption option;
  option.setWrapMode(QTextOption::NoWrap);
  layout.setTextOption(option);
  layout.beginLayout();
  layout.createLine();
  layout.endLayout();
}

void LargeTextView::addStyles(std::uint32_t, std::uint32_t, QList<QTextLayout::FormatRange>&) const {}

LargeTextView::LineFrame LargeTextView::frameOf(std::uint32_t, std::uint32_t) const { return {}; }

void LargeTextView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  painter.setPen(palette().color(QPalette::Text));
  const auto [selectionStart, selectionEnd] = std::minmax(anchor_, caret_);
  QTextCharFormat selected;
  selected.setBackground(palette().brush(QPalette::Highlight));
  selected.setForeground(palette().brush(QPalette::HighlightedText));
  // Only the background: the text under a mark keeps its colours.
  QTextCharFormat mark;
  mark.setBackground(QColor(255, 204, 0));

  // A long line spans many rows: it is read and searched once.
  std::size_t shownLine = SIZE_MAX;
  QString text;
  std::vector<qsizetype> found;
  const auto caretRow = rowOf(caret_);
  const QColor dividerColor = palette().color(QPalette::Mid);
  int top = margin_;
  for (auto index = static_cast<std::size_t>(verticalScrollBar()->value());
       index < rowCount() && top < viewport()->height(); ++index) {
    const Row row = this->row(index);
    const LineFrame frame = frameOf(row);
    const int height = heightOf(row, frame);
    const int y = top + (row.from == 0 ? frame.above : 0);
    if (frame.fill.style() != Qt::NoBrush) painter.fillRect(QRect(0, top, viewport()->width(), height), frame.fill);
    if (frame.dividerBelow && row.to == lines_->length(row.line)) {
      painter.fillRect(QRect(0, top + height - 1, viewport()->width(), 1), dividerColor);
    }
    top += height;
    if (row.line != shownLine) {
      shownLine = row.line;
      text = lines_->text(row.line);
      found = occurrences(text, search_);
    }
    const Slice slice = sliceOf(row, text);
    const std::uint32_t start = lines_->start(row.line) + slice.from;
    const std::uint32_t end = lines_->start(row.line) + slice.to;
    QList<QTextLayout::FormatRange> formats;
    addStyles(start, end, formats);
    for (const auto at : found) {
      addFormat(formats, slice.from, slice.to, static_cast<std::uint32_t>(at),
                static_cast<std::uint32_t>(at + search_.size()), mark);
    }
    forEachSpanPart(selectable_, std::max(start, selectionStart), std::min(end, selectionEnd),
                    [&](std::uint32_t from, std::uint32_t to) { addFormat(formats, start, end, from, to, selected); });
    QTextLayout layout;
    layout.setFormats(formats);
    layOut(layout, text, slice);
    layout.draw(&painter, QPointF(slice.x, y));
    if (hasFocus() && index == caretRow && caret_ >= start && caret_ <= end) {
      const qreal x = slice.x + layout.lineAt(0).cursorToX(static_cast<int>(caret_ - start));
      painter.drawLine(QPointF(x, y), QPointF(x, y + QFontMetrics(font_).height()));
    }
  }
}

void LargeTextView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  relayout();
}

std::uint32_t LargeTextView::positionAt(QPoint point) const {
  if (rowCount() == 0) return 0;
  auto index = static_cast<std::size_t>(verticalScrollBar()->value());
  // Above the text is the row before the top one.
  if (point.y() < margin_) {
    if (index == 0) return 0;
    --index;
  } else {
    for (int top = margin_; index < rowCount(); ++index) {
      top += heightOf(index);
      if (point.y() < top) break;
    }
  }
  if (index >= rowCount()) return lines_->end();
  const Row row = this->row(index);
  const QString text = lines_->text(row.line);
  const Slice slice = sliceOf(row, text);
  QTextLayout layout;
  layOut(layout, text, slice);
  const int column = layout.lineAt(0).xToCursor(point.x() - slice.x);
  return lines_->start(row.line) + slice.from + static_cast<std::uint32_t>(std::max(column, 0));
}

void LargeTextView::moveCaret(std::uint32_t position, bool select) {
  caret_ = std::min(position, lines_->end());
  if (!select) anchor_ = caret_;
  viewport()->update();
}

void LargeTextView::ensureCaretVisible() {
  const auto index = rowOf(caret_);
  auto* bar = verticalScrollBar();
  if (index < static_cast<std::size_t>(bar->value())) {
    bar->setValue(static_cast<int>(index));
  } else if (const auto top = static_cast<std::size_t>(bar->value()); index >= top + rowsFittingFrom(top)) {
    bar->setValue(static_cast<int>(std::min<std::size_t>(topShowing(index), INT_MAX)));
  }
  if (wrapping_ == Wrapping::none) {
    const auto line = lines_->lineAt(caret_);
    const int x = static_cast<int>((caret_ - lines_->start(line)) * advance());
    auto* sideways = horizontalScrollBar();
    const int width = viewport()->width() - 2 * margin_;
    if (x < sideways->value()) sideways->setValue(x);
    else if (x > sideways->value() + width) sideways->setValue(x - width);
  }
}

std::optional<std::uint32_t> LargeTextView::keyTarget(QKeyEvent* event) const {
  const auto current = rowOf(caret_);
  const Row row = this->row(current);
  const auto rowStart = startOf(row);
  const auto rowEnd = lines_->start(row.line) + row.to;
  const auto column = caret_ - rowStart;
  const auto onRow = [&](std::ptrdiff_t rows) {
    const auto index = std::clamp<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(current) + rows, 0,
                                                  static_cast<std::ptrdiff_t>(rowCount()) - 1);
    const Row target = this->row(static_cast<std::size_t>(index));
    return std::min(startOf(target) + column, lines_->start(target.line) + target.to);
  };
  const auto page = static_cast<std::ptrdiff_t>(rowsFittingFrom(static_cast<std::size_t>(verticalScrollBar()->value())));
  using Key = QKeySequence::StandardKey;
  const std::pair<std::pair<Key, Key>, std::uint32_t> moves[] = {
      {{Key::MoveToNextChar, Key::SelectNextChar}, std::min(caret_ + 1, lines_->end())},
      {{Key::MoveToPreviousChar, Key::SelectPreviousChar}, caret_ > 0 ? caret_ - 1 : 0},
      {{Key::MoveToNextLine, Key::SelectNextLine}, onRow(1)},
      {{Key::MoveToPreviousLine, Key::SelectPreviousLine}, onRow(-1)},
      {{Key::MoveToNextPage, Key::SelectNextPage}, onRow(page)},
      {{Key::MoveToPreviousPage, Key::SelectPreviousPage}, onRow(-page)},
      {{Key::MoveToStartOfLine, Key::SelectStartOfLine}, rowStart},
      {{Key::MoveToEndOfLine, Key::SelectEndOfLine}, rowEnd},
      {{Key::MoveToStartOfDocument, Key::SelectStartOfDocument}, 0},
      {{Key::MoveToEndOfDocument, Key::SelectEndOfDocument}, lines_->end()},
  };
  for (const auto& [keys, target] : moves) {
    if (event->matches(keys.first) || event->matches(keys.second)) return target;
  }
  return std::nullopt;
}

void LargeTextView::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy)) {
    copy();
  } else if (event->matches(QKeySequence::SelectAll)) {
    selectAll();
  } else if (const auto target = keyTarget(event)) {
    moveCaret(*target, event->modifiers() & Qt::ShiftModifier);
    ensureCaretVisible();
  } else {
    QAbstractScrollArea::keyPressEvent(event);
    return;
  }
  event->accept();
}

void LargeTextView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  selecting_ = true;
  const QPoint point = event->position().toPoint();
  const bool tripleClick = doubleClick_ && event->timestamp() - doubleClick_->first <
                                               static_cast<quint64>(QApplication::doubleClickInterval()) &&
                           (point - doubleClick_->second).manhattanLength() < QApplication::startDragDistance();
  doubleClick_.reset();
  if (tripleClick) {
    unit_ = Unit::line;
    firstUnit_ = unitAround(positionAt(point), unit_);
    selectUnits(point);
    return;
  }
  unit_ = Unit::character;
  moveCaret(positionAt(point), event->modifiers() & Qt::ShiftModifier);
}

void LargeTextView::mouseMoveEvent(QMouseEvent* event) {
  if (!selecting_) return;
  const QPoint point = event->position().toPoint();
  // Dragging past an edge scrolls that way.
  if (point.y() < 0) verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
  if (point.y() > viewport()->height()) verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  if (unit_ == Unit::character) {
    moveCaret(positionAt(point), true);
  } else {
    selectUnits(point);
  }
}

void LargeTextView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !selecting_) return;
  selecting_ = false;
  if (anchor_ != caret_ && QApplication::clipboard()->supportsSelection()) {
    clipboard_->put(lines_, selectable_, anchor_, caret_, QClipboard::Selection);
  }
}

void LargeTextView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint point = event->position().toPoint();
  selecting_ = true;
  doubleClick_.emplace(event->timestamp(), point);
  unit_ = Unit::word;
  firstUnit_ = unitAround(positionAt(point), unit_);
  selectUnits(point);
}

std::pair<std::uint32_t, std::uint32_t> LargeTextView::unitAround(std::uint32_t position, Unit unit) const {
  if (unit == Unit::line) return lines_->wholeLineAround(position);
  const auto line = lines_->lineAt(position);
  const QString text = lines_->text(line);
  auto from = static_cast<qsizetype>(std::min(position - lines_->start(line), lines_->length(line)));
  auto to = from;
  if (unit == Unit::word) {
    while (from > 0 && isWordCharacter(text.at(from - 1))) --from;
    while (to < text.size() && isWordCharacter(text.at(to))) ++to;
  }
  return {lines_->start(line) + static_cast<std::uint32_t>(from), lines_->start(line) + static_cast<std::uint32_t>(to)};
}

void LargeTextView::selectUnits(QPoint point) {
  const auto [from, to] = unitAround(positionAt(point), unit_);
  // The first unit stays selected whichever way the pointer goes.
  if (from < firstUnit_.first) {
    anchor_ = firstUnit_.second;
    moveCaret(from, true);
  } else {
    anchor_ = firstUnit_.first;
    moveCaret(std::max(to, firstUnit_.second), true);
  }
}

void LargeTextView::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  auto* copyAction = menu.addAction(tr("Copy"), this, &LargeTextView::copy);
  copyAction->setEnabled(anchor_ != caret_);
  menu.addAction(tr("Select All"), this, &LargeTextView::selectAll);
  menu.exec(event->globalPos());
}

void LargeTextView::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  viewport()->update();
}

void LargeTextView::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  viewport()->update();
}

void LargeTextView::selectAll() {
  anchor_ = 0;
  moveCaret(lines_->end(), true);
}

void LargeTextView::copy() {
  if (anchor_ != caret_) clipboard_->put(lines_, selectable_, anchor_, caret_);
}

void LargeTextView::setSearch(const QString& search) {
  if (search == search_) return;
  search_ = search;
  viewport()->update();
  // A text still being indexed is counted once it is in.
  if (loaded_) countSearch();
}

void LargeTextView::countSearch() {
  const auto cancelled = counting_.renew();
  if (search_.isEmpty() || lines_->bytes().size() <= immediateBytes) {
    searchCount_ = countOccurrences(*lines_, search_, *cancelled);
    emit searchCounted(*searchCount_);
    return;
  }
  searchCount_.reset();
  runInBackground(
      this, [lines = lines_, search = search_, cancelled] { return countOccurrences(*lines, search, *cancelled); },
      [this, cancelled](std::optional<std::size_t> count) {
        if (!count || cancelled->load()) return;
        searchCount_ = count;
        emit searchCounted(*count);
      });
}

}  // namespace wendalore
