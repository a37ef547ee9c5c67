#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>

#include <filesystem>
#include <string>

#include <unistd.h>

#include "Platform/Store/ModelContainer.h"
#include "Wendalore/Model/RequestFolder.h"
#include "Wendalore/Views/Editor/RequestEditorView.h"
#include "bench/support/OffscreenBenchmarks.h"

namespace {

using namespace wendalore;

// A key typed at the end of a URL whose query has `items` items: the rows
// follow the URL at each keystroke. Reports what one keystroke costs the
// main thread, drawing included. The editor saves half a second after an
// edit: most keys come between saves, the first after a save finds the
// rows it replaces stored; with `saveEachKey` every key does, and what the
// save costs is reported too.
void typingAtTheEndOfALongQuery(benchmark::State& state, bool saveEachKey) {
  const auto directory = std::filesystem::temp_directory_path() / ("editor_bench." + std::to_string(getpid()));
  std::filesystem::create_directories(directory);
  {
    auto container =
        *platform::ModelContainer::open(platform::Schema::of<RequestTemplate, RequestFolder>(), directory / "s.sqlite");
    auto context = container->mainContext();
    std::string url = "https://api.example.com/items?";
    for (int index = 0; index < state.range(0); ++index) url += "key" + std::to_string(index) + "=value&";
    url += "last=";
    auto request = RequestTemplate::make("Long query", url, "GET", nullptr, 0);
    context->insert(request);
    RequestEditorView view(request, RequestViewModel::make(), context, [] {});
    view.resize(1000, 800);
    view.show();
    QApplication::processEvents();
    auto* field = view.findChild<QLineEdit*>("urlField");
    field->setFocus();
    field->end(false);
    QApplication::processEvents();

    for (auto _ : state) {
      QElapsedTimer clock;
      clock.start();
      QTest::keyClick(field, Qt::Key_7);
      view.repaint();
      QApplication::processEvents();
      state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
      if (saveEachKey) {
        QElapsedTimer saving;
        saving.start();
        (void)context->save();
        state.counters["save_ms"] = static_cast<double>(saving.nsecsElapsed()) / 1e6;
      }
    }
    if (request->queryParams().size() != static_cast<std::size_t>(state.range(0)) + 1) {
      state.SkipWithError("the rows did not follow the URL");
    }
  }
  std::filesystem::remove_all(directory);
}
BENCHMARK_CAPTURE(typingAtTheEndOfALongQuery, between_saves, false)
    ->Arg(100)
    ->Arg(300)
    ->Arg(1000)
    ->Iterations(20)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(typingAtTheEndOfALongQuery, after_a_save, true)
    ->Arg(1000)
    ->Iterations(20)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return runOffscreenBenchmarks(argc, argv); }
