#pragma once

#include <QStyledItemDelegate>

namespace wendalore {

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
