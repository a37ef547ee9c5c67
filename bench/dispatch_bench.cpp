#include <benchmark/benchmark.h>

#include <atomic>
#include <future>

#include "Platform/Dispatch/DispatchQueue.h"
#include "Wendanet/Source/Core/Protected.h"

using platform::DispatchQueue;

// Cost of handing many small blocks to a serial child of a serial root, the
// shape every request's work takes.
static void SerialChildAsyncThroughput(benchmark::State& state) {
  auto root = DispatchQueue::make("bench.root");
  auto child = DispatchQueue::make("bench.child", DispatchQueue::Attributes::serial, root);
  const auto blocks = state.range(0);
  for (auto _ : state) {
    std::promise<void> finished;
    std::atomic<int64_t> remaining{blocks};
    for (int64_t i = 0; i < blocks; ++i) {
      child->async([&] {
        if (remaining.fetch_sub(1) == 1) finished.set_value();
      });
    }
    finished.get_future().wait();
  }
  state.SetItemsProcessed(state.iterations() * blocks);
}
BENCHMARK(SerialChildAsyncThroughput)->Arg(10'000);

static void ProtectedWriteUncontended(benchmark::State& state) {
  wendanet::Protected<int64_t> counter(0);
  for (auto _ : state) counter.write([](int64_t& value) { ++value; });
  benchmark::DoNotOptimize(counter.read([](int64_t value) { return value; }));
}
BENCHMARK(ProtectedWriteUncontended);

BENCHMARK_MAIN();
