// Start-up of the real program: time from starting the process to its
// window being shown, and resident and proportional memory (of the program
// and any helper process it has started) 5 s after the start, with an empty
// store and with 1,000 stored requests. Needs a display: run it under
// xvfb-run.

#include <benchmark/benchmark.h>

#include <thread>

#include "Platform/Store/ModelContainer.h"
#include "Wendalore/Model/RequestFolder.h"
#include "Wendalore/Model/RequestTemplate.h"
#include "bench/support/ProcessMemory.h"
#include "tests/desktop/AppProcess.h"
#include "tests/desktop/XDisplay.h"

namespace {

using namespace std::chrono_literals;

// Requests spread over ten folders, each with a header and a parameter.
bool seedStore(const std::filesystem::path& file, int requests) {
  auto container = platform::ModelContainer::open(
      platform::Schema::of<wendalore::RequestTemplate, wendalore::RequestFolder>(), file);
  if (!container) return false;
  const auto& context = (*container)->mainContext();
  std::vector<std::shared_ptr<wendalore::RequestFolder>> folders;
  for (int index = 0; index < 10 && requests > 0; ++index) {
    folders.push_back(wendalore::RequestFolder::make("Folder " + std::to_string(index), nullptr));
    context->insert(folders.back());
  }
  for (int index = 0; index < requests; ++index) {
    auto request = wendalore::RequestTemplate::make("Request " + std::to_string(index),
                                                    "https://example.invalid/items?page=" + std::to_string(index),
                                                    "GET", folders[index % folders.size()], index);
    request->setHeaders({wendalore::RequestHeaderItem::make("Accept", "application/json")});
    request->setQueryParams({wendalore::RequestQueryParam::make("page", std::to_string(index), true)});
  }
  return bool(context->save());
}

void BM_StartUp(benchmark::State& state) {
  std::optional<desktop::XDisplay> display;
  try {
    display.emplace();
  } catch (const std::exception& error) {
    state.SkipWithError(error.what());
    return;
  }
  desktop::AppHome home;
  if (!seedStore(home.storeFile(), static_cast<int>(state.range(0)))) {
    state.SkipWithError("the store could not be seeded");
    return;
  }
  double residentMegabytes = 0;
  double proportionalMegabytes = 0;
  for (auto _ : state) {
    desktop::AppProcess app(home);
    const auto window = display->waitForWindow(app.pid(), "Wendalore", 30s);
    const auto shownAt = std::chrono::steady_clock::now();
    if (!window) {
      state.SkipWithError("no window appeared");
      return;
    }
    state.SetIterationTime(std::chrono::duration<double>(shownAt - app.startedAt()).count());
    std::this_thread::sleep_until(app.startedAt() + 5s);
    residentMegabytes += static_cast<double>(app.residentBytes()) / (1024.0 * 1024.0);
    proportionalMegabytes += processmemory::treeProportionalMiB(app.pid());
  }
  const auto iterations = static_cast<double>(state.iterations());
  state.counters["rss_MiB_at_5s"] = residentMegabytes / iterations;
  state.counters["pss_MiB_at_5s"] = proportionalMegabytes / iterations;
}
BENCHMARK(BM_StartUp)->Arg(0)->Arg(1000)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
