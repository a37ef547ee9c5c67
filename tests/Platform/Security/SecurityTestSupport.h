#pragma once

#include <memory>
#include <string>

#include "Platform/Security/SecCertificate.h"
#include "Platform/Security/SecTrust.h"
#include "tests/servers/TestCertificates.h"

inline std::shared_ptr<platform::SecCertificate> secCertificate(const testservers::TestIdentity& identity) {
  return platform::SecCertificate::make(identity.der());
}

inline testservers::TestIdentity testCA(const std::string& name = "Test Root CA",
                                        const testservers::TestIdentity* issuer = nullptr) {
  return testservers::TestIdentity::issue(testservers::CertificateSpec::authority(name), issuer);
}

// A server certificate for localhost and 127.0.0.1.
inline testservers::CertificateSpec localhostSpec() {
  return testservers::CertificateSpec::server("localhost", {"localhost"}, {"127.0.0.1"});
}

// The verification code of the failure, or X509_V_OK when `trust` passes.
inline int verifyResultOf(platform::SecTrust& trust) {
  const auto evaluated = trust.evaluateWithError();
  return evaluated ? 0 : evaluated.error().verifyResult();
}
