#pragma once

#include "Wendalore/Views/Shell/Updater.h"

namespace wendalore {

// Linux packages are updated by the system's package manager, so the
// program never offers a check of its own.
class NoOpUpdater final : public Updater {
 public:
  bool canCheckForUpdates() const override { return false; }
  platform::ObservationToken observeCanCheckForUpdates(std::function<void(bool)>) override { return {}; }
  void checkForUpdates() override {}
};

}  // namespace wendalore
