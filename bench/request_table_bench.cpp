#include <arpa/inet.h>
#include <curl/curl.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <fmt/core.h>

#if WENDALORE_BENCH_CPPREST
#include <cpprest/http_client.h>
#endif

#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Dispatch/RunLoop.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/URLLoading/URLSessionConfiguration.h"
#include "Wendanet/Source/Core/Session.h"

// The request table: what one small GET costs through Wendanet as its users
// call it (session, request, data handler on the main queue, main loop
// pumped) against plain libcurl, Qt Network and, when it was found at build
// time, the C++ REST SDK. The server is a keep-alive loopback server in a
// process of its own; every client runs in a fresh child process, so CPU,
// context switches and resident memory are that client's alone. Every
// response is checked for its status and body.
//
// Usage: request_table_bench [--mode=sequential|concurrent|wide]
//                             [--client=NAME] [sequential-count [concurrent-count]]
// --mode keeps one table; --client keeps the rows whose client name starts
// with NAME (for a profile of one client, e.g. --client="wendanet (main").

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::string_view body = R"({"ok":true})";
constexpr int inFlight = 50;
constexpr int connectionsPerHost = 6;
constexpr std::array<int, 2> rssMarks{10'000, 50'000};

// ----- The server -----------------------------------------------------------

// Answers every complete request head on every connection with the same
// small JSON body, pipelined requests included. Single-threaded on epoll,
// so the server's cost per request stays far below any client's.
[[noreturn]] void serveForever(int listener) {
  static const std::string reply = fmt::format(
      "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: {}\r\n\r\n{}", body.size(), body);
  const int poll = ::epoll_create1(EPOLL_CLOEXEC);
  epoll_event event{.events = EPOLLIN, .data = {.fd = listener}};
  ::epoll_ctl(poll, EPOLL_CTL_ADD, listener, &event);
  std::vector<std::string> pending(65536);
  std::array<epoll_event, 256> ready{};
  std::array<char, 16384> buffer{};
  while (true) {
    const int count = ::epoll_wait(poll, ready.data(), static_cast<int>(ready.size()), -1);
    for (int index = 0; index < count; ++index) {
      const int fd = ready[static_cast<std::size_t>(index)].data.fd;
      if (fd == listener) {
        const int connection = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0 || connection >= static_cast<int>(pending.size())) continue;
        const int on = 1;
        ::setsockopt(connection, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        epoll_event added{.events = EPOLLIN, .data = {.fd = connection}};
        ::epoll_ctl(poll, EPOLL_CTL_ADD, connection, &added);
        continue;
      }
      auto& unread = pending[static_cast<std::size_t>(fd)];
      const auto received = ::recv(fd, buffer.data(), buffer.size(), 0);
      if (received <= 0) {
        ::epoll_ctl(poll, EPOLL_CTL_DEL, fd, nullptr);
        ::close(fd);
        unread.clear();
        continue;
      }
      unread.append(buffer.data(), static_cast<std::size_t>(received));
      std::string replies;
      std::size_t end = 0;
      while ((end = unread.find("\r\n\r\n")) != std::string::npos) {
        unread.erase(0, end + 4);
        replies += reply;
      }
      if (!replies.empty()) (void)::send(fd, replies.data(), replies.size(), MSG_NOSIGNAL);
    }
  }
}

struct Server {
  pid_t pid;
  std::string url;
};

Server startServer() {
  const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (::bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(listener, 512) != 0 ||
      ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    std::perror("server socket");
    std::exit(1);
  }
  const pid_t pid = ::fork();
  if (pid == 0) serveForever(listener);
  ::close(listener);
  return {pid, fmt::format("http://127.0.0.1:{}/ok", ntohs(address.sin_port))};
}

// ----- Measuring ------------------------------------------------------------

struct Usage {
  Clock::time_point wall;
  double cpuSeconds;
  long contextSwitches;

  static Usage now() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](timeval value) { return static_cast<double>(value.tv_sec) + value.tv_usec / 1e6; };
    return {Clock::now(), seconds(usage.ru_utime) + seconds(usage.ru_stime), usage.ru_nvcsw + usage.ru_nivcsw};
  }
};

