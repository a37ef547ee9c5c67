#include "Wendalore/Views/History/BackgroundWork.h"

namespace wendalore {

const std::shared_ptr<platform::DispatchQueue>& historyBackgroundQueue() {
  // Never destroyed: a block may still be running at exit.
  static const auto* queue = new std::shared_ptr<platform::DispatchQueue>(
      platform::DispatchQueue::make("org.wendalore.history.text"));
  return *queue;
}

}  // namespace wendalore
