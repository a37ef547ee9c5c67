#include "Platform/Dispatch/DispatchWorkItem.h"

namespace platform {

std::shared_ptr<DispatchWorkItem> DispatchWorkItem::make(Block block) {
  return std::make_shared<DispatchWorkItem>(std::move(block));
}

void DispatchWorkItem::perform() {
  if (!isCancelled() && block_) block_();
}

}  // namespace platform
