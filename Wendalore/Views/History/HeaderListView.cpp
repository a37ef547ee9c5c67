#include "Wendalore/Views/History/HeaderListView.h"

#include <algorithm>

#include "Wendalore/History/HeaderRows.h"
#include "Wendalore/Views/History/HistoryStyle.h"

namespace wendalore {
namespace {

constexpr int textMargin = 8;
constexpr int nameValueSpacing = 2;
// Room above and below a title or a note, and around a header's two lines.
constexpr int titlePadding = 8;
constexpr int rowPadding = 6;

}  // namespace

HeaderListView::HeaderListView(QWidget* parent) : LargeTextView(parent) {
  setObjectName("headerList");
  setFrameShape(QFrame::NoFrame);
  setMargin(textMargin);
  setTextFont(caption2Font(), 0);
}

void HeaderListView::setSections(const HeaderDictionary& request, const HeaderDictionary& response) {
  pieces_.clear();
  QString text;
  addSection(text, tr("Request Headers"), request);
  pieces_.back().endsSection = true;
  addSection(text, tr("Response Headers"), response);
  text.chop(1);
  textEnd_ = static_cast<std::uint32_t>(text.size());
  setText(std::make_shared<const std::string>(text.toStdString()));
  setSelectableSpans(valueSpans(textEnd_));
}

void HeaderListView::addSection(QString& text, const QString& title, const HeaderDictionary& headers) {
  add(text, title, Part::title);
  if (headers.empty()) {
    add(text, tr("No headers"), Part::note);
    return;
  }
  for (const auto& [name, value] : sortedHeaders(headers)) {
    add(text, QString::fromStdString(name), Part::name);
    add(text, QString::fromStdString(value), Part::value);
  }
}

void HeaderListView::add(QString& text, const QString& piece, Part part) {
  pieces_.push_back({static_cast<std::uint32_t>(text.size()), part});
  text += piece;
  text += QLatin1Char('\n');
}

std::vector<HeaderListView::Piece>::const_iterator HeaderListView::pieceAt(std::uint32_t position) const {
  const auto after = std::ranges::upper_bound(pieces_, position, {}, &Piece::start);
  return after == pieces_.begin() ? after : std::prev(after);
}

TextSpans HeaderListView::valueSpans(std::uint32_t textEnd) const {
  auto spans = std::make_shared<std::vector<TextSpan>>();
  for (auto piece = pieces_.begin(); piece != pieces_.end(); ++piece) {
    if (piece->part != Part::value) continue;
    const auto next = std::next(piece);
    spans->push_back({piece->start, next == pieces_.end() ? textEnd : next->start - 1});
  }
  return spans;
}

QTextCharFormat HeaderListView::format(Part part) const {
  QTextCharFormat format;
  switch (part) {
    case Part::title:
    case Part::name: format.setFontWeight(QFont::DemiBold); break;
    case Part::value:
    case Part::note: format.setForeground(secondaryColor(*this)); break;
  }
  return format;
}

void HeaderListView::addStyles(std::uint32_t start, std::uint32_t end,
                               QList<QTextLayout::FormatRange>& formats) const {
  auto piece = std::ranges::upper_bound(pieces_, start, {}, &Piece::start);
  if (piece != pieces_.begin()) --piece;
  for (; piece != pieces_.end() && piece->start < end; ++piece) {
    const auto from = std::max(piece->start, start);
    const auto to = std::next(piece) == pieces_.end() ? end : std::min(std::next(piece)->start, end);
    if (from < to) formats.append({static_cast<int>(from - start), static_cast<int>(to - from), format(piece->part)});
  }
}

HeaderListView::LineFrame HeaderListView::frameOf(std::uint32_t lineStart, std::uint32_t lineEnd) const {
  const auto piece = pieceAt(lineStart);
  if (piece == pieces_.end()) return {};
  const auto next = std::next(piece);
  // A piece longer than a line of the view is cut into several: the room
  // goes above its first and below its last.
  const bool first = lineStart == piece->start;
  const bool last = lineEnd == (next == pieces_.end() ? textEnd_ : next->start);
  LineFrame frame;
  switch (piece->part) {
    case Part::title:
      frame.fill = palette().brush(QPalette::Button);
      frame.dividerBelow = true;
      [[fallthrough]];
    case Part::note:
      frame.above = titlePadding;
      frame.below = titlePadding;
      break;
    case Part::name: frame.above = rowPadding; break;
    case Part::value:
      frame.above = nameValueSpacing;
      frame.below = rowPadding;
      break;
  }
  frame.dividerBelow = frame.dividerBelow || piece->endsSection;
  if (!first) frame.above = 0;
  if (!last) {
    frame.below = 0;
    frame.dividerBelow = false;
  }
  return frame;
}

}  // namespace wendalore
