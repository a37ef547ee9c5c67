#pragma once

#include <QObject>

#include <memory>

#include "Wendalore/Model/RequestHistoryItem.h"

namespace wendalore {

// The window's selected history entry, shared by the history list and
// whoever else shows it; it lives with the window, not with the list.
class HistorySelection : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

  const std::shared_ptr<RequestHistoryItem>& item() const { return item_; }
  void setItem(std::shared_ptr<RequestHistoryItem> item);

 signals:
  void changed();

 private:
  std::shared_ptr<RequestHistoryItem> item_;
};

}  // namespace wendalore
