#include <benchmark/benchmark.h>

#include <fmt/format.h>

#include <string>
#include <vector>

#include "Platform/Foundation/HTTPURLResponse.h"
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

// A response head of many fields, as a server may send: distinct names,
// and with `oneNameBeyondASCII` one of them is not ASCII.
platform::HTTPHeaderFields longHead(std::size_t count, bool oneNameBeyondASCII) {
  platform::HTTPHeaderFields fields;
  fields.reserve(count);
  for (std::size_t index = 0; index < count; ++index) fields.emplace_back(fmt::format("X-Field-{}", index), "value");
  if (oneNameBeyondASCII) fields[count / 2].first = "X-F\u00E4ld";
  return fields;
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

// The anchor for the long head: copying its fields into a new list, what
// building the headers cannot do without.
static void CopyLongHeadFields(benchmark::State& state) {
  const auto fields = longHead(static_cast<std::size_t>(state.range(0)), false);
  for (auto _ : state) benchmark::DoNotOptimize(platform::HTTPHeaderFields(fields));
}
BENCHMARK(CopyLongHeadFields)->Arg(25'600)->Unit(benchmark::kMillisecond);

// A long response head as received, then as the library's headers; the
// second argument puts one name beyond ASCII among them.
static void BuildLongHead(benchmark::State& state) {
  const auto fields = longHead(static_cast<std::size_t>(state.range(0)), state.range(1) != 0);
  const auto url = platform::URL::string("http://127.0.0.1/");
  for (auto _ : state) benchmark::DoNotOptimize(wendanet::getHeaders(*platform::HTTPURLResponse::make(*url, 200, fields)));
}
BENCHMARK(BuildLongHead)->Args({25'600, 0})->Args({25'600, 1})->Unit(benchmark::kMillisecond);

// Looking names up in a long head, as response handling does.
static void LookUpNamesInALongHead(benchmark::State& state) {
  const HTTPHeaders headers(longHead(25'600, true));
  const std::vector<std::string> wanted{"content-type", "X-FIELD-12800", "x-f\u00C4ld", "x-field-25599"};
  for (auto _ : state) {
    for (const auto& name : wanted) benchmark::DoNotOptimize(headers.findValue(name));
  }
}
BENCHMARK(LookUpNamesInALongHead);

BENCHMARK_MAIN();
