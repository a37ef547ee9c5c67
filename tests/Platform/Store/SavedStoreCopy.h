#pragma once

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>

#include "Platform/Store/ModelContainer.h"

namespace platform::testing {

// The store as saved so far, opened from a copy beside it: a container holds
// its store for itself, so a test that wants to see what a fresh start would
// read cannot open the original while its container is alive.
inline std::shared_ptr<ModelContainer> openSavedCopy(const Schema& schema, const std::filesystem::path& store) {
  static std::atomic<int> copies = 0;
  const auto copy = store.parent_path() / ("saved-copy-" + std::to_string(++copies) + ".sqlite");
  std::filesystem::copy_file(store, copy);
  auto wal = store;
  wal += "-wal";
  if (std::filesystem::exists(wal)) {
    auto copiedWal = copy;
    copiedWal += "-wal";
    std::filesystem::copy_file(wal, copiedWal);
  }
  auto container = ModelContainer::open(schema, copy);
  if (!container) throw std::runtime_error("the saved store did not open: " + container.error()->description());
  return *container;
}

}  // namespace platform::testing
