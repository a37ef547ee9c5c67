#pragma once

#include <QTextCharFormat>

#include <vector>

#include "Wendalore/Model/RequestHistoryItem.h"
#include "Wendalore/Views/History/LargeTextView.h"

namespace wendalore {

// The text of the headers page: for each section a title on the control
// background over a divider, then a name in semibold over its value in the
// secondary colour for each header, or "No headers"; a divider between the
// sections. Only the values take part in a selection.
class HeaderListView : public LargeTextView {
  Q_OBJECT

 public:
  explicit HeaderListView(QWidget* parent = nullptr);

  void setSections(const HeaderDictionary& request, const HeaderDictionary& response);

 protected:
  void addStyles(std::uint32_t start, std::uint32_t end, QList<QTextLayout::FormatRange>& formats) const override;
  LineFrame frameOf(std::uint32_t lineStart, std::uint32_t lineEnd) const override;

 private:
  enum class Part { title, name, value, note };
  struct Piece {
    std::uint32_t start;
    Part part;
    bool endsSection = false;
  };

  void addSection(QString& text, const QString& title, const HeaderDictionary& headers);
  void add(QString& text, const QString& piece, Part part);
  std::vector<Piece>::const_iterator pieceAt(std::uint32_t position) const;
  TextSpans valueSpans(std::uint32_t textEnd) const;
  QTextCharFormat format(Part part) const;

  // Where each piece of the text starts, in order; each but the last ends
  // with a line feed.
  std::vector<Piece> pieces_;
  std::uint32_t textEnd_ = 0;
};

}  // namespace wendalore
