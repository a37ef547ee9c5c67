#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace testservers {

// A server program started for the tests and stopped with them. It runs in
// a process group of its own and dies with the thread that started it, so
// a crashed test run leaves nothing behind.
class ServerProcess {
 public:
  // Starts `command` and waits until `ready` answers true; fails the
  // process with the server's log when it does not within `timeout`.
  ServerProcess(std::vector<std::string> command, const std::function<bool()>& ready,
                std::chrono::seconds timeout = std::chrono::seconds(30));
  ~ServerProcess();
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  // Terminates the whole process group and waits for it; idempotent.
  void stop();
  pid_t pid() const { return pid_; }

 private:
  std::string logPath_;
  pid_t pid_ = -1;
};

// A TCP port on 127.0.0.1 that nothing listens on right now.
int freeLoopbackPort();

// The status code of a plain GET on 127.0.0.1, or none when nothing answers
// within the timeout.
std::optional<int> loopbackHTTPStatus(int port, const std::string& path,
                                      std::chrono::milliseconds timeout = std::chrono::milliseconds(1000));

// True when a TCP connection to 127.0.0.1:port is accepted.
bool loopbackPortAccepts(int port);

}  // namespace testservers
