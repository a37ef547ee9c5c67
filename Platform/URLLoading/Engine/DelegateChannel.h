#pragma once

#include <functional>
#include <memory>

namespace platform {

class OperationQueue;
class URLSession;
class URLSessionDelegate;

// The engine's way to its session's delegate: every call becomes one
// operation on the delegate queue, in the order posted. The channel holds
// the session and its delegate until the session is invalidated.
class DelegateChannel {
 public:
  using Call = std::move_only_function<void(URLSessionDelegate& delegate, const std::shared_ptr<URLSession>& session)>;

  DelegateChannel(std::shared_ptr<URLSession> session, std::shared_ptr<URLSessionDelegate> delegate,
                  std::shared_ptr<OperationQueue> queue);

  // False for a session without a delegate: calls go nowhere and the engine
  // answers for the delegate itself.
  bool hasDelegate() const { return delegate_ != nullptr; }
  void post(Call call);
  // Posts the last call, after the session has let go of its delegate, and
  // lets go of both; operations already posted keep what they need.
  void close(Call lastCall);

 private:
  std::shared_ptr<URLSession> session_;
  std::shared_ptr<URLSessionDelegate> delegate_;
  std::shared_ptr<OperationQueue> queue_;
};

}  // namespace platform
