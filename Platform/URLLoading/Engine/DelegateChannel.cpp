#include "Platform/URLLoading/Engine/DelegateChannel.h"

#include "Platform/Dispatch/OperationQueue.h"
#include "Platform/URLLoading/URLSession.h"
#include "Platform/URLLoading/URLSessionDelegate.h"

namespace platform {

DelegateChannel::DelegateChannel(std::shared_ptr<URLSession> session, std::shared_ptr<URLSessionDelegate> delegate,
                                 std::shared_ptr<OperationQueue> queue)
    : session_(std::move(session)), delegate_(std::move(delegate)), queue_(std::move(queue)) {}

void DelegateChannel::post(Call call) {
  if (!delegate_) return;
  queue_->addOperation([session = session_, delegate = delegate_, call = std::move(call)]() mutable {
    call(*delegate, session);
  });
}

void DelegateChannel::close(Call lastCall) {
  session_->releaseDelegate();
  post(std::move(lastCall));
  session_.reset();
  delegate_.reset();
}

}  // namespace platform
