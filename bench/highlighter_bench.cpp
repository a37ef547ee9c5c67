#include <benchmark/benchmark.h>
#include <fmt/format.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "Highlighter/Highlighter.h"

namespace {

using Clock = std::chrono::steady_clock;

// A JSON body of about `entries` objects, the kind the response view shows.
std::string jsonBody(int entries) {
  std::string body = "[\n";
  for (int index = 0; index < entries; ++index) {
    body += "  {\"id\": " + std::to_string(index) + ", \"name\": \"item <" + std::to_string(index) +
            "> & more\", \"active\": true},\n";
  }
  return body + "  null\n]\n";
}

// About a megabyte of pretty-printed JSON, nested as API responses are.
std::string megabyteOfJSON() {
  std::string body = "{\n  \"items\": [\n";
  for (int index = 0; body.size() < 1'000'000; ++index) {
    body += fmt::format(
        "    {{\n      \"id\": {},\n      \"name\": \"item {} & <more>\",\n      \"price\": {}.25,\n"
        "      \"active\": {},\n      \"tags\": [\"a\", \"b\", null],\n      \"owner\": {{\n"
        "        \"login\": \"user{}\",\n        \"url\": \"https://example.test/users/{}\"\n      }}\n    }},\n",
        index, index, index % 97, index % 2 == 0 ? "true" : "false", index, index);
  }
  return body + "    null\n  ]\n}\n";
}

// About a megabyte of HTML page with attributes, entities, script and style.
std::string megabyteOfHTML() {
  std::string body = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<style>body { color: #333; }</style>\n</head>\n<body>\n";
  for (int index = 0; body.size() < 1'000'000; ++index) {
    body += fmt::format(
        "<div class=\"row r{}\" data-id=\"{}\">\n  <a href=\"/items/{}?x=1&amp;y=2\">Item {} &mdash; &lt;new&gt;</a>\n"
        "  <!-- note {} -->\n  <script>var n = {}; if (n < 3) {{ console.log(\"x\"); }}</script>\n</div>\n",
        index % 7, index, index, index, index, index);
  }
  return body + "</body>\n</html>\n";
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

// The fewest milliseconds node takes for one highlight of `body` with the
// bundle's own script, after warming up; negative when node cannot be run.
// Best times on both sides, as the machine's other load only adds time.
double nodeMilliseconds(const std::string& body, const std::string& language) {
  const auto script = highlighter::Highlighter::moduleBundle()->pathForResource("highlight.min", "js");
  if (!script) return -1;
  const auto scratch = std::filesystem::temp_directory_path() / fmt::format("highlight-bench-{}", ::getpid());
  std::filesystem::create_directories(scratch);
  std::ofstream(scratch / "body") << body;
  std::ofstream(scratch / "run.js") << R"(
const fs = require('fs');
const hljs = new Function(fs.readFileSync(process.argv[2], 'utf8') + '; return hljs;')();
const body = fs.readFileSync(process.argv[3], 'utf8');
const run = () => hljs.highlight(body, { language: process.argv[4] }).value.length;
for (let i = 0; i < 3; ++i) run();
let best = Infinity;
for (let i = 0; i < 8; ++i) {
  const start = process.hrtime.bigint();
  run();
  best = Math.min(best, Number(process.hrtime.bigint() - start) / 1e6);
}
console.log(best);
)";
  const auto command = fmt::format("node '{}' '{}' '{}' {}", (scratch / "run.js").string(), script->string(),
                                   (scratch / "body").string(), language);
  double milliseconds = -1;
  if (FILE* output = ::popen(command.c_str(), "r")) {
    if (std::fscanf(output, "%lf", &milliseconds) != 1) milliseconds = -1;
    ::pclose(output);
  }
  std::filesystem::remove_all(scratch);
  return milliseconds;
}

// A megabyte highlighted end to end (styled text ready) beside node running
// the same script on the same text: `ratio` is our best time over node's.
void highlightMegabyteAgainstNode(benchmark::State& state, const std::string& body, const std::string& language) {
  const auto highlighter = highlighter::Highlighter::make();
  const double node = nodeMilliseconds(body, language);
  if (node <= 0) {
    state.SkipWithError("node could not run the script");
    return;
  }
  for (int warmUp = 0; warmUp < 2; ++warmUp) benchmark::DoNotOptimize(highlighter->highlight(std::string_view(body), language));
  double best = 1e9;
  for (auto _ : state) {
    const auto start = Clock::now();
    auto result = highlighter->highlight(std::string_view(body), language, true);
    benchmark::DoNotOptimize(result);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    state.SetIterationTime(seconds);
    best = std::min(best, seconds);
  }
  const double ours = best * 1e3;
  state.counters["node_ms"] = node;
  state.counters["ours_ms"] = ours;
  state.counters["ratio"] = ours / node;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}
BENCHMARK_CAPTURE(highlightMegabyteAgainstNode, json, megabyteOfJSON(), std::string("json"))
    ->UseManualTime()
    ->Iterations(8)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(highlightMegabyteAgainstNode, html, megabyteOfHTML(), std::string("xml"))
    ->UseManualTime()
    ->Iterations(8)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
