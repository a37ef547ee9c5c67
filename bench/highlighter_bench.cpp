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
#include "Wendalore/Views/History/ResponseHighlighterRuns.h"

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

// About `bytes` of pretty-printed JSON, nested as API responses are.
std::string prettyJSON(std::size_t bytes) {
  std::string body = "{\n  \"items\": [\n";
  for (int index = 0; body.size() < bytes; ++index) {
    body += fmt::format(
        "    {{\n      \"id\": {},\n      \"name\": \"item {} & <more>\",\n      \"price\": {}.25,\n"
        "      \"active\": {},\n      \"tags\": [\"a\", \"b\", null],\n      \"owner\": {{\n"
        "        \"login\": \"user{}\",\n        \"url\": \"https://example.test/users/{}\"\n      }}\n    }},\n",
        index, index, index % 97, index % 2 == 0 ? "true" : "false", index, index);
  }
  return body + "    null\n  ]\n}\n";
}

std::string megabyteOfJSON() { return prettyJSON(1'000'000); }

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

// One JavaScript token of the given length between two ordinary lines: the
// script alone takes time quadratic in the token's length.
void highlightLongToken(benchmark::State& state) {
  const auto highlighter = highlighter::Highlighter::make();
  const std::string code = "var first = 1;\n" + std::string(static_cast<std::size_t>(state.range(0)), 'a') + "\nvar last = 2;\n";
  for (auto _ : state) {
    auto result = highlighter->highlight(std::string_view(code), std::string("javascript"), true);
    benchmark::DoNotOptimize(result);
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(highlightLongToken)->RangeMultiplier(4)->Range(16 << 10, 1 << 20)->Unit(benchmark::kMillisecond)->Complexity();

// A JSON answer holding a file as Base64 on one line, 40,000 characters of
// which one word: the data of a file mostly zero, as a bitmap is.
void highlightBase64Value(benchmark::State& state) {
  const auto highlighter = highlighter::Highlighter::make();
  const std::string body = "{\"name\": \"image.bmp\", \"data\": \"Qk0" + std::string(40'000, 'A') +
                           "\", \"size\": 30000, \"ok\": true}";
  for (auto _ : state) {
    auto result = highlighter->highlight(std::string_view(body), std::string("json"), true);
    benchmark::DoNotOptimize(result);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}
BENCHMARK(highlightBase64Value)->Unit(benchmark::kMillisecond);

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
// The two take turns, so that both meet the machine's other load alike.
void highlightMegabyteAgainstNode(benchmark::State& state, const std::string& body, const std::string& language) {
  const auto highlighter = highlighter::Highlighter::make();
  for (int warmUp = 0; warmUp < 2; ++warmUp) benchmark::DoNotOptimize(highlighter->highlight(std::string_view(body), language));
  constexpr int turns = 4;
  const auto iterationsPerTurn = (state.max_iterations + turns - 1) / turns;
  double node = 1e9;
  double best = 1e9;
  std::int64_t done = 0;
  for (auto _ : state) {
    if (done++ % iterationsPerTurn == 0) {
      const double turn = nodeMilliseconds(body, language);
      if (turn <= 0) {
        state.SkipWithError("node could not run the script");
        return;
      }
      node = std::min(node, turn);
    }
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
    ->Iterations(16)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(highlightMegabyteAgainstNode, html, megabyteOfHTML(), std::string("xml"))
    ->UseManualTime()
    ->Iterations(16)
    ->Unit(benchmark::kMillisecond);

// This process's resident memory in bytes: now, and its peak since the
// last resetPeakResident().
struct Resident {
  std::int64_t now = 0;
  std::int64_t peak = 0;
};

Resident resident() {
  Resident result;
  std::ifstream status("/proc/self/status");
  std::string field;
  std::int64_t kilobytes = 0;
  while (status >> field) {
    if (field == "VmRSS:" && status >> kilobytes) result.now = kilobytes << 10;
    if (field == "VmHWM:" && status >> kilobytes) result.peak = kilobytes << 10;
  }
  return result;
}

void resetPeakResident() { std::ofstream("/proc/self/clear_refs") << "5"; }

// The compact runs the response view keeps, as its highlighter makes them.
wendalore::StyledRuns compactRuns(const highlighter::Highlighter& highlighter, const std::string& body) {
  wendalore::StyledRunsSink sink;
  highlighter::HighlightJob job(highlighter, *highlighter.theme(), std::string_view(body), std::string("json"), sink,
                                highlighter.budget());
  while (job.step() == highlighter::HighlightJob::Step::more) {
  }
  return sink.take();
}

// Ten megabytes of pretty JSON highlighted again and again: `peak_x_body`
// is the most memory one highlight took on top of what was there before it,
// over the body's size; `kept_MB` what stayed after the last one, compared
// with before the first.
template <class Highlight>
void highlightLargeBodyMemory(benchmark::State& state, Highlight highlight) {
  const auto highlighter = highlighter::Highlighter::make();
  const std::string body = prettyJSON(10'000'000);
  // The engine's one-time costs, such as compiling the language, are paid
  // before.
  benchmark::DoNotOptimize(highlight(*highlighter, prettyJSON(1000)));
  const std::int64_t start = resident().now;
  std::int64_t peak = 0;
  for (auto _ : state) {
    const std::int64_t before = resident().now;
    resetPeakResident();
    {
      auto result = highlight(*highlighter, body);
      benchmark::DoNotOptimize(result);
    }
    peak = std::max(peak, resident().peak - before);
  }
  state.counters["peak_x_body"] = static_cast<double>(peak) / static_cast<double>(body.size());
  state.counters["kept_MB"] = static_cast<double>(resident().now - start) / 1e6;
}
BENCHMARK_CAPTURE(highlightLargeBodyMemory, responseView, compactRuns)->Iterations(4)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(highlightLargeBodyMemory, styledText,
                  [](const highlighter::Highlighter& highlighter, const std::string& body) {
                    return highlighter.highlight(std::string_view(body), std::string("json"), true);
                  })
    ->Iterations(4)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
