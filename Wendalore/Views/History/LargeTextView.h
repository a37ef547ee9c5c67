#pragma once

#include <QAbstractScrollArea>
#include <QLabel>
#include <QTextLayout>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Wendalore/Views/History/BackgroundWork.h"
#include "Wendalore/Views/History/SelectionClipboard.h"
#include "Wendalore/Views/History/TextLines.h"
#include "Wendalore/Views/History/TextSpans.h"

namespace wendalore {

// A read-only text view for texts of any size: it lays out only the lines it
// shows, so that showing, scrolling and searching cost the same for a short
// text as for one of hundreds of megabytes. A large text is indexed, and a
// search counted, in the background. The text can be selected with the mouse
// (a double click takes a word, a triple click the whole line) and the
// keyboard and copied; every case-insensitive occurrence of the search text
// that is in view is marked.
class LargeTextView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  enum class Wrapping { atWidth, none };

  explicit LargeTextView(QWidget* parent = nullptr);

  // Shows `text` from the top; a large text shows once it is indexed.
  void setText(std::shared_ptr<const std::string> text);
  QString text() const { return lines_->between(0, lines_->end()); }
  bool isLoaded() const { return loaded_; }

  void setWrapping(Wrapping wrapping);
  // The space around the text, in pixels.
  void setMargin(int margin);
  // The font, and the space added below every line.
  void setTextFont(const QFont& font, int lineSpacing);
  int rowHeight() const;

  void setSearch(const QString& search);
  // How often the search text occurs in the whole text, once counted.
  std::optional<std::size_t> searchMatchCount() const { return searchCount_; }

  // What a copy would take.
  QString selectedText() const { return textWithin(*lines_, selectable_, anchor_, caret_); }
  void selectAll();
  // A large selection reaches the clipboard once it is built in the
  // background; a note says so meanwhile.
  void copy();
  bool isCopying() const { return clipboard_->isBusy(); }

 signals:
  void searchCounted(std::size_t count);

 protected:
  // Adds the formats of the characters in [start, end) (positions in the
  // whole text) to `formats`, with offsets from `start`; search marks and the
  // selection go over them.
  virtual void addStyles(std::uint32_t start, std::uint32_t end, QList<QTextLayout::FormatRange>& formats) const;
  // How the rows of a line sit: room above its first row and below its
  // last, what fills the rows and that room across the whole width, and a
  // one-pixel divider closing the room below. The line is [lineStart,
  // lineEnd), its line feed included; nothing of this by default.
  struct LineFrame {
    int above = 0;
    int below = 0;
    QBrush fill;
    bool dividerBelow = false;
  };
  virtual LineFrame frameOf(std::uint32_t lineStart, std::uint32_t lineEnd) const;
  // A selection takes only these spans of the text; none: all of it.
  void setSelectableSpans(TextSpans spans) { selectable_ = std::move(spans); }

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  // A row on screen: columns [from, to) of a line.
  struct Row {
    std::size_t line;
    std::uint32_t from;
    std::uint32_t to;
  };
  // What of a row is laid out, and where its first character is drawn.
  struct Slice {
    std::uint32_t from;
    std::uint32_t to;
    qreal x;
  };

  void applyLines(std::shared_ptr<const TextLines> lines, bool loaded = true);
  void relayout();
  void countSearch();
  std::uint32_t startOf(const Row& row) const;
  std::size_t rowCount() const;
  std::size_t rowsOf(std::size_t line) const;
  std::size_t firstRowOf(std::size_t line) const;
  Row row(std::size_t index) const;
  std::size_t rowOf(std::uint32_t position) const;
  LineFrame frameOf(const Row& row) const;
  // Pixels the row takes, with the room its line's frame adds at its ends.
  int heightOf(const Row& row, const LineFrame& frame) const;
  int heightOf(std::size_t index) const;
  // How many rows fit in view from row `first` down, at least one.
  std::size_t rowsFittingFrom(std::size_t first) const;
  // The highest top row that still shows row `last` whole.
  std::size_t topShowing(std::size_t last) const;
  qreal advance() const;
  Slice sliceOf(const Row& row, const QString& text) const;
  void layOut(QTextLayout& layout, const QString& text, const Slice& slice) const;
  std::uint32_t positionAt(QPoint point) const;
  void moveCaret(std::uint32_t position, bool select);
  void ensureCaretVisible();
  std::optional<std::uint32_t> keyTarget(QKeyEvent* event) const;
  // What a double or triple click selects.
  enum class Unit { character, word, line };
  std::pair<std::uint32_t, std::uint32_t> unitAround(std::uint32_t position, Unit unit) const;
  // Selects the unit under `point`, or, while dragging, the units from the
  // one first clicked to the one under `point`.
  void selectUnits(QPoint point);

  std::shared_ptr<const TextLines> lines_;
  TextSpans selectable_;
  bool loaded_ = true;
  Cancellation indexing_;
  Wrapping wrapping_ = Wrapping::atWidth;
  int margin_ = 0;
  QFont font_;
  int lineSpacing_ = 0;
  // Columns per row when wrapping.
  std::uint32_t columns_ = 1;
  // When wrapping lines longer than a row: the first row of each line.
  std::vector<std::uint32_t> firstRows_;

  QString search_;
  std::optional<std::size_t> searchCount_ = 0;
  Cancellation counting_;

  SelectionClipboard* clipboard_;
  QLabel* copyingNote_;

  std::uint32_t anchor_ = 0;
  std::uint32_t caret_ = 0;
  bool selecting_ = false;
  // The unit a press selects by, and the one it selected first.
  Unit unit_ = Unit::character;
  std::pair<std::uint32_t, std::uint32_t> firstUnit_;
  // A press this soon after a double click, near it, is a triple click.
  std::optional<std::pair<quint64, QPoint>> doubleClick_;
};

}  // namespace wendalore
