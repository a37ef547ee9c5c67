#include <benchmark/benchmark.h>

#include <chrono>
#include <limits>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "Platform/Coding/JSONDecoder.h"
#include "Platform/Coding/JSONEncoder.h"
#include "Platform/Coding/JSONSerialization.h"
#include "Platform/Coding/detail/JSONReformatter.h"

using namespace platform;

namespace {

struct Item {
  std::int64_t id = 0;
  std::string name;
  std::optional<std::string> url;
  std::vector<double> values;
  bool active = false;
  static constexpr auto codingFields() {
    return std::tuple{field("id", &Item::id), field("name", &Item::name), field("url", &Item::url),
                      field("values", &Item::values), field("active", &Item::active)};
  }
};

std::vector<Item> items(std::int64_t count) {
  std::vector<Item> result;
  for (std::int64_t i = 0; i < count; ++i) {
    result.push_back({i, "item " + std::to_string(i), "https://example.test/items/" + std::to_string(i), {0.5, 1.25, 3.0}, i % 2 == 0});
  }
  return result;
}

double secondsFor(auto&& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Records written again pretty-printed without a tree, as a response body
// is shown, beside `other` in the same iterations: `ratio` is its time over
// theirs.
void reformatBeside(benchmark::State& state, const std::string& other, std::size_t maximumSize) {
  const Data body = JSONEncoder().encode(items(state.range(0)));
  const auto pretty = [&](std::string_view text) {
    benchmark::DoNotOptimize(
        detail::reformatJSON(text, JSONSerialization::WritingOptions::prettyPrinted, maximumSize));
  };
  double records = 0;
  double others = 0;
  for (auto _ : state) {
    records += secondsFor([&] { pretty(body.view()); });
    const double seconds = secondsFor([&] { pretty(other); });
    state.SetIterationTime(seconds);
    others += seconds;
  }
  state.counters["ratio"] = others / records;
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(other.size()));
}

}  // namespace

// A response body read into a tree and written back pretty-printed: the
// library's JSON serializer's way, and the display's where keys are sorted.
static void PrettyPrintResponseBody(benchmark::State& state) {
  const Data body = JSONEncoder().encode(items(state.range(0)));
  for (auto _ : state) {
    const JSONValue value = JSONSerialization::jsonObject(body);
    benchmark::DoNotOptimize(JSONSerialization::data(value, JSONSerialization::WritingOptions::prettyPrinted));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(body.size()));
}
BENCHMARK(PrettyPrintResponseBody)->Arg(10'000);

// The same read and pretty-printed write, timed beside nlohmann's own parse
// and dump of the same text in the same iterations: `ratio` is ours over
// its.
static void PrettyPrintAgainstNlohmann(benchmark::State& state) {
  const Data body = JSONEncoder().encode(items(state.range(0)));
  const std::string_view text = body.view();
  double ours = 0;
  double theirs = 0;
  const auto timed = [](auto&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
  for (auto _ : state) {
    const double seconds = timed([&] {
      const JSONValue value = JSONSerialization::jsonObject(body);
      benchmark::DoNotOptimize(JSONSerialization::data(value, JSONSerialization::WritingOptions::prettyPrinted));
    });
    theirs += timed([&] { benchmark::DoNotOptimize(nlohmann::json::parse(text).dump(2)); });
    state.SetIterationTime(seconds);
    ours += seconds;
  }
  state.counters["ratio"] = ours / theirs;
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(body.size()));
}
BENCHMARK(PrettyPrintAgainstNlohmann)->Arg(10'000)->UseManualTime();

// The same records with one key repeated in their middle, which is counted
// before it is written.
static void ReformatRecordsRepeatingAKey(benchmark::State& state) {
  std::string repeating = JSONEncoder().encode(items(state.range(0))).toString();
  repeating.insert(repeating.find("\"active\"", repeating.size() / 2), R"("id":-1,)");
  reformatBeside(state, repeating, std::numeric_limits<std::size_t>::max());
}
BENCHMARK(ReformatRecordsRepeatingAKey)->Arg(10'000)->UseManualTime();

// Arrays nested 500 deep, a megabyte of them, whose pretty text would pass
// the bound a response body is shown under: refused once it does.
static void ReformatDeepNestingPastTheBound(benchmark::State& state) {
  const auto block = std::string(499, '[') + std::string(499, ']');
  std::string nested = "[";
  while (nested.size() < (1u << 20)) nested += block + ",";
  nested.back() = ']';
  reformatBeside(state, nested, (256u << 20) + 3 * nested.size());
}
BENCHMARK(ReformatDeepNestingPastTheBound)->Arg(10'000)->UseManualTime();

static void EncodeRecords(benchmark::State& state) {
  const auto values = items(state.range(0));
  const JSONEncoder encoder;
  for (auto _ : state) benchmark::DoNotOptimize(encoder.encode(values));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(EncodeRecords)->Arg(10'000);

static void DecodeRecords(benchmark::State& state) {
  const Data body = JSONEncoder().encode(items(state.range(0)));
  const JSONDecoder decoder;
  for (auto _ : state) benchmark::DoNotOptimize(decoder.decode<std::vector<Item>>(body));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(DecodeRecords)->Arg(10'000);

// One object with many keys, decoded as a map: each key is looked up once.
static void DecodeWideObject(benchmark::State& state) {
  std::map<std::string, int> wide;
  for (int i = 0; i < state.range(0); ++i) wide.emplace("key" + std::to_string(i), i);
  const Data body = JSONEncoder().encode(wide);
  const JSONDecoder decoder;
  for (auto _ : state) benchmark::DoNotOptimize(decoder.decode<std::map<std::string, int>>(body));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(DecodeWideObject)->Arg(100'000);

BENCHMARK_MAIN();
