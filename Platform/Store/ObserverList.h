#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace platform {

// Ends one observation when it is destroyed or cancelled.
class ObservationToken {
 public:
  ObservationToken() = default;
  explicit ObservationToken(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
  ObservationToken(ObservationToken&& other) noexcept : cancel_(std::exchange(other.cancel_, nullptr)) {}
  ObservationToken& operator=(ObservationToken&& other) noexcept {
    if (this != &other) {
      cancel();
      cancel_ = std::exchange(other.cancel_, nullptr);
    }
    return *this;
  }
  ObservationToken(const ObservationToken&) = delete;
  ObservationToken& operator=(const ObservationToken&) = delete;
  ~ObservationToken() { cancel(); }

  void cancel() {
    if (auto cancel = std::exchange(cancel_, nullptr)) cancel();
  }

 private:
  std::function<void()> cancel_;
};

// Observers called in the order they were added. Used on one thread only
// (the main thread, like the models it serves); an observer may add or
// cancel observers while it is being called: cancelled ones are skipped for
// the rest of that round, new ones wait for the next.
template <class... Args>
class ObserverList {
 public:
  using Observer = std::function<void(Args...)>;

  ObserverList() = default;
  ObserverList(const ObserverList&) = delete;
  ObserverList& operator=(const ObserverList&) = delete;

  // Adding an observer does not change what is observed, hence const.
  [[nodiscard]] ObservationToken add(Observer observer) const {
    auto entry = std::make_shared<Entry>(Entry{std::move(observer), true});
    entries_->push_back(entry);
    return ObservationToken([weakEntries = std::weak_ptr(entries_), weakEntry = std::weak_ptr(entry)] {
      auto entry = weakEntry.lock();
      if (!entry) return;
      entry->active = false;
      if (auto entries = weakEntries.lock()) std::erase(*entries, entry);
    });
  }

  void notify(const Args&... args) const {
    const auto round = *entries_;
    for (const auto& entry : round) {
      if (entry->active) entry->observer(args...);
    }
  }

 private:
  struct Entry {
    Observer observer;
    bool active;
  };
  std::shared_ptr<std::vector<std::shared_ptr<Entry>>> entries_ =
      std::make_shared<std::vector<std::shared_ptr<Entry>>>();
};

}  // namespace platform
