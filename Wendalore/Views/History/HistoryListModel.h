#pragma once

#include <QAbstractListModel>
#include <QElapsedTimer>
#include <QTimer>

#include <memory>
#include <vector>

#include "Platform/Store/ObserverList.h"
#include "Wendalore/Model/RequestHistoryItem.h"

namespace wendalore {

// The history as a list model: one row per record, newest first. A row
// announces itself changed when its record does, and pending rows do so on
// every beat of the pulse.
class HistoryListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  explicit HistoryListModel(QObject* parent = nullptr);

  void setHistory(std::vector<std::shared_ptr<RequestHistoryItem>> history);
  const std::shared_ptr<RequestHistoryItem>& item(int row) const { return history_[static_cast<std::size_t>(row)]; }
  int rowOf(const std::shared_ptr<RequestHistoryItem>& item) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  // The first line (method and URL) as the display text, for readers of the
  // list that do not paint.
  QVariant data(const QModelIndex& index, int role) const override;

  // From 0 to 1 and back, for the pending rows' icon.
  double pulse() const;

 private:
  void rowChanged(const RequestHistoryItem* item);
  void updatePulse();

  std::vector<std::shared_ptr<RequestHistoryItem>> history_;
  std::vector<platform::ObservationToken> observations_;
  QTimer pulseTimer_;
  QElapsedTimer clock_;
};

}  // namespace wendalore
