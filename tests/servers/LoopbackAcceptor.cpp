#include "tests/servers/LoopbackAcceptor.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

namespace testservers {

void LoopbackAcceptor::start(std::function<void(int fd)> serve) {
  listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (::bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(listener, 128) != 0 ||
      ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    throw std::runtime_error("The loopback test server could not listen.");
  }
  port = ntohs(address.sin_port);
  acceptor = std::thread([this, serve = std::move(serve)] {
    while (true) {
      const int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
      std::lock_guard lock(mutex);
      if (stopping) {
        if (fd >= 0) ::close(fd);
        return;
      }
      if (fd < 0) continue;
      connections.insert(fd);
      ++accepted;
      mostAtOnce = std::max(mostAtOnce, connections.size());
      std::thread(serve, fd).detach();
    }
  });
}

void LoopbackAcceptor::close(int fd) {
  std::lock_guard lock(mutex);
  ::close(fd);
  connections.erase(fd);
  changed.notify_all();
}

void LoopbackAcceptor::stop() {
  {
    std::lock_guard lock(mutex);
    stopping = true;
    for (const int fd : connections) ::shutdown(fd, SHUT_RDWR);
    changed.notify_all();
  }
  ::shutdown(listener, SHUT_RDWR);
  acceptor.join();
  ::close(listener);
  std::unique_lock lock(mutex);
  changed.wait(lock, [&] { return connections.empty(); });
}

}  // namespace testservers
