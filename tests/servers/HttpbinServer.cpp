#include "tests/servers/HttpbinServer.h"

#include <gtest/gtest.h>

#include <mutex>

namespace testservers {

namespace {

std::unique_ptr<HttpbinServer>& sharedServer() {
  static std::unique_ptr<HttpbinServer> server;
  return server;
}

class StopSharedServers : public testing::Environment {
 public:
  void TearDown() override { sharedServer().reset(); }
};

const auto* const stopSharedServers = testing::AddGlobalTestEnvironment(new StopSharedServers);

}  // namespace

std::vector<std::string> httpbinCommand(int port) {
  const std::string bind = "127.0.0.1:" + std::to_string(port);
  return std::vector<std::string>{"/usr/bin/gunicorn", "--bind", bind, "--worker-class", "gthread", "--threads", "64",
                                  "--workers", "2", "--keep-alive", "30", "--timeout", "60", "httpbin:app"};
}

HttpbinServer::HttpbinServer() : port_(freeLoopbackPort()) {
  process_ = std::make_unique<ServerProcess>(httpbinCommand(port_),
                                             [port = port_] { return loopbackHTTPStatus(port, "/get") == 200; });
}

HttpbinServer& HttpbinServer::shared() {
  static std::mutex mutex;
  std::lock_guard lock(mutex);
  auto& server = sharedServer();
  if (!server) server = std::make_unique<HttpbinServer>();
  return *server;
}

std::string HttpbinServer::baseURL() const { return "http://127.0.0.1:" + std::to_string(port_); }

}  // namespace testservers
