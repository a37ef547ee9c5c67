#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <string>

#include "Wendalore/Views/History/HighlightedTextView.h"
#include "Wendalore/Views/History/ResponseTabView.h"
#include "bench/support/OffscreenBenchmarks.h"

namespace {

// Pretty-printed JSON of about `bytes` bytes, as the view model stores it.
std::string jsonBody(std::size_t bytes) {
  std::string body = "[\n";
  for (int index = 0; body.size() < bytes; ++index) {
    body += "  {\n    \"id\": " + std::to_string(index) + ",\n    \"name\": \"item " + std::to_string(index) +
            " & more\",\n    \"active\": true,\n    \"score\": 12.5\n  },\n";
  }
  return body + "  null\n]";
}

// The longest time the UI thread went without turning its event loop, seen
// by a timer that asks to run every millisecond.
class FrameWatch {
 public:
  FrameWatch() {
    timer_.setInterval(1);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      longest_ = std::max(longest_, clock_.restart());
    });
    clock_.start();
    timer_.start();
  }
  qint64 longestMilliseconds() const { return longest_; }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 longest_ = 0;
};

void runUntil(const std::function<bool()>& done) {
  while (!done()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// A 10 MB JSON response arriving on a shown response page: the body is
// shown plain at once, highlighted once the background is done, then
// scrolled through; no frame of the UI thread may take long.
void responseArrives(benchmark::State& state) {
  const std::string body = jsonBody(static_cast<std::size_t>(state.range(0)));
  wendalore::ResponseTabView page;
  page.resize(900, 600);
  page.show();
  double longest = 0, plain = 0, highlighted = 0;
  for (auto _ : state) {
    auto item = wendalore::RequestHistoryItem::make(platform::Date::now(), "GET", "http://h/", {}, std::nullopt);
    page.setItem(item);
    QCoreApplication::processEvents();
    FrameWatch watch;
    QElapsedTimer clock;
    clock.start();
    item->setStatusCode(200);
    item->setResponseHeaders({{"Content-Type", "application/json"}});
    item->setResponseBody(body);
    item->setIsPending(false);
    auto& text = page.text();
    runUntil([&] { return text.document()->characterCount() > 1 && text.isLoaded(); });
    plain = static_cast<double>(clock.elapsed());
    runUntil([&] { return text.isHighlighted(); });
    highlighted = static_cast<double>(clock.elapsed());
    for (const double at : {0.5, 1.0, 0.25}) {
      auto* bar = text.verticalScrollBar();
      bar->setValue(static_cast<int>(bar->maximum() * at));
      QElapsedTimer settle;
      settle.start();
      runUntil([&] { return settle.elapsed() > 50; });
    }
    longest = std::max(longest, static_cast<double>(watch.longestMilliseconds()));
  }
  state.counters["longest_frame_ms"] = longest;
  state.counters["plain_loaded_ms"] = plain;
  state.counters["highlighted_ms"] = highlighted;
}
BENCHMARK(responseArrives)->Arg(10 << 20)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return runOffscreenBenchmarks(argc, argv); }
