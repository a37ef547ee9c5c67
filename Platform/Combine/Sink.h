#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <utility>

#include "Platform/Combine/Subscriber.h"

namespace platform {

// Asks for every value at once and hands values and the completion to two
// closures. Cancelling cancels the subscription and stops the closures.
template <class Input, class Failure>
class Sink final : public Subscriber<Input, Failure>, public Cancellable {
 public:
  using ReceiveValue = std::function<void(const Input&)>;
  using ReceiveCompletion = std::function<void(const SubscriptionCompletion<Failure>&)>;

  Sink(ReceiveCompletion receiveCompletion, ReceiveValue receiveValue)
      : receiveCompletion_(std::move(receiveCompletion)), receiveValue_(std::move(receiveValue)) {}

  void receive(std::shared_ptr<Subscription> subscription) override {
    {
      std::lock_guard lock(mutex_);
      if (ended_) return;
      subscription_ = subscription;
    }
    subscription->request(Demand::unlimited());
  }
  Demand receive(const Input& input) override {
    if (!isEnded()) receiveValue_(input);
    return Demand::none();
  }
  void receive(const SubscriptionCompletion<Failure>& completion) override {
    {
      std::lock_guard lock(mutex_);
      if (ended_) return;
      ended_ = true;
      subscription_.reset();
    }
    receiveCompletion_(completion);
  }
  void cancel() override {
    std::shared_ptr<Subscription> subscription;
    {
      std::lock_guard lock(mutex_);
      ended_ = true;
      subscription = std::exchange(subscription_, nullptr);
    }
    if (subscription) subscription->cancel();
  }

 private:
  bool isEnded() {
    std::lock_guard lock(mutex_);
    return ended_;
  }

  ReceiveCompletion receiveCompletion_;
  ReceiveValue receiveValue_;
  std::mutex mutex_;
  std::shared_ptr<Subscription> subscription_;
  bool ended_ = false;
};

}  // namespace platform