double residentMB() {
  long pages = 0;
  long resident = 0;
  if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// What a child sends back through its pipe: plain numbers only.
struct Result {
  int requests = 0;
  int failures = 0;
  double seconds = 0;
  double cpuSeconds = 0;
  long contextSwitches = 0;
  double p50 = 0;
  double p99 = 0;
  double worst = 0;
  std::array<double, 1 + rssMarks.size()> rss{};
};

// Gathered on the client's completion path, one thread at a time; only
// whether it is done is asked from elsewhere.
class Recorder {
 public:
  explicit Recorder(int total) : total_(total) {
    latencies_.reserve(static_cast<std::size_t>(total));
    result_.rss[0] = residentMB();
    start_ = Usage::now();
  }

  bool done() const { return completed_.load() >= total_; }
  // Whether another request may be sent; counts it as sent.
  bool claim() { return issued_ < total_ ? (++issued_, true) : false; }

  void complete(Clock::time_point sent, bool ok) {
    latencies_.push_back(std::chrono::duration<double, std::micro>(Clock::now() - sent).count());
    if (!ok) ++result_.failures;
    const int completed = ++completed_;
    for (std::size_t mark = 0; mark < rssMarks.size(); ++mark) {
      if (completed == rssMarks[mark]) result_.rss[mark + 1] = residentMB();
    }
  }

  Result finish() {
    const auto end = Usage::now();
    result_.requests = completed_;
    result_.seconds = std::chrono::duration<double>(end.wall - start_.wall).count();
    result_.cpuSeconds = end.cpuSeconds - start_.cpuSeconds;
    result_.contextSwitches = end.contextSwitches - start_.contextSwitches;
    std::ranges::sort(latencies_);
    const auto at = [&](double share) {
      return latencies_.empty() ? 0.0 : latencies_[static_cast<std::size_t>(share * (latencies_.size() - 1))];
    };
    result_.p50 = at(0.50);
    result_.p99 = at(0.99);
    result_.worst = at(1.0);
    return result_;
  }

 private:
  int total_;
  int issued_ = 0;
  std::atomic<int> completed_ = 0;
  std::vector<double> latencies_;
  Usage start_;
  Result result_;
};

bool isExpected(long status, std::string_view received) { return status == 200 && received == body; }

// Runs `client` in a child process and returns what it measured.
Result inChild(const std::function<Result()>& client) {
  int channel[2];
  if (::pipe(channel) != 0) std::exit(1);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(channel[0]);
    const Result result = client();
    (void)::write(channel[1], &result, sizeof result);
    ::_exit(0);
  }
  ::close(channel[1]);
  Result result;
  if (::read(channel[0], &result, sizeof result) != sizeof result) result.failures = -1;
  ::close(channel[0]);
  ::waitpid(pid, nullptr, 0);
  return result;
}

// ----- The clients ----------------------------------------------------------

// `concurrent` caps each client at the usual connections per host; `wide`
// lets it open one connection per request in flight.
enum class Mode { sequential, concurrent, wide };

int widthOf(Mode mode) { return mode == Mode::sequential ? 1 : inFlight; }
int connectionsFor(Mode mode) { return mode == Mode::wide ? inFlight : connectionsPerHost; }

std::size_t appendBody(char* data, std::size_t size, std::size_t count, void* target) {
  static_cast<std::string*>(target)->append(data, size * count);
  return size * count;
}

Result runCurl(const std::string& url, Mode mode, int total) {
  struct Transfer {
    CURL* easy = nullptr;
    std::string received;
    Clock::time_point sent;
  };
  curl_global_init(CURL_GLOBAL_DEFAULT);
  std::vector<Transfer> transfers(static_cast<std::size_t>(widthOf(mode)));
  for (auto& transfer : transfers) {
    transfer.easy = curl_easy_init();
    curl_easy_setopt(transfer.easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(transfer.easy, CURLOPT_WRITEFUNCTION, appendBody);
    curl_easy_setopt(transfer.easy, CURLOPT_WRITEDATA, &transfer.received);
    curl_easy_setopt(transfer.easy, CURLOPT_PRIVATE, &transfer);
  }
  CURLM* multi = curl_multi_init();
  curl_multi_setopt(multi, CURLMOPT_MAX_HOST_CONNECTIONS, static_cast<long>(connectionsFor(mode)));
  Recorder recorder(total);
  const auto send = [&](Transfer& transfer) {
    if (!recorder.claim()) return;
    transfer.received.clear();
    transfer.sent = Clock::now();
    curl_multi_add_handle(multi, transfer.easy);
  };
  for (auto& transfer : transfers) send(transfer);
  while (!recorder.done()) {
    int running = 0;
    curl_multi_perform(multi, &running);
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
      if (message->msg != CURLMSG_DONE) continue;
      Transfer* transfer = nullptr;
      long status = 0;
      curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &transfer);
      curl_easy_getinfo(message->easy_handle, CURLINFO_RESPONSE_CODE, &status);
      const bool ok = message->data.result == CURLE_OK && isExpected(status, transfer->received);
      curl_multi_remove_handle(multi, message->easy_handle);
      recorder.complete(transfer->sent, ok);
      send(*transfer);
    }
    if (!recorder.done()) curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
  }
  return recorder.finish();
}

