#pragma once

#include <memory>
#include <string>

#include "tests/servers/ServerProcess.h"
#include "tests/servers/TLSCertificates.h"

namespace testservers {

// httpbin under gunicorn, as HttpbinServer, but over TLS with the server
// certificate of one kind from TLSCertificates::shared().
class TLSHttpbinServer {
 public:
  explicit TLSHttpbinServer(TLSCertificates::Kind kind);

  // One server per kind, started on first use, stopped when the test
  // program's tests have run.
  static TLSHttpbinServer& shared(TLSCertificates::Kind kind);

  TLSCertificates::Kind kind() const { return kind_; }
  const TLSCertificates& certificates() const { return TLSCertificates::shared(); }
  int port() const { return port_; }
  // "https://127.0.0.1:<port>", without a trailing slash.
  std::string baseURL() const;
  void stop() { process_->stop(); }
  pid_t pid() const { return process_->pid(); }

 private:
  TLSCertificates::Kind kind_;
  int port_;
  std::unique_ptr<ServerProcess> process_;
};

// The status code of a GET over TLS to 127.0.0.1, the certificate not
// checked, or none when nothing answers within the timeout.
std::optional<int> loopbackHTTPSStatus(int port, const std::string& path,
                                       std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));

}  // namespace testservers
