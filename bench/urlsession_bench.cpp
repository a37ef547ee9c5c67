#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Platform/URLLoading/URLSession.h"
#include "tests/servers/HttpbinServer.h"

using namespace platform;

// Requests per second of this engine against the transfer library used
// plainly, over loopback: sequential GETs of a tiny body on one kept-alive
// connection, and fifty requests at once. Two servers: one in this process
// that answers at once, so that the client's own cost shows in full, and
// the httpbin the tests use, as a server that does some work per request.

namespace {

constexpr int concurrentRequests = 50;

// Answers every request on every connection with a two-byte body.
class TinyServer {
 public:
  TinyServer() : listener_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length);
    ::listen(listener_, 256);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    url_ = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/tiny";
    std::thread([listener = listener_] {
      while (true) {
        const int connection = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) return;
        std::thread(serve, connection).detach();
      }
    }).detach();
  }

  const std::string& url() const { return url_; }

 private:
  static void serve(int connection) {
    static constexpr std::string_view reply = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";
    std::string pending;
    char buffer[4096];
    while (true) {
      const auto count = ::recv(connection, buffer, sizeof buffer, 0);
      if (count <= 0) break;
      pending.append(buffer, static_cast<std::size_t>(count));
      for (auto end = pending.find("\r\n\r\n"); end != std::string::npos; end = pending.find("\r\n\r\n")) {
        pending.erase(0, end + 4);
        ::send(connection, reply.data(), reply.size(), MSG_NOSIGNAL);
      }
    }
    ::close(connection);
  }

  int listener_;
  std::string url_;
};

const std::string& tinyServerURL() {
  static TinyServer instance;
  return instance.url();
}

const std::string& httpbinURL() {
  static const std::string url = testservers::HttpbinServer::shared().baseURL() + "/bytes/2";
  return url;
}

using ServerURL = const std::string& (*)();

std::size_t discard(char*, std::size_t size, std::size_t count, void*) { return size * count; }

CURL* plainHandle(const std::string& url) {
  CURL* handle = curl_easy_init();
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &discard);
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  return handle;
}

// Counts completions so the benchmark can wait for them.
class CompletionCounter : public URLSessionDelegate {
 public:
  void didCompleteWithError(SessionRef, const std::shared_ptr<URLSessionTask>&, const AnyError& error) override {
    std::lock_guard lock(mutex_);
    ++completed_;
    if (error) ++failed_;
    changed_.notify_all();
  }

  void waitFor(int count) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return completed_ >= count; });
    completed_ -= count;
  }

  int failures() {
    std::lock_guard lock(mutex_);
    return failed_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int completed_ = 0;
  int failed_ = 0;
};

struct EngineSession {
  EngineSession() {
    auto configuration = URLSessionConfiguration::ephemeralConfiguration();
    session = URLSession::make(configuration, counter);
  }
  ~EngineSession() { session->invalidateAndCancel(); }

  std::shared_ptr<CompletionCounter> counter = std::make_shared<CompletionCounter>();
  std::shared_ptr<URLSession> session;
};

void SequentialGetsPlainLibcurl(benchmark::State& state, ServerURL server) {
  CURL* handle = plainHandle(server());
  for (auto _ : state) {
    if (curl_easy_perform(handle) != CURLE_OK) state.SkipWithError("request failed");
  }
  curl_easy_cleanup(handle);
  state.SetItemsProcessed(state.iterations());
}
void SequentialGetsEngine(benchmark::State& state, ServerURL server) {
  EngineSession engine;
  const auto url = *URL::string(server());
  for (auto _ : state) {
    engine.session->dataTaskWithURL(url)->resume();
    engine.counter->waitFor(1);
  }
  if (engine.counter->failures() > 0) state.SkipWithError("request failed");
  state.SetItemsProcessed(state.iterations());
}
void ConcurrentGetsPlainMulti(benchmark::State& state, ServerURL server) {
  CURLM* multi = curl_multi_init();
  curl_multi_setopt(multi, CURLMOPT_MAX_HOST_CONNECTIONS,
                    static_cast<long>(URLSessionConfiguration::defaultHTTPMaximumConnectionsPerHost));
  std::vector<CURL*> handles;
  for (int index = 0; index < concurrentRequests; ++index) handles.push_back(plainHandle(server()));
  for (auto _ : state) {
    for (auto* handle : handles) curl_multi_add_handle(multi, handle);
    int running = concurrentRequests;
    while (running > 0) {
      curl_multi_perform(multi, &running);
      if (running > 0) curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
    }
    int remaining = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &remaining)) {
      if (message->data.result != CURLE_OK) state.SkipWithError("request failed");
    }
    for (auto* handle : handles) curl_multi_remove_handle(multi, handle);
  }
  for (auto* handle : handles) curl_easy_cleanup(handle);
  curl_multi_cleanup(multi);
  state.SetItemsProcessed(state.iterations() * concurrentRequests);
}
void ConcurrentGetsEngine(benchmark::State& state, ServerURL server) {
  EngineSession engine;
  const auto url = *URL::string(server());
  for (auto _ : state) {
    for (int index = 0; index < concurrentRequests; ++index) engine.session->dataTaskWithURL(url)->resume();
    engine.counter->waitFor(concurrentRequests);
  }
  if (engine.counter->failures() > 0) state.SkipWithError("request failed");
  state.SetItemsProcessed(state.iterations() * concurrentRequests);
}

BENCHMARK_CAPTURE(SequentialGetsPlainLibcurl, tinyServer, tinyServerURL)->UseRealTime();
BENCHMARK_CAPTURE(SequentialGetsEngine, tinyServer, tinyServerURL)->UseRealTime();
BENCHMARK_CAPTURE(ConcurrentGetsPlainMulti, tinyServer, tinyServerURL)->UseRealTime();
BENCHMARK_CAPTURE(ConcurrentGetsEngine, tinyServer, tinyServerURL)->UseRealTime();
BENCHMARK_CAPTURE(SequentialGetsPlainLibcurl, httpbin, httpbinURL)->UseRealTime();
BENCHMARK_CAPTURE(SequentialGetsEngine, httpbin, httpbinURL)->UseRealTime();
BENCHMARK_CAPTURE(ConcurrentGetsPlainMulti, httpbin, httpbinURL)->UseRealTime();
BENCHMARK_CAPTURE(ConcurrentGetsEngine, httpbin, httpbinURL)->UseRealTime();

// Keeps each run's requests per second so the ratios can be printed after
// the usual table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const auto& run : runs) {
      const auto found = run.counters.find("items_per_second");
      if (found != run.counters.end()) rates[run.benchmark_name()] = found->second;
    }
  }

  // "Sequential" or "Concurrent", against "tinyServer" or "httpbin".
  void printRatio(const std::string& shape, const std::string& server, const std::string& plain) const {
    const auto engineRate = rates.find(shape + "GetsEngine/" + server + "/real_time");
    const auto plainRate = rates.find(shape + "Gets" + plain + "/" + server + "/real_time");
    if (engineRate == rates.end() || plainRate == rates.end() || plainRate->second == 0) return;
    std::printf("%s GETs, %s: engine / plain libcurl = %.2f\n", shape.c_str(), server.c_str(),
                engineRate->second / plainRate->second);
  }

  std::map<std::string, double> rates;
};

}  // namespace

int main(int argc, char** argv) {
  curl_global_init(CURL_GLOBAL_ALL);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (const std::string server : {"tinyServer", "httpbin"}) {
    reporter.printRatio("Sequential", server, "PlainLibcurl");
    reporter.printRatio("Concurrent", server, "PlainMulti");
  }
  benchmark::Shutdown();
}
