#include "tests/servers/SlowTLSServer.h"

#include <openssl/ssl.h>

#include <mutex>
#include <string_view>

#include "tests/servers/LoopbackAcceptor.h"
#include "tests/servers/TLSServerContext.h"

namespace testservers {

struct SlowTLSServerState : LoopbackAcceptor {
  std::chrono::milliseconds wait{};
  SlowTLSServer::AfterTheWait afterTheWait = SlowTLSServer::AfterTheWait::close;
  ContextPointer context{nullptr, &SSL_CTX_free};
};

namespace {

constexpr std::string_view answer = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";

// Each request is taken to be a head without a body.
void answerRequests(SSL_CTX* context, int fd) {
  const std::unique_ptr<SSL, decltype(&SSL_free)> connection(SSL_new(context), &SSL_free);
  if (!connection || SSL_set_fd(connection.get(), fd) != 1 || SSL_accept(connection.get()) != 1) return;
  std::string received;
  char chunk[4096];
  while (true) {
    if (const auto headEnd = received.find("\r\n\r\n"); headEnd != std::string::npos) {
      received.erase(0, headEnd + 4);
      if (SSL_write(connection.get(), answer.data(), static_cast<int>(answer.size())) <= 0) return;
      continue;
    }
    const int count = SSL_read(connection.get(), chunk, sizeof chunk);
    if (count <= 0) return;
    received.append(chunk, static_cast<std::size_t>(count));
  }
}

void serve(const std::shared_ptr<SlowTLSServerState>& state, int fd) {
  blockBrokenPipeSignal();
  {
    std::unique_lock lock(state->mutex);
    state->changed.wait_for(lock, state->wait, [&] { return state->stopping; });
  }
  if (state->afterTheWait == SlowTLSServer::AfterTheWait::serve) answerRequests(state->context.get(), fd);
  state->close(fd);
}

}  // namespace

SlowTLSServer::SlowTLSServer(std::chrono::milliseconds wait, AfterTheWait afterTheWait)
    : state_(std::make_shared<SlowTLSServerState>()) {
  state_->wait = wait;
  state_->afterTheWait = afterTheWait;
  state_->context = makeServerContext("slow TLS test server");
  state_->start([state = state_](int fd) { serve(state, fd); });
}

SlowTLSServer::~SlowTLSServer() { state_->stop(); }

std::string SlowTLSServer::baseURL() const { return "https://127.0.0.1:" + std::to_string(state_->port); }

std::size_t SlowTLSServer::connectionCount() const {
  std::lock_guard lock(state_->mutex);
  return state_->accepted;
}

std::size_t SlowTLSServer::mostConnectionsAtOnce() const {
  std::lock_guard lock(state_->mutex);
  return state_->mostAtOnce;
}

}  // namespace testservers
