#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace testservers {

struct ScriptedServerState;

// One request as a client sent it: the head as written, with its body.
struct ScriptedRequest {
  std::string method;
  std::string path;
  std::string head;
  std::string body;

  // The first value of a field, names compared without case.
  std::optional<std::string> field(std::string_view name) const;
};

// One client connection, for a script to answer on.
class ScriptedConnection {
 public:
  explicit ScriptedConnection(int fd) : fd_(fd) {}

  // The next request, or none when the client closed or sent garbage.
  std::optional<ScriptedRequest> readRequest();
  bool send(std::string_view bytes) const;
  // Closing with a zero linger time sends a reset instead of a FIN.
  void reset() const;
  // Waits for the next bytes and drops them; false once the connection
  // is closed.
  bool discardSome();
  // Blocks without reading anything until the client or the server's end
  // closes the connection: a peer that stopped reading.
  void waitUntilClosed() const;
  // Blocks, reading nothing and closing nothing whatever the client does,
  // until the server stops: a peer that holds the connection silent.
  void holdUntilServerStops() const;

 private:
  bool fill();
  std::optional<std::size_t> readUntil(std::string_view delimiter);
  bool readBytes(std::size_t count, std::string& into);
  bool readChunkedBody(std::string& into);

  int fd_;
  std::string buffer_;
};

// What becomes of a connection once a request has been answered.
enum class ScriptedNext { keepOpen, close, closeAfterNextRequest };

// A server inside the test process, on a free loopback port, that answers
// every request as its script says: for servers that misbehave on purpose.
// Each connection has its own thread; requests on it are read one by one.
class ScriptedHTTPServer {
 public:
  using Script = std::function<ScriptedNext(ScriptedConnection&, const ScriptedRequest&)>;

  explicit ScriptedHTTPServer(Script script);
  // Closes every connection and waits for their threads.
  ~ScriptedHTTPServer();
  ScriptedHTTPServer(const ScriptedHTTPServer&) = delete;
  ScriptedHTTPServer& operator=(const ScriptedHTTPServer&) = delete;

  int port() const;
  // "http://127.0.0.1:<port>", without a trailing slash.
  std::string baseURL() const;
  std::size_t requestCount() const;
  std::size_t connectionCount() const;
  std::size_t openConnections() const;
  // True once no client connection is open, false when that takes longer
  // than `timeout`.
  bool waitUntilNoConnections(std::chrono::milliseconds timeout) const;

 private:
  std::shared_ptr<ScriptedServerState> state_;
};

// "HTTP/1.1 <status>" with a Content-Length for `body`, `extraFields`
// (each ending in CRLF), and the body.
std::string httpResponse(std::string_view status, std::string_view body, std::string_view extraFields = {});

}  // namespace testservers
