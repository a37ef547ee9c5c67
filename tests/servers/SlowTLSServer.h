#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

namespace testservers {

struct SlowTLSServerState;

// A TLS server inside the test process, on a free loopback port, that
// keeps every connection it accepts waiting a while without a word before
// it does anything: a server slow to handshake, or one whose connections
// all fail. Each connection has its own thread.
class SlowTLSServer {
 public:
  enum class AfterTheWait {
    // Handshakes with the valid test server certificate, offering no
    // protocol but HTTP/1.1, and answers every request on the connection
    // 200 with the body "ok".
    serve,
    // Closes the connection without a handshake.
    close,
  };

  SlowTLSServer(std::chrono::milliseconds wait, AfterTheWait afterTheWait);
  // Closes every connection and waits for their threads.
  ~SlowTLSServer();
  SlowTLSServer(const SlowTLSServer&) = delete;
  SlowTLSServer& operator=(const SlowTLSServer&) = delete;

  // "https://127.0.0.1:<port>", without a trailing slash.
  std::string baseURL() const;
  std::size_t connectionCount() const;
  // The most connections that were open at one time.
  std::size_t mostConnectionsAtOnce() const;

 private:
  std::shared_ptr<SlowTLSServerState> state_;
};

}  // namespace testservers
