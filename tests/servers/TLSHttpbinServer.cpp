#include "tests/servers/TLSHttpbinServer.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <map>
#include <mutex>

#include "tests/servers/HttpbinServer.h"

namespace testservers {

namespace {

std::map<TLSCertificates::Kind, std::unique_ptr<TLSHttpbinServer>>& sharedServers() {
  static std::map<TLSCertificates::Kind, std::unique_ptr<TLSHttpbinServer>> servers;
  return servers;
}

class StopSharedServers : public testing::Environment {
 public:
  void TearDown() override { sharedServers().clear(); }
};

const auto* const stopSharedServers = testing::AddGlobalTestEnvironment(new StopSharedServers);

std::size_t discard(char*, std::size_t size, std::size_t count, void*) { return size * count; }

}  // namespace

TLSHttpbinServer::TLSHttpbinServer(TLSCertificates::Kind kind) : kind_(kind), port_(freeLoopbackPort()) {
  std::vector<std::string> command = httpbinCommand(port_);
  command.insert(command.end() - 1, {"--certfile", certificates().certificatePath(kind).string(), "--keyfile",
                                     certificates().keyPath(kind).string()});
  process_ = std::make_unique<ServerProcess>(std::move(command),
                                             [port = port_] { return loopbackHTTPSStatus(port, "/get") == 200; });
}

TLSHttpbinServer& TLSHttpbinServer::shared(TLSCertificates::Kind kind) {
  static std::mutex mutex;
  std::lock_guard lock(mutex);
  auto& server = sharedServers()[kind];
  if (!server) server = std::make_unique<TLSHttpbinServer>(kind);
  return *server;
}

std::string TLSHttpbinServer::baseURL() const { return "https://127.0.0.1:" + std::to_string(port_); }

std::optional<int> loopbackHTTPSStatus(int port, const std::string& path, std::chrono::milliseconds timeout) {
  const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> handle(curl_easy_init(), curl_easy_cleanup);
  if (!handle) return std::nullopt;
  CURL* easy = handle.get();
  const std::string url = "https://127.0.0.1:" + std::to_string(port) + path;
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 0L);
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 0L);
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(timeout.count()));
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, discard);
  if (curl_easy_perform(easy) != CURLE_OK) return std::nullopt;
  long status = 0;
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
  return static_cast<int>(status);
}

}  // namespace testservers
