#pragma once

#include <QStyledItemDelegate>

namespace wendalore {

struct BadgeColours {
  QColor background;
  QColor foreground;
};

// A request row's method badge: the method's hue on a tint of itself. On
// the selection's colour, where a tint vanishes and a bright hue blurs, the
// badge is a plate of the selection's text colour with the hue deepened (or
// lightened, on a dark plate) as far as it takes to be read.
BadgeColours badgeColours(const QString& method, const QStyleOptionViewItem& option);

// Draws the sidebar's rows: the folder symbol before a folder's name, the
// method badge before a request's; renaming edits the name in place.
class SidebarItemDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  static constexpr int rowHeight = 28;

  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const override;

 private:
  // Where the name goes in a row.
  QRect nameRect(const QStyleOptionViewItem& option, const QModelIndex& index) const;
};

}  // namespace wendalore
