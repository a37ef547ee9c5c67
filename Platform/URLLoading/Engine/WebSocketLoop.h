#pragma once

#include <functional>
#include <memory>
#include <thread>

namespace boost::asio {
class io_context;
}

namespace platform {

// The thread that moves the bytes of a session's WebSocket connections,
// apart from the transfer library's engine thread: the connections wait on
// their sockets here and never hold the engine up. Whoever holds the loop
// keeps it running; it ends when the last holder lets go.
class WebSocketLoop {
 public:
  static std::shared_ptr<WebSocketLoop> make();

  WebSocketLoop();
  // Waits for the thread, unless it runs on it: then the thread ends by
  // itself once its last piece of work is done.
  ~WebSocketLoop();
  WebSocketLoop(const WebSocketLoop&) = delete;
  WebSocketLoop& operator=(const WebSocketLoop&) = delete;

  boost::asio::io_context& context() { return *context_; }
  // Any thread: runs `work` on the loop's thread, after what was posted
  // before.
  void post(std::move_only_function<void()> work);

 private:
  struct KeepRunning;

  std::shared_ptr<boost::asio::io_context> context_;
  std::unique_ptr<KeepRunning> keepRunning_;
  std::thread thread_;
};

}  // namespace platform
