#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "tests/servers/ScriptedHTTPServer.h"

namespace testservers {

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

  int port() const { return server_.port(); }
  // "http://127.0.0.1:<port>", without a trailing slash.
  std::string baseURL() const { return server_.baseURL(); }
  std::size_t requestCount() const { return server_.requestCount(); }
  std::size_t openConnections() const { return server_.openConnections(); }
  // True once no client connection is open, false when that takes longer
  // than `timeout`.
  bool waitUntilNoConnections(std::chrono::milliseconds timeout) const {
    return server_.waitUntilNoConnections(timeout);
  }

 private:
  ScriptedHTTPServer server_;
};

}  // namespace testservers