struct WendanetSetting {
  // False: the handlers run on a queue of their own and nobody ever runs
  // the main loop, as in a tool without one.
  bool mainLoop = true;
  // Someone listens to the request notifications, which sends every event
  // through the main loop as before monitors nobody observes were skipped.
  bool observed = false;
};

Result runWendanet(const std::string& url, Mode mode, int total, WendanetSetting setting) {
  const bool mainLoop = setting.mainLoop;
  if (setting.observed) {
    platform::NotificationCenter::defaultCenter()->addObserver(std::nullopt, nullptr, [](const auto&) {});
  }
  auto configuration = platform::URLSessionConfiguration::defaultConfiguration();
  configuration->setHTTPMaximumConnectionsPerHost(connectionsFor(mode));
  const auto session = wendanet::Session::makeWithConfiguration(configuration);
  const auto handlers = mainLoop ? platform::DispatchQueue::main() : platform::DispatchQueue::make("bench.handlers");
  const auto target = std::make_shared<wendanet::ConvertibleString>(url);
  Recorder recorder(total);
  std::mutex mutex;
  std::condition_variable finished;
  std::function<void()> send = [&] {
    if (!recorder.claim()) return;
    session->requestWithParameters(target)->responseData(
        handlers, [&, sent = Clock::now()](const wendanet::DataResponse<platform::Data>& response) {
          const auto data = response.value();
          const bool ok = response.response() && data && isExpected(response.response()->statusCode(), data->view());
          recorder.complete(sent, ok);
          send();
          if (recorder.done()) {
            std::lock_guard lock(mutex);
            finished.notify_all();
          }
        });
  };
  handlers->async([&] {
    for (int index = 0; index < widthOf(mode); ++index) send();
  });
  if (mainLoop) {
    platform::RunLoop::main().runUntil([&] { return recorder.done(); }, std::chrono::minutes(10));
  } else {
    std::unique_lock lock(mutex);
    finished.wait_for(lock, std::chrono::minutes(10), [&] { return recorder.done(); });
  }
  return recorder.finish();
}

Result runQt(const std::string& url, Mode mode, int total) {
  int argc = 1;
  char name[] = "request_table_bench";
  char* argv[] = {name, nullptr};
  QCoreApplication application(argc, argv);
  QNetworkAccessManager manager;
  const QNetworkRequest request(QUrl(QString::fromStdString(url)));
  Recorder recorder(total);
  std::function<void()> send = [&] {
    if (!recorder.claim()) return;
    QNetworkReply* reply = manager.get(request);
    QObject::connect(reply, &QNetworkReply::finished, [&, reply, sent = Clock::now()] {
      const QByteArray received = reply->readAll();
      const bool ok = reply->error() == QNetworkReply::NoError &&
                      isExpected(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
                                 std::string_view(received.constData(), static_cast<std::size_t>(received.size())));
      reply->deleteLater();
      recorder.complete(sent, ok);
      send();
      if (recorder.done()) QCoreApplication::quit();
    });
  };
  for (int index = 0; index < widthOf(mode); ++index) send();
  // With nothing to send no reply would ever end the loop.
  if (!recorder.done()) QCoreApplication::exec();
  return recorder.finish();
}

#if WENDALORE_BENCH_CPPREST
// Its client keeps a pool of connections with no cap per host. Each of the
// requests in flight is a worker waiting on its own chain of requests, the
// SDK's own synchronous style, so no continuation ever nests in another.
Result runRestSDK(const std::string& url, Mode mode, int total) {
  using namespace web::http;
  client::http_client client(utility::conversions::to_string_t(url));
  Recorder recorder(total);
  std::mutex mutex;
  const auto work = [&] {
    while (true) {
      {
        std::lock_guard lock(mutex);
        if (!recorder.claim()) return;
      }
      const auto sent = Clock::now();
      bool ok = false;
      try {
        const http_response response = client.request(methods::GET).get();
        ok = isExpected(response.status_code(), response.extract_string(true).get());
      } catch (const std::exception&) {
      }
      std::lock_guard lock(mutex);
      recorder.complete(sent, ok);
    }
  };
  std::vector<std::thread> workers;
  for (int index = 0; index < widthOf(mode); ++index) workers.emplace_back(work);
  for (auto& worker : workers) worker.join();
  return recorder.finish();
}
#endif

// ----- The table ------------------------------------------------------------

struct Row {
  std::string client;
  Result result;
};

