#pragma once

#include <QTextCharFormat>

#include <vector>

#include "Wendalore/Model/RequestHistoryItem.h"
#include "Wendalore/Views/History/LargeTextView.h"

namespace wendalore {

// The text of the headers page: for each section a title on the control
// background, then a name in semibold over its value in the secondary
// colour for each header, or "No headers".
class HeaderListView : public LargeTextView {
  Q_OBJECT

 public:
  explicit HeaderListView(QWidget* parent = nullptr);

  void setSections(const HeaderDictionary& request, const HeaderDictionary& response);

 protected:
  void addStyles(std::uint32_t start, std::uint32_t end, QList<QTextLayout::FormatRange>& formats) const override;
  QBrush background(std::uint32_t lineStart) const override;

 private:
  enum class Part { title, name, value, note };
  struct Piece {
    std::uint32_t start;
    Part part;
  };

  void addSection(QString& text, const QString& title, const HeaderDictionary& headers);
  void add(QString& text, const QString& piece, Part part);
  Part partAt(std::uint32_t position) const;
  QTextCharFormat format(Part part) const;

  // Where each piece of the text starts, in order.
  std::vector<Piece> pieces_;
};

}  // namespace wendalore
