#include "tests/servers/LoopbackHTTPServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <charconv>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <set>
#include <stdexcept>
#include <string_view>
#include <thread>

namespace testservers {

struct LoopbackServerState {
  int listener = -1;
  int port = 0;
  std::thread acceptor;
  mutable std::mutex mutex;
  mutable std::condition_variable changed;
  std::set<int> connections;
  std::size_t requests = 0;
  bool stopping = false;
};

namespace {

struct Request {
  std::string method;
  std::string path;
  std::string body;
};

class Connection {
 public:
  explicit Connection(int fd) : fd_(fd) {}

  // The next request, or none when the client closed or sent garbage.
  std::optional<Request> readRequest() {
    const auto headEnd = readUntil("\r\n\r\n");
    if (!headEnd) return std::nullopt;
    const std::string head = buffer_.substr(0, *headEnd);
    buffer_.erase(0, *headEnd + 4);
    Request request;
    const auto firstSpace = head.find(' ');
    const auto secondSpace = head.find(' ', firstSpace + 1);
    if (firstSpace == std::string::npos || secondSpace == std::string::npos) return std::nullopt;
    request.method = head.substr(0, firstSpace);
    request.path = head.substr(firstSpace + 1, secondSpace - firstSpace - 1);
    const auto lower = lowercased(head);
    if (const auto length = fieldValue(lower, "content-length")) {
      std::size_t count = 0;
      std::from_chars(length->data(), length->data() + length->size(), count);
      if (!readBytes(count, request.body)) return std::nullopt;
    } else if (fieldValue(lower, "transfer-encoding") == "chunked") {
      if (!readChunkedBody(request.body)) return std::nullopt;
    }
    return request;
  }

