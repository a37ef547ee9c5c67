#include <benchmark/benchmark.h>

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "Wendalore/Views/History/HeadersTabView.h"
#include "Wendalore/Views/History/HighlightedTextView.h"
#include "Wendalore/Views/History/ResponseHighlighter.h"
#include "Wendalore/Views/History/ResponseTabView.h"
#include "bench/support/OffscreenBenchmarks.h"

namespace {

using wendalore::RequestHistoryItem;

// Pretty-printed JSON of about `bytes` bytes, as the view model stores it.
std::string jsonBody(std::size_t bytes) {
  std::string body = "[\n";
  for (int index = 0; body.size() < bytes; ++index) {
    body += "  {\n    \"id\": " + std::to_string(index) + ",\n    \"name\": \"item " + std::to_string(index) +
            " & more\",\n    \"active\": true,\n    \"score\": 12.5\n  },\n";
  }
  return body + "  null\n]";
}

// The same items on one line, as a compact JSON response comes.
std::string singleLineBody(std::size_t bytes) {
  std::string body = "[";
  for (int index = 0; body.size() < bytes; ++index) {
    body += "{\"id\":" + std::to_string(index) + ",\"name\":\"item " + std::to_string(index) + "\"},";
  }
  return body + "null]";
}

// The longest time the UI thread went without turning its event loop, seen
// by a timer that asks to run every millisecond.
class FrameWatch {
 public:
  FrameWatch() {
    timer_.setInterval(1);
    QObject::connect(&timer_, &QTimer::timeout, [this] { longest_ = std::max(longest_, clock_.restart()); });
    clock_.start();
    timer_.start();
  }
  double longestMilliseconds() const { return static_cast<double>(std::max(longest_, clock_.elapsed())); }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 longest_ = 0;
};

// Turns the event loop until `done`, or for `limit` milliseconds at most;
// whether it was done.
bool runUntil(const std::function<bool()>& done, qint64 limit = 600000) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > limit) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

void settle(qint64 milliseconds) {
  QElapsedTimer clock;
  clock.start();
  runUntil([&] { return clock.elapsed() > milliseconds; });
}

double residentMegabytes() {
  long pages = 0, resident = 0;
  if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

std::shared_ptr<RequestHistoryItem> pending() {
  return RequestHistoryItem::make(platform::Date::now(), "GET", "http://h/", {}, std::nullopt);
}

void answer(RequestHistoryItem& item, std::string body) {
  item.setStatusCode(200);
  item.setResponseHeaders({{"Content-Type", "application/json"}});
  item.setResponseBody(std::move(body));
  item.setIsPending(false);
}

// Scrolls to a few places and lets each paint.
void scrollThrough(wendalore::LargeTextView& text) {
  for (const double at : {0.5, 1.0, 0.25}) {
    auto* bar = text.verticalScrollBar();
    bar->setValue(static_cast<int>(bar->maximum() * at));
    settle(50);
  }
}

// What the program's heap holds in use, mapped blocks included.
double heapMegabytes() {
  const auto info = mallinfo2();
  return static_cast<double>(info.uordblks + info.hblkhd) / (1024.0 * 1024.0);
}

// The highest resident memory, and heap in use, seen while it lives, by a
// timer that asks to run every millisecond.
class PeakWatch {
 public:
  PeakWatch() {
    timer_.setInterval(1);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      highest_ = std::max(highest_, residentMegabytes());
      highestHeap_ = std::max(highestHeap_, heapMegabytes());
    });
    timer_.start();
  }
  double highest() const { return std::max(highest_, residentMegabytes()); }
  double highestHeap() const { return std::max(highestHeap_, heapMegabytes()); }

 private:
  QTimer timer_;
  double highest_ = 0;
  double highestHeap_ = 0;
};

struct MemoryFigures {
  double base = 0, shown = 0, peak = 0, left = 0;
  double baseHeap = 0, shownHeap = 0, peakHeap = 0, leftHeap = 0;
};

