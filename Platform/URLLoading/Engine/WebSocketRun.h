#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string_view>
#include <variant>

#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/HTTPHeaderFields.h"
#include "Platform/Foundation/URLError.h"
#include "Platform/URLLoading/Engine/DelegateChannel.h"
#include "Platform/URLLoading/Engine/WebSocketStream.h"
#include "Platform/URLLoading/URLSessionTaskTransactionMetrics.h"
#include "Platform/URLLoading/URLSessionWebSocketTask.h"

namespace platform {

class OperationQueue;
class SecTrust;
class SessionEngine;
class URLSessionConfiguration;
class WebSocketLoop;

// A WebSocket task as its loop's thread drives it: connecting, for wss the
// TLS handshake and the server-trust decision, the upgrade, then messages,
// pings and the closing handshake, up to the metrics and the completion,
// which reach the delegate exactly once whatever way the task ends.
//
// The public operations may be called from any thread; each posts its work
// to the loop and returns. The task controls come from the engine thread,
// after `attach`.
class WebSocketRun : public std::enable_shared_from_this<WebSocketRun> {
 public:
  using Message = URLSessionWebSocketTask::Message;
  using SendCompletionHandler = URLSessionWebSocketTask::SendCompletionHandler;
  using ReceiveCompletionHandler = URLSessionWebSocketTask::ReceiveCompletionHandler;
  using PongReceiveHandler = URLSessionWebSocketTask::PongReceiveHandler;

  // Handlers are answered on `handlerQueue`, which must be the delegate's
  // queue. With a `refusal` (the session was invalidated before the task
  // was made) the run starts ended: it never connects and answers every
  // handler with the refusal.
  WebSocketRun(const std::shared_ptr<URLSessionWebSocketTask>& task, std::shared_ptr<WebSocketLoop> loop,
               std::shared_ptr<OperationQueue> handlerQueue,
               std::shared_ptr<const URLSessionConfiguration> configuration, AnyError refusal);
  WebSocketRun(const WebSocketRun&) = delete;
  WebSocketRun& operator=(const WebSocketRun&) = delete;

  void attach(DelegateChannel::Target delegate, std::weak_ptr<SessionEngine> engine);
  void resume();
  void suspend();
  void cancel();

  void send(Message message, SendCompletionHandler completionHandler);
  void receive(ReceiveCompletionHandler completionHandler);
  void sendPing(PongReceiveHandler pongReceiveHandler);

 private:
  enum class Phase { notStarted, connecting, open, closing, ended };
  using Result = WebSocketStream::Result;

  struct SendRequest {
    Message message;
    SendCompletionHandler handler;
  };
  struct PingRequest {
    std::uint64_t number;
    PongReceiveHandler handler;
  };
  struct CloseFrame {
    URLSessionWebSocketCloseCode code;
    std::optional<Data> reason;
  };
  using Outgoing = std::variant<SendRequest, PingRequest, CloseFrame>;

  // How the task ends; the first cause decides.
  struct Ending {
    // What the task completes with; null after a clean close.
    AnyError taskError;
    // What every handler still waiting, or asked for later, gets.
    AnyError handlerError;
    // The close frame the delegate hears of.
    std::optional<CloseFrame> closeFrame;
  };

  // Runs `work` on the loop, then finishes the task if that ended it.
  template <class Work>
  void onLoop(Work work);
  // The same once `delay` has passed, unless the run is gone by then.
  template <class Work>
  void onLoopAfter(WebSocketStream::Duration delay, Work work);
  // Starts a stream operation whose completion goes to `then`, then
  // finishes the task if that ended it.
  WebSocketStream::Completion track(void (WebSocketRun::*then)(Result));

  // On the loop's thread from here on.
  void start();
  void resolved(Result result);
  void connected(Result result);
  void secured(Result result);
  // The one place where a wss connection's server trust is decided, after
  // the TLS handshake and before any byte of the upgrade request: by the
  // delegate's answer to a server-trust challenge (the system's judgement
  // without a delegate). The answer comes through `serverTrustDecided`,
  // later, from a post to the loop: the loop never waits for it.
  void decideServerTrust(const std::shared_ptr<SecTrust>& trust);
  void serverTrustDecided(AnyError refusal);
  void sendUpgrade();
  void upgraded(Result result);

  void pump();
  void readDone(Result result);
  void deliver(Message message);
  void startWrite();
  void writeDone(Result result);
  void pongArrived(std::string_view payload);

  // The peer's close frame came: the task ends as that close.
  void closedByPeer();
  void cancelNow();
  void beginClosing(CloseFrame frame);
  void fail(Result result);
  void fail(AnyError error);
  void decide(Ending ending);
  // No more I/O: closes the socket unless the stream shut it already.
  void stop();
  void settle();
  void finish();

  AnyError urlError(URLError::Code code) const;

  std::shared_ptr<URLSessionWebSocketTask> task_;
  const std::uint64_t identifier_;
  const std::optional<URL> url_;
  const std::shared_ptr<WebSocketLoop> loop_;
  const std::shared_ptr<OperationQueue> handlerQueue_;
  const std::shared_ptr<const URLSessionConfiguration> configuration_;
  DelegateChannel::Target delegate_;
  std::weak_ptr<SessionEngine> engine_;

  Phase phase_ = Phase::notStarted;
  bool suspended_ = true;
  bool stopped_ = false;
  std::optional<Ending> ending_;
  std::unique_ptr<WebSocketStream> stream_;
  HTTPHeaderFields upgradeFields_;
  bool secure_ = false;
  // Between the challenge and its answer, or the time-out: whichever comes
  // first clears it, and the other then does nothing.
  bool awaitingTrust_ = false;
  WebSocketStream::Duration timeout_{};
  URLSessionTaskTransactionMetrics transaction_;

  int operationsUnderWay_ = 0;
  bool reading_ = false;
  bool writing_ = false;
  std::deque<ReceiveCompletionHandler> receives_;
  // Messages that came while nobody asked.
  std::deque<Message> inbox_;
  // The front one is being written while `writing_`.
  std::deque<Outgoing> outgoing_;
  // Pings written, in order, waiting for their pong.
  std::deque<PingRequest> pongsAwaited_;
  std::uint64_t nextPingNumber_ = 1;
};

}  // namespace platform
