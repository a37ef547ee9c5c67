#pragma once

#include <filesystem>
#include <string>

#include "Platform/Foundation/Data.h"
#include "tests/servers/TestCertificates.h"

namespace testservers {

// The certificates of the TLS test servers: one test CA and, signed by it,
// a server certificate for each kind. Made on first use in a temporary
// directory that is removed when the test program ends.
class TLSCertificates {
 public:
  enum class Kind {
    // For 127.0.0.1 and localhost, valid now.
    valid,
    // For 127.0.0.1 and localhost, but its validity ended a month ago.
    expired,
    // Valid now, but only for wrong.host.invalid.
    wrongName,
  };

  static const TLSCertificates& shared();
  ~TLSCertificates();
  TLSCertificates(const TLSCertificates&) = delete;
  TLSCertificates& operator=(const TLSCertificates&) = delete;

  const TestIdentity& ca() const { return ca_; }
  const TestIdentity& server(Kind kind) const;

  // PEM files, for servers and for clients that take a CA file.
  std::filesystem::path caCertificatePath() const { return directory_ / "ca.pem"; }
  std::filesystem::path certificatePath(Kind kind) const;
  std::filesystem::path keyPath(Kind kind) const;

 private:
  TLSCertificates();

  std::filesystem::path directory_;
  TestIdentity ca_;
  TestIdentity valid_;
  TestIdentity expired_;
  TestIdentity wrongName_;
};

}  // namespace testservers
