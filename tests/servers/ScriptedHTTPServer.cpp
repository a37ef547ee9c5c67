#include "tests/servers/ScriptedHTTPServer.h"

#include <poll.h>
#include <sys/socket.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <mutex>

#include "tests/servers/LoopbackAcceptor.h"

namespace testservers {

struct ScriptedServerState : LoopbackAcceptor {
  ScriptedHTTPServer::Script script;
  std::size_t requests = 0;
};

namespace {

std::string lowercased(std::string_view text) {
  std::string result(text);
  for (auto& character : result) character = static_cast<char>(std::tolower(static_cast<unsigned char>(character)));
  return result;
}

void serve(const std::shared_ptr<ScriptedServerState>& state, int fd) {
  ScriptedConnection connection(fd);
  ScriptedNext next = ScriptedNext::keepOpen;
  while (next == ScriptedNext::keepOpen) {
    const auto request = connection.readRequest();
    if (!request) break;
    {
      std::lock_guard lock(state->mutex);
      ++state->requests;
    }
    next = state->script(connection, *request);
  }
  if (next == ScriptedNext::closeAfterNextRequest) connection.readRequest();
  state->close(fd);
}

}  // namespace

std::optional<std::string> ScriptedRequest::field(std::string_view name) const {
  const auto lower = lowercased(head);
  const auto start = lower.find("\r\n" + lowercased(name) + ":");
  if (start == std::string::npos) return std::nullopt;
  auto valueStart = start + name.size() + 3;
  while (valueStart < head.size() && head[valueStart] == ' ') ++valueStart;
  const auto end = head.find("\r\n", valueStart);
  return head.substr(valueStart, end == std::string::npos ? std::string::npos : end - valueStart);
}

std::optional<ScriptedRequest> ScriptedConnection::readRequest() {
  const auto headEnd = readUntil("\r\n\r\n");
  if (!headEnd) return std::nullopt;
  ScriptedRequest request;
  request.head = buffer_.substr(0, *headEnd);
  buffer_.erase(0, *headEnd + 4);
  const auto firstSpace = request.head.find(' ');
  const auto secondSpace = request.head.find(' ', firstSpace + 1);
  if (firstSpace == std::string::npos || secondSpace == std::string::npos) return std::nullopt;
  request.method = request.head.substr(0, firstSpace);
  request.path = request.head.substr(firstSpace + 1, secondSpace - firstSpace - 1);
  if (const auto length = request.field("content-length")) {
    std::size_t count = 0;
    std::from_chars(length->data(), length->data() + length->size(), count);
    if (!readBytes(count, request.body)) return std::nullopt;
  } else if (const auto coding = request.field("transfer-encoding"); coding && lowercased(*coding) == "chunked") {
    if (!readChunkedBody(request.body)) return std::nullopt;
  }
  return request;
}

bool ScriptedConnection::send(std::string_view bytes) const {
  while (!bytes.empty()) {
    const auto sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

void ScriptedConnection::reset() const {
  const linger abort{1, 0};
  ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
}

bool ScriptedConnection::discardSome() {
  const bool received = fill();
  buffer_.clear();
  return received;
}

void ScriptedConnection::waitUntilClosed() const {
  pollfd watched{fd_, POLLRDHUP, 0};
  while (::poll(&watched, 1, -1) < 0 && errno == EINTR) {
  }
}

void ScriptedConnection::holdUntilServerStops() const {
  // With no events asked for, only the hang-up of the server's own
  // shutdown of both directions ends the wait: a client's FIN does not.
  pollfd watched{fd_, 0, 0};
  while (::poll(&watched, 1, -1) < 0 && errno == EINTR) {
  }
}

bool ScriptedConnection::fill() {
  char chunk[16 * 1024];
  const auto count = ::recv(fd_, chunk, sizeof chunk, 0);
  if (count <= 0) return false;
  buffer_.append(chunk, static_cast<std::size_t>(count));
  return true;
}

std::optional<std::size_t> ScriptedConnection::readUntil(std::string_view delimiter) {
  while (true) {
    const auto found = buffer_.find(delimiter);
    if (found != std::string::npos) return found;
    if (!fill()) return std::nullopt;
  }
}

bool ScriptedConnection::readBytes(std::size_t count, std::string& into) {
  while (buffer_.size() < count) {
    if (!fill()) return false;
  }
  into.append(buffer_, 0, count);
  buffer_.erase(0, count);
  return true;
}

bool ScriptedConnection::readChunkedBody(std::string& into) {
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

ScriptedHTTPServer::ScriptedHTTPServer(Script script) : state_(std::make_shared<ScriptedServerState>()) {
  state_->script = std::move(script);
  state_->start([state = state_](int fd) { serve(state, fd); });
}

ScriptedHTTPServer::~ScriptedHTTPServer() { state_->stop(); }

int ScriptedHTTPServer::port() const { return state_->port; }

std::string ScriptedHTTPServer::baseURL() const { return "http://127.0.0.1:" + std::to_string(state_->port); }

std::size_t ScriptedHTTPServer::requestCount() const {
  std::lock_guard lock(state_->mutex);
  return state_->requests;
}

std::size_t ScriptedHTTPServer::connectionCount() const {
  std::lock_guard lock(state_->mutex);
  return state_->accepted;
}

std::size_t ScriptedHTTPServer::openConnections() const {
  std::lock_guard lock(state_->mutex);
  return state_->connections.size();
}

bool ScriptedHTTPServer::waitUntilNoConnections(std::chrono::milliseconds timeout) const {
  std::unique_lock lock(state_->mutex);
  return state_->changed.wait_for(lock, timeout, [&] { return state_->connections.empty(); });
}

std::string httpResponse(std::string_view status, std::string_view body, std::string_view extraFields) {
  return "HTTP/1.1 " + std::string(status) + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" +
         std::string(extraFields) + "\r\n" + std::string(body);
}

}  // namespace testservers
