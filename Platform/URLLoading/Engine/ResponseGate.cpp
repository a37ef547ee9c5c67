#include "Platform/URLLoading/Engine/ResponseGate.h"

namespace platform {

bool ResponseGate::answer(URLSessionResponseDisposition disposition) {
  Ending ending;
  {
    std::lock_guard lock(mutex_);
    if (!ending_) {
      answer_ = disposition;
      return false;
    }
    ending.swap(ending_);
  }
  ending(disposition);
  return true;
}

void ResponseGate::park(Ending ending) {
  std::optional<URLSessionResponseDisposition> answered;
  {
    std::lock_guard lock(mutex_);
    answered = answer_;
    if (!answered) ending_ = std::move(ending);
  }
  if (answered) ending(*answered);
}

ResponseGate::Ending ResponseGate::reclaim() {
  Ending ending;
  std::lock_guard lock(mutex_);
  ending.swap(ending_);
  return ending;
}

}  // namespace platform
