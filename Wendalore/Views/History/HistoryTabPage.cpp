#include "Wendalore/Views/History/HistoryTabPage.h"

#include <QScrollArea>
#include <QTimer>

namespace wendalore {

void HistoryTabPage::setItem(std::shared_ptr<RequestHistoryItem> item) {
  item_ = std::move(item);
  observation_ = item_ ? item_->observe([this](std::string_view) { scheduleRefresh(); }) : platform::ObservationToken();
  if (item_) refresh();
}

void HistoryTabPage::scheduleRefresh() {
  if (refreshScheduled_) return;
  refreshScheduled_ = true;
  QTimer::singleShot(0, this, [this] {
    refreshScheduled_ = false;
    if (item_) refresh();
  });
}

QVBoxLayout* HistoryTabPage::makeScrollingColumn() {
  auto* content = new QWidget;
  auto* column = new QVBoxLayout(content);
  auto* scroll = new QScrollArea;
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidget(content);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(scroll);
  return column;
}

}  // namespace wendalore
