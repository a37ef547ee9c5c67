#include "tests/servers/TLSCertificates.h"

#include <stdlib.h>

#include <fstream>
#include <system_error>

namespace testservers {

namespace {

std::filesystem::path makeTemporaryDirectory() {
  std::string pattern = (std::filesystem::temp_directory_path() / "wendalore-tls-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::system_error(errno, std::generic_category(), "mkdtemp");
  return pattern;
}

void writeFile(const std::filesystem::path& path, const std::string& contents) {
  std::ofstream file(path, std::ios::binary);
  file << contents;
  if (!file.flush()) throw std::runtime_error("could not write " + path.string());
}

CertificateSpec loopbackServer() { return CertificateSpec::server("localhost", {"localhost"}, {"127.0.0.1"}); }

CertificateSpec expiredLoopbackServer() {
  CertificateSpec spec = loopbackServer();
  spec.notBefore = std::chrono::days(-60);
  spec.notAfter = std::chrono::days(-30);
  return spec;
}

CertificateSpec wrongNameServer() { return CertificateSpec::server("wrong.host.invalid", {"wrong.host.invalid"}); }

std::string fileStem(TLSCertificates::Kind kind) {
  switch (kind) {
    case TLSCertificates::Kind::valid: return "valid";
    case TLSCertificates::Kind::expired: return "expired";
    case TLSCertificates::Kind::wrongName: return "wrong-name";
  }
  return "unknown";
}

}  // namespace

TLSCertificates::TLSCertificates()
    : directory_(makeTemporaryDirectory()),
      ca_(TestIdentity::issue(CertificateSpec::authority("Wendalore Test CA"))),
      valid_(TestIdentity::issue(loopbackServer(), &ca_)),
      expired_(TestIdentity::issue(expiredLoopbackServer(), &ca_)),
      wrongName_(TestIdentity::issue(wrongNameServer(), &ca_)) {
  writeFile(caCertificatePath(), ca_.certificatePEM());
  for (const Kind kind : {Kind::valid, Kind::expired, Kind::wrongName}) {
    writeFile(certificatePath(kind), server(kind).certificatePEM());
    writeFile(keyPath(kind), server(kind).keyPEM());
  }
}

TLSCertificates::~TLSCertificates() {
  std::error_code ignored;
  std::filesystem::remove_all(directory_, ignored);
}

const TLSCertificates& TLSCertificates::shared() {
  static const TLSCertificates certificates;
  return certificates;
}

const TestIdentity& TLSCertificates::server(Kind kind) const {
  switch (kind) {
    case Kind::valid: return valid_;
    case Kind::expired: return expired_;
    case Kind::wrongName: return wrongName_;
  }
  return valid_;
}

std::filesystem::path TLSCertificates::certificatePath(Kind kind) const {
  return directory_ / (fileStem(kind) + ".pem");
}

std::filesystem::path TLSCertificates::keyPath(Kind kind) const { return directory_ / (fileStem(kind) + "-key.pem"); }

}  // namespace testservers
