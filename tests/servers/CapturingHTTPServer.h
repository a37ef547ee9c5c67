#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "tests/servers/ScriptedHTTPServer.h"

namespace testservers {

// Answers every request with 200 "ok" (a HEAD with the head alone, as its
// answer has no body) and keeps each request as it arrived, for tests that
// compare what a client says it sent with what went over the wire.
class CapturingHTTPServer {
 public:
  CapturingHTTPServer()
      : server_([this](ScriptedConnection& connection, const ScriptedRequest& request) {
          {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
          }
          constexpr std::string_view body = "ok";
          auto response = httpResponse("200 OK", body);
          // The length stays that of the body a GET would have.
          if (request.method == "HEAD") response.resize(response.size() - body.size());
          return connection.send(response) ? ScriptedNext::keepOpen : ScriptedNext::close;
        }) {}

  // "http://127.0.0.1:<port>", without a trailing slash.
  std::string baseURL() const { return server_.baseURL(); }
  std::vector<ScriptedRequest> requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<ScriptedRequest> requests_;
  // Last, so that its connection threads stop before the list goes.
  ScriptedHTTPServer server_;
};

}  // namespace testservers