// Goes to the end of a shown text, as a reader of a large body does, and
// keeps the most memory seen there.
void goToEnd(QWidget& text, MemoryFigures& figures) {
  text.setFocus();
  QTest::keyClick(&text, Qt::Key_End, Qt::ControlModifier);
  settle(50);
  figures.shown = std::max(figures.shown, residentMegabytes());
  figures.shownHeap = std::max(figures.shownHeap, heapMegabytes());
}

void countMemory(benchmark::State& state, const MemoryFigures& figures) {
  const double body = static_cast<double>(state.range(0)) / (1024.0 * 1024.0);
  state.counters["body_mb"] = body;
  state.counters["base_mb"] = figures.base;
  state.counters["shown_mb"] = figures.shown;
  state.counters["shown_over_base_in_bodies"] = (figures.shown - figures.base) / body;
  state.counters["peak_over_base_in_bodies"] = (figures.peak - figures.base) / body;
  state.counters["left_mb"] = figures.left;
  state.counters["shown_heap_over_base_in_bodies"] = (figures.shownHeap - figures.baseHeap) / body;
  state.counters["peak_heap_over_base_in_bodies"] = (figures.peakHeap - figures.baseHeap) / body;
  state.counters["left_heap_over_base_mb"] = figures.leftHeap - figures.baseHeap;
  state.counters["styled_cache_mb"] =
      static_cast<double>(wendalore::ResponseHighlighter::shared().cacheBytes()) / (1024.0 * 1024.0);
}

