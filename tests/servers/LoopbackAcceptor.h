#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <set>
#include <thread>

namespace testservers {

// The listening half of a test server inside the test process: a socket on
// a free loopback port, a thread that accepts on it, and the connections
// open, each served on a thread of its own. A server's state derives from
// it, so that its own fields share the one lock.
struct LoopbackAcceptor {
  int listener = -1;
  int port = 0;
  std::thread acceptor;
  mutable std::mutex mutex;
  mutable std::condition_variable changed;
  std::set<int> connections;
  std::size_t accepted = 0;
  // The most connections that were open at one time.
  std::size_t mostAtOnce = 0;
  bool stopping = false;

  // Listens, then runs `serve` on a thread of its own for every connection
  // until `stop`; throws when it cannot listen. `serve` ends by handing the
  // connection to `close`.
  void start(std::function<void(int fd)> serve);
  void close(int fd);
  // Shuts every connection down and waits until each has been closed.
  void stop();
};

}  // namespace testservers
