#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "Wendanet/Source/Support/MultipartFormData.h"
#include "tests/Platform/ScratchDirectory.h"

using platform::URL;
using wendanet::MultipartFormData;

namespace {

constexpr std::int64_t fileSize = 50'000'000;

// The process's peak resident set so far, in megabytes (Linux reports KiB).
double peakResidentMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) * 1024.0 / 1'000'000.0;
}

// Written a megabyte at a time so that making it does not raise the peak.
std::filesystem::path writeLargeFile(const ScratchDirectory& scratch) {
  const auto path = scratch / "large.bin";
  std::ofstream file(path, std::ios::binary);
  const std::string piece(1'000'000, 'x');
  for (std::int64_t written = 0; written < fileSize; written += static_cast<std::int64_t>(piece.size())) file << piece;
  return path;
}

}  // namespace

// An upload body too large for memory goes to a temporary file; the peak
// resident set must stay near where it was before, whatever the file size.
static void WriteLargeFilePartToFile(benchmark::State& state) {
  ScratchDirectory scratch;
  const auto source = URL::fileURL(writeLargeFile(scratch).string());
  const auto outputPath = scratch / "body";
  const double peakBefore = peakResidentMegabytes();
  for (auto _ : state) {
    auto form = MultipartFormData::make();
    form->append(source, "upload");
    try {
      form->writeEncodedData(URL::fileURL(outputPath.string()));
    } catch (const platform::Error& error) {
      state.SkipWithError(error.description().c_str());
      break;
    }
    state.PauseTiming();
    std::filesystem::remove(outputPath);
    state.ResumeTiming();
  }
  const double peakAfter = peakResidentMegabytes();
  state.counters["peak_rss_MB"] = peakAfter;
  state.counters["peak_rss_growth_MB"] = peakAfter - peakBefore;
  state.SetBytesProcessed(state.iterations() * fileSize);
}
BENCHMARK(WriteLargeFilePartToFile)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
