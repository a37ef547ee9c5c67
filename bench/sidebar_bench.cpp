#include <benchmark/benchmark.h>

#include "Platform/Store/ModelContainer.h"
#include "Wendalore/Content/ContentController.h"
#include "Wendalore/Views/Sidebar/SidebarOutlineView.h"
#include "bench/support/OffscreenBenchmarks.h"
#include "tests/Platform/ScratchDirectory.h"

namespace {

using namespace wendalore;

constexpr int rootFolders = 100;
constexpr int subfoldersEach = 9;      // 1,000 folders in all
constexpr int requestsPerFolder = 10;  // 10,000 requests

std::shared_ptr<platform::ModelContainer> openStore(const std::filesystem::path& file) {
  auto opened = platform::ModelContainer::open(platform::Schema::of<RequestTemplate, RequestFolder>(), file);
  if (!opened) throw std::runtime_error(opened.error()->description());
  return *opened;
}

// A saved tree of 1,000 folders and 10,000 requests; every other folder open.
class TreeOnDisk {
 public:
  TreeOnDisk() {
    auto container = openStore(file());
    auto context = container->mainContext();
    int made = 0;
    const auto fill = [&](const std::shared_ptr<RequestFolder>& folder) {
      folder->setIsExpanded(made++ % 2 == 0);
      for (int at = 0; at < requestsPerFolder; ++at) {
        context->insert(RequestTemplate::make("Request " + std::to_string(at), "https://example.com", "GET", folder,
                                              requestsPerFolder - at));
      }
    };
    for (int root = 0; root < rootFolders; ++root) {
      auto parent = RequestFolder::make("Folder " + std::to_string(root), nullptr);
      parent->setSortOrder(root);
      context->insert(parent);
      fill(parent);
      for (int sub = 0; sub < subfoldersEach; ++sub) {
        auto child = RequestFolder::make("Subfolder " + std::to_string(sub), parent);
        child->setSortOrder(subfoldersEach - sub);
        fill(child);
      }
    }
    if (!context->save()) throw std::runtime_error("could not save the benchmark's store");
  }
  std::filesystem::path file() const { return scratch_ / "Wendalore.sqlite"; }

 private:
  ScratchDirectory scratch_;
};

const TreeOnDisk& treeOnDisk() {
  static const TreeOnDisk tree;
  return tree;
}

// Reading the store at start-up, before the tree is shown; for reference.
void BM_OpenStore(benchmark::State& state) {
  const auto& tree = treeOnDisk();
  for (auto _ : state) benchmark::DoNotOptimize(openStore(tree.file()));
}
BENCHMARK(BM_OpenStore)->Unit(benchmark::kMillisecond);

// The window's first showing of the tree from the opened store.
void BM_LoadTree(benchmark::State& state) {
  auto container = openStore(treeOnDisk().file());
  for (auto _ : state) {
    ContentController content(container->mainContext());
    SidebarOutlineView view;
    view.setContent(content.rootItems(), nullptr, content.dataVersion());
    benchmark::DoNotOptimize(view.outlineModel().rowCount());
  }
}
BENCHMARK(BM_LoadTree)->Unit(benchmark::kMillisecond);

// After a change of the tree: the top level read again, the tree rebuilt and
// its folders opened as stored.
void BM_ReloadTree(benchmark::State& state) {
  auto container = openStore(treeOnDisk().file());
  ContentController content(container->mainContext());
  SidebarOutlineView view;
  view.setContent(content.rootItems(), nullptr, content.dataVersion());
  for (auto _ : state) {
    content.renewDataVersion();
    view.setContent(content.rootItems(), nullptr, content.dataVersion());
    benchmark::DoNotOptimize(view.outlineModel().rowCount());
  }
}
BENCHMARK(BM_ReloadTree)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return runOffscreenBenchmarks(argc, argv); }
