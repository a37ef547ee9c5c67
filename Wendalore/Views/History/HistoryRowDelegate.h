#pragma once

#include <QStyledItemDelegate>

namespace wendalore {

class HistoryListModel;

// Paints a history row: the status icon, then method and URL over the
// outcome (status, duration, bytes each way, or "Pending") and the time of
// the send at the far end.
class HistoryRowDelegate : public QStyledItemDelegate {
 public:
  explicit HistoryRowDelegate(const HistoryListModel& model, QObject* parent = nullptr)
      : QStyledItemDelegate(parent), model_(model) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  const HistoryListModel& model_;
};

}  // namespace wendalore
