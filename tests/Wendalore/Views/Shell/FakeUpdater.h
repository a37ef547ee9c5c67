#pragma once

#include <memory>

#include "Wendalore/Views/Shell/Updater.h"

namespace wendalore {

// An updater whose answer the test sets, counting checks and listeners.
class FakeUpdater final : public Updater {
 public:
  explicit FakeUpdater(bool canCheck) : canCheck_(canCheck) {}

  bool canCheckForUpdates() const override { return canCheck_; }
  platform::ObservationToken observeCanCheckForUpdates(std::function<void(bool)> observer) override {
    ++*listening_;
    auto token = std::make_shared<platform::ObservationToken>(listeners_.add(std::move(observer)));
    return platform::ObservationToken([listening = listening_, token] {
      --*listening;
      token->cancel();
    });
  }
  void checkForUpdates() override { ++checks; }

  void setCanCheckForUpdates(bool canCheck) {
    canCheck_ = canCheck;
    listeners_.notify(canCheck);
  }
  int listenerCount() const { return *listening_; }

  int checks = 0;

 private:
  bool canCheck_;
  platform::ObserverList<bool> listeners_;
  std::shared_ptr<int> listening_ = std::make_shared<int>(0);
};

}  // namespace wendalore
