#include "tests/servers/ScriptedHTTPServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <charconv>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>

namespace testservers {

struct ScriptedServerState {
  ScriptedHTTPServer::Handler handler;
  int listener = -1;
  int port = 0;
  std::thread acceptor;
  std::mutex mutex;
  std::set<int> connections;
  std::vector<std::thread> threads;
  bool stopping = false;
};

namespace {

bool sameName(std::string_view left, std::string_view right) {
  if (left.size() != right.size()) return false;
  for (std::size_t index = 0; index < left.size(); ++index) {
    if (std::tolower(static_cast<unsigned char>(left[index])) !=
        std::tolower(static_cast<unsigned char>(right[index]))) {
      return false;
    }
  }
  return true;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

class Reader {
 public:
  explicit Reader(int fd) : fd_(fd) {}

  std::optional<ScriptedRequest> next() {
    const auto headEnd = until("\r\n\r\n");
    if (!headEnd) return std::nullopt;
    const std::string head = buffer_.substr(0, *headEnd);
    buffer_.erase(0, *headEnd + 4);
    ScriptedRequest request;
    std::size_t lineStart = head.find("\r\n");
    const std::string_view requestLine = std::string_view(head).substr(0, lineStart);
    const auto firstSpace = requestLine.find(' ');
    const auto secondSpace = requestLine.find(' ', firstSpace + 1);
    if (firstSpace == std::string_view::npos || secondSpace == std::string_view::npos) return std::nullopt;
    request.method = requestLine.substr(0, firstSpace);
    request.target = requestLine.substr(firstSpace + 1, secondSpace - firstSpace - 1);
    while (lineStart != std::string::npos) {
      const auto start = lineStart + 2;
      lineStart = head.find("\r\n", start);
      const auto line =
          std::string_view(head).substr(start, lineStart == std::string::npos ? lineStart : lineStart - start);
      const auto colon = line.find(':');
      if (colon == std::string_view::npos) continue;
      request.fields.emplace_back(std::string(trimmed(line.substr(0, colon))),
                                  std::string(trimmed(line.substr(colon + 1))));
    }
    if (const auto length = request.field("Content-Length")) {
      std::size_t count = 0;
      std::from_chars(length->data(), length->data() + length->size(), count);
      if (!bytes(count, request.body)) return std::nullopt;
    } else if (request.field("Transfer-Encoding") && sameName(*request.field("Transfer-Encoding"), "chunked")) {
      if (!chunks(request.body)) return std::nullopt;
    }
    return request;
  }

 private:
  bool fill() {
    char chunk[16 * 1024];
    const auto count = ::recv(fd_, chunk, sizeof chunk, 0);
    if (count <= 0) return false;
    buffer_.append(chunk, static_cast<std::size_t>(count));
    return true;
  }

  std::optional<std::size_t> until(std::string_view delimiter) {
    while (true) {
      if (const auto found = buffer_.find(delimiter); found != std::string::npos) return found;
      if (!fill()) return std::nullopt;
    }
  }

  bool bytes(std::size_t count, std::string& into) {
    while (buffer_.size() < count) {
      if (!fill()) return false;
    }
    into.append(buffer_, 0, count);
    buffer_.erase(0, count);
    return true;
  }

  bool chunks(std::string& into) {
    while (true) {
      const auto lineEnd = until("\r\n");
      if (!lineEnd) return false;
      std::size_t size = 0;
      std::from_chars(buffer_.data(), buffer_.data() + *lineEnd, size, 16);
      buffer_.erase(0, *lineEnd + 2);
      std::string chunk;
      if (!bytes(size + 2, chunk)) return false;
      if (size == 0) return true;
      into.append(chunk, 0, size);
    }
  }

  int fd_;
  std::string buffer_;
};

void serve(const std::shared_ptr<ScriptedServerState>& state, int fd) {
  Reader reader(fd);
  while (const auto request = reader.next()) {
    const auto answer = state->handler(*request);
    std::string_view reply = answer;
    bool sent = true;
    while (!reply.empty() && sent) {
      const auto count = ::send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
      sent = count > 0;
      if (sent) reply.remove_prefix(static_cast<std::size_t>(count));
    }
    if (!sent) break;
  }
  std::lock_guard lock(state->mutex);
  state->connections.erase(fd);
  ::close(fd);
}

}  // namespace

std::optional<std::string> ScriptedRequest::field(std::string_view name) const {
  for (const auto& [fieldName, value] : fields) {
    if (sameName(fieldName, name)) return value;
  }
  return std::nullopt;
}

ScriptedHTTPServer::ScriptedHTTPServer(Handler handler) : state_(std::make_shared<ScriptedServerState>()) {
  state_->handler = std::move(handler);
  state_->listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (::bind(state_->listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      ::listen(state_->listener, 64) != 0 ||
      ::getsockname(state_->listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    throw std::runtime_error("The scripted test server could not listen.");
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
      state->threads.emplace_back([state, fd] { serve(state, fd); });
    }
  });
}

ScriptedHTTPServer::~ScriptedHTTPServer() {
  {
    std::lock_guard lock(state_->mutex);
    state_->stopping = true;
    for (const int fd : state_->connections) ::shutdown(fd, SHUT_RDWR);
  }
  ::shutdown(state_->listener, SHUT_RDWR);
  state_->acceptor.join();
  ::close(state_->listener);
  for (auto& thread : state_->threads) thread.join();
}

int ScriptedHTTPServer::port() const { return state_->port; }

std::string ScriptedHTTPServer::baseURL(std::string_view host) const {
  return "http://" + std::string(host) + ":" + std::to_string(state_->port);
}

std::string ScriptedHTTPServer::response(std::string_view status, std::string_view body, std::string_view extraFields) {
  return "HTTP/1.1 " + std::string(status) + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" +
         std::string(extraFields) + "\r\n" + std::string(body);
}

}  // namespace testservers
