#include "Wendalore/Views/History/HistoryListModel.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace wendalore {

HistoryListModel::HistoryListModel(QObject* parent) : QAbstractListModel(parent) {
  pulseTimer_.setInterval(50);
  connect(&pulseTimer_, &QTimer::timeout, this, [this] {
    for (int row = 0; row < rowCount(); ++row) {
      if (item(row)->isPending()) emit dataChanged(index(row), index(row));
    }
  });
  clock_.start();
}

void HistoryListModel::setHistory(std::vector<std::shared_ptr<RequestHistoryItem>> history) {
  beginResetModel();
  history_ = std::move(history);
  observations_.clear();
  for (const auto& entry : history_) {
    observations_.push_back(entry->observe([this, record = entry.get()](std::string_view) { rowChanged(record); }));
  }
  endResetModel();
  updatePulse();
}

int HistoryListModel::rowOf(const std::shared_ptr<RequestHistoryItem>& item) const {
  if (!item) return -1;
  const auto found = std::ranges::find_if(history_, [&](const auto& entry) { return *entry == *item; });
  return found == history_.end() ? -1 : static_cast<int>(found - history_.begin());
}

int HistoryListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(history_.size());
}

QVariant HistoryListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const auto& entry = item(index.row());
  if (role == Qt::DisplayRole) return QString::fromStdString(entry->method() + " " + entry->url());
  // A narrow row cuts a notice and the reason of a failure short; the tip
  // tells them whole.
  if (role == Qt::ToolTipRole) {
    QStringList tip;
    for (const auto& text : {entry->notice(), entry->error()}) {
      if (text) tip.push_back(QString::fromStdString(*text));
    }
    if (!tip.isEmpty()) return tip.join('\n');
  }
  return {};
}

double HistoryListModel::pulse() const {
  const double seconds = static_cast<double>(clock_.elapsed()) / 1000.0;
  return 0.5 + 0.5 * std::cos(seconds * 2 * std::numbers::pi);
}

void HistoryListModel::rowChanged(const RequestHistoryItem* record) {
  const auto found = std::ranges::find_if(history_, [&](const auto& entry) { return entry.get() == record; });
  if (found == history_.end()) return;
  const int row = static_cast<int>(found - history_.begin());
  emit dataChanged(index(row), index(row));
  updatePulse();
}

void HistoryListModel::updatePulse() {
  const bool anyPending = std::ranges::any_of(history_, [](const auto& entry) { return entry->isPending(); });
  if (anyPending && !pulseTimer_.isActive()) pulseTimer_.start();
  if (!anyPending) pulseTimer_.stop();
}

}  // namespace wendalore
