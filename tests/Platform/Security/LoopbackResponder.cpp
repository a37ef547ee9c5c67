#include "tests/Platform/Security/LoopbackResponder.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <stdexcept>

namespace {

bool sendAll(int connection, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t sent = ::send(connection, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

// The request head and as much of the body as its Content-Length names.
std::string readRequest(int connection) {
  std::string request;
  char buffer[4096];
  std::size_t wanted = std::string::npos;
  while (request.size() < wanted) {
    const ssize_t count = ::recv(connection, buffer, sizeof buffer, 0);
    if (count <= 0) break;
    request.append(buffer, static_cast<std::size_t>(count));
    const std::size_t headEnd = request.find("\r\n\r\n");
    if (headEnd == std::string::npos || wanted != std::string::npos) continue;
    const std::size_t length = request.find("Content-Length: ");
    wanted = headEnd + 4 + (length < headEnd ? std::strtoul(request.c_str() + length + 16, nullptr, 10) : 0);
  }
  return request;
}

}  // namespace

LoopbackResponder::LoopbackResponder() : listener_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener_, 16) != 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    throw std::runtime_error("loopback responder: cannot listen");
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { run(); });
}

LoopbackResponder::~LoopbackResponder() {
  ::shutdown(listener_, SHUT_RDWR);  // wakes the accept
  thread_.join();
  ::close(listener_);
}

std::string LoopbackResponder::url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void LoopbackResponder::serve(const std::string& path, platform::Data body) {
  std::lock_guard lock(mutex_);
  bodies_.insert_or_assign(path, std::move(body));
}

void LoopbackResponder::run() {
  for (;;) {
    const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) return;
    answer(connection);
    ::close(connection);
  }
}

void LoopbackResponder::answer(int connection) {
  const std::string request = readRequest(connection);
  const std::size_t pathStart = request.find(' ') + 1;
  const std::string path = request.substr(pathStart, request.find(' ', pathStart) - pathStart);
  std::optional<platform::Data> body;
  {
    std::lock_guard lock(mutex_);
    if (const auto found = bodies_.find(path); found != bodies_.end()) body = found->second;
  }
  ++requests_;
  if (!body) {
    sendAll(connection, "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    return;
  }
  sendAll(connection,
          "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body->size()) + "\r\nConnection: close\r\n\r\n");
  sendAll(connection, body->view());
}
