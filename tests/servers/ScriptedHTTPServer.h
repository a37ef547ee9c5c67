#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace testservers {

// One request as the scripted server read it.
struct ScriptedRequest {
  std::string method;
  std::string target;
  std::vector<std::pair<std::string, std::string>> fields;
  std::string body;

  // The first field of that name, in any letter case.
  std::optional<std::string> field(std::string_view name) const;
};

struct ScriptedServerState;

// A small HTTP/1.1 server inside the test process, on a free loopback port,
// that answers every request with what the test's handler returns: for
// exchanges httpbin cannot script, such as a protected resource that
// redirects. Bodies may come with a length or in chunks; connections are
// kept alive. The handler runs on the connection's thread.
class ScriptedHTTPServer {
 public:
  using Handler = std::function<std::string(const ScriptedRequest&)>;

  explicit ScriptedHTTPServer(Handler handler);
  // Closes every connection and waits for their threads.
  ~ScriptedHTTPServer();
  ScriptedHTTPServer(const ScriptedHTTPServer&) = delete;
  ScriptedHTTPServer& operator=(const ScriptedHTTPServer&) = delete;

  int port() const;
  // "http://<host>:<port>" for the host name given ("127.0.0.1" or
  // "localhost": two hosts for one server).
  std::string baseURL(std::string_view host = "127.0.0.1") const;

  // A complete response: status line, Content-Length, the extra field
  // lines (each ending in CRLF) and the body.
  static std::string response(std::string_view status, std::string_view body, std::string_view extraFields = {});

 private:
  std::shared_ptr<ScriptedServerState> state_;
};

}  // namespace testservers
