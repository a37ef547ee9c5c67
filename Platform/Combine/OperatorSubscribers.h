#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "Platform/Combine/Subscriber.h"

namespace platform::detail {

// Hands the upstream subscription on unchanged and each value transformed;
// `Transform` gives an optional, and an absent one is left out.
template <class Input, class Output, class Failure, class Transform>
class CompactMapSubscriber final : public Subscriber<Input, Failure> {
 public:
  CompactMapSubscriber(std::shared_ptr<Subscriber<Output, Failure>> downstream, Transform transform)
      : downstream_(std::move(downstream)), transform_(std::move(transform)) {}

  void receive(std::shared_ptr<Subscription> subscription) override { downstream_->receive(std::move(subscription)); }
  Demand receive(const Input& input) override {
    if (auto output = transform_(input)) return downstream_->receive(*output);
    return Demand::none();
  }
  void receive(const SubscriptionCompletion<Failure>& completion) override { downstream_->receive(completion); }

 private:
  std::shared_ptr<Subscriber<Output, Failure>> downstream_;
  Transform transform_;
};

// An upstream that cannot fail seen as one that could fail with `Failure`.
template <class Input, class Never, class Failure>
class SetFailureTypeSubscriber final : public Subscriber<Input, Never> {
 public:
  explicit SetFailureTypeSubscriber(std::shared_ptr<Subscriber<Input, Failure>> downstream)
      : downstream_(std::move(downstream)) {}

  void receive(std::shared_ptr<Subscription> subscription) override { downstream_->receive(std::move(subscription)); }
  Demand receive(const Input& input) override { return downstream_->receive(input); }
  void receive(const SubscriptionCompletion<Never>&) override {
    downstream_->receive(SubscriptionCompletion<Failure>::finished());
  }

 private:
  std::shared_ptr<Subscriber<Input, Failure>> downstream_;
};

// Subscribes to the publisher `transform` makes of each upstream value, all
// at once, and merges their values. The first failure, upstream or inner,
// cancels everything else and ends the downstream; it finishes once the
// upstream and every inner publisher have.
template <class Input, class InnerPublisher, class Output, class Failure, class Transform>
class FlatMapSubscriber final : public Subscriber<Input, Failure>,
                                public Subscription,
                                public std::enable_shared_from_this<FlatMapSubscriber<Input, InnerPublisher, Output,
                                                                                      Failure, Transform>> {
 public:
  FlatMapSubscriber(std::shared_ptr<Subscriber<Output, Failure>> downstream, Transform transform)
      : downstream_(std::move(downstream)), transform_(std::move(transform)) {}

  void receive(std::shared_ptr<Subscription> subscription) override {
    {
      std::lock_guard lock(mutex_);
      upstream_ = std::move(subscription);
    }
    downstream_->receive(this->shared_from_this());
  }
  Demand receive(const Input& input) override {
    {
      std::lock_guard lock(mutex_);
      if (ended_) return Demand::none();
      ++active_;
    }
    transform_(input).receive(std::make_shared<Inner>(this->shared_from_this()));
    return Demand::none();
  }
  void receive(const SubscriptionCompletion<Failure>& completion) override {
    if (!completion.isFinished()) return fail(completion);
    std::unique_lock lock(mutex_);
    upstreamFinished_ = true;
    finishIfDone(lock, completion);
  }

  void request(Demand demand) override {
    if (auto upstream = currentUpstream()) upstream->request(demand);
  }
  void cancel() override {
    std::unique_lock lock(mutex_);
    ended_ = true;
    cancelAll(lock);
  }

 private:
  class Inner final : public Subscriber<Output, Failure> {
   public:
    explicit Inner(std::shared_ptr<FlatMapSubscriber> outer) : outer_(std::move(outer)) {}
    void receive(std::shared_ptr<Subscription> subscription) override {
      {
        std::lock_guard lock(outer_->mutex_);
        outer_->inners_.push_back(subscription);
        subscription_ = subscription.get();
      }
      subscription->request(Demand::unlimited());
    }
    Demand receive(const Output& output) override {
      if (!outer_->isEnded()) outer_->downstream_->receive(output);
      return Demand::none();
    }
    void receive(const SubscriptionCompletion<Failure>& completion) override {
      if (!completion.isFinished()) return outer_->fail(completion);
      std::unique_lock lock(outer_->mutex_);
      --outer_->active_;
      // A finished inner publisher is let go at once, so a long upstream
      // does not pile them up.
      std::erase_if(outer_->inners_, [this](const auto& inner) { return inner.get() == subscription_; });
      outer_->finishIfDone(lock, completion);
    }

   private:
    std::shared_ptr<FlatMapSubscriber> outer_;
    // Compared only, under the outer lock.
    const Subscription* subscription_ = nullptr;
  };

  void fail(const SubscriptionCompletion<Failure>& completion) {
    std::unique_lock lock(mutex_);
    if (std::exchange(ended_, true)) return;
    cancelAll(lock);
    downstream_->receive(completion);
  }
  // Ends with `completion` once the upstream and every inner publisher have
  // finished.
  void finishIfDone(std::unique_lock<std::mutex>& lock, const SubscriptionCompletion<Failure>& completion) {
    if (active_ != 0 || !upstreamFinished_ || std::exchange(ended_, true)) return;
    upstream_.reset();
    inners_.clear();
    lock.unlock();
    downstream_->receive(completion);
  }
  // Lets go of every subscription, cancelling each outside the lock.
  void cancelAll(std::unique_lock<std::mutex>& lock) {
    auto upstream = std::exchange(upstream_, nullptr);
    auto inners = std::exchange(inners_, {});
    lock.unlock();
    if (upstream) upstream->cancel();
    for (auto& inner : inners) inner->cancel();
  }
  bool isEnded() {
    std::lock_guard lock(mutex_);
    return ended_;
  }
  std::shared_ptr<Subscription> currentUpstream() {
    std::lock_guard lock(mutex_);
    return upstream_;
  }

  std::shared_ptr<Subscriber<Output, Failure>> downstream_;
  Transform transform_;
  std::mutex mutex_;
  std::shared_ptr<Subscription> upstream_;
  std::vector<std::shared_ptr<Subscription>> inners_;
  int active_ = 0;
  bool upstreamFinished_ = false;
  bool ended_ = false;
};

}  // namespace platform::detail
