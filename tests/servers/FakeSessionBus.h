#pragma once

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace testservers {

// A session bus on a local socket as far as a client's greeting goes: it
// takes every connection and answers each client's first line with `reply`,
// or, with an empty `reply`, never answers at all. One `busyFor` a while
// keeps no backlog and accepts nothing until that while is over.
class FakeSessionBus {
 public:
  FakeSessionBus(std::filesystem::path path, std::string reply, std::chrono::milliseconds busyFor = {})
      : path_(std::move(path)), reply_(std::move(reply)), busyFor_(busyFor) {
    listener_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path_.c_str(), sizeof address.sun_path - 1);
    if (listener_ < 0 || bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, busyFor_.count() ? 0 : 16) != 0) {
      throw std::system_error(errno, std::generic_category(), "FakeSessionBus");
    }
    server_ = std::thread([this] { serve(); });
  }

  ~FakeSessionBus() {
    shutdown(listener_, SHUT_RDWR);
    server_.join();
    close(listener_);
    for (const int client : clients_) close(client);
  }

  std::string address() const { return "unix:path=" + path_.string(); }

  // The first line of each client that sent one, line break included.
  std::vector<std::string> greetings() const {
    std::lock_guard lock(mutex_);
    return greetings_;
  }

 private:
  void serve() {
    std::this_thread::sleep_for(busyFor_);
    for (;;) {
      const int client = accept(listener_, nullptr, nullptr);
      if (client < 0) return;
      clients_.push_back(client);
      if (reply_.empty()) continue;
      std::string line;
      char byte;
      while (!line.ends_with("\r\n") && recv(client, &byte, 1, 0) == 1) line += byte;
      {
        std::lock_guard lock(mutex_);
        greetings_.push_back(line);
      }
      send(client, reply_.data(), reply_.size(), MSG_NOSIGNAL);
    }
  }

  std::filesystem::path path_;
  std::string reply_;
  std::chrono::milliseconds busyFor_;
  int listener_ = -1;
  std::vector<int> clients_;
  mutable std::mutex mutex_;
  std::vector<std::string> greetings_;
  std::thread server_;
};

}  // namespace testservers
