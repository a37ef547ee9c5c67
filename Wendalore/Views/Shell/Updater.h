#pragma once

#include <functional>

#include "Platform/Store/ObserverList.h"

namespace wendalore {

// The program's auto-update service: whether a check for a newer version
// may start now, and the command that starts one. Used on the main thread;
// an updater announces every change of `canCheckForUpdates` there.
class Updater {
 public:
  virtual ~Updater() = default;

  virtual bool canCheckForUpdates() const = 0;
  [[nodiscard]] virtual platform::ObservationToken observeCanCheckForUpdates(std::function<void(bool)> observer) = 0;
  // Starts a user-visible check; what follows is the updater's own.
  virtual void checkForUpdates() = 0;
};

}  // namespace wendalore
