// How long the main thread is held per response completion, by body size.
// The body is formatted on a background queue; the main thread pays for the
// hand-over and for storing the text. "wall_ms" is the whole completion,
// formatting included.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <thread>

#include "Platform/Dispatch/RunLoop.h"
#include "Wendalore/ViewModel/RequestViewModel.h"

namespace {

using Clock = std::chrono::steady_clock;

// A JSON array of small records, at least `size` bytes long.
std::string jsonBody(std::size_t size) {
  std::string body = "[";
  for (int index = 0; body.size() < size; ++index) {
    body += R"({"id":)" + std::to_string(index) + R"(,"name":"item","tags":["a","b"],"url":"http://example.com/x"},)";
  }
  body.back() = ']';
  return body;
}

void mainThreadTimePerCompletion(benchmark::State& state) {
  const platform::Data body(jsonBody(static_cast<std::size_t>(state.range(0))));
  const wendanet::DataResponse<platform::Data> response(
      std::nullopt, platform::HTTPURLResponse::make(*platform::URL::string("http://127.0.0.1/"), 200, {}), body,
      nullptr, 0, body);
  const auto model = wendalore::RequestViewModel::make();
  int applied = 0;
  auto token = model->observeDidChange([&](std::string_view property) { applied += property == "responseBody"; });
  double wall = 0;
  for (auto _ : state) {
    const int awaited = applied + 1;
    const auto started = Clock::now();
    model->completeRequest(platform::UUID(), platform::Date::now(), response);
    Clock::duration onMain = Clock::now() - started;
    while (applied < awaited) {
      const auto before = Clock::now();
      if (platform::RunLoop::main().runPending() > 0) {
        onMain += Clock::now() - before;
      } else {
        std::this_thread::sleep_for(std::chrono::microseconds(50));
      }
    }
    wall += std::chrono::duration<double, std::milli>(Clock::now() - started).count();
    state.SetIterationTime(std::chrono::duration<double>(onMain).count());
  }
  state.counters["wall_ms"] = benchmark::Counter(wall, benchmark::Counter::kAvgIterations);
}

}  // namespace

BENCHMARK(mainThreadTimePerCompletion)
    ->Arg(1 << 10)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
