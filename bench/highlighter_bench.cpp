#include <benchmark/benchmark.h>

#include <string>

#include "Highlighter/Highlighter.h"

namespace {

// A JSON body of about `entries` objects, the kind the response view shows.
std::string jsonBody(int entries) {
  std::string body = "[\n";
  for (int index = 0; index < entries; ++index) {
    body += "  {\"id\": " + std::to_string(index) + ", \"name\": \"item <" + std::to_string(index) +
            "> & more\", \"active\": true},\n";
  }
  return body + "  null\n]\n";
}

// Fast-path time should grow linearly with the body's size.
void highlightJSON(benchmark::State& state) {
  const auto highlighter = highlighter::Highlighter::make();
  const std::string body = jsonBody(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    auto result = highlighter->highlight(std::string_view(body), std::string("json"), true);
    benchmark::DoNotOptimize(result);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(highlightJSON)->RangeMultiplier(4)->Range(256, 16384)->Complexity();

}  // namespace

BENCHMARK_MAIN();
