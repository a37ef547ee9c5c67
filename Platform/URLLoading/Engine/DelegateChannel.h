#pragma once

#include <functional>
#include <memory>
#include <vector>

namespace platform {

class OperationQueue;
class URLSession;
class URLSessionDelegate;

// The engine's way to its session's delegate. Calls posted during one turn
// of the engine loop go to the delegate queue together, as one operation
// that makes them in the order posted: the delegate queue is woken once a
// turn instead of once a call. The channel holds the session and its
// delegate until the session is invalidated.
class DelegateChannel {
 public:
  using Call = std::move_only_function<void(URLSessionDelegate& delegate, const std::shared_ptr<URLSession>& session)>;

  // The delegate queue itself, for calls made off the engine thread: each
  // send is one operation of its own.
  class Target {
   public:
    void send(std::vector<Call> calls) const;
    bool hasDelegate() const { return delegate_ != nullptr; }

   private:
    friend class DelegateChannel;
    std::shared_ptr<URLSession> session_;
    std::shared_ptr<URLSessionDelegate> delegate_;
    std::shared_ptr<OperationQueue> queue_;
  };

  DelegateChannel(std::shared_ptr<URLSession> session, std::shared_ptr<URLSessionDelegate> delegate,
                  std::shared_ptr<OperationQueue> queue);

  // False for a session without a delegate: calls go nowhere and the engine
  // answers for the delegate itself.
  bool hasDelegate() const { return target_.hasDelegate(); }
  void post(Call call);
  // Hands the calls posted so far to the delegate queue.
  void send();
  Target target() const;
  // Sends the last call, after the session has let go of its delegate, and
  // lets go of both; operations already sent keep what they need.
  void close(Call lastCall);

 private:
  Target target_;
  std::vector<Call> pending_;
};

}  // namespace platform
