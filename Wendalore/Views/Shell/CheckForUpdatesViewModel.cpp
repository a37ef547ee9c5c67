#include "Wendalore/Views/Shell/CheckForUpdatesViewModel.h"

namespace wendalore {

CheckForUpdatesViewModel::CheckForUpdatesViewModel(Updater& updater)
    // Subscribing before reading leaves no gap in which a change could be missed.
    : subscription_(updater.observeCanCheckForUpdates([this](bool value) { setCanCheckForUpdates(value); })) {
  setCanCheckForUpdates(updater.canCheckForUpdates());
}

void CheckForUpdatesViewModel::setCanCheckForUpdates(bool value) {
  canCheckForUpdates_ = value;
  didChange_.notify();
}

}  // namespace wendalore
