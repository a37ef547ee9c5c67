#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "tests/servers/ServerProcess.h"

namespace testservers {

// A server that speaks HTTP/2 over TLS on a free loopback port, with the
// valid server certificate of TLSCertificates::shared(). It serves files:
//   /small   200 with the body "ok"
class HTTP2Server {
 public:
  HTTP2Server();
  ~HTTP2Server();
  HTTP2Server(const HTTP2Server&) = delete;
  HTTP2Server& operator=(const HTTP2Server&) = delete;

  int port() const { return port_; }
  // "https://127.0.0.1:<port>", without a trailing slash.
  std::string baseURL() const;

 private:
  std::filesystem::path documents_;
  int port_;
  std::unique_ptr<ServerProcess> process_;
};

}  // namespace testservers
