#pragma once

#include <expected>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <type_traits>
#include <utility>

#include "Platform/Combine/OperatorSubscribers.h"
#include "Platform/Combine/Sink.h"
#include "Platform/Combine/Subscriber.h"

namespace platform {

// Any publisher of `Output` that fails with `Failure`, seen only through
// its subscribing entry, with the operators built on it.
template <class Output, class Failure>
class AnyPublisher {
 public:
  using Subscribe = std::function<void(std::shared_ptr<Subscriber<Output, Failure>>)>;

  explicit AnyPublisher(Subscribe subscribe) : subscribe_(std::move(subscribe)) {}
  template <class Publisher>
    requires requires(const Publisher& publisher, std::shared_ptr<Subscriber<Output, Failure>> subscriber) {
      publisher.receive(subscriber);
    }
  static AnyPublisher erasing(Publisher publisher) {
    return AnyPublisher([publisher = std::move(publisher)](std::shared_ptr<Subscriber<Output, Failure>> subscriber) {
      publisher.receive(std::move(subscriber));
    });
  }

  void receive(std::shared_ptr<Subscriber<Output, Failure>> subscriber) const { subscribe_(std::move(subscriber)); }

  template <class Transform>
  auto map(Transform transform) const {
    using Mapped = std::invoke_result_t<Transform&, const Output&>;
    return compactMap([transform = std::move(transform)](const Output& output) -> std::optional<Mapped> {
      return transform(output);
    });
  }
  // `transform` gives an optional; absent values are left out.
  template <class Transform>
  auto compactMap(Transform transform) const {
    using Mapped = typename std::invoke_result_t<Transform&, const Output&>::value_type;
    return AnyPublisher<Mapped, Failure>([upstream = *this, transform = std::move(transform)](auto subscriber) {
      upstream.receive(std::make_shared<detail::CompactMapSubscriber<Output, Mapped, Failure, Transform>>(
          std::move(subscriber), transform));
    });
  }
  // Only for a publisher that cannot fail: it may then be combined with
  // ones failing with `NewFailure`.
  template <class NewFailure>
  AnyPublisher<Output, NewFailure> setFailureType() const {
    return AnyPublisher<Output, NewFailure>([upstream = *this](auto subscriber) {
      upstream.receive(
          std::make_shared<detail::SetFailureTypeSubscriber<Output, Failure, NewFailure>>(std::move(subscriber)));
    });
  }
  // `transform` makes a publisher (of the same failure) of each value; their
  // values are merged, with no limit on how many run at once.
  template <class Transform>
  auto flatMap(Transform transform) const {
    using Inner = std::invoke_result_t<Transform&, const Output&>;
    using InnerOutput = typename Inner::OutputType;
    return AnyPublisher<InnerOutput, Failure>([upstream = *this, transform = std::move(transform)](auto subscriber) {
      upstream.receive(std::make_shared<detail::FlatMapSubscriber<Output, Inner, InnerOutput, Failure, Transform>>(
          std::move(subscriber), transform));
    });
  }

  AnyCancellable sink(typename Sink<Output, Failure>::ReceiveCompletion receiveCompletion,
                      typename Sink<Output, Failure>::ReceiveValue receiveValue) const {
    auto sink = std::make_shared<Sink<Output, Failure>>(std::move(receiveCompletion), std::move(receiveValue));
    receive(sink);
    return AnyCancellable(sink);
  }

  using OutputType = Output;
  using FailureType = Failure;

 private:
  Subscribe subscribe_;
};

// The one-shot publisher of a result: on demand, the value then finished,
// or the failure.
template <class Output, class Failure>
AnyPublisher<Output, Failure> resultPublisher(std::expected<Output, Failure> result) {
  class OneShot final : public Subscription {
   public:
    OneShot(std::shared_ptr<Subscriber<Output, Failure>> subscriber, std::expected<Output, Failure> result)
        : subscriber_(std::move(subscriber)), result_(std::move(result)) {}
    void request(Demand) override {
      auto subscriber = take();
      if (!subscriber) return;
      if (result_) {
        subscriber->receive(*result_);
        subscriber->receive(SubscriptionCompletion<Failure>::finished());
      } else {
        subscriber->receive(SubscriptionCompletion<Failure>::failure(result_.error()));
      }
    }
    void cancel() override { take(); }

   private:
    std::shared_ptr<Subscriber<Output, Failure>> take() {
      std::lock_guard lock(mutex_);
      return std::exchange(subscriber_, nullptr);
    }
    std::mutex mutex_;
    std::shared_ptr<Subscriber<Output, Failure>> subscriber_;
    const std::expected<Output, Failure> result_;
  };
  return AnyPublisher<Output, Failure>([result = std::move(result)](auto subscriber) {
    subscriber->receive(std::make_shared<OneShot>(subscriber, result));
  });
}

}  // namespace platform
