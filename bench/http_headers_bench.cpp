#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "Wendanet/Source/Core/HTTPHeaders.h"

using wendanet::HTTPHeaders;

namespace {

// The header names of a typical request and its response, in the letter
// case servers and users write them.
const std::vector<std::string>& typicalNames() {
  static const std::vector<std::string> names{
      "Accept",        "Accept-Encoding", "Accept-Language", "User-Agent",      "Content-Type",
      "Content-Length", "Authorization",  "Cache-Control",   "Cookie",          "X-Request-ID",
      "Connection",    "Host",            "ETag",            "Last-Modified",   "Date",
      "Server"};
  return names;
}

HTTPHeaders typicalHeaders() {
  HTTPHeaders headers;
  for (const auto& name : typicalNames()) headers.update(name, "value");
  return headers;
}

}  // namespace

// Building a request's headers: every update looks for the name first.
static void BuildTypicalHeaders(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(typicalHeaders());
}
BENCHMARK(BuildTypicalHeaders);

// Lookups as the encoders and the response handling make them: names in
// another letter case, and names that are not there.
static void LookUpNamesInAnyCase(benchmark::State& state) {
  const auto headers = typicalHeaders();
  const std::vector<std::string> wanted{"content-type", "ACCEPT", "x-request-id", "server", "X-Missing", "range"};
  for (auto _ : state) {
    for (const auto& name : wanted) benchmark::DoNotOptimize(headers.findValue(name));
  }
}
BENCHMARK(LookUpNamesInAnyCase);

static void SortTypicalHeaders(benchmark::State& state) {
  const auto headers = typicalHeaders();
  for (auto _ : state) benchmark::DoNotOptimize(headers.sortedByName());
}
BENCHMARK(SortTypicalHeaders);

BENCHMARK_MAIN();
