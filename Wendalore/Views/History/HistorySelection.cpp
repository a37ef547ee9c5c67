#include "Wendalore/Views/History/HistorySelection.h"

namespace wendalore {

void HistorySelection::setItem(std::shared_ptr<RequestHistoryItem> item) {
  if (item == item_) return;
  item_ = std::move(item);
  emit changed();
}

}  // namespace wendalore
