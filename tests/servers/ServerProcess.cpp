#include "tests/servers/ServerProcess.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

namespace testservers {

namespace {

sockaddr_in loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

class Socket {
 public:
  Socket() : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {}
  ~Socket() {
    if (fd_ >= 0) ::close(fd_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

bool waitFor(int fd, short events, std::chrono::milliseconds timeout) {
  pollfd entry{fd, events, 0};
  return ::poll(&entry, 1, static_cast<int>(timeout.count())) == 1;
}

std::string readFile(const std::string& path) {
  std::ifstream file(path);
  std::stringstream contents;
  contents << file.rdbuf();
  return contents.str();
}

}  // namespace

ServerProcess::ServerProcess(std::vector<std::string> command, const std::function<bool()>& ready,
                             std::chrono::seconds timeout) {
  char logTemplate[] = "/tmp/wendalore-server-XXXXXX";
  const int logFd = ::mkstemp(logTemplate);
  logPath_ = logTemplate;
  // Made before the fork: the child of a process with other threads must
  // not allocate, as another thread may have held the allocator's lock.
  std::vector<char*> arguments;
  for (auto& part : command) arguments.push_back(part.data());
  arguments.push_back(nullptr);
  const pid_t parent = ::getpid();
  pid_ = ::fork();
  if (pid_ == 0) {
    ::setpgid(0, 0);
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) ::_exit(1);
    ::dup2(logFd, STDOUT_FILENO);
    ::dup2(logFd, STDERR_FILENO);
    ::execvp(arguments[0], arguments.data());
    std::perror("exec");
    ::_exit(127);
  }
  ::close(logFd);
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!ready()) {
    int status = 0;
    const bool exited = ::waitpid(pid_, &status, WNOHANG) == pid_;
    if (exited || std::chrono::steady_clock::now() > deadline) {
      if (exited) pid_ = -1;
      std::cerr << "Test server did not start: " << command[0] << "\n" << readFile(logPath_) << std::endl;
      stop();
      std::exit(1);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

ServerProcess::~ServerProcess() { stop(); }

void ServerProcess::stop() {
  if (pid_ > 0) {
    ::kill(-pid_, SIGTERM);
    int status = 0;
    for (int attempt = 0; attempt < 100 && ::waitpid(pid_, &status, WNOHANG) == 0; ++attempt) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (::waitpid(pid_, &status, WNOHANG) == 0) {
      ::kill(-pid_, SIGKILL);
      ::waitpid(pid_, &status, 0);
    }
    ::kill(-pid_, SIGKILL);  // workers that outlived their master
    pid_ = -1;
  }
  if (!logPath_.empty()) {
    ::unlink(logPath_.c_str());
    logPath_.clear();
  }
}

int freeLoopbackPort() {
  Socket socket;
  auto address = loopback(0);
  ::bind(socket.fd(), reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  ::getsockname(socket.fd(), reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);
}

bool loopbackPortAccepts(int port) {
  Socket socket;
  auto address = loopback(port);
  return ::connect(socket.fd(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
}

std::optional<int> loopbackHTTPStatus(int port, const std::string& path, std::chrono::milliseconds timeout) {
  Socket socket;
  auto address = loopback(port);
  if (::connect(socket.fd(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return std::nullopt;
  const std::string request = "GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
  if (::send(socket.fd(), request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size())) {
    return std::nullopt;
  }
  std::string head;
  char buffer[512];
  while (head.find("\r\n") == std::string::npos) {
    if (!waitFor(socket.fd(), POLLIN, timeout)) return std::nullopt;
    const ssize_t count = ::recv(socket.fd(), buffer, sizeof buffer, 0);
    if (count <= 0) return std::nullopt;
    head.append(buffer, static_cast<std::size_t>(count));
  }
  int status = 0;
  if (std::sscanf(head.c_str(), "HTTP/%*d.%*d %d", &status) != 1) return std::nullopt;
  return status;
}

}  // namespace testservers
