#include "Wendanet/Source/Async/StreamQueues.h"

namespace wendanet {

const std::shared_ptr<platform::DispatchQueue>& singleEventQueue() {
  static const auto* queue = new std::shared_ptr<platform::DispatchQueue>(platform::DispatchQueue::make(
      "org.wendanet.concurrencySingleEventQueue", platform::DispatchQueue::Attributes::concurrent));
  return *queue;
}

std::shared_ptr<platform::DispatchQueue> streamCompletionQueue(const platform::UUID& requestID) {
  return platform::DispatchQueue::make("org.wendanet.concurrencyStreamCompletionQueue-" + requestID.description(),
                                       platform::DispatchQueue::Attributes::serial, singleEventQueue());
}

}  // namespace wendanet
