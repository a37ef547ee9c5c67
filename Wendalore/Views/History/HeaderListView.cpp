#include "Wendalore/Views/History/HeaderListView.h"

#include <algorithm>

#include "Wendalore/History/HeaderRows.h"
#include "Wendalore/Views/History/HistoryStyle.h"

namespace wendalore {
namespace {

constexpr int textMargin = 8;
constexpr int nameValueSpacing = 2;

}  // namespace

HeaderListView::HeaderListView(QWidget* parent) : LargeTextView(parent) {
  setObjectName("headerList");
  setFrameShape(QFrame::NoFrame);
  setMargin(textMargin);
  setTextFont(caption2Font(), nameValueSpacing);
}

void HeaderListView::setSections(const HeaderDictionary& request, const HeaderDictionary& response) {
  pieces_.clear();
  QString text;
  addSection(text, tr("Request Headers"), request);
  add(text, QString(), Part::note);
  addSection(text, tr("Response Headers"), response);
  text.chop(1);
  setText(std::make_shared<const std::string>(text.toStdString()));
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

HeaderListView::Part HeaderListView::partAt(std::uint32_t position) const {
  const auto after = std::ranges::upper_bound(pieces_, position, {}, &Piece::start);
  return after == pieces_.begin() ? Part::note : std::prev(after)->part;
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

QBrush HeaderListView::background(std::uint32_t lineStart) const {
  return partAt(lineStart) == Part::title ? palette().brush(QPalette::Button) : QBrush();
}

}  // namespace wendalore
