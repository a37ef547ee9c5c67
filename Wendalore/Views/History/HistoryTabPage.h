#pragma once

#include <QVBoxLayout>
#include <QWidget>

#include <memory>

#include "Platform/Store/ObserverList.h"
#include "Wendalore/Model/RequestHistoryItem.h"

namespace wendalore {

// A page of a send's detail: shows one record and follows its changes. The
// fields of a response arrive one by one; the page redraws once for them.
class HistoryTabPage : public QWidget {
 public:
  using QWidget::QWidget;

  void setItem(std::shared_ptr<RequestHistoryItem> item);
  const std::shared_ptr<RequestHistoryItem>& item() const { return item_; }

 protected:
  // Fills the page from the record; called with a record only.
  virtual void refresh() = 0;
  // Makes the page one borderless scroll area over a column whose layout it
  // returns, for pages taller than their place.
  QVBoxLayout* makeScrollingColumn();

 private:
  void scheduleRefresh();

  std::shared_ptr<RequestHistoryItem> item_;
  platform::ObservationToken observation_;
  bool refreshScheduled_ = false;
};

}  // namespace wendalore
