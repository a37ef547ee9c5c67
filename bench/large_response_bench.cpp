// Memory of one very large JSON response, as a user meets it: the view
// model sends a GET to a server in another process, the Response tab shows
// the answer, then the user leaves it for a small entry. Reports, in MiB and
// in bodies of the size received, the resident memory before the send, its
// peak while the answer arrives and is shown, and what is still held after
// leaving it, beyond the one copy the history entry keeps. The body's size
// in MiB is the argument: `--benchmark_filter=/255` for the large case.

#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QTest>
#include <fstream>
#include <string>

#include "Wendalore/MainQueueBridge.h"
#include "Wendalore/ViewModel/RequestViewModel.h"
#include "Wendalore/Views/History/HighlightedTextView.h"
#include "Wendalore/Views/History/ResponseTabView.h"
#include "bench/support/ProcessMemory.h"

namespace {

constexpr int generousMilliseconds = 600'000;

// A compact JSON array of small records, at least `bytes` long.
std::string jsonBody(std::size_t bytes) {
  std::string body = "[";
  for (int index = 0; body.size() < bytes; ++index) {
    body += R"({"id":)" + std::to_string(index) + R"(,"name":"item","tags":["a","b"],"on":true},)";
  }
  body.back() = ']';
  return body;
}

bool sendAll(int socket, std::string_view bytes) {
  while (!bytes.empty()) {
    const auto sent = write(socket, bytes.data(), bytes.size());
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

void answerForever(int listener, std::size_t bytes) {
  const std::string body = jsonBody(bytes);
  const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
                           std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n";
  for (;;) {
    const int client = accept(listener, nullptr, nullptr);
    if (client < 0) continue;
    std::string request;
    char chunk[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
      const auto got = read(client, chunk, sizeof chunk);
      if (got <= 0) break;
      request.append(chunk, static_cast<std::size_t>(got));
    }
    if (sendAll(client, head)) sendAll(client, body);
    close(client);
  }
}

// A server process on a loopback port that answers every request with the
// same JSON body; stopped when this goes.
class BodyServer {
 public:
  explicit BodyServer(std::size_t bytes) {
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(listener, 4) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      return;
    }
    port_ = ntohs(address.sin_port);
    pid_ = fork();
    if (pid_ == 0) {
      answerForever(listener, bytes);
      _exit(0);
    }
    close(listener);
  }
  ~BodyServer() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/large"; }
  bool running() const { return pid_ > 0; }

 private:
  int port_ = 0;
  pid_t pid_ = -1;
};

// The peak resident size since the last reset, in MiB.
double peakResidentMiB() { return processmemory::statusField(getpid(), "status", "VmHWM"); }
void resetPeakResident() { std::ofstream("/proc/self/clear_refs") << "5"; }

std::shared_ptr<wendalore::RequestHistoryItem> smallEntry() {
  auto item = wendalore::RequestHistoryItem::make(platform::Date::now(), "GET", "http://127.0.0.1/", {}, std::nullopt);
  item->setStatusCode(200);
  item->setResponseHeaders({{"Content-Type", "application/json"}});
  item->setResponseBody("{}");
  item->setIsPending(false);
  return item;
}

void sendShowAndLeave(benchmark::State& state) {
  const BodyServer server(static_cast<std::size_t>(state.range(0)) << 20);
  if (!server.running()) {
    state.SkipWithError("the server did not start");
    return;
  }
  for (auto _ : state) {
    const auto model = wendalore::RequestViewModel::make();
    const auto small = smallEntry();
    wendalore::ResponseTabView page;
    page.resize(800, 600);
    page.show();
    auto& text = page.text();
    page.setItem(small);
    (void)QTest::qWaitFor([&] { return text.isLoaded() && text.isHighlightingDone(); }, generousMilliseconds);
    QTest::qWait(200);
    const double before = processmemory::residentMiB(getpid());
    resetPeakResident();

    model->sendRequest(server.url(), "GET", {}, "", wendalore::RequestBodyType::none, wendalore::RequestAuthType::none,
                       "", "", "");
    const auto entry = model->requestHistory().front();
    if (!QTest::qWaitFor([&] { return !entry->isPending(); }, generousMilliseconds)) {
      state.SkipWithError("no answer");
      return;
    }
    const double bodyMiB = static_cast<double>(state.range(0));
    const double storedMiB = static_cast<double>(entry->responseBody().size()) / (1 << 20);
    page.setItem(entry);
    (void)QTest::qWaitFor([&] { return text.isLoaded() && text.isHighlightingDone(); }, generousMilliseconds);
    QTest::qWait(200);
    const double peak = peakResidentMiB();
    page.setItem(small);
    (void)QTest::qWaitFor([&] { return text.isLoaded() && text.isHighlightingDone(); }, generousMilliseconds);
    QTest::qWait(500);
    const double after = processmemory::residentMiB(getpid());

    state.counters["stored_MiB"] = storedMiB;
    state.counters["before_MiB"] = before;
    state.counters["peak_bodies"] = (peak - before) / bodyMiB;
    state.counters["peak_MiB"] = peak - before;
    state.counters["held_after_MiB"] = after - before - storedMiB;
    state.counters["held_after_percent"] = 100 * (after - before - storedMiB) / before;
  }
}
BENCHMARK(sendShowAndLeave)->Arg(32)->Arg(255)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  wendalore::bridgeMainQueueToEventLoop();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
