#pragma once

#include <functional>

#include "Platform/Store/ObserverList.h"
#include "Wendalore/Views/Shell/Updater.h"

namespace wendalore {

// Mirrors the updater's answer to whether a check may start. It holds the
// updater's current value as soon as it exists, then follows every change
// for as long as it lives. Main thread only.
class CheckForUpdatesViewModel {
 public:
  explicit CheckForUpdatesViewModel(Updater& updater);
  CheckForUpdatesViewModel(const CheckForUpdatesViewModel&) = delete;
  CheckForUpdatesViewModel& operator=(const CheckForUpdatesViewModel&) = delete;

  bool canCheckForUpdates() const { return canCheckForUpdates_; }

  [[nodiscard]] platform::ObservationToken observeDidChange(std::function<void()> observer) const {
    return didChange_.add(std::move(observer));
  }

 private:
  void setCanCheckForUpdates(bool value);

  bool canCheckForUpdates_ = false;
  platform::ObserverList<> didChange_;
  platform::ObservationToken subscription_;
};

}  // namespace wendalore