  bool send(std::string_view bytes) const {
    while (!bytes.empty()) {
      const auto sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (sent <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
  }

  // Closing with a zero linger time sends a reset instead of a FIN.
  void reset() const {
    const linger abort{1, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
  }

 private:
  static std::string lowercased(std::string text) {
    for (auto& character : text) character = static_cast<char>(std::tolower(static_cast<unsigned char>(character)));
    return text;
  }

  static std::optional<std::string> fieldValue(const std::string& lowerHead, const std::string& name) {
    const auto start = lowerHead.find("\r\n" + name + ":");
    if (start == std::string::npos) return std::nullopt;
    auto valueStart = start + name.size() + 3;
    while (valueStart < lowerHead.size() && lowerHead[valueStart] == ' ') ++valueStart;
    const auto end = lowerHead.find("\r\n", valueStart);
    return lowerHead.substr(valueStart, end == std::string::npos ? std::string::npos : end - valueStart);
  }

  bool fill() {
    char chunk[16 * 1024];
    const auto count = ::recv(fd_, chunk, sizeof chunk, 0);
    if (count <= 0) return false;
    buffer_.append(chunk, static_cast<std::size_t>(count));
    return true;
  }

  std::optional<std::size_t> readUntil(std::string_view delimiter) {
    while (true) {
      const auto found = buffer_.find(delimiter);
      if (found != std::string::npos) return found;
      if (!fill()) return std::nullopt;
    }
  }

  bool readBytes(std::size_t count, std::string& into) {
    while (buffer_.size() < count) {
      if (!fill()) return false;
    }
    into.append(buffer_, 0, count);
    buffer_.erase(0, count);
    return true;
  }

  bool readChunkedBody(std::string& into) {
    while (true) {
      const auto lineEnd = readUntil("\r\n");
      if (!lineEnd) return false;
      std::size_t size = 0;
      std::from_chars(buffer_.data(), buffer_.data() + *lineEnd, size, 16);
      buffer_.erase(0, *lineEnd + 2);
      if (size == 0) return readUntil("\r\n").has_value() && (buffer_.erase(0, 2), true);
      std::string chunk;
      if (!readBytes(size + 2, chunk)) return false;
      into.append(chunk, 0, size);
    }
  }

  int fd_;
  std::string buffer_;
};

std::string response(std::string_view status, std::string_view body, std::string_view extraFields = {}) {
  return "HTTP/1.1 " + std::string(status) + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" +
         std::string(extraFields) + "\r\n" + std::string(body);
}

std::string fillerFields(std::size_t count, std::size_t valueLength) {
  std::string fields;
  for (std::size_t index = 0; index < count; ++index) {
    fields += "X-Filler-" + std::to_string(index) + ": " + std::string(valueLength, 'f') + "\r\n";
  }
  return fields;
}

enum class Next { keepOpen, close, closeAfterNextRequest };

// Answers one request; tells what becomes of the connection.
Next answer(const Connection& connection, const Request& request) {
  if (request.path == "/tiny") return connection.send(response("200 OK", "ok")) ? Next::keepOpen : Next::close;
  if (request.path == "/echo") {
    return connection.send(response("200 OK", request.body, "Content-Type: application/octet-stream\r\n"))
               ? Next::keepOpen
               : Next::close;
  }
  if (request.path == "/reset-mid-body") {
    connection.send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + std::string(1000, 'r'));
    connection.reset();
    return Next::close;
  }
  if (request.path == "/truncated-chunked") {
    connection.send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n");
    return Next::close;
  }
  if (request.path == "/huge-header-block") {
    connection.send(response("200 OK", "ok", fillerFields(1500, 90)));
    return Next::close;
  }
  if (request.path == "/huge-header-line") {
    connection.send(response("200 OK", "ok", fillerFields(1, 150 * 1024)));
    return Next::close;
  }
  if (request.path == "/not-found-json") {
    return connection.send(response("404 Not Found", R"({"error":"no such item"})",
                                    "Content-Type: application/json\r\n"))
               ? Next::keepOpen
               : Next::close;
  }
  if (request.path == "/close-after-response") {
    return connection.send(response("200 OK", "ok")) ? Next::closeAfterNextRequest : Next::close;
  }
  return connection.send(response("404 Not Found", "")) ? Next::keepOpen : Next::close;
}

void serve(const std::shared_ptr<LoopbackServerState>& state, int fd) {
  Connection connection(fd);
  Next next = Next::keepOpen;
  while (next == Next::keepOpen) {
    const auto request = connection.readRequest();
    if (!request) break;
    {
      std::lock_guard lock(state->mutex);
      ++state->requests;
    }
    next = answer(connection, *request);
  }
  if (next == Next::closeAfterNextRequest) connection.readRequest();
  std::lock_guard lock(state->mutex);
  ::close(fd);
  state->connections.erase(fd);
  state->changed.notify_all();
}

}  // namespace

LoopbackHTTPServer::LoopbackHTTPServer() : state_(std::make_shared<LoopbackServerState>()) {
  state_->listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (::bind(state_->listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      ::listen(state_->listener, 128) != 0 ||
      ::getsockname(state_->listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    throw std::runtime_error("The loopback test server could not listen.");
  }
  state_->port = ntohs(address.sin_port);
  state_->acceptor = std::thread([state = state_] {
    while (true) {
      const int fd = ::accept4(state->listener, nullptr, nullptr, SOCK_CLOEXEC);
      std::lock_guard lock(state->mutex);
      if (state->stopping) {
        if (fd >= 0) ::close(fd);
        return;
      }
      if (fd < 0) continue;
      state->connections.insert(fd);
      std::thread([state, fd] { serve(state, fd); }).detach();
    }
  });
}

LoopbackHTTPServer::~LoopbackHTTPServer() {
  {
    std::lock_guard lock(state_->mutex);
    state_->stopping = true;
    for (const int fd : state_->connections) ::shutdown(fd, SHUT_RDWR);
  }
  ::shutdown(state_->listener, SHUT_RDWR);
  state_->acceptor.join();
  ::close(state_->listener);
  std::unique_lock lock(state_->mutex);
  state_->changed.wait(lock, [&] { return state_->connections.empty(); });
}

int LoopbackHTTPServer::port() const { return state_->port; }

std::string LoopbackHTTPServer::baseURL() const { return "http://127.0.0.1:" + std::to_string(state_->port); }

std::size_t LoopbackHTTPServer::requestCount() const {
  std::lock_guard lock(state_->mutex);
  return state_->requests;
}

std::size_t LoopbackHTTPServer::openConnections() const {
  std::lock_guard lock(state_->mutex);
  return state_->connections.size();
}

bool LoopbackHTTPServer::waitUntilNoConnections(std::chrono::milliseconds timeout) const {
  std::unique_lock lock(state_->mutex);
  return state_->changed.wait_for(lock, timeout, [&] { return state_->connections.empty(); });
}

}  // namespace testservers
