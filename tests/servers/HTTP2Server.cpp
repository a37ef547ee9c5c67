#include "tests/servers/HTTP2Server.h"

#include <stdlib.h>

#include <fstream>
#include <system_error>

#include "tests/servers/TLSCertificates.h"
#include "tests/servers/TLSHttpbinServer.h"

namespace testservers {

namespace {

std::filesystem::path makeDocuments() {
  std::string pattern = (std::filesystem::temp_directory_path() / "wendalore-h2-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::system_error(errno, std::generic_category(), "mkdtemp");
  std::ofstream(std::filesystem::path(pattern) / "small", std::ios::binary) << "ok";
  return pattern;
}

}  // namespace

HTTP2Server::HTTP2Server() : documents_(makeDocuments()), port_(freeLoopbackPort()) {
  const auto& certificates = TLSCertificates::shared();
  const auto kind = TLSCertificates::Kind::valid;
  process_ = std::make_unique<ServerProcess>(
      std::vector<std::string>{"/usr/sbin/nghttpd", "--address=127.0.0.1", "--htdocs=" + documents_.string(),
                               std::to_string(port_), certificates.keyPath(kind).string(),
                               certificates.certificatePath(kind).string()},
      [port = port_] { return loopbackHTTPSStatus(port, "/small") == 200; });
}

HTTP2Server::~HTTP2Server() {
  process_->stop();
  std::error_code ignored;
  std::filesystem::remove_all(documents_, ignored);
}

std::string HTTP2Server::baseURL() const { return "https://127.0.0.1:" + std::to_string(port_); }

}  // namespace testservers
