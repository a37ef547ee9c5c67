#include "tests/servers/TLSServerContext.h"

#include <signal.h>

#include <stdexcept>
#include <string>

#include "tests/servers/TLSCertificates.h"

namespace testservers {

ContextPointer makeServerContext(std::string_view server) {
  const auto& certificates = TLSCertificates::shared();
  const auto kind = TLSCertificates::Kind::valid;
  ContextPointer context(SSL_CTX_new(TLS_server_method()), &SSL_CTX_free);
  if (!context ||
      SSL_CTX_use_certificate_chain_file(context.get(), certificates.certificatePath(kind).c_str()) != 1 ||
      SSL_CTX_use_PrivateKey_file(context.get(), certificates.keyPath(kind).c_str(), SSL_FILETYPE_PEM) != 1) {
    throw std::runtime_error("The " + std::string(server) + " could not load its certificate.");
  }
  return context;
}

void blockBrokenPipeSignal() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

}  // namespace testservers