void printRows(std::string_view title, const std::vector<Row>& rows) {
  fmt::print("\n{}\n{:<26} {:>9} {:>9} {:>8} {:>8} {:>9} {:>9} {:>7} {:>7} {:>7} {:>5}\n", title, "client",
             "req/s", "CPU us/r", "ctxsw/r", "p50 us", "p99 us", "worst us", "RSS 0", "10k MB", "50k MB", "fail");
  for (const auto& [client, result] : rows) {
    const double requests = std::max(result.requests, 1);
    const auto rss = [&](std::size_t index) {
      return result.rss[index] > 0 ? fmt::format("{:.1f}", result.rss[index]) : std::string("-");
    };
    fmt::print("{:<26} {:>9.0f} {:>9.1f} {:>8.2f} {:>8.0f} {:>9.0f} {:>9.0f} {:>7} {:>7} {:>7} {:>5}\n", client,
               result.requests / std::max(result.seconds, 1e-9), result.cpuSeconds * 1e6 / requests,
               static_cast<double>(result.contextSwitches) / requests, result.p50, result.p99, result.worst, rss(0),
               rss(1), rss(2), result.failures);
  }
  const auto& ours = rows.front().result;
  for (std::size_t peer = 1; peer < rows.size(); ++peer) {
    const auto& theirs = rows[peer].result;
    if (theirs.requests == 0 || theirs.failures != 0) {
      fmt::print("  {}: no ratio, its run failed\n", rows[peer].client);
      continue;
    }
    const auto perRequest = [](const Result& result, double total) { return total / std::max(result.requests, 1); };
    fmt::print("  {} / {}: time {:.2f}x, CPU {:.2f}x\n", rows.front().client, rows[peer].client,
               perRequest(ours, ours.seconds) / perRequest(theirs, theirs.seconds),
               perRequest(ours, ours.cpuSeconds) / perRequest(theirs, theirs.cpuSeconds));
  }
}

struct Options {
  int sequential = rssMarks.back();
  int concurrent = 20'000;
  std::optional<Mode> mode;
  std::string client;
};

Options parseOptions(int argc, char** argv) {
  Options options;
  std::vector<std::string_view> counts;
  for (int index = 1; index < argc; ++index) {
    const std::string_view argument = argv[index];
    if (argument.starts_with("--mode=")) {
      const auto name = argument.substr(7);
      if (name == "sequential") options.mode = Mode::sequential;
      else if (name == "concurrent") options.mode = Mode::concurrent;
      else if (name == "wide") options.mode = Mode::wide;
      else {
        fmt::print(stderr, "unknown mode \"{}\": sequential, concurrent or wide\n", name);
        std::exit(2);
      }
    } else if (argument.starts_with("--client=")) {
      options.client = argument.substr(9);
    } else {
      counts.push_back(argument);
    }
  }
  if (!counts.empty()) options.sequential = std::atoi(counts[0].data());
  if (counts.size() > 1) options.concurrent = std::atoi(counts[1].data());
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = parseOptions(argc, argv);
  const int sequential = options.sequential;
  const int concurrent = options.concurrent;
  const Server server = startServer();
  double load[3] = {};
  if (::getloadavg(load, 3) > 0) fmt::print("load average at start: {:.1f} {:.1f} {:.1f}\n", load[0], load[1], load[2]);
  fmt::print("server: {} (pid {}); {} sequential requests, {} with {} in flight\n", server.url, server.pid, sequential,
             concurrent, inFlight);

  for (const Mode mode : {Mode::sequential, Mode::concurrent, Mode::wide}) {
    const int total = mode == Mode::sequential ? sequential : concurrent;
    if (total == 0 || (options.mode && mode != *options.mode)) continue;
    std::vector<Row> rows;
    const auto add = [&](std::string client, const std::function<Result()>& run) {
      if (client.starts_with(options.client)) rows.push_back({std::move(client), inChild(run)});
    };
    add("wendanet (main loop)", [&] { return runWendanet(server.url, mode, total, {}); });
    add("libcurl", [&] { return runCurl(server.url, mode, total); });
    // Qt Network keeps to six connections per host whatever it is asked.
    if (mode != Mode::wide) add("Qt Network", [&] { return runQt(server.url, mode, total); });
#if WENDALORE_BENCH_CPPREST
    add("C++ REST SDK", [&] { return runRestSDK(server.url, mode, total); });
#else
    fmt::print("(the C++ REST SDK was not found at build time: its row is left out)\n");
#endif
    add("wendanet (no main loop)", [&] { return runWendanet(server.url, mode, total, {.mainLoop = false}); });
    add("wendanet (observed)", [&] { return runWendanet(server.url, mode, total, {.observed = true}); });
    if (rows.empty()) continue;
    printRows(mode == Mode::sequential ? "sequential, one connection"
                                       : fmt::format("{} in flight, {} connections per host", inFlight,
                                                     connectionsFor(mode)),
              rows);
  }
  ::kill(server.pid, SIGTERM);
  ::waitpid(server.pid, nullptr, 0);
  return 0;
}
