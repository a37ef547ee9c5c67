// Memory with the code editor open: the real window in this process, on a
// scratch store, shows a new request's JSON body editor and takes typing;
// then the proportional memory of this process and of every helper process
// the web engine started, and the same before the editor for comparison.
// The engine loads once per process, so one iteration. Needs a display: run
// it under xvfb-run.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "MonacoHost/Loading/EngineEnvironment.h"
#include "Platform/Foundation/Bundle.h"
#include "Wendalore/MainQueueBridge.h"
#include "Wendalore/Views/Shell/NoOpUpdater.h"
#include "Wendalore/Views/Shell/WendaloreApp.h"
#include "bench/support/ProcessMemory.h"
#include "tests/EditorLoading/BodyEditorDriver.h"
#include "tests/Platform/ScratchDirectory.h"

namespace {

// Time for the page and its processes to settle after the first keystroke.
constexpr int settleMilliseconds = 3'000;

void BM_JSONBodyEditorOpen(benchmark::State& state) {
  for (auto _ : state) {
    ScratchDirectory scratch;
    auto launched = wendalore::WendaloreApp::launch(platform::Bundle::make({}),
                                                    std::make_shared<wendalore::NoOpUpdater>(), scratch / "s.sqlite");
    if (!launched) {
      state.SkipWithError(launched.error().c_str());
      return;
    }
    auto& window = (*launched)->window();
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
      state.SkipWithError("the window was not shown");
      return;
    }
    (*launched)->content().controller().addRequest(nullptr);
    QTest::qWait(settleMilliseconds);
    state.counters["pss_MiB_without_editor"] = processmemory::treeProportionalMiB(getpid());

    QWidget* webView = bodyeditor::showJSONBody(window);
    const auto& request = (*launched)->content().controller().selectedTemplate();
    if (!webView || !bodyeditor::typeOnceReady(*webView, request, '{')) {
      state.SkipWithError("the code editor did not start");
      return;
    }
    QTest::qWait(settleMilliseconds);
    const auto tree = processmemory::processTree(getpid());
    const double program = processmemory::proportionalMiB(getpid());
    const double all = processmemory::treeProportionalMiB(getpid());
    state.counters["rss_MiB_program"] = processmemory::residentMiB(getpid());
    state.counters["pss_MiB_program"] = program;
    state.counters["pss_MiB_helpers"] = all - program;
    state.counters["pss_MiB_all"] = all;
    state.counters["helper_processes"] = static_cast<double>(tree.size() - 1);
  }
}
BENCHMARK(BM_JSONBodyEditorOpen)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  monacohost::prepareEngineEnvironment();
  QApplication application(argc, argv);
  wendalore::bridgeMainQueueToEventLoop();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
