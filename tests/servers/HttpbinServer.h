#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tests/servers/ServerProcess.h"

namespace testservers {

// The gunicorn command line that serves httpbin on 127.0.0.1:port; options
// go before its last element, the application.
std::vector<std::string> httpbinCommand(int port);

// A real httpbin under gunicorn on a free loopback port. Threaded workers
// keep connections alive, so connection reuse can be observed.
class HttpbinServer {
 public:
  HttpbinServer();

  // Started on first use, stopped when the test program's tests have run.
  static HttpbinServer& shared();

  int port() const { return port_; }
  // "http://127.0.0.1:<port>", without a trailing slash.
  std::string baseURL() const;
  void stop() { process_->stop(); }
  pid_t pid() const { return process_->pid(); }

 private:
  int port_;
  std::unique_ptr<ServerProcess> process_;
};

}  // namespace testservers