// A response arriving on a shown response page: the first screen, the whole
// text, the lines in view coloured, the lines at the end coloured after a
// jump there, the whole body coloured (or the highlighter's answer that it
// gives none), then a scroll through it; no frame of the UI thread may take
// long. Times count from the response's completion, but the jump's from the
// jump.
void responseArrives(benchmark::State& state, std::string (*makeBody)(std::size_t)) {
  const std::string body = makeBody(static_cast<std::size_t>(state.range(0)));
  wendalore::ResponseTabView page;
  page.resize(900, 600);
  page.show();
  double longest = 0, firstScreen = 0, whole = 0, shownColoured = 0, jumpColoured = 0, coloured = 0;
  const auto elapsedUntil = [](const QElapsedTimer& clock, const std::function<bool()>& done) {
    return runUntil(done, 120000) ? static_cast<double>(clock.elapsed()) : -1;
  };
  for (auto _ : state) {
    auto item = pending();
    page.setItem(item);
    QCoreApplication::processEvents();
    auto& text = page.text();
    FrameWatch watch;
    QElapsedTimer clock;
    clock.start();
    answer(*item, body);
    runUntil([&] { return text.isLoaded() && text.verticalScrollBar()->maximum() > 0; });
    text.viewport()->repaint();
    firstScreen = static_cast<double>(clock.elapsed());
    whole = firstScreen;
    const auto shownIsColoured = [&] { return text.areShownLinesColoured() || text.isHighlightingDone(); };
    shownColoured = elapsedUntil(clock, shownIsColoured);
    QElapsedTimer jump;
    jump.start();
    text.setFocus();
    QTest::keyClick(&text, Qt::Key_End, Qt::ControlModifier);
    text.viewport()->repaint();
    jumpColoured = elapsedUntil(jump, shownIsColoured);
    coloured = elapsedUntil(clock, [&] { return text.isHighlightingDone(); });
    text.viewport()->repaint();
    scrollThrough(text);
    longest = std::max(longest, watch.longestMilliseconds());
  }
  state.counters["longest_frame_ms"] = longest;
  state.counters["first_screen_ms"] = firstScreen;
  state.counters["whole_text_ms"] = whole;
  state.counters["shown_coloured_ms"] = shownColoured;
  state.counters["end_coloured_after_jump_ms"] = jumpColoured;
  state.counters["coloured_ms"] = coloured;
  state.counters["highlighted"] = page.text().isHighlighted() ? 1 : 0;
}
BENCHMARK_CAPTURE(responseArrives, pretty_json, jsonBody)
    ->Arg(10 << 20)
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(responseArrives, single_line, singleLineBody)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Typing a search text into the find field of a large pretty JSON: the
// marks in view follow each key, the count comes from the background.
void searchTyping(benchmark::State& state) {
  wendalore::ResponseTabView page;
  page.resize(900, 600);
  page.show();
  auto item = pending();
  answer(*item, jsonBody(static_cast<std::size_t>(state.range(0))));
  page.setItem(item);
  auto& text = page.text();
  runUntil([&] { return text.isLoaded(); });
  double longest = 0, counted = 0;
  for (auto _ : state) {
    page.searchField().clear();
    settle(20);
    FrameWatch watch;
    QElapsedTimer clock;
    clock.start();
    for (const char* key : {"1", "2", ".", "5"}) {
      QTest::keyClicks(&page.searchField(), key);
      settle(30);
    }
    runUntil([&] { return text.searchMatchCount().has_value(); });
    counted = static_cast<double>(clock.elapsed());
    scrollThrough(text);
    longest = std::max(longest, watch.longestMilliseconds());
  }
  state.counters["longest_frame_ms"] = longest;
  state.counters["typed_and_counted_ms"] = counted;
  state.counters["matches"] = static_cast<double>(text.searchMatchCount().value_or(0));
}
BENCHMARK(searchTyping)->Arg(17 << 20)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// A response with thousands of headers shown on the headers page.
void manyHeaders(benchmark::State& state) {
  wendalore::HeadersTabView page;
  page.resize(900, 600);
  page.show();
  wendalore::HeaderDictionary headers;
  for (int index = 0; index < state.range(0); ++index) {
    headers["X-Header-" + std::to_string(index)] = "value " + std::to_string(index) + " of a header";
  }
  double longest = 0, complete = 0;
  for (auto _ : state) {
    auto item = pending();
    page.setItem(item);
    settle(20);
    FrameWatch watch;
    QElapsedTimer clock;
    clock.start();
    item->setResponseHeaders(headers);
    runUntil([&] { return page.text().endsWith(QStringLiteral("of a header")); });
    complete = static_cast<double>(clock.elapsed());
    settle(50);
    longest = std::max(longest, watch.longestMilliseconds());
  }
  state.counters["longest_frame_ms"] = longest;
  state.counters["shown_ms"] = complete;
}
BENCHMARK(manyHeaders)->Arg(5000)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// Shows a large text five times, going to its end each time, then drops
// the page: the highest resident memory while shown, the highest at all
// (while highlighting), and what stays after.
// `showLarge` gives the text widget once the text is in.
template <class Page>
void measureViewing(benchmark::State& state, std::unique_ptr<Page> page, const std::function<QWidget&(Page&)>& showLarge,
                    const std::function<void(Page&)>& showSmall) {
  page->resize(900, 600);
  page->show();
  showSmall(*page);
  settle(100);
  malloc_trim(0);
  MemoryFigures figures;
  figures.base = residentMegabytes();
  figures.baseHeap = heapMegabytes();
  for (auto _ : state) {
    PeakWatch peak;
    for (int view = 0; view < 5; ++view) {
      goToEnd(showLarge(*page), figures);
      showSmall(*page);
      settle(50);
    }
    page.reset();
    settle(200);
    figures.left = residentMegabytes();
    figures.leftHeap = heapMegabytes();
    figures.peak = peak.highest();
    figures.peakHeap = peak.highestHeap();
  }
  countMemory(state, figures);
}

