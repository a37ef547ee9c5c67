#pragma once

#include <memory>
#include <optional>
#include <utility>

#include "Platform/Combine/Subscription.h"

namespace platform {

// How a publisher ends: finished, or failed with a `Failure`.
template <class Failure>
class SubscriptionCompletion {
 public:
  static SubscriptionCompletion finished() { return SubscriptionCompletion(std::nullopt); }
  static SubscriptionCompletion failure(Failure error) { return SubscriptionCompletion(std::move(error)); }

  bool isFinished() const { return !error_; }
  // Absent when finished.
  const std::optional<Failure>& error() const { return error_; }

 private:
  explicit SubscriptionCompletion(std::optional<Failure> error) : error_(std::move(error)) {}
  std::optional<Failure> error_;
};

// Receives, in order: its subscription once, any number of values, and at
// most one completion.
template <class Input, class Failure>
class Subscriber {
 public:
  virtual ~Subscriber() = default;
  virtual void receive(std::shared_ptr<Subscription> subscription) = 0;
  // The answer adds to the demand; the publishers here do not look at it.
  virtual Demand receive(const Input& input) = 0;
  virtual void receive(const SubscriptionCompletion<Failure>& completion) = 0;
};

}  // namespace platform
