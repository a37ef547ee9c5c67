#include "Platform/URLLoading/Engine/DelegateChannel.h"

#include "Platform/Dispatch/OperationQueue.h"
#include "Platform/URLLoading/URLSession.h"
#include "Platform/URLLoading/URLSessionDelegate.h"

namespace platform {

void DelegateChannel::Target::send(std::vector<Call> calls) const {
  if (!delegate_ || calls.empty()) return;
  queue_->addOperation([session = session_, delegate = delegate_, calls = std::move(calls)]() mutable {
    for (auto& call : calls) call(*delegate, session);
  });
}

DelegateChannel::DelegateChannel(std::shared_ptr<URLSession> session, std::shared_ptr<URLSessionDelegate> delegate,
                                 std::shared_ptr<OperationQueue> queue) {
  target_.session_ = std::move(session);
  target_.delegate_ = std::move(delegate);
  target_.queue_ = std::move(queue);
}

void DelegateChannel::post(Call call) {
  if (hasDelegate()) pending_.push_back(std::move(call));
}

void DelegateChannel::send() { target_.send(std::exchange(pending_, {})); }

DelegateChannel::Target DelegateChannel::target() const { return target_; }

void DelegateChannel::close(Call lastCall) {
  target_.session_->releaseDelegate();
  post(std::move(lastCall));
  send();
  target_ = Target();
}

}  // namespace platform