// A large response viewed again and again on the response page, with its
// highlighting.
void viewingMemory(benchmark::State& state) {
  {
    // The script engine's own start, and the code it pages in to highlight
    // anything of size, are paid before the base is taken.
    wendalore::ResponseTabView warmUp;
    auto medium = pending();
    answer(*medium, jsonBody(512 << 10));
    warmUp.setItem(medium);
    runUntil([&] { return warmUp.text().isHighlightingDone(); }, 120000);
  }
  auto large = pending();
  answer(*large, jsonBody(static_cast<std::size_t>(state.range(0))));
  auto small = pending();
  answer(*small, "{}");
  measureViewing<wendalore::ResponseTabView>(
      state, std::make_unique<wendalore::ResponseTabView>(),
      [&](wendalore::ResponseTabView& page) -> QWidget& {
        page.setItem(large);
        auto& text = page.text();
        runUntil([&] { return text.isLoaded() && text.isHighlightingDone(); }, 120000);
        return text;
      },
      [&](wendalore::ResponseTabView& page) {
        page.setItem(small);
        runUntil([&] { return page.text().isHighlightingDone(); }, 120000);
      });
}
BENCHMARK(viewingMemory)->Arg(10 << 20)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The text view alone (no highlighter): what the view itself keeps.
void textViewMemory(benchmark::State& state) {
  const auto body = std::make_shared<const std::string>(jsonBody(static_cast<std::size_t>(state.range(0))));
  measureViewing<wendalore::LargeTextView>(
      state, std::make_unique<wendalore::LargeTextView>(),
      [&](wendalore::LargeTextView& view) -> QWidget& {
        // A copy, as the response page makes one of the record's body.
        view.setText(std::make_shared<const std::string>(*body));
        runUntil([&] { return view.isLoaded(); });
        return view;
      },
      [](wendalore::LargeTextView& view) { view.setText(std::make_shared<const std::string>("{}")); });
}
BENCHMARK(textViewMemory)->Arg(10 << 20)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// A response of hundreds of megabytes given to the text view (the response
// page copies it a slice per frame before): indexed in the background and
// shown.
void hugeBodyShown(benchmark::State& state) {
  const auto bytes = static_cast<std::size_t>(state.range(0));
  const std::string body = jsonBody(bytes);
  wendalore::LargeTextView view;
  view.resize(900, 600);
  view.show();
  settle(50);
  const double base = residentMegabytes();
  double longest = 0, shownAfter = 0, peak = 0;
  for (auto _ : state) {
    auto copy = std::make_shared<const std::string>(body);
    FrameWatch watch;
    QElapsedTimer clock;
    clock.start();
    view.setText(std::move(copy));
    runUntil([&] {
      peak = std::max(peak, residentMegabytes());
      return view.isLoaded();
    });
    shownAfter = static_cast<double>(clock.elapsed());
    view.viewport()->repaint();
    longest = std::max(longest, watch.longestMilliseconds());
    view.setText(std::make_shared<const std::string>());
    settle(50);
  }
  const double megabytes = static_cast<double>(bytes) / (1024.0 * 1024.0);
  state.counters["longest_frame_ms"] = longest;
  state.counters["shown_ms"] = shownAfter;
  state.counters["peak_over_base_in_bodies"] = (peak - base) / megabytes;
}
BENCHMARK(hugeBodyShown)->Arg(256 << 20)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Select All then Copy in a shown text of hundreds of megabytes, by the
// keys: the longest frame of the UI thread until the clipboard holds it.
void hugeSelectionCopied(benchmark::State& state) {
  const auto bytes = static_cast<std::size_t>(state.range(0));
  wendalore::LargeTextView view;
  view.resize(900, 600);
  view.show();
  view.setText(std::make_shared<const std::string>(jsonBody(bytes)));
  runUntil([&] { return view.isLoaded(); });
  view.setFocus();
  double longest = 0, copiedAfter = 0;
  for (auto _ : state) {
    QApplication::clipboard()->clear();
    FrameWatch watch;
    QElapsedTimer clock;
    clock.start();
    QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    runUntil([&] { return !view.isCopying(); });
    copiedAfter = static_cast<double>(clock.elapsed());
    longest = std::max(longest, watch.longestMilliseconds());
    if (QApplication::clipboard()->text().size() < static_cast<qsizetype>(bytes)) state.SkipWithError("not copied");
  }
  state.counters["longest_frame_ms"] = longest;
  state.counters["copied_ms"] = copiedAfter;
}
BENCHMARK(hugeSelectionCopied)->Arg(256 << 20)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return runOffscreenBenchmarks(argc, argv); }
