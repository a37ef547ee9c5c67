#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

namespace testservers {

struct LoopbackServerState;

// A small HTTP/1.1 server inside the test process, on a free loopback
// port, for what httpbin cannot do and for loops that must be quick.
// Connections are kept alive. Paths:
//   /tiny                  200 with the two-byte body "ok"
//   /echo                  200 with the request body as the response body
//   /reset-mid-body        announces 100,000 bytes, sends 1,000, then resets
//   /truncated-chunked     one chunk, then the connection closes
//   /huge-header-block     "ok" after a header block of about 150 KB
//   /huge-header-line      "ok" after one header line of about 150 KB
//   /not-found-json        404 with a small JSON object as its body
//   /close-after-response  "ok", then the next request on the connection is
//                          read in full and answered by closing it
//   anything else          404
class LoopbackHTTPServer {
 public:
  LoopbackHTTPServer();
  // Closes every connection and waits for their threads.
  ~LoopbackHTTPServer();
  LoopbackHTTPServer(const LoopbackHTTPServer&) = delete;
  LoopbackHTTPServer& operator=(const LoopbackHTTPServer&) = delete;

  int port() const;
  // "http://127.0.0.1:<port>", without a trailing slash.
  std::string baseURL() const;
  std::size_t requestCount() const;
  std::size_t openConnections() const;
  // True once no client connection is open, false when that takes longer
  // than `timeout`.
  bool waitUntilNoConnections(std::chrono::milliseconds timeout) const;

 private:
  std::shared_ptr<LoopbackServerState> state_;
};

}  // namespace testservers
