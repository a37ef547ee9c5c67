#pragma once

#include <cstddef>
#include <limits>
#include <memory>
#include <optional>
#include <utility>

namespace platform {

// How many more values a subscriber asks for.
class Demand {
 public:
  static Demand unlimited() { return Demand(std::nullopt); }
  static Demand none() { return Demand(0); }
  static Demand max(std::size_t count) { return Demand(count); }

  bool isUnlimited() const { return !count_; }
  // Absent for an unlimited demand.
  std::optional<std::size_t> max() const { return count_; }

  friend bool operator==(const Demand&, const Demand&) = default;

 private:
  explicit Demand(std::optional<std::size_t> count) : count_(count) {}
  std::optional<std::size_t> count_;
};

class Cancellable {
 public:
  virtual ~Cancellable() = default;
  // From any thread; stops the work the cancellable stands for.
  virtual void cancel() = 0;
};

// The link from a subscriber back to its publisher.
class Subscription : public Cancellable {
 public:
  virtual void request(Demand demand) = 0;
};

// Cancels on destruction unless released; movable, not copyable.
class AnyCancellable {
 public:
  AnyCancellable() = default;
  explicit AnyCancellable(std::shared_ptr<Cancellable> cancellable) : cancellable_(std::move(cancellable)) {}
  AnyCancellable(AnyCancellable&&) = default;
  AnyCancellable& operator=(AnyCancellable&& other) {
    if (this != &other) {
      cancel();
      cancellable_ = std::move(other.cancellable_);
    }
    return *this;
  }
  ~AnyCancellable() { cancel(); }

  void cancel() {
    if (auto cancellable = std::exchange(cancellable_, nullptr)) cancellable->cancel();
  }

 private:
  std::shared_ptr<Cancellable> cancellable_;
};

}  // namespace platform
